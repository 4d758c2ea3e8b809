// A puzzle typed into the clue tables of the core built for its size, and solved there.
#pragma once

#include "answer.h"
#include "puzzle.h"
#include "state.h"

inline namespace OMBRASEL_CORE {

// Types the puzzle into the clue entry tables as a user would (every number in the slots
// nearest the grid), blanks the rest and sets both sums to the tables' totals. The puzzle is
// within the tables' limits: at most MAX_LINES rows and columns, MAX_CLUES numbers a line.
void enter_puzzle(const Puzzle& puzzle);

// Enters the puzzle, solves it as asked and reads the answer out of the state.
SolvedPuzzle solve_puzzle(const Puzzle& puzzle, const SolverOptions& options);

}  // namespace OMBRASEL_CORE
