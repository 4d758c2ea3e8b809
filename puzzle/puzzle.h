// A puzzle as its clues, and the clues of a drawing.
#pragma once

#include <string>
#include <vector>

using Clue = std::vector<int>;  // a line's block lengths, in order
using Clues = std::vector<Clue>;

struct Puzzle {
    Clues rows;  // top to bottom, each left to right; rows not given are blank
    Clues cols;  // left to right, each top to bottom
    // Where it was read from; left as they are for a puzzle made otherwise.
    std::string file{};  // the file, "-" for standard input
    int index = 1;       // its number within the file (the "$N" number of the tournament format)
    std::string name{};  // what reports call it
};

// The lengths of the runs of filled cells along a line of `count` cells, in order; filled(i)
// says whether cell i (from 0) is filled.
template <class Filled>
Clue runs_of(int count, Filled filled)
{
    Clue clue;
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

// The puzzle whose solution is a drawing of height x width cells; filled(r, c) says whether
// cell (r, c) (from 0) is filled.
template <class Filled>
Puzzle puzzle_of_drawing(int height, int width, Filled filled)
{
    Puzzle puzzle;
    for (int r = 0; r < height; ++r) puzzle.rows.push_back(runs_of(width, [&](int c) { return filled(r, c); }));
    for (int c = 0; c < width; ++c) puzzle.cols.push_back(runs_of(height, [&](int r) { return filled(r, c); }));
    return puzzle;
}
