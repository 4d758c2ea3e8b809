// Lines and clue numbers: the scanning that the three puzzle readers share.
#include "text.h"

#include "size_limits.h"
#include "system.h"

namespace {

bool is_space(char ch) { return ch == ' ' || ch == '\t'; }
bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }
bool is_letter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

}  // namespace

std::vector<std::string_view> split_lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char ch = text[i];
        if (ch == '\n' || ch == '\r') {
            lines.push_back(text.substr(start, i - start));
            i += (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
    return s;
}

bool is_blank(std::string_view s) { return trim(s).empty(); }

std::string quote(std::string_view token)
{
    constexpr std::size_t shown = 20;
    const bool cut = token.size() > shown;
    std::string out;
    out.reserve(shown + 5);
    out += '\'';
    out += token.substr(0, shown);
    if (cut) out += "...";
    out += '\'';
    return out;
}

std::optional<std::string> parse_number(std::string_view token, int& value)
{
    std::size_t digits = 0;
    while (digits < token.size() && is_digit(token[digits])) ++digits;
    if (digits == 0 || digits < token.size()) {
        bool colour = digits > 0;
        for (std::size_t k = digits; k < token.size(); ++k) colour = colour && is_letter(token[k]);
        if (colour) return quote(token) + " is not a number (coloured clues are not supported)";
        return quote(token) + " is not a number";
    }
    int v = 0;
    for (const char ch : token) {
        v = v * 10 + (ch - '0');
        if (v > TOOL_MAX_LINES)
            return "number " + quote(token) + " is larger than " + std::to_string(TOOL_MAX_LINES);
    }
    value = v;
    return std::nullopt;
}

std::optional<std::string> add_number(std::vector<int>& clue, int value)
{
    if (clue.size() == TOOL_MAX_CLUES)
        return "more than " + std::to_string(TOOL_MAX_CLUES) + " numbers in a line";
    clue.push_back(value);
    return std::nullopt;
}

std::optional<std::string> finish_clue(std::vector<int>& clue)
{
    for (const int v : clue) {
        if (v != 0) continue;
        if (clue.size() > 1) return "0 stands for an empty line and cannot stand beside other numbers";
        clue.clear();
    }
    return std::nullopt;
}

std::optional<std::string> parse_clue_line(std::string_view line, Separator separator,
                                           std::vector<int>& clue)
{
    clue.clear();
    line = trim(line);
    if (line.empty()) return std::nullopt;
    const auto take = [&](std::string_view token) -> std::optional<std::string> {
        int value = 0;
        if (auto error = parse_number(token, value)) return error;
        return add_number(clue, value);
    };
    if (separator == Separator::comma) {
        while (true) {
            const std::size_t comma = line.find(',');
            const std::string_view token = trim(line.substr(0, comma));
            if (token.empty()) return std::string("a number is missing between commas");
            if (auto error = take(token)) return error;
            if (comma == std::string_view::npos) break;
            line.remove_prefix(comma + 1);
        }
    } else {
        std::size_t i = 0;
        while (i < line.size()) {
            std::size_t end = i;
            while (end < line.size() && !is_space(line[end])) ++end;
            if (auto error = take(line.substr(i, end - i))) return error;
            i = end;
            while (i < line.size() && is_space(line[i])) ++i;
        }
    }
    return finish_clue(clue);
}

std::optional<std::string> misfit(const std::vector<int>& clue, std::size_t length, std::string_view line_word)
{
    std::size_t needed = clue.empty() ? 0 : clue.size() - 1;
    for (const int v : clue) needed += static_cast<std::size_t>(v);
    if (needed <= length) return std::nullopt;
    constexpr std::size_t shown = 10;  // a long clue is cut in the message
    std::string text = "clue";
    for (std::size_t k = 0; k < clue.size() && k < shown; ++k) text.append(" ").append(std::to_string(clue[k]));
    if (clue.size() > shown) text.append(" ... (").append(plural(clue.size(), "number")).append(")");
    text.append(" needs ").append(plural(needed, "cell")).append(", the ").append(line_word).append(" has ");
    text.append(std::to_string(length));
    return text;
}

std::string plural(std::size_t n, std::string_view noun)
{
    return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

std::string file_stem(const std::string& file)
{
    const std::size_t slash = file.find_last_of(PATH_SEPARATORS);
    std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    return base;
}
