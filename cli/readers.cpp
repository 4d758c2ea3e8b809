// Choosing a file's reader, and the checks every format shares.
#include "readers.h"

#include <cstdio>

#include "system.h"
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
    const std::size_t slash = file.find_last_of(PATH_SEPARATORS);
    const std::string_view base = slash == std::string_view::npos ? file : file.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    const std::string suffix = lower(base.substr(dot + 1));
    if (suffix == "non") return Format::non;
    if (suffix == "xml") return Format::xml;
    if (suffix == "txt") return Format::taai;
    if (suffix == "png") return Format::png;
    if (suffix == "pbm") return Format::pbm;
    return std::nullopt;
}

std::optional<Format> format_from_signature(std::string_view bytes)
{
    if (bytes.substr(0, 8) == "\x89PNG\r\n\x1a\n") return Format::png;
    // The whole Netpbm family, so that its reader can say what a greymap or pixmap is.
    if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6' &&
        (bytes[2] == ' ' || bytes[2] == '\t' || bytes[2] == '\n' || bytes[2] == '\r' || bytes[2] == '#'))
        return Format::pbm;
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

std::string error_text(const std::string& file, const ReadError& error)
{
    if (!error.line) return file + ": " + error.what;
    return file + ":" + std::to_string(*error.line) + ": " + error.what;
}

std::vector<ReadItem> read_puzzles(std::string_view bytes, const std::string& file,
                                   std::optional<Format> format)
{
    // Pictures are binary and are told apart before the checks that text formats share.
    if (!format) format = format_from_name(file);
    if (!format) format = format_from_signature(bytes);
    if (format == Format::png) return read_png(bytes, file);
    if (format == Format::pbm) return read_pbm(bytes, file);

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

    if (!format) format = format_from_text(bytes);
    if (!format)
        return {ReadError{1, "unknown format (name the file .non, .xml, .txt, .png or .pbm, "
                             "or use --format)"}};

    if (*format == Format::non) return read_non(bytes, file);
    if (*format == Format::xml) return read_xml(bytes, file);
    return read_taai(bytes, file);
}
