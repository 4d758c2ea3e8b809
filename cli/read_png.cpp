// Reader for PNG pictures, through libpng: every colour type and bit depth, interlaced or not.
//
// Every pixel is turned into 8-bit red, green, blue and alpha, as stored (no gamma
// correction), and is filled when it is dark as it would show on a white page: its
// luminance 0.2126 R + 0.7152 G + 0.0722 B, laid over white by its alpha, below one half.
// A transparent pixel is therefore empty, whatever its colour.
//
// libpng reports errors by a longjmp to the setjmp in decode(). Only plain data lives in
// the frames it jumps over (decode() and the callbacks below): no C++ object is skipped
// without its destructor, and decode() frees libpng's structures on either way out.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "readers.h"
#include "size_limits.h"

namespace {

// What decode() works with, plain data only.
struct Decoding {
    const unsigned char* data;
    std::size_t size;
    std::size_t at;               // bytes handed to libpng so far
    bool truncated;               // libpng asked for bytes past the end
    char message[160];            // why decoding failed
    png_uint_32 width;            // as the header says
    png_uint_32 height;
    png_byte rgba[TOOL_MAX_LINES][TOOL_MAX_LINES * 4];
};

void on_error(png_structp png, png_const_charp message)
{
    auto* d = static_cast<Decoding*>(png_get_error_ptr(png));
    std::snprintf(d->message, sizeof d->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (a damaged ancillary chunk, say) leave the picture readable: it is read.
void on_warning(png_structp, png_const_charp) {}

void on_read(png_structp png, png_bytep out, png_size_t length)
{
    auto* d = static_cast<Decoding*>(png_get_io_ptr(png));
    if (length > d->size - d->at) {
        d->truncated = true;
        png_error(png, "the file ends early");
    }
    std::memcpy(out, d->data + d->at, length);
    d->at += length;
}

enum class Decoded { picture, too_large, failed };

Decoded decode(Decoding& d)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, on_error, on_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(d.message, sizeof d.message, "out of memory");
        return Decoded::failed;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return Decoded::failed;
    }
#ifdef OMBRASEL_FUZZING
    // Mutated bytes rarely keep their checksums right; the fuzzer wants the code behind them.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    // The size is checked here, not by libpng's own limits, so that it is told in our words.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_read_fn(png, &d, on_read);
    png_read_info(png, info);
    d.width = png_get_image_width(png, info);
    d.height = png_get_image_height(png, info);
    if (d.width > TOOL_MAX_LINES || d.height > TOOL_MAX_LINES) {
        png_destroy_read_struct(&png, &info, nullptr);
        return Decoded::too_large;
    }

    png_set_expand(png);      // palette to RGB, grey under 8 bits to 8, tRNS to alpha
    png_set_strip_16(png);    // the high byte: below half stays below half
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);  // no effect where there is alpha already
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != d.width * 4)
        png_error(png, "unexpected row size after conversion to RGBA");
    png_bytep rows[TOOL_MAX_LINES];
    for (png_uint_32 r = 0; r < d.height; ++r) rows[r] = d.rgba[r];
    png_read_image(png, rows);
    png_read_end(png, nullptr);  // a file cut after its last row still lacks its end
    png_destroy_read_struct(&png, &info, nullptr);
    return Decoded::picture;
}

bool is_dark(const png_byte* rgba)
{
    // Luminance times 10,000, over white by alpha, against half of 255 times 10,000.
    const long luminance = 2126L * rgba[0] + 7152L * rgba[1] + 722L * rgba[2];
    const long alpha = rgba[3];
    return 2 * (alpha * luminance + (255 - alpha) * 255L * 10000) < 255L * 255 * 10000;
}

}  // namespace

std::vector<ReadItem> read_png(std::string_view bytes, const std::string& file)
{
    const auto fail = [](std::string what) -> std::vector<ReadItem> {
        return {ReadError{std::nullopt, std::move(what)}};
    };
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0)
        return fail(bytes.empty() ? "empty input" : "not a PNG picture (no PNG signature)");

    Decoding d{};
    d.data = reinterpret_cast<const unsigned char*>(bytes.data());
    d.size = bytes.size();
    const Decoded decoded = decode(d);
    if (decoded == Decoded::failed) {
        if (d.truncated) return fail("truncated PNG: the file ends before the picture does");
        return fail(std::string("damaged PNG: ") + d.message);
    }
    if (decoded == Decoded::too_large) return fail(*picture_size_problem(d.width, d.height));

    Picture picture(static_cast<int>(d.width), static_cast<int>(d.height));
    for (int r = 0; r < picture.height; ++r)
        for (int c = 0; c < picture.width; ++c) picture.filled[picture.cell(r, c)] = is_dark(&d.rgba[r][c * 4]);
    return {puzzle_of_picture(picture, file)};
}
