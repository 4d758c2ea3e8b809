#include "any_size.h"

#include "size_limits.h"

SolvedPuzzle solve_any_size(const Puzzle& puzzle, const SolverOptions& options)
{
    const bool fits_window = puzzle.rows.size() <= WINDOW_MAX_LINES && puzzle.cols.size() <= WINDOW_MAX_LINES;
    return fits_window ? window_core::solve_puzzle(puzzle, options) : tool_core::solve_puzzle(puzzle, options);
}
