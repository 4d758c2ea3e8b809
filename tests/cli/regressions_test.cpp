// Replays every input kept in regressions/ (the fuzzer's findings) through all readers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "reader_check.h"

namespace {

TEST(Regressions, EveryKeptInputIsReadOrRefusedCleanly)
{
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(REGRESSIONS_DIR)) {
        if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        EXPECT_EQ(check_readers(bytes.str()), "") << entry.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0) << "no inputs in " << REGRESSIONS_DIR;
}

}  // namespace
