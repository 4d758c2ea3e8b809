// What the tool needs of the system beyond standard C++: its arguments and file names as
// UTF-8, opening files by such names, and the console. POSIX in system_posix.cpp, Windows in
// system_windows.cpp.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The characters that end a folder in a path.
#ifdef _WIN32
inline constexpr std::string_view PATH_SEPARATORS = "/\\:";
#else
inline constexpr std::string_view PATH_SEPARATORS = "/";
#endif

// The program's arguments after its name, in UTF-8. On Windows they are taken from the wide
// command line, whatever the code page.
std::vector<std::string> program_arguments(int argc, char** argv);

// Replaces each name holding * or ? by the files it matches, sorted, where the shell does not
// do it (Windows); a pattern that matches nothing stays as it is, to be reported as missing.
void expand_wildcards(std::vector<std::string>& files);

// Files and folders by their UTF-8 names.
std::FILE* open_file(const std::string& name, const char* mode);
std::filesystem::path path_of(const std::string& name);
std::string name_of(const std::filesystem::path& path);

// Sets standard input and output up for bytes as they are (no line-end translation) and the
// console, if any, for UTF-8.
void set_up_standard_streams();

// Whether the stream is an interactive terminal or console.
bool is_terminal(std::FILE* stream);

// Columns of the terminal standard error shows on; 0 when unknown.
int terminal_columns();

// What takes the cursor to the start of a terminal line and clears the line.
const char* erase_line_sequence();
