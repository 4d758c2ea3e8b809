// Pictures for the tests: random black-and-white grids, written as PNG of every colour type
// and bit depth and as plain and raw PBM, and PNG files read back as RGBA pixels.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
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

// A PNG to be written: its samples a row, width times the colour type's channels each,
// or palette indices.
struct PngImage {
    int width = 0;
    int height = 0;
    int color_type = PNG_COLOR_TYPE_GRAY;
    int bit_depth = 8;
    bool interlaced = false;
    std::vector<std::vector<unsigned>> samples;
    std::vector<png_color> palette;
    std::vector<png_byte> palette_alpha;      // tRNS of a palette picture
    std::optional<png_color_16> transparent;  // tRNS of a grey or RGB picture
};

inline int channels_of(int color_type)
{
    switch (color_type) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

// Any libpng error here is a fault of the test itself.
inline void png_test_error(png_structp, png_const_charp message)
{
    std::fprintf(stderr, "libpng, writing a test picture: %s\n", message);
    std::abort();
}

inline void png_append(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

inline std::string encode_png(const PngImage& image)
{
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_test_error, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &bytes, png_append, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 image.bit_depth, image.color_type,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
    if (!image.palette_alpha.empty())
        png_set_tRNS(png, info, image.palette_alpha.data(), static_cast<int>(image.palette_alpha.size()), nullptr);
    if (image.transparent) png_set_tRNS(png, info, nullptr, 0, &*image.transparent);
    png_write_info(png, info);

    std::vector<std::vector<png_byte>> rows;
    for (const auto& samples : image.samples) {
        std::vector<png_byte> row;
        unsigned bits = 0;
        int used = 0;
        for (const unsigned v : samples) {
            if (image.bit_depth == 16) {
                row.push_back(static_cast<png_byte>(v >> 8));
                row.push_back(static_cast<png_byte>(v & 0xff));
            } else if (image.bit_depth == 8) {
                row.push_back(static_cast<png_byte>(v));
            } else {
                bits = (bits << image.bit_depth) | v;
                used += image.bit_depth;
                if (used == 8) {
                    row.push_back(static_cast<png_byte>(bits));
                    bits = 0;
                    used = 0;
                }
            }
        }
        if (used) row.push_back(static_cast<png_byte>(bits << (8 - used)));
        rows.push_back(row);
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows) pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
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
        {PNG_COLOR_TYPE_GRAY, 1, false},      {PNG_COLOR_TYPE_GRAY, 2, false},
        {PNG_COLOR_TYPE_GRAY, 4, false},      {PNG_COLOR_TYPE_GRAY, 8, false},
        {PNG_COLOR_TYPE_GRAY, 16, false},     {PNG_COLOR_TYPE_GRAY, 8, true},
        {PNG_COLOR_TYPE_GRAY, 16, true},      {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false}, {PNG_COLOR_TYPE_RGB, 8, false},
        {PNG_COLOR_TYPE_RGB, 16, false},      {PNG_COLOR_TYPE_RGB, 8, true},
        {PNG_COLOR_TYPE_RGB_ALPHA, 8, false}, {PNG_COLOR_TYPE_RGB_ALPHA, 16, false},
        {PNG_COLOR_TYPE_PALETTE, 1, false},   {PNG_COLOR_TYPE_PALETTE, 2, true},
        {PNG_COLOR_TYPE_PALETTE, 4, false},   {PNG_COLOR_TYPE_PALETTE, 8, true},
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
    if (kind.color_type == PNG_COLOR_TYPE_PALETTE) {
        const int entries = 2 + rng.below(static_cast<int>(top));  // 2 to 2^depth
        do {
            image.palette.clear();
            image.palette_alpha.clear();
            entry_dark.clear();
            while (static_cast<int>(entry_dark.size()) < entries) {
                const png_color colour{static_cast<png_byte>(rng.below(256)), static_cast<png_byte>(rng.below(256)),
                                       static_cast<png_byte>(rng.below(256))};
                const int alpha = kind.trns ? (rng.chance(0.3) ? 0 : rng.below(256)) : 255;
                const double shown = shown_luminance(colour.red / 255.0, colour.green / 255.0,
                                                     colour.blue / 255.0, alpha / 255.0);
                if (std::abs(shown - 0.5) < 0.02) continue;
                image.palette.push_back(colour);
                if (kind.trns) image.palette_alpha.push_back(static_cast<png_byte>(alpha));
                entry_dark.push_back(shown < 0.5);
            }
        } while (std::count(entry_dark.begin(), entry_dark.end(), true) % entries == 0);  // both kinds
    }
    std::vector<unsigned> key;  // the transparent colour of a tRNS grey or RGB picture
    if (kind.trns && kind.color_type != PNG_COLOR_TYPE_PALETTE) {
        png_color_16 t{};
        // A dark key: its pixels look black to a reader that ignores transparency.
        const unsigned dark = static_cast<unsigned>(rng.below(static_cast<int>(top / 4)));
        t.gray = t.red = t.green = t.blue = static_cast<png_uint_16>(dark);
        image.transparent = t;
        key.assign(static_cast<std::size_t>(channels), dark);
    }

    for (const auto& line : grid) {
        std::vector<unsigned> samples;
        for (const bool filled : line) {
            if (kind.color_type == PNG_COLOR_TYPE_PALETTE) {
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

// ---- reading a rendered picture -----------------------------------------------------

struct Rgba {
    int width = 0;
    int height = 0;
    std::vector<png_byte> pixels;  // four bytes a pixel, row by row
    const png_byte* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// Reads any PNG file as 8-bit RGBA; width 0 when it cannot.
inline Rgba read_rgba(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Rgba out;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGBA;
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) return out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    return out;
}
