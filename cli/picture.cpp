// What the picture readers share: the size check, and the puzzle of a picture.
#include <cassert>

#include "readers.h"
#include "size_limits.h"
#include "text.h"

std::optional<std::string> picture_size_problem(long long width, long long height)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width < 1 || height < 1) return "the picture is " + size + ": it has no pixels";
    const bool wide = width > TOOL_MAX_LINES;
    const bool tall = height > TOOL_MAX_LINES;
    if (!wide && !tall) return std::nullopt;
    const std::string most = std::to_string(TOOL_MAX_LINES);
    return "the picture is " + size + ": " + (wide && tall ? "wider and taller" : wide ? "wider" : "taller") +
           " than a puzzle of " + most + " x " + most + " cells";
}

Puzzle puzzle_of_picture(const Picture& picture, const std::string& file)
{
    assert(!picture_size_problem(picture.width, picture.height));
    // A line of TOOL_MAX_LINES cells holds at most TOOL_MAX_CLUES runs of at most TOOL_MAX_LINES:
    // every clue is in bounds, and fits its line.
    Puzzle puzzle = puzzle_of_drawing(picture.height, picture.width,
                                      [&](int r, int c) { return picture.filled[picture.cell(r, c)]; });
    puzzle.file = file;
    puzzle.name = file_stem(file);
    return puzzle;
}
