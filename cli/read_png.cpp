// Reader for PNG pictures; the platform's decoder (png_decode.h) gives their pixels.
//
// Every pixel is taken as 8-bit red, green, blue and alpha, as stored (no gamma correction),
// and is filled when it is dark as it would show on a white page: its luminance
// 0.2126 R + 0.7152 G + 0.0722 B, laid over white by its alpha, below one half.
// A transparent pixel is therefore empty, whatever its colour.
#include "png_decode.h"
#include "readers.h"

namespace {

bool is_dark(const unsigned char* rgba)
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
    if (bytes.size() < 8 || bytes.substr(0, 8) != "\x89PNG\r\n\x1a\n")
        return fail(bytes.empty() ? "empty input" : "not a PNG picture (no PNG signature)");

    PngDecoding d{};
    const PngDecoded decoded = decode_png(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), d);
    if (decoded == PngDecoded::failed) {
        if (d.truncated) return fail("truncated PNG: the file ends before the picture does");
        return fail(std::string("damaged PNG: ") + d.message);
    }
    if (decoded == PngDecoded::too_large) return fail(*picture_size_problem(d.width, d.height));

    Picture picture(static_cast<int>(d.width), static_cast<int>(d.height));
    for (int r = 0; r < picture.height; ++r)
        for (int c = 0; c < picture.width; ++c) picture.filled[picture.cell(r, c)] = is_dark(&d.rgba[r][c * 4]);
    return {puzzle_of_picture(picture, file)};
}
