// Pictures for the tests: random black-and-white grids, written as PNG of every colour type
// and bit depth and as plain and raw PBM. The PNG files are written here, with the pixels in
// stored (uncompressed) deflate blocks, so that every platform's decoder is given the same bytes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using Grid = std::vector<std::vector<bool>>;  // [row][column], true: filled

// A seeded source of random choices; its sequence is the same on every platform.
struct Rng {
    std::mt19937_64 engine;
    explicit Rng(std::uint64_t seed) : engine(seed) {}
    int below(int n) { return static_cast<int>(engine() % static_cast<std::uint64_t>(n)); }
    double unit() { return static_cast<double>(engine() >> 11) / 9007199254740992.0; }  // [0, 1)
    bool chance(double p) { return unit() < p; }
};

inline Grid random_grid(Rng& rng, int height, int width, double density)
{
    Grid grid(height, std::vector<bool>(width));
    for (auto& row : grid)
        for (std::size_t c = 0; c < row.size(); ++c) row[c] = rng.chance(density);
    return grid;
}

// The runs of filled cells along a line, counted here independently of the readers.
inline std::vector<int> runs(const std::vector<bool>& line)
{
    std::vector<int> clue;
    int run = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i]) {
            ++run;
        } else if (run) {
            clue.push_back(run);
            run = 0;
        }
    }
    return clue;
}

inline std::vector<std::vector<int>> row_clues(const Grid& grid)
{
    std::vector<std::vector<int>> clues;
    for (const auto& row : grid) clues.push_back(runs(row));
    return clues;
}

inline std::vector<std::vector<int>> column_clues(const Grid& grid)
{
    std::vector<std::vector<int>> clues;
    for (std::size_t c = 0; c < grid[0].size(); ++c) {
        std::vector<bool> column;
        for (const auto& row : grid) column.push_back(row[c]);
        clues.push_back(runs(column));
    }
    return clues;
}

// ---- PNG ----------------------------------------------------------------------------

// Colour types, as the header numbers them.
constexpr int PNG_GREY = 0;
constexpr int PNG_RGB = 2;
constexpr int PNG_PALETTE = 3;
constexpr int PNG_GREY_ALPHA = 4;
constexpr int PNG_RGBA = 6;

struct PngColour {
    unsigned char red, green, blue;
};

// The transparent colour of a grey or RGB picture.
struct PngKey {
    unsigned grey = 0, red = 0, green = 0, blue = 0;
};

// A PNG to be written: its samples a row, width times the colour type's channels each,
// or palette indices.
struct PngImage {
    int width = 0;
    int height = 0;
    int color_type = PNG_GREY;
    int bit_depth = 8;
    bool interlaced = false;
    std::vector<std::vector<unsigned>> samples;
    std::vector<PngColour> palette;
    std::vector<unsigned char> palette_alpha;  // tRNS of a palette picture
    std::optional<PngKey> transparent;         // tRNS of a grey or RGB picture
};

inline int channels_of(int color_type)
{
    switch (color_type) {
    case PNG_GREY_ALPHA: return 2;
    case PNG_RGB: return 3;
    case PNG_RGBA: return 4;
    default: return 1;
    }
}

inline std::uint32_t png_crc(std::string_view bytes)
{
    std::uint32_t c = 0xffffffffu;
    for (const char ch : bytes) {
        c ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xffffffffu;
}

inline void put32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xff);
}

// Sets the CRC of the chunk whose length field is at `at` to fit its type and data.
inline void fix_png_crc(std::string& png, std::size_t at)
{
    const std::size_t length = (static_cast<std::size_t>(static_cast<unsigned char>(png[at])) << 24) |
                               (static_cast<std::size_t>(static_cast<unsigned char>(png[at + 1])) << 16) |
                               (static_cast<std::size_t>(static_cast<unsigned char>(png[at + 2])) << 8) |
                               static_cast<unsigned char>(png[at + 3]);
    std::string crc;
    put32(crc, png_crc(std::string_view(png).substr(at + 4, length + 4)));
    png.replace(at + 8 + length, 4, crc);
}

inline void put_chunk(std::string& out, const char* type, const std::string& data)
{
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t at = out.size();
    out += type;
    out += data;
    put32(out, png_crc(std::string_view(out).substr(at)));
}

// The rows of the picture (or of each Adam7 pass), each after filter byte 0.
inline std::string png_scanlines(const PngImage& image)
{
    const int channels = channels_of(image.color_type);
    const auto row = [&](int y, int x0, int dx) {
        std::string out(1, '\0');
        unsigned bits = 0;
        int used = 0;
        for (int x = x0; x < image.width; x += dx)
            for (int k = 0; k < channels; ++k) {
                const unsigned v = image.samples[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * channels + k)];
                if (image.bit_depth == 16) {
                    out += static_cast<char>(v >> 8);
                    out += static_cast<char>(v & 0xff);
                } else if (image.bit_depth == 8) {
                    out += static_cast<char>(v);
                } else {
                    bits = (bits << image.bit_depth) | v;
                    used += image.bit_depth;
                    if (used == 8) {
                        out += static_cast<char>(bits);
                        bits = 0;
                        used = 0;
                    }
                }
            }
        if (used) out += static_cast<char>(bits << (8 - used));
        return out;
    };
    std::string data;
    if (!image.interlaced) {
        for (int y = 0; y < image.height; ++y) data += row(y, 0, 1);
        return data;
    }
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                              {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};  // x0, y0, dx, dy
    for (const auto& p : passes) {
        if (p[0] >= image.width || p[1] >= image.height) continue;  // an empty pass has no rows
        for (int y = p[1]; y < image.height; y += p[3]) data += row(y, p[0], p[2]);
    }
    return data;
}

// data as a zlib stream of stored deflate blocks.
inline std::string stored_zlib(const std::string& data)
{
    std::string out = "\x78\x01";
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(65535, data.size() - at);
        out += static_cast<char>(at + n == data.size() ? 1 : 0);
        out += static_cast<char>(n & 0xff);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(~n & 0xff);
        out += static_cast<char>((~n >> 8) & 0xff);
        out.append(data, at, n);
        at += n;
    } while (at < data.size());
    std::uint32_t a = 1, b = 0;
    for (const char ch : data) {
        a = (a + static_cast<unsigned char>(ch)) % 65521;
        b = (b + a) % 65521;
    }
    put32(out, (b << 16) | a);
    return out;
}

inline std::string encode_png(const PngImage& image)
{
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    put32(header, static_cast<std::uint32_t>(image.width));
    put32(header, static_cast<std::uint32_t>(image.height));
    header += static_cast<char>(image.bit_depth);
    header += static_cast<char>(image.color_type);
    header += std::string(2, '\0');  // deflate, adaptive filtering
    header += static_cast<char>(image.interlaced ? 1 : 0);
    put_chunk(png, "IHDR", header);
    if (!image.palette.empty()) {
        std::string plte;
        for (const PngColour& c : image.palette) plte += {static_cast<char>(c.red), static_cast<char>(c.green), static_cast<char>(c.blue)};
        put_chunk(png, "PLTE", plte);
    }
    if (!image.palette_alpha.empty())
        put_chunk(png, "tRNS", std::string(image.palette_alpha.begin(), image.palette_alpha.end()));
    if (image.transparent) {
        std::string key;
        const auto put16 = [&](unsigned v) { key += {static_cast<char>(v >> 8), static_cast<char>(v & 0xff)}; };
        if (image.color_type == PNG_GREY) {
            put16(image.transparent->grey);
        } else {
            put16(image.transparent->red);
            put16(image.transparent->green);
            put16(image.transparent->blue);
        }
        put_chunk(png, "tRNS", key);
    }
    // Two IDAT chunks where there is enough for two, as encoders split them.
    const std::string stream = stored_zlib(png_scanlines(image));
    const std::size_t half = stream.size() > 64 ? stream.size() / 2 : stream.size();
    put_chunk(png, "IDAT", stream.substr(0, half));
    if (half < stream.size()) put_chunk(png, "IDAT", stream.substr(half));
    put_chunk(png, "IEND", "");
    return png;
}

// How dark a colour shows on white, as the tool is to judge it: luminance of the stored
// values scaled to [0, 1], laid over white by alpha.
inline double shown_luminance(double r, double g, double b, double alpha)
{
    return alpha * (0.2126 * r + 0.7152 * g + 0.0722 * b) + (1 - alpha);
}

// The legal colour types and bit depths, and whether a tRNS chunk is added.
struct PngKind {
    int color_type;
    int bit_depth;
    bool trns;
};

inline const std::vector<PngKind>& png_kinds()
{
    static const std::vector<PngKind> kinds = {
        {PNG_GREY, 1, false},       {PNG_GREY, 2, false},    {PNG_GREY, 4, false},
        {PNG_GREY, 8, false},       {PNG_GREY, 16, false},   {PNG_GREY, 8, true},
        {PNG_GREY, 16, true},       {PNG_GREY_ALPHA, 8, false}, {PNG_GREY_ALPHA, 16, false},
        {PNG_RGB, 8, false},        {PNG_RGB, 16, false},    {PNG_RGB, 8, true},
        {PNG_RGBA, 8, false},       {PNG_RGBA, 16, false},   {PNG_PALETTE, 1, false},
        {PNG_PALETTE, 2, true},     {PNG_PALETTE, 4, false}, {PNG_PALETTE, 8, true},
    };
    return kinds;
}

// The grid as a PNG of the given kind, each cell a random colour that is clearly dark for a
// filled cell and clearly light for an empty one (at least 0.02 from the threshold).
inline std::string png_of(const Grid& grid, const PngKind& kind, bool interlaced, Rng& rng)
{
    PngImage image;
    image.height = static_cast<int>(grid.size());
    image.width = static_cast<int>(grid[0].size());
    image.color_type = kind.color_type;
    image.bit_depth = kind.bit_depth;
    image.interlaced = interlaced;
    const unsigned top = (1u << kind.bit_depth) - 1;
    const int channels = channels_of(kind.color_type);
    const bool has_alpha = channels == 2 || channels == 4;
    const auto scaled = [&](unsigned v) { return static_cast<double>(v) / top; };

    // Palette entries, or the tRNS key: random, with both kinds of entry present.
    std::vector<bool> entry_dark;
    if (kind.color_type == PNG_PALETTE) {
        const int entries = 2 + rng.below(static_cast<int>(top));  // 2 to 2^depth
        do {
            image.palette.clear();
            image.palette_alpha.clear();
            entry_dark.clear();
            while (static_cast<int>(entry_dark.size()) < entries) {
                const PngColour colour{static_cast<unsigned char>(rng.below(256)),
                                       static_cast<unsigned char>(rng.below(256)),
                                       static_cast<unsigned char>(rng.below(256))};
                const int alpha = kind.trns ? (rng.chance(0.3) ? 0 : rng.below(256)) : 255;
                const double shown = shown_luminance(colour.red / 255.0, colour.green / 255.0,
                                                     colour.blue / 255.0, alpha / 255.0);
                if (std::abs(shown - 0.5) < 0.02) continue;
                image.palette.push_back(colour);
                if (kind.trns) image.palette_alpha.push_back(static_cast<unsigned char>(alpha));
                entry_dark.push_back(shown < 0.5);
            }
        } while (std::count(entry_dark.begin(), entry_dark.end(), true) % entries == 0);  // both kinds
    }
    std::vector<unsigned> key;  // the transparent colour of a tRNS grey or RGB picture
    if (kind.trns && kind.color_type != PNG_PALETTE) {
        // A dark key: its pixels look black to a reader that ignores transparency.
        const unsigned dark = static_cast<unsigned>(rng.below(static_cast<int>(top / 4)));
        image.transparent = PngKey{dark, dark, dark, dark};
        key.assign(static_cast<std::size_t>(channels), dark);
    }

    for (const auto& line : grid) {
        std::vector<unsigned> samples;
        for (const bool filled : line) {
            if (kind.color_type == PNG_PALETTE) {
                int i;
                do i = rng.below(static_cast<int>(entry_dark.size()));
                while (entry_dark[i] != filled);
                samples.push_back(static_cast<unsigned>(i));
                continue;
            }
            while (true) {
                std::vector<unsigned> pixel(static_cast<std::size_t>(channels));
                for (unsigned& v : pixel) v = static_cast<unsigned>(rng.below(static_cast<int>(top) + 1));
                // Often the extremes, so that low bit depths and keys are met.
                if (rng.chance(0.2)) pixel.assign(pixel.size(), filled ? 0 : top);
                if (has_alpha && rng.chance(0.3)) pixel.back() = rng.chance(0.5) ? 0 : top;
                if (!key.empty() && !filled && rng.chance(0.3)) pixel = key;
                double shown;
                if (!key.empty() && pixel == key) {
                    shown = 1;  // transparent
                } else if (channels <= 2) {
                    shown = shown_luminance(scaled(pixel[0]), scaled(pixel[0]), scaled(pixel[0]),
                                            has_alpha ? scaled(pixel[1]) : 1);
                } else {
                    shown = shown_luminance(scaled(pixel[0]), scaled(pixel[1]), scaled(pixel[2]),
                                            has_alpha ? scaled(pixel[3]) : 1);
                }
                if (std::abs(shown - 0.5) >= 0.02 && (shown < 0.5) == filled) {
                    samples.insert(samples.end(), pixel.begin(), pixel.end());
                    break;
                }
            }
        }
        image.samples.push_back(samples);
    }
    return encode_png(image);
}

// ---- PBM ----------------------------------------------------------------------------

// The grid as a plain PBM, its whitespace, line breaks and comments laid out at random.
inline std::string plain_pbm_of(const Grid& grid, Rng& rng)
{
    const char* const spaces[] = {" ", "\n", "\t", "\r\n", "  ", "\n# a comment\n"};
    const auto space = [&]() { return std::string(spaces[rng.below(6)]); };
    std::string text = "P1" + space() + std::to_string(grid[0].size()) + space() + std::to_string(grid.size()) +
                       space();
    for (const auto& row : grid)
        for (const bool filled : row) {
            text += rng.chance(0.5) ? space() : std::string(rng.chance(0.9) ? "" : "\n");
            text += filled ? '1' : '0';
        }
    if (rng.chance(0.5)) text += '\n';
    return text;
}

// The grid as a raw PBM; the unused bits at the end of each row are random.
inline std::string raw_pbm_of(const Grid& grid, Rng& rng)
{
    const std::size_t width = grid[0].size();
    std::string bytes = "P4\n";
    if (rng.chance(0.3)) bytes += "# made by the tests\n";
    bytes += std::to_string(width) + (rng.chance(0.5) ? " " : "\n") + std::to_string(grid.size()) + "\n";
    for (const auto& row : grid)
        for (std::size_t start = 0; start < width; start += 8) {
            unsigned byte = static_cast<unsigned>(rng.below(256));
            for (std::size_t bit = 0; bit < 8 && start + bit < width; ++bit) {
                const unsigned mask = 0x80u >> bit;
                byte = row[start + bit] ? byte | mask : byte & ~mask;
            }
            bytes += static_cast<char>(byte);
        }
    return bytes;
}
