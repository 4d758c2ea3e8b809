// libFuzzer target: arbitrary bytes through every puzzle reader, pictures included.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string problem = check_readers({reinterpret_cast<const char*>(data), size});
    if (!problem.empty()) {
        std::fprintf(stderr, "reader check failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
