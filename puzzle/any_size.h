// Solving a puzzle of any size the tool takes.
#pragma once

#include "answer.h"
#include "puzzle.h"

inline namespace window_core {
SolvedPuzzle solve_puzzle(const Puzzle& puzzle, const SolverOptions& options);
}

SolvedPuzzle solve_any_size(const Puzzle& puzzle, const SolverOptions& options);
