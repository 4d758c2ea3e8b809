// What the tool writes beside its report: a puzzle's clues as a .non file (--clues) and a
// picture of its answer as SVG (--svg), each into a folder of its own.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "codes.h"
#include "puzzle.h"

// The puzzle's clues in Simpson's .non format, as the .non reader reads them back.
std::string non_text(const Puzzle& puzzle);

// One grid of an answer's picture: a result mark (MARK_*) a cell, row by row, as many rows and
// columns as the puzzle has; no marks at all draws the grid empty.
struct SvgGrid {
    std::string caption;  // under the grid; none when empty
    std::vector<i32> marks;
    // Of an answer cut short by its time limit: the open cells not yet known to vary or not,
    // drawn with a grey dot. None for a whole answer.
    std::vector<bool> unsorted;

    i32 mark(int r, int c, int width) const
    {
        return marks.empty() ? MARK_NONE : marks[static_cast<std::size_t>(r * width + c)];
    }
};

// A picture of a puzzle's answer: the title and the verdict on top, then each grid with its
// clues beside and above it, left to right. Filled cells are black and empty ones white;
// a cell that differs in another solution is red, a square when filled and a cross when
// empty, as the window draws them.
std::string answer_svg(const Puzzle& clues, std::string_view title, std::string_view verdict,
                       const std::vector<SvgGrid>& grids);

// A folder that one kind of file is written into, one file a puzzle, named after it.
class OutputFolder {
public:
    OutputFolder(std::string path, std::string suffix) : path_(std::move(path)), suffix_(std::move(suffix)) {}

    // Makes the folder when it is missing; on failure says why.
    std::optional<std::string> prepare() const;

    // Writes NAME.SUFFIX. On failure, or when an earlier puzzle of the run had the same
    // name (whose file is kept), writes nothing and says why, naming the file.
    std::optional<std::string> write(const std::string& name, std::string_view text);

    int failures() const { return failures_; }

private:
    std::string path_;
    std::string suffix_;
    std::set<std::string> written_;
    int failures_ = 0;
};
