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

// Reads one clue number, digits only, at most TOOL_MAX_LINES (digit by digit, so no length
// overflows). 0 is accepted here; finish_clue decides where it may stand.
std::optional<std::string> parse_number(std::string_view token, int& value);

// Appends a number to a clue, refusing one past TOOL_MAX_CLUES.
std::optional<std::string> add_number(std::vector<int>& clue, int value);

// A clue of the single number 0 is an empty line; 0 beside other numbers is an error.
std::optional<std::string> finish_clue(std::vector<int>& clue);

// Reads a whole clue line: numbers separated by commas (spaces around them allowed)
// or by runs of spaces and tabs. A blank line is an empty clue.
enum class Separator { comma, whitespace };
std::optional<std::string> parse_clue_line(std::string_view line, Separator separator,
                                           std::vector<int>& clue);

// Why a clue cannot stand in a line of `length` cells, if it cannot: its numbers and one empty
// cell between each two take more ("clue 20 1 needs 22 cells, the row has 21").
std::optional<std::string> misfit(const std::vector<int>& clue, std::size_t length, std::string_view line_word);

// "1 row clue line", "3 row clue lines".
std::string plural(std::size_t n, std::string_view noun);

// A puzzle's name from its file: the file name without folder and suffix ("-" stays "-").
std::string file_stem(const std::string& file);
