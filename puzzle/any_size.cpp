#include "any_size.h"

SolvedPuzzle solve_any_size(const Puzzle& puzzle, const SolverOptions& options)
{
    return window_core::solve_puzzle(puzzle, options);
}
