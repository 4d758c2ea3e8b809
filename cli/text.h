// Lines and clue numbers: the scanning that the three puzzle readers share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Splits at LF, CRLF or a lone CR. A line end at the very end does not start another line.
std::vector<std::string_view> split_lines(std::string_view text);

std::string_view trim(std::string_view s);
bool is_blank(std::string_view s);

// Text of a token fit for a message: quoted, cut after 20 characters.
std::string quote(std::string_view token);

// Reads one clue number, digits only, at most 99 (digit by digit, so no length overflows).
// 0 is accepted here; add_number decides where it may stand.
std::optional<std::string> parse_number(std::string_view token, int& value);

// Appends a number to a clue, refusing a 14th number.
std::optional<std::string> add_number(std::vector<int>& clue, int value);

// A clue of the single number 0 is an empty line; 0 beside other numbers is an error.
std::optional<std::string> finish_clue(std::vector<int>& clue);

// Reads a whole clue line: numbers separated by commas (spaces around them allowed)
// or by runs of spaces and tabs. A blank line is an empty clue.
enum class Separator { comma, whitespace };
std::optional<std::string> parse_clue_line(std::string_view line, Separator separator,
                                           std::vector<int>& clue);

// "1 row clue line", "3 row clue lines".
std::string plural(std::size_t n, std::string_view noun);

// A puzzle's name from its file: the file name without folder and suffix ("-" stays "-").
std::string file_stem(const std::string& file);
