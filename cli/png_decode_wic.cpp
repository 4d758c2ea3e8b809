// PNG pictures decoded by the Windows Imaging Component.
//
// The file's chunks are walked here first, as libpng reads them elsewhere, so that the same
// files are refused alike on every platform and before WIC sees them: a file that ends early is
// truncated, a critical chunk whose CRC does not fit is damaged, and the size is told from the
// header before any pixel is decoded. WIC then decodes the pixels to 8-bit RGBA. 16-bit samples
// are cut to their high byte here rather than rounded by the format converter, and a tRNS
// colour that the decoder leaves opaque is made transparent here, as libpng does both.
#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "png_decode.h"
#include "windows_com.h"

namespace {

std::uint32_t be32(const unsigned char* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint32_t crc32(const unsigned char* p, std::size_t n)
{
    static const auto table = [] {
        struct Table {
            std::uint32_t entry[256];
        } t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t.entry[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xffffffffu;
    for (std::size_t i = 0; i < n; ++i) c = table.entry[(c ^ p[i]) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int depth = 0;
    int colour_type = 0;
};

bool valid(const Header& h, const unsigned char* ihdr)
{
    constexpr std::uint32_t most = 0x7fffffffu;
    if (h.width == 0 || h.height == 0 || h.width > most || h.height > most) return false;
    if (ihdr[10] != 0 || ihdr[11] != 0 || ihdr[12] > 1) return false;  // compression, filter, interlace
    switch (h.colour_type) {
    case 0: return h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8 || h.depth == 16;
    case 3: return h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8;
    case 2:
    case 4:
    case 6: return h.depth == 8 || h.depth == 16;
    default: return false;
    }
}

// The chunks as libpng meets them: those up to the first IDAT's length and type before the
// size is known, the rest after.
struct Walk {
    bool failed = false;
    bool before_pixels = false;  // the failure lies where the size is not known yet
    Header header;
    bool key = false;  // a tRNS colour for grey or RGB
    std::uint16_t key_samples[3] = {};
};

Walk walk_chunks(const unsigned char* data, std::size_t size, PngDecoding& d)
{
    Walk w;
    bool pixels = false;  // the first IDAT has begun
    const auto fail = [&](bool truncated, const char* what) {
        w.failed = true;
        w.before_pixels = !pixels;
        d.truncated = truncated;
        std::snprintf(d.message, sizeof d.message, "%s", what);
        return w;
    };
    std::size_t at = 8;
    for (bool first = true;; first = false) {
        if (size - at < 8) return fail(true, "");
        const std::uint32_t length = be32(data + at);
        char type[5] = {};
        std::memcpy(type, data + at + 4, 4);
        if (length > 0x7fffffffu) return fail(false, "PNG unsigned integer out of range");
        if (first && std::strcmp(type, "IHDR") != 0) return fail(false, "missing IHDR");
        const bool idat = std::strcmp(type, "IDAT") == 0;
        if (idat) pixels = true;
        if (size - at - 8 < std::size_t{length} + 4) return fail(true, "");
        const unsigned char* body = data + at + 8;
        const bool critical = (type[0] & 0x20) == 0;
        if (crc32(data + at + 4, length + 4) != be32(body + length)) {
            if (critical) {
                char what[32];
                std::snprintf(what, sizeof what, "%s: CRC error", type);
                return fail(false, what);
            }
        } else if (std::strcmp(type, "IHDR") == 0) {
            if (length != 13) return fail(false, "IHDR: invalid");
            w.header = {be32(body), be32(body + 4), body[8], body[9]};
            if (!valid(w.header, body)) return fail(false, "invalid IHDR data");
        } else if (std::strcmp(type, "tRNS") == 0 && !pixels) {
            const int samples = w.header.colour_type == 0 ? 1 : w.header.colour_type == 2 ? 3 : 0;
            if (samples && length == 2u * samples) {
                w.key = true;
                for (int k = 0; k < samples; ++k)
                    w.key_samples[k] = static_cast<std::uint16_t>((body[2 * k] << 8) | body[2 * k + 1]);
            }
        } else if (std::strcmp(type, "IEND") == 0) {
            if (!pixels) return fail(false, "no image data before IEND");
            return w;
        }
        at += 12 + std::size_t{length};
    }
}

bool failed(HRESULT hr, const char* step, PngDecoding& d)
{
    if (SUCCEEDED(hr)) return false;
    std::snprintf(d.message, sizeof d.message, "%s: %s", step, hresult_text(hr).c_str());
    return true;
}

// The decoder's own formats that hold 16-bit samples: copied as they are (little-endian) and
// cut to their high byte here.
int wide_channels(const WICPixelFormatGUID& format)
{
    if (IsEqualGUID(format, GUID_WICPixelFormat16bppGray)) return 1;
    if (IsEqualGUID(format, GUID_WICPixelFormat48bppRGB)) return 3;
    if (IsEqualGUID(format, GUID_WICPixelFormat64bppRGBA)) return 4;
    return 0;
}

bool opaque_format(const WICPixelFormatGUID& format)
{
    for (const GUID* g : {&GUID_WICPixelFormatBlackWhite, &GUID_WICPixelFormat2bppGray, &GUID_WICPixelFormat4bppGray,
                          &GUID_WICPixelFormat8bppGray, &GUID_WICPixelFormat16bppGray, &GUID_WICPixelFormat24bppBGR,
                          &GUID_WICPixelFormat24bppRGB, &GUID_WICPixelFormat48bppRGB})
        if (IsEqualGUID(format, *g)) return true;
    return false;
}

PngDecoded decode_pixels(const unsigned char* data, std::size_t size, const Walk& w, PngDecoding& d)
{
    ComScope com;
    if (!com.usable()) {
        std::snprintf(d.message, sizeof d.message, "COM: %s", hresult_text(com.result()).c_str());
        return PngDecoded::failed;
    }
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    if (failed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.put_void()),
               "WIC", d) ||
        failed(factory->CreateStream(stream.put()), "stream", d) ||
        failed(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)), "stream", d) ||
        failed(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, decoder.put()), "decoder", d) ||
        failed(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand), "decoder", d) ||
        failed(decoder->GetFrame(0, frame.put()), "frame", d))
        return PngDecoded::failed;
    UINT width = 0, height = 0;
    WICPixelFormatGUID format{};
    if (failed(frame->GetSize(&width, &height), "frame", d) || failed(frame->GetPixelFormat(&format), "frame", d))
        return PngDecoded::failed;
    if (width != d.width || height != d.height) {
        std::snprintf(d.message, sizeof d.message, "WIC reads %u x %u pixels", width, height);
        return PngDecoded::failed;
    }

    // The samples as stored, before they are cut to 8 bits, where the key is compared.
    const int wide = w.header.depth == 16 ? wide_channels(format) : 0;
    if (wide) {
        std::vector<unsigned short> buffer(std::size_t{width} * height * static_cast<std::size_t>(wide));
        const unsigned short* samples = buffer.data();
        const UINT stride = width * static_cast<UINT>(wide) * 2;
        if (failed(frame->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(buffer.data())), "pixels", d))
            return PngDecoded::failed;
        for (UINT r = 0; r < height; ++r)
            for (UINT c = 0; c < width; ++c) {
                const unsigned short* s = samples + (std::size_t{r} * width + c) * static_cast<std::size_t>(wide);
                unsigned char* out = &d.rgba[r][c * 4];
                const bool grey = wide == 1;
                out[0] = static_cast<unsigned char>(s[0] >> 8);
                out[1] = static_cast<unsigned char>(s[grey ? 0 : 1] >> 8);
                out[2] = static_cast<unsigned char>(s[grey ? 0 : 2] >> 8);
                out[3] = wide == 4 ? static_cast<unsigned char>(s[3] >> 8) : 0xff;
                if (w.key && wide != 4 &&
                    (grey ? s[0] == w.key_samples[0]
                          : s[0] == w.key_samples[0] && s[1] == w.key_samples[1] && s[2] == w.key_samples[2]))
                    out[3] = 0;
            }
        return PngDecoded::picture;
    }

    ComRef<IWICFormatConverter> converter;
    if (failed(factory->CreateFormatConverter(converter.put()), "converter", d) ||
        failed(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppRGBA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom),
               "converter", d) ||
        failed(converter->CopyPixels(nullptr, sizeof d.rgba[0], sizeof d.rgba, &d.rgba[0][0]), "pixels", d))
        return PngDecoded::failed;
    if (w.key && opaque_format(format)) {
        // Grey under 8 bits was scaled to 8 by 255 / (2^depth - 1), exactly.
        const unsigned scale = w.header.depth >= 8 ? 1 : 255u / ((1u << w.header.depth) - 1);
        const int samples = w.header.colour_type == 0 ? 1 : 3;
        for (UINT r = 0; r < height; ++r)
            for (UINT c = 0; c < width; ++c) {
                unsigned char* px = &d.rgba[r][c * 4];
                bool keyed = true;
                for (int k = 0; k < 3; ++k) keyed = keyed && px[k] == w.key_samples[samples == 1 ? 0 : k] * scale;
                if (keyed) px[3] = 0;
            }
    }
    return PngDecoded::picture;
}

}  // namespace

PngDecoded decode_png(const unsigned char* data, std::size_t size, PngDecoding& d)
{
    const Walk w = walk_chunks(data, size, d);
    if (w.failed && w.before_pixels) return PngDecoded::failed;
    d.width = w.header.width;
    d.height = w.header.height;
    if (d.width > TOOL_MAX_LINES || d.height > TOOL_MAX_LINES) return PngDecoded::too_large;
    if (w.failed) return PngDecoded::failed;
    if (size > MAXDWORD) {
        std::snprintf(d.message, sizeof d.message, "the file is too large");
        return PngDecoded::failed;
    }
    return decode_pixels(data, size, w, d);
}
