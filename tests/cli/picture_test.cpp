// The picture readers: clues derived from random drawings in every PNG kind and both PBM
// kinds, what counts as dark, and every way a picture can be bad.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pictures.h"
#include "readers.h"

namespace {

std::string where(const ReadItem& item)
{
    if (const auto* error = std::get_if<ReadError>(&item)) return "error: " + error_text("", *error);
    return "a puzzle";
}

const Puzzle* puzzle_of(const std::vector<ReadItem>& items)
{
    return items.size() == 1 ? std::get_if<Puzzle>(&items[0]) : nullptr;
}

// The bytes are refused with one error, at this line (or without one), saying this first.
void expect_refused(const std::string& bytes, const std::string& file, std::optional<int> line,
                    const std::string& message)
{
    const auto items = read_puzzles(bytes, file, std::nullopt);
    ASSERT_EQ(items.size(), 1u);
    const auto* error = std::get_if<ReadError>(&items[0]);
    ASSERT_TRUE(error) << "read as a puzzle";
    EXPECT_EQ(error->line, line);
    EXPECT_EQ(error->what.rfind(message, 0), 0u) << error->what;
}

// The filled cells of a one-row picture as "#" and ".", by its row clue.
std::string row_text(const Puzzle& p)
{
    std::string text;
    for (const int run : p.rows.at(0)) {
        if (!text.empty()) text += '.';
        text += std::string(static_cast<std::size_t>(run), '#');
    }
    return text;
}

TEST(Pictures, CluesComeFromTheRunsOfFilledPixelsInEveryKindOfFile)
{
    const std::uint64_t seed = 20;
    Rng rng(seed);
    int checked = 0;
    for (int k = 0; k < 240; ++k) {
        // Every tenth one up to the largest size, every fortieth that size itself.
        const int most = k % 10 == 9 ? 128 : 25;
        const int height = k % 40 == 39 ? 128 : 1 + rng.below(most);
        const int width = k % 40 == 39 ? 128 : 1 + rng.below(most);
        const double density = 0.1 + 0.8 * rng.unit();
        const Grid grid = random_grid(rng, height, width, density);
        const PngKind& kind = png_kinds()[static_cast<std::size_t>(k) % png_kinds().size()];
        const bool interlaced = rng.chance(0.5);
        const struct {
            const char* file;
            std::string bytes;
        } files[] = {
            {"drawing.png", png_of(grid, kind, interlaced, rng)},
            {"drawing.pbm", plain_pbm_of(grid, rng)},
            {"drawing.pbm", raw_pbm_of(grid, rng)},
        };
        for (const auto& f : files) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", picture " + std::to_string(k) + ", " +
                         std::to_string(height) + " x " + std::to_string(width) + ", " + f.bytes.substr(0, 2) +
                         ", PNG colour type " + std::to_string(kind.color_type) + " depth " +
                         std::to_string(kind.bit_depth) + (kind.trns ? " tRNS" : "") +
                         (interlaced ? " interlaced" : ""));
            // Named, and by content alone.
            for (const std::string& file : {std::string(f.file), std::string("-")}) {
                const auto items = read_puzzles(f.bytes, file, std::nullopt);
                const Puzzle* p = puzzle_of(items);
                ASSERT_TRUE(p) << where(items.at(0));
                EXPECT_EQ(p->rows, row_clues(grid));
                EXPECT_EQ(p->cols, column_clues(grid));
                EXPECT_EQ(p->file, file);
                EXPECT_EQ(p->name, file == "-" ? "-" : "drawing");
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 240 * 3 * 2);
}

TEST(Pictures, DarkIsLuminanceBelowHalfOverWhite)
{
    const auto one_row = [](int color_type, int depth, std::vector<std::vector<unsigned>> pixels) {
        PngImage image;
        image.width = static_cast<int>(pixels.size());
        image.height = 1;
        image.color_type = color_type;
        image.bit_depth = depth;
        image.samples.emplace_back();
        for (const auto& pixel : pixels) image.samples[0].insert(image.samples[0].end(), pixel.begin(), pixel.end());
        return image;
    };
    const struct {
        const char* what;
        PngImage image;
        const char* filled;  // the row as it must be read
    } cases[] = {
        {"grey at the threshold", one_row(PNG_GREY, 8, {{127}, {128}, {0}, {255}}), "#.#."},
        {"16-bit grey", one_row(PNG_GREY, 16, {{32767}, {32768}, {65535}, {0}}), "#..#"},
        {"2-bit grey", one_row(PNG_GREY, 2, {{1}, {2}, {0}, {3}}), "#.#."},
        // 16-bit samples count by their high byte (rounded, these would read ".#").
        {"16-bit colours", one_row(PNG_RGB, 16, {{0x76ff, 0x8fff, 0}, {0x77ff, 0x8f00, 0}}), "#."},
        // Luminance weights green most and blue least: 54, 182, 18, 121.6, 128.7, 236.
        {"colours", one_row(PNG_RGB, 8, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 170, 0},
                                                      {0, 180, 0}, {255, 255, 0}}), "#.##.."},
        // Black over white by alpha: 255 - alpha, so the threshold lies between 127 and 128.
        {"alpha", one_row(PNG_RGBA, 8, {{0, 0, 0, 0}, {0, 0, 0, 255}, {0, 0, 0, 127},
                                                         {0, 0, 0, 128}, {255, 255, 255, 255}}), ".#.#."},
        {"grey and alpha", one_row(PNG_GREY_ALPHA, 8, {{0, 200}, {0, 100}, {255, 0}}), "#.."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto items = read_puzzles(encode_png(c.image), "row.png", std::nullopt);
        const Puzzle* p = puzzle_of(items);
        ASSERT_TRUE(p) << where(items.at(0));
        std::vector<bool> line;
        for (const char* ch = c.filled; *ch; ++ch) line.push_back(*ch == '#');
        EXPECT_EQ(p->rows.at(0), runs(line)) << row_text(*p);
        for (std::size_t col = 0; col < line.size(); ++col)
            EXPECT_EQ(p->cols.at(col), line[col] ? std::vector<int>{1} : std::vector<int>{}) << "column " << col;
    }

    // A transparent key colour is empty however dark it is, in a palette and in grey.
    PngImage palette = one_row(PNG_PALETTE, 8, {{0}, {1}, {2}});
    palette.palette = {{0, 0, 0}, {0, 0, 0}, {255, 255, 255}};
    palette.palette_alpha = {0, 255};
    PngImage keyed = one_row(PNG_GREY, 8, {{0}, {1}, {200}});
    keyed.transparent = PngKey{};
    for (const PngImage& image : {palette, keyed}) {
        const auto items = read_puzzles(encode_png(image), "key.png", std::nullopt);
        const Puzzle* p = puzzle_of(items);
        ASSERT_TRUE(p) << where(items.at(0));
        EXPECT_EQ(p->cols, (std::vector<std::vector<int>>{{}, {1}, {}}));
    }
}

// A small valid PNG to damage: 5 x 4, interlaced, so that the cuts fall in every pass.
std::string small_png()
{
    Rng rng(7);
    return png_of(random_grid(rng, 4, 5, 0.5), {PNG_RGB, 8, false}, true, rng);
}

TEST(Pictures, RefusesEveryCutOfAPngAndSaysItIsTruncated)
{
    const std::string whole = small_png();
    ASSERT_TRUE(puzzle_of(read_puzzles(whole, "a.png", std::nullopt)));
    for (std::size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE("first " + std::to_string(size) + " of " + std::to_string(whole.size()) + " bytes");
        const char* expected = size == 0  ? "empty input"
                               : size < 8 ? "not a PNG picture (no PNG signature)"
                                          : "truncated PNG: the file ends before the picture does";
        expect_refused(whole.substr(0, size), "a.png", std::nullopt, expected);
    }
}

TEST(Pictures, RefusesPngsThatAreNoPuzzle)
{
    const std::string good = small_png();
    std::string bad_crc = good;
    bad_crc[20] = static_cast<char>(bad_crc[20] ^ 1);  // in the header's data: its CRC no longer fits
    std::string bad_data = good;
    // The first IDAT's data, its CRC made right again: the decoder must refuse it.
    const std::size_t idat = bad_data.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    const std::size_t length = (static_cast<unsigned char>(bad_data[idat - 2]) << 8) |
                               static_cast<unsigned char>(bad_data[idat - 1]);
    for (std::size_t i = idat + 4; i < idat + 4 + length; ++i) bad_data[i] = '\x55';
    fix_png_crc(bad_data, idat - 4);

    const auto sized = [](int width, int height) {
        PngImage image;
        image.width = width;
        image.height = height;
        image.samples.assign(static_cast<std::size_t>(height), std::vector<unsigned>(static_cast<std::size_t>(width), 0));
        return encode_png(image);
    };
    // A header that claims a huge picture, with no pixels behind it.
    std::string huge = sized(1, 1);
    huge[16] = '\x00', huge[17] = '\x01', huge[18] = '\x86', huge[19] = '\xa0';  // width 100000
    fix_png_crc(huge, 8);

    const struct {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"text", "P1\n1 1\n1\n", "not a PNG picture (no PNG signature)"},
        {"GIF", "GIF89a\x01\x00\x01\x00", "not a PNG picture (no PNG signature)"},
        {"damaged header", bad_crc, "damaged PNG: IHDR: CRC error"},
        {"damaged pixels", bad_data, "damaged PNG: "},
        {"129 wide", sized(129, 1), "the picture is 129 x 1 pixels: wider than a puzzle of 128 x 128 cells"},
        {"129 tall", sized(3, 129), "the picture is 3 x 129 pixels: taller than a puzzle of 128 x 128 cells"},
        {"both", sized(130, 140), "the picture is 130 x 140 pixels: wider and taller than a puzzle of 128 x 128 cells"},
        {"huge", huge, "the picture is 100000 x 1 pixels: wider than a puzzle of 128 x 128 cells"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expect_refused(c.bytes, "bad.png", std::nullopt, c.message);  // a PNG has no lines
    }
    // The largest picture is a puzzle.
    const auto full = read_puzzles(sized(128, 128), "full.png", std::nullopt);
    const Puzzle* largest = puzzle_of(full);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->rows, std::vector<std::vector<int>>(128, {128}));
}

TEST(Pictures, RefusesBadPbmsAtTheirLine)
{
    const struct {
        const char* what;
        std::string bytes;
        std::optional<int> line;
        const char* message;
    } cases[] = {
        {"empty", "", 1, "empty input"},
        {"not Netpbm", "P7\n1 1\n1\n", 1, "not a PBM picture (it does not start with P1 or P4)"},
        {"no space after P1", "P1x 1 1\n", 1, "not a PBM picture (it does not start with P1 or P4)"},
        {"greymap", "P5\n1 1\n255\n\x01", 1, "a PGM greymap (P5), not a PBM bitmap"},
        {"pixmap", "P3\n1 1\n255\n0 0 0\n", 1, "a PPM pixmap (P3), not a PBM bitmap"},
        {"width no number", "P1\n# size next\nx 3\n", 3, "width 'x' is not a number"},
        {"height no number", "P1\n2 -3\n", 2, "height '-3' is not a number"},
        {"no height", "P1\n3\n", 2, "the file ends before the height"},
        {"no width", "P4 # nothing else", 1, "the file ends before the width"},
        {"huge width", "P1\n12345678901 1\n", 2, "width '12345678901' is far more than 128 pixels"},
        {"zero width", "P1\n0 3\n", 2, "the picture is 0 x 3 pixels: it has no pixels"},
        {"wide", "P1\n129\n1\n", 3, "the picture is 129 x 1 pixels: wider than a puzzle of 128 x 128 cells"},
        {"tall", "P4\r\n1 129\r\n", 2, "the picture is 1 x 129 pixels: taller than a puzzle of 128 x 128 cells"},
        {"too few plain", "P1\n3 2\n1 0 1\n0 1\n", 4, "too few pixels: 3 x 2 needs 6, found 5"},
        {"too few, CRLF", "P1\r\n2 2\r\n1 0\r\n1\r\n", 4, "too few pixels: 2 x 2 needs 4, found 3"},
        {"too many plain", "P1\n2 1\n10\n\n1\n", 5, "more pixels than 2 x 1"},
        {"not a pixel", "P1\n2 1\n1 2\n", 3, "unexpected '2' among the pixels (only 0 and 1)"},
        {"binary among pixels", std::string("P1\n2 1\n1\0", 9), 3, "unexpected byte 0x00 among the pixels"},
        {"raw without pixels", "P4\n9 2", 2, "the file ends after the header, before the pixels"},
        {"raw, no space", "P4\n9 2#x", 2, "the file ends after the header, before the pixels"},
        {"raw too few", "P4\n9 2\n\xff\x80\xff", std::nullopt,
         "too few pixels: 9 x 2 pixels take 4 bytes after the header, found 3"},
        {"raw too many", "P4\n8 1\n\xffP4", std::nullopt, "2 bytes after the last row of 8 x 1 pixels"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expect_refused(c.bytes, "bad.pbm", c.line, c.message);
    }

    // What a PBM may hold besides its pixels: comments anywhere in the header (and among plain
    // pixels), any whitespace, a comment ending the raw header, whitespace after the last pixel.
    const struct {
        std::string bytes;
        std::vector<std::vector<int>> rows;
    } good[] = {
        {"P1 # a\n#b\n 3#c\n2\n1# d\n01 0 # e\n1\n0\n\n", {{1, 1}, {1}}},
        {"P1\t2\v1\f10", {{1}}},
        {"P4 3 2# comment\n\xa0\x40\n \n", {{1, 1}, {1}}},
    };
    for (const auto& g : good) {
        const auto items = read_puzzles(g.bytes, "good.pbm", std::nullopt);
        const Puzzle* p = puzzle_of(items);
        ASSERT_TRUE(p) << g.bytes << ": " << where(items.at(0));
        EXPECT_EQ(p->rows, g.rows) << g.bytes;
    }
}

TEST(Pictures, NameBeatsSignatureAndFormatBeatsBoth)
{
    const std::string pbm = "P1\n1 1\n1\n";
    const std::string png = small_png();
    EXPECT_EQ(format_from_signature(png), Format::png);
    EXPECT_EQ(format_from_signature(pbm), Format::pbm);
    EXPECT_EQ(format_from_signature("P4\n"), Format::pbm);
    EXPECT_EQ(format_from_signature("P6 "), Format::pbm);  // its reader says what it is
    EXPECT_EQ(format_from_signature("P1"), std::nullopt);
    EXPECT_EQ(format_from_signature("P7 1 1"), std::nullopt);
    EXPECT_EQ(format_from_signature("Pure text"), std::nullopt);
    EXPECT_EQ(format_from_name("a/B.PNG"), Format::png);
    EXPECT_EQ(format_from_name("a.pbm"), Format::pbm);

    EXPECT_TRUE(puzzle_of(read_puzzles(pbm, "clues.dat", std::nullopt)));
    EXPECT_TRUE(puzzle_of(read_puzzles(png, "-", std::nullopt)));
    EXPECT_TRUE(puzzle_of(read_puzzles(png, "drawing.txt", Format::png)));
    // A picture under a text format's name is binary data there, and the other way round.
    const auto as_text = read_puzzles(png, "drawing.non", std::nullopt);
    ASSERT_FALSE(puzzle_of(as_text));
    EXPECT_NE(std::get<ReadError>(as_text[0]).what.find("binary data"), std::string::npos);
    const auto as_png = read_puzzles(pbm, "x", Format::png);
    ASSERT_FALSE(puzzle_of(as_png));
    EXPECT_EQ(std::get<ReadError>(as_png[0]).what, "not a PNG picture (no PNG signature)");
}

}  // namespace
