// What the picture readers share: the size check, and the puzzle of a picture.
#include <cassert>

#include "readers.h"
#include "text.h"

std::optional<std::string> picture_size_problem(long long width, long long height)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width < 1 || height < 1) return "the picture is " + size + ": it has no pixels";
    const bool wide = width > MAX_LINES;
    const bool tall = height > MAX_LINES;
    if (!wide && !tall) return std::nullopt;
    return "the picture is " + size + ": " + (wide && tall ? "wider and taller" : wide ? "wider" : "taller") +
           " than a puzzle of 25 x 25 cells";
}

Puzzle puzzle_of_picture(const Picture& picture, const std::string& file)
{
    assert(!picture_size_problem(picture.width, picture.height));
    // A line of 25 cells holds at most 13 runs of at most 25: every clue is in bounds.
    Puzzle puzzle =
        puzzle_of_drawing(picture.height, picture.width, [&](int r, int c) { return picture.filled[r][c]; });
    puzzle.file = file;
    puzzle.name = file_stem(file);
    return puzzle;
}
