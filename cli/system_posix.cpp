// The tool's system services on POSIX: names are bytes, and the shell expands wildcards.
#include <sys/ioctl.h>
#include <unistd.h>

#include "system.h"

std::vector<std::string> program_arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void expand_wildcards(std::vector<std::string>&) {}

std::FILE* open_file(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }

std::filesystem::path path_of(const std::string& name) { return name; }

std::string name_of(const std::filesystem::path& path) { return path.string(); }

void set_up_standard_streams() {}

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

int terminal_columns()
{
    winsize size{};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

const char* erase_line_sequence() { return "\r\033[K"; }
