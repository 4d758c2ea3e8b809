// Reader for the tournament "$" format: several puzzles a file, each a "$n" line followed
// by its column clues and then its row clues, one line each.
//
// There is no size line: the lines from a "$" line to the next one, or to the end of the
// file, are the clues of one square puzzle, N column lines and then N row lines (N up to
// TOOL_MAX_LINES), each clue fitting its N cells. A blank
// line is an empty clue line, with one exception: when a block's count is odd and its last
// line is blank, that line is taken for spacing (an extra line end at the end of the file,
// or between two files put together), not for a clue. Any other odd count is an error,
// since the split between columns and rows could not be told.
#include "readers.h"
#include "size_limits.h"
#include "text.h"

namespace {

bool is_header(std::string_view line)
{
    const std::string_view t = trim(line);
    return !t.empty() && t.front() == '$';
}

ReadItem read_block(const std::vector<std::string_view>& lines, std::size_t header,
                    std::size_t begin, std::size_t end, const std::string& file)
{
    const int header_line = static_cast<int>(header) + 1;
    const std::string_view number = trim(trim(lines[header]).substr(1));
    constexpr int max_index = 999999999;
    long long index = 0;
    for (const char ch : number) {
        if (ch < '0' || ch > '9' || index > max_index) {
            index = -1;
            break;
        }
        index = index * 10 + (ch - '0');
    }
    if (number.empty() || index < 0 || index > max_index)
        return ReadError{header_line, "expected $ and a puzzle number, found " +
                                          quote(trim(lines[header]))};
    std::string tag = "$";
    tag += number;

    std::size_t count = end - begin;
    if (count % 2 == 1 && is_blank(lines[end - 1])) --count;
    if (count == 0) return ReadError{header_line, "puzzle " + tag + " has no clue lines"};
    if (count % 2 == 1)
        return ReadError{header_line, "puzzle " + tag + " has " + plural(count, "clue line") +
                                          "; a square puzzle needs an even number"
                                          " (N column lines, then N row lines)"};
    const std::size_t n = count / 2;
    if (n > TOOL_MAX_LINES)
        return ReadError{header_line, "puzzle " + tag + " has " + plural(count, "clue line") + ": more than " +
                                          std::to_string(TOOL_MAX_LINES) + " rows and columns"};

    Puzzle puzzle;
    puzzle.file = file;
    puzzle.index = static_cast<int>(index);
    puzzle.name = std::string(number);
    std::vector<int> clue;
    for (std::size_t k = 0; k < count; ++k) {
        const bool column = k < n;
        const char* const line_word = column ? "column" : "row";
        auto error = parse_clue_line(lines[begin + k], Separator::whitespace, clue);
        if (!error) error = misfit(clue, n, line_word);
        if (error)
            return ReadError{static_cast<int>(begin + k) + 1,
                             tag + " " + line_word + " " + std::to_string((column ? k : k - n) + 1) + ": " + *error};
        (column ? puzzle.cols : puzzle.rows).push_back(clue);
    }
    return puzzle;
}

}  // namespace

std::vector<ReadItem> read_taai(std::string_view text, const std::string& file)
{
    const auto lines = split_lines(text);
    std::vector<ReadItem> items;

    std::size_t i = 0;
    int stray = 0;  // first non-blank line ahead of the first "$" line
    while (i < lines.size() && !is_header(lines[i])) {
        if (!stray && !is_blank(lines[i])) stray = static_cast<int>(i) + 1;
        ++i;
    }
    if (i == lines.size())
        return {ReadError{stray ? stray : 1, "no $ line: not a tournament puzzle file"}};
    if (stray) items.emplace_back(ReadError{stray, "text before the first $ line"});

    while (i < lines.size()) {
        const std::size_t header = i++;
        const std::size_t begin = i;
        while (i < lines.size() && !is_header(lines[i])) ++i;
        items.push_back(read_block(lines, header, begin, i, file));
    }
    return items;
}
