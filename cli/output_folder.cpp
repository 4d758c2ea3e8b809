// Writing one file a puzzle into the folders of --clues and --svg.
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "system.h"
#include "writers.h"

std::optional<std::string> OutputFolder::prepare() const
{
    std::error_code error;
    std::filesystem::create_directories(path_of(path_), error);
    if (error) return "cannot make the folder '" + path_ + "': " + error.message();
    return std::nullopt;
}

std::optional<std::string> OutputFolder::write(const std::string& name, std::string_view text)
{
    // Names come from file names without their folder, or from numbers: never a path.
    assert(name.find_first_of(PATH_SEPARATORS) == std::string::npos);
    const std::string file = name_of(path_of(path_) / path_of(name + suffix_));
    std::optional<std::string> problem;
    if (!written_.insert(name).second) {
        problem = file + ": not written: an earlier puzzle of this run has the same name";
    } else if (std::FILE* out = open_file(file, "wb")) {
        const bool whole = std::fwrite(text.data(), 1, text.size(), out) == text.size();
        const int write_errno = errno;
        if (std::fclose(out) != 0 || !whole)
            problem = file + ": cannot write: " + std::strerror(whole ? errno : write_errno);
    } else {
        problem = file + ": cannot write: " + std::strerror(errno);
    }
    if (problem) ++failures_;
    return problem;
}
