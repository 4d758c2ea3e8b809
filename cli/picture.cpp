// What the picture readers share: the size check, and the clues of a drawing.
#include <cassert>

#include "readers.h"
#include "text.h"

namespace {

// The lengths of the runs of filled cells along a line of count cells, in order.
template <typename Cell>
std::vector<int> runs_of(int count, Cell filled)
{
    std::vector<int> clue;
    int run = 0;
    for (int i = 0; i <= count; ++i) {
        if (i < count && filled(i)) {
            ++run;
        } else if (run > 0) {
            clue.push_back(run);
            run = 0;
        }
    }
    return clue;
}

}  // namespace

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
    Puzzle puzzle;
    puzzle.file = file;
    puzzle.name = file_stem(file);
    // A line of 25 cells holds at most 13 runs of at most 25: every clue is in bounds.
    for (int r = 0; r < picture.height; ++r)
        puzzle.rows.push_back(runs_of(picture.width, [&](int c) { return picture.filled[r][c]; }));
    for (int c = 0; c < picture.width; ++c)
        puzzle.cols.push_back(runs_of(picture.height, [&](int r) { return picture.filled[r][c]; }));
    return puzzle;
}
