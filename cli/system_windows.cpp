// The tool's system services on Windows: arguments and file names go through the wide
// (UTF-16) calls and are UTF-8 inside the program; cmd.exe leaves wildcards to the program;
// the console is set to UTF-8 while the program runs.
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdlib>

#include "system.h"
#include "windows_com.h"

namespace {

HANDLE handle_of(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

UINT console_output_code_page = 0;  // to put back at the end; 0 when not changed

void restore_code_page()
{
    if (console_output_code_page != 0) SetConsoleOutputCP(console_output_code_page);
}

bool console_erases_lines = false;  // the console takes escape sequences

}  // namespace

std::vector<std::string> program_arguments(int, char**)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (!wide) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf8_of(wide[i], wcslen(wide[i])));
    LocalFree(wide);
    return arguments;
}

void expand_wildcards(std::vector<std::string>& files)
{
    std::vector<std::string> expanded;
    for (std::string& pattern : files) {
        if (pattern.find_first_of("*?") == std::string::npos) {
            expanded.push_back(std::move(pattern));
            continue;
        }
        const std::size_t cut = pattern.find_last_of(PATH_SEPARATORS);
        const std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut + 1);
        std::vector<std::string> matches;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileExW(wide_of(pattern).c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, 0);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                matches.push_back(folder + utf8_of(found.cFileName, wcslen(found.cFileName)));
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        if (matches.empty()) {
            expanded.push_back(std::move(pattern));
            continue;
        }
        std::sort(matches.begin(), matches.end());
        expanded.insert(expanded.end(), matches.begin(), matches.end());
    }
    files = std::move(expanded);
}

std::FILE* open_file(const std::string& name, const char* mode)
{
    return _wfopen(path_of(name).c_str(), wide_of(mode).c_str());
}

std::filesystem::path path_of(const std::string& name)
{
    return std::filesystem::path(wide_of(name));
}

std::string name_of(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    return utf8_of(wide.c_str(), wide.size());
}

void set_up_standard_streams()
{
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
    if (is_terminal(stdout) || is_terminal(stderr)) {
        const UINT before = GetConsoleOutputCP();
        if (before != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
            console_output_code_page = before;
            std::atexit(restore_code_page);
        }
    }
    DWORD mode = 0;
    const HANDLE err = handle_of(stderr);
    if (GetConsoleMode(err, &mode))
        console_erases_lines = (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
                               SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

bool is_terminal(std::FILE* stream)
{
    DWORD mode = 0;
    return GetConsoleMode(handle_of(stream), &mode) != 0;
}

int terminal_columns()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(handle_of(stderr), &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

const char* erase_line_sequence()
{
    if (console_erases_lines) return "\r\033[K";
    // An older console: blanks over the line, which the progress line keeps narrower.
    static const std::string blanks = [] {
        std::string line(static_cast<std::size_t>(std::max(terminal_columns() - 1, 0)) + 2, ' ');
        line.front() = '\r';
        line.back() = '\r';
        return line;
    }();
    return blanks.c_str();
}
