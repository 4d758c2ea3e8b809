// PNG pictures decoded by libpng: every colour type and bit depth, interlaced or not.
//
// libpng reports errors by a longjmp to the setjmp in decode_png(). Only plain data lives in
// the frames it jumps over (decode_png() and the callbacks below): no C++ object is skipped
// without its destructor, and decode_png() frees libpng's structures on either way out.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "png_decode.h"

namespace {

struct Source {
    const unsigned char* data;
    std::size_t size;
    std::size_t at;  // bytes handed to libpng so far
    PngDecoding* d;
};

void on_error(png_structp png, png_const_charp message)
{
    auto* s = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(s->d->message, sizeof s->d->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (a damaged ancillary chunk, say) leave the picture readable: it is read.
void on_warning(png_structp, png_const_charp) {}

void on_read(png_structp png, png_bytep out, png_size_t length)
{
    auto* s = static_cast<Source*>(png_get_io_ptr(png));
    if (length > s->size - s->at) {
        s->d->truncated = true;
        png_error(png, "the file ends early");
    }
    std::memcpy(out, s->data + s->at, length);
    s->at += length;
}

}  // namespace

PngDecoded decode_png(const unsigned char* data, std::size_t size, PngDecoding& d)
{
    Source s{data, size, 0, &d};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, on_error, on_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(d.message, sizeof d.message, "out of memory");
        return PngDecoded::failed;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return PngDecoded::failed;
    }
#ifdef OMBRASEL_FUZZING
    // Mutated bytes rarely keep their checksums right; the fuzzer wants the code behind them.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    // The size is checked here, not by libpng's own limits, so that it is told in our words.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_read_fn(png, &s, on_read);
    png_read_info(png, info);
    d.width = png_get_image_width(png, info);
    d.height = png_get_image_height(png, info);
    if (d.width > TOOL_MAX_LINES || d.height > TOOL_MAX_LINES) {
        png_destroy_read_struct(&png, &info, nullptr);
        return PngDecoded::too_large;
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
    return PngDecoded::picture;
}
