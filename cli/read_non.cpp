// Reader for Simpson's .non format: "key value" lines with "rows" and "columns" sections.
//
// width and height come before the sections. Inside a section every line up to the
// declared count is a clue line, a blank one or "0" being an empty line; blank lines
// after the count are spacing. Keys this reader does not use (title, goal, ...) are skipped.
#include <algorithm>

#include "readers.h"
#include "size_limits.h"
#include "text.h"

namespace {

struct Section {
    const char* key;       // "rows" or "columns"
    const char* size_key;  // the key that declares its line count
    const char* line_word;
    int size = 0;          // declared count, 0 until given
    int start_line = 0;    // line of the section keyword, 0 until seen
    std::vector<std::vector<int>> lines;
    std::vector<int> line_numbers;  // where each of lines stands in the file
};

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }
bool is_letter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

// Reads a declared size: 1 to TOOL_MAX_LINES, digit by digit.
std::optional<std::string> parse_size(std::string_view key, std::string_view value, int& size)
{
    int v = 0;
    if (value.empty()) return std::string(key) + " needs a number";
    for (const char ch : value) {
        if (!is_digit(ch)) return std::string(key) + " " + quote(value) + " is not a number";
        v = v * 10 + (ch - '0');
        if (v > TOOL_MAX_LINES) break;
    }
    if (v > TOOL_MAX_LINES)
        return std::string(key) + " " + quote(value) + ": more than " + std::to_string(TOOL_MAX_LINES) + " " +
               (key == "width" ? "columns" : "rows");
    if (v == 0) return std::string(key) + " must be at least 1";
    size = v;
    return std::nullopt;
}

std::string missing_lines(const Section& s)
{
    return std::string(s.size_key) + " " + std::to_string(s.size) + " asks for " +
           plural(s.size, std::string(s.line_word) + " clue line") + ", found " +
           std::to_string(s.lines.size());
}

// Whether clue line k of a section fits the length that the other section declares.
std::optional<ReadError> misfit_at(const Section& s, std::size_t k, int length)
{
    const auto problem = misfit(s.lines[k], static_cast<std::size_t>(length), s.line_word);
    if (!problem) return std::nullopt;
    return ReadError{s.line_numbers[k], std::string(s.line_word) + " " + std::to_string(k + 1) + ": " + *problem};
}

}  // namespace

std::vector<ReadItem> read_non(std::string_view text, const std::string& file)
{
    const auto lines = split_lines(text);
    const auto fail = [](int line, std::string what) -> std::vector<ReadItem> {
        return {ReadError{line, std::move(what)}};
    };

    Section rows{"rows", "height", "row", 0, 0, {}, {}};
    Section cols{"columns", "width", "column", 0, 0, {}, {}};
    const auto other = [&](const Section& s) -> const Section& { return &s == &rows ? cols : rows; };
    Section* open = nullptr;     // the section still taking clue lines
    Section* closed = nullptr;   // the section that took its last line most recently
    std::vector<int> clue;

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const std::string_view t = trim(lines[i]);

        if (open) {
            if (!t.empty() && is_letter(t.front()))
                return fail(number, missing_lines(*open));
            if (auto error = parse_clue_line(t, Separator::comma, clue))
                return fail(number, std::string(open->line_word) + " " +
                                        std::to_string(open->lines.size() + 1) + ": " + *error);
            open->lines.push_back(clue);
            open->line_numbers.push_back(number);
            // Checked here when the line's length is declared already, else at the end.
            if (const int length = other(*open).size)
                if (auto error = misfit_at(*open, open->lines.size() - 1, length)) return {std::move(*error)};
            if (static_cast<int>(open->lines.size()) == open->size) {
                closed = open;
                open = nullptr;
            }
            continue;
        }

        if (t.empty()) continue;
        if (!is_letter(t.front())) {
            if (!is_digit(t.front()))
                return fail(number, "expected a key such as width, rows or title, found " + quote(t));
            if (closed)
                return fail(number, std::string("more ") + closed->line_word + " clue lines than " +
                                        closed->size_key + " " + std::to_string(closed->size));
            return fail(number, "clue line outside the rows and columns sections");
        }

        const std::size_t space = t.find_first_of(" \t");
        const std::string_view key = t.substr(0, space);
        const std::string_view value = space == std::string_view::npos ? "" : trim(t.substr(space));
        closed = nullptr;

        for (Section* s : {&rows, &cols}) {
            if (key == s->size_key) {
                if (s->size) return fail(number, std::string(key) + " given twice");
                if (auto error = parse_size(key, value, s->size)) return fail(number, *error);
            } else if (key == s->key) {
                if (!value.empty())
                    return fail(number, "unexpected " + quote(value) + " after " + s->key);
                if (s->start_line) return fail(number, std::string(s->key) + " given twice");
                if (!s->size)
                    return fail(number, std::string(s->key) + " before " + s->size_key);
                s->start_line = number;
                open = s;
            }
        }
    }

    const int last = std::max(1, static_cast<int>(lines.size()));
    if (open)
        return fail(last, "end of file: " + missing_lines(*open));
    for (const Section* s : {&rows, &cols}) {
        if (!s->size) return fail(last, std::string("no ") + s->size_key + " line");
        if (!s->start_line) return fail(last, std::string("no ") + s->key + " section");
    }
    for (const Section* s : {&rows, &cols})
        for (std::size_t k = 0; k < s->lines.size(); ++k)
            if (auto error = misfit_at(*s, k, other(*s).size)) return {std::move(*error)};

    Puzzle puzzle;
    puzzle.file = file;
    puzzle.name = file_stem(file);
    puzzle.rows = std::move(rows.lines);
    puzzle.cols = std::move(cols.lines);
    return {std::move(puzzle)};
}
