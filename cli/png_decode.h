// Between the PNG reader and the platform's PNG decoder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "size_limits.h"

// Plain data only: libpng's decoder longjmps over the frames that hold it.
struct PngDecoding {
    std::uint32_t width;   // as the header says
    std::uint32_t height;
    bool truncated;        // the file ends before the picture does
    char message[160];     // why decoding failed, when not for the end of the file
    // Every pixel as 8-bit red, green, blue and alpha as stored: no gamma correction, 16-bit
    // samples cut to their high byte, a tRNS colour or index made transparent.
    unsigned char rgba[TOOL_MAX_LINES][TOOL_MAX_LINES * 4];
};

enum class PngDecoded { picture, too_large, failed };

// Decodes a PNG whose signature has been checked. The size is told (too_large) before any
// pixel is decoded when the picture is wider or taller than TOOL_MAX_LINES.
PngDecoded decode_png(const unsigned char* data, std::size_t size, PngDecoding& d);
