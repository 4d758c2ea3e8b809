// Reader for Netpbm bitmaps: plain (P1, "0" and "1" characters) and raw (P4, eight pixels a
// byte, each row starting on a byte). 1 is black, a filled cell.
//
// The header is "P1" or "P4", the width and the height, separated by whitespace, with
// "#" comments to the end of a line. In P4 exactly one whitespace character follows the
// height and the rows' bytes come right after it. In P1 the pixels may be separated by
// whitespace or not, and comments are allowed among them too. One picture a file: anything
// but whitespace after its last pixel is an error.
#include <cstdio>

#include "readers.h"
#include "size_limits.h"
#include "text.h"

namespace {

bool is_space(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}
bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

// A byte for a message: the character in quotes when it is printable.
std::string shown(char ch)
{
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x21 && b < 0x7f) return quote(std::string_view(&ch, 1));
    char code[16];
    std::snprintf(code, sizeof code, "byte 0x%02x", b);
    return code;
}

// Walks the bytes, counting lines at LF, CRLF and a lone CR as the text readers do.
class Scanner {
public:
    explicit Scanner(std::string_view bytes) : bytes_(bytes) {}

    bool at_end() const { return pos_ == bytes_.size(); }
    char peek() const { return bytes_[pos_]; }
    int line() const { return line_; }
    std::size_t pos() const { return pos_; }
    std::string_view rest() const { return bytes_.substr(pos_); }

    // The line of the last byte read: where a file that ends too soon ends.
    int last_line() const
    {
        const bool after_end = pos_ > 0 && (bytes_[pos_ - 1] == '\n' || bytes_[pos_ - 1] == '\r');
        return after_end && line_ > 1 ? line_ - 1 : line_;
    }

    void step()
    {
        const char ch = bytes_[pos_++];
        if (ch == '\n' || (ch == '\r' && (at_end() || peek() != '\n'))) ++line_;
    }

    void skip_comment()
    {
        while (!at_end() && peek() != '\n' && peek() != '\r') step();
    }

    void skip_space_and_comments()
    {
        while (!at_end()) {
            if (is_space(peek())) step();
            else if (peek() == '#') skip_comment();
            else break;
        }
    }

    // The next run of bytes up to whitespace or a comment.
    std::string_view token()
    {
        const std::size_t start = pos_;
        while (!at_end() && !is_space(peek()) && peek() != '#') step();
        return bytes_.substr(start, pos_ - start);
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// Reads the width or the height of the header.
std::optional<std::string> read_size(Scanner& in, const char* name, long long& value)
{
    in.skip_space_and_comments();
    if (in.at_end()) return std::string("the file ends before the ") + name;
    const std::string_view token = in.token();
    for (const char ch : token)
        if (!is_digit(ch)) return std::string(name) + " " + quote(token) + " is not a number";
    if (token.size() > 9)
        return std::string(name) + " " + quote(token) + " is far more than " + std::to_string(TOOL_MAX_LINES) +
               " pixels";
    value = 0;
    for (const char ch : token) value = value * 10 + (ch - '0');
    return std::nullopt;
}

}  // namespace

std::vector<ReadItem> read_pbm(std::string_view bytes, const std::string& file)
{
    const auto fail = [](std::optional<int> line, std::string what) -> std::vector<ReadItem> {
        return {ReadError{line, std::move(what)}};
    };
    if (bytes.empty()) return fail(1, "empty input");

    const char kind = bytes.size() >= 2 && bytes[0] == 'P' ? bytes[1] : '\0';
    if (kind == '2' || kind == '5')
        return fail(1, std::string("a PGM greymap (P") + kind +
                           "), not a PBM bitmap: only P1 and P4 pictures are read");
    if (kind == '3' || kind == '6')
        return fail(1, std::string("a PPM pixmap (P") + kind +
                           "), not a PBM bitmap: only P1 and P4 pictures are read");
    if ((kind != '1' && kind != '4') || (bytes.size() > 2 && !is_space(bytes[2]) && bytes[2] != '#'))
        return fail(1, "not a PBM picture (it does not start with P1 or P4)");

    Scanner in(bytes);
    in.step();
    in.step();
    long long width = 0;
    long long height = 0;
    if (auto error = read_size(in, "width", width)) return fail(in.last_line(), *error);
    if (auto error = read_size(in, "height", height)) return fail(in.last_line(), *error);
    if (auto problem = picture_size_problem(width, height)) return fail(in.line(), *problem);
    Picture picture(static_cast<int>(width), static_cast<int>(height));
    const int pixels = picture.width * picture.height;
    const std::string size = std::to_string(width) + " x " + std::to_string(height);

    if (kind == '4') {
        if (!in.at_end() && in.peek() == '#') in.skip_comment();
        if (in.at_end()) return fail(in.last_line(), "the file ends after the header, before the pixels");
        if (!is_space(in.peek()))
            return fail(in.line(), "expected a line end after the height, found " + shown(in.peek()));
        const std::string_view raster = in.rest().substr(1);
        const std::size_t row_bytes = static_cast<std::size_t>(picture.width + 7) / 8;
        const std::size_t needed = row_bytes * static_cast<std::size_t>(picture.height);
        // The raster has no lines: what is wrong with it is told without one.
        if (raster.size() < needed)
            return fail(std::nullopt, "too few pixels: " + size + " pixels take " +
                                          plural(needed, "byte") + " after the header, found " +
                                          std::to_string(raster.size()));
        for (int r = 0; r < picture.height; ++r)
            for (int c = 0; c < picture.width; ++c) {
                const auto byte = static_cast<unsigned char>(raster[r * row_bytes + c / 8]);
                picture.filled[picture.cell(r, c)] = (byte >> (7 - c % 8)) & 1;
            }
        const std::string_view after = raster.substr(needed);
        for (const char ch : after)
            if (!is_space(ch))
                return fail(std::nullopt, plural(after.size(), "byte") + " after the last row of " + size +
                                              " pixels (one picture a file)");
        return {puzzle_of_picture(picture, file)};
    }

    int count = 0;
    while (true) {
        in.skip_space_and_comments();
        if (in.at_end()) break;
        const char ch = in.peek();
        if (ch != '0' && ch != '1')
            return fail(in.line(), "unexpected " + shown(ch) + " among the pixels (only 0 and 1)");
        if (count == pixels) return fail(in.line(), "more pixels than " + size);
        picture.filled[static_cast<std::size_t>(count)] = ch == '1';  // row by row, as they come
        ++count;
        in.step();
    }
    if (count < pixels)
        return fail(in.last_line(), "too few pixels: " + size + " needs " + std::to_string(pixels) +
                                        ", found " + std::to_string(count));
    return {puzzle_of_picture(picture, file)};
}
