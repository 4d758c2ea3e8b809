// Choosing a file's reader, and the checks every format shares.
#include "readers.h"

#include <cstdio>

#include "text.h"

namespace {

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& ch : out)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return out;
}

// Line number of the byte at pos, counting line ends as split_lines does.
int line_of(std::string_view text, std::size_t pos)
{
    int line = 1;
    for (std::size_t i = 0; i < pos; ++i) {
        if (text[i] == '\n') ++line;
        else if (text[i] == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n')) ++line;
    }
    return line;
}

// Control bytes other than tab and the line ends mean this is no text file.
std::optional<std::size_t> find_binary_byte(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x7f) return i;
    }
    return std::nullopt;
}

bool is_non_keyword(std::string_view word)
{
    for (const char* key : {"width", "height", "rows", "columns", "title", "catalogue", "by",
                            "copyright", "license", "goal"})
        if (word == key) return true;
    return false;
}

}  // namespace

std::optional<Format> format_from_name(std::string_view file)
{
    const std::size_t slash = file.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? file : file.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    const std::string suffix = lower(base.substr(dot + 1));
    if (suffix == "non") return Format::non;
    if (suffix == "xml") return Format::xml;
    if (suffix == "txt") return Format::taai;
    return std::nullopt;
}

std::optional<Format> format_from_text(std::string_view text)
{
    for (const std::string_view line : split_lines(text)) {
        const std::string_view t = trim(line);
        if (t.empty()) continue;
        if (t.front() == '<') return Format::xml;
        if (t.front() == '$') return Format::taai;
        const std::size_t end = t.find_first_of(" \t");
        if (is_non_keyword(t.substr(0, end))) return Format::non;
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<ReadItem> read_puzzles(std::string_view bytes, const std::string& file,
                                   std::optional<Format> format)
{
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (bytes.substr(0, bom.size()) == bom) bytes.remove_prefix(bom.size());

    if (const auto pos = find_binary_byte(bytes)) {
        char code[8];
        std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned char>(bytes[*pos]));
        return {ReadError{line_of(bytes, *pos), std::string("binary data (byte ") + code +
                                                    "), not a puzzle file"}};
    }
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return {ReadError{1, "empty input"}};

    if (!format) format = format_from_name(file);
    if (!format) format = format_from_text(bytes);
    if (!format)
        return {ReadError{1, "unknown format (name the file .non, .xml or .txt, or use --format)"}};

    if (*format == Format::non) return read_non(bytes, file);
    if (*format == Format::xml) return read_xml(bytes, file);
    return read_taai(bytes, file);
}
