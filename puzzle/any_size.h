// Solving a puzzle of any size the tool takes: the window's build of the core where the puzzle
// fits its tables, as that build is the faster on them, the tool's build otherwise. Both give
// the same answer where both can.
#pragma once

#include "answer.h"
#include "puzzle.h"

inline namespace window_core {
SolvedPuzzle solve_puzzle(const Puzzle& puzzle, const SolverOptions& options);
}
inline namespace tool_core {
SolvedPuzzle solve_puzzle(const Puzzle& puzzle, const SolverOptions& options);
}

// The puzzle is within the tool's limits (TOOL_MAX_LINES rows and columns).
SolvedPuzzle solve_any_size(const Puzzle& puzzle, const SolverOptions& options);
