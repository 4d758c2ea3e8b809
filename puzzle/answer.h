// A puzzle's answer as a front end keeps it, whatever size the core that gave it was built for.
#pragma once

#include <vector>

#include "codes.h"

struct SolvedPuzzle {
    i32 status = STATUS_NONE;
    i32 difficulty = DIFFICULTY_NONE;
    int height = 0;
    int width = 0;
    std::vector<i32> marks;  // the result grid's marks, row by row, height rows of width
    SolverStats stats{};
    // A run stopped at its time limit: status is STATUS_SEVERAL when two solutions were met, else
    // STATUS_SEARCHING; marks hold a solution found (not always the first) with the cells found
    // to vary so far, or MARK_NONE everywhere when none was found; `unsorted` marks the open
    // cells not yet known to vary or not.
    bool complete = true;
    int unsorted_count = 0;
    std::vector<bool> unsorted;

    // The mark of cell (r, c), counted from 0.
    i32 mark(int r, int c) const { return marks[static_cast<std::size_t>(r * width + c)]; }
};
