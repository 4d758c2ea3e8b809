// Entering a puzzle into the clue tables, the way the clue editor does.
#include "puzzle.h"

#include <cassert>

#include "state.h"

namespace {

void enter_lines(const Clues& lines, i32 (&input)[MAX_LINES][MAX_CLUES], i32& sum)
{
    assert(lines.size() <= MAX_LINES);
    for (auto& line : input)
        for (i32& slot : line) slot = 0;
    sum = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Clue& clue = lines[i];
        assert(clue.size() <= MAX_CLUES);
        const std::size_t first = MAX_CLUES - clue.size();
        for (std::size_t k = 0; k < clue.size(); ++k) {
            input[i][first + k] = clue[k];
            sum += clue[k];
        }
    }
}

}  // namespace

void enter_puzzle(const Puzzle& puzzle)
{
    SolverState& s = solver_state;
    enter_lines(puzzle.rows, s.row_clue_input, s.row_clue_sum);
    enter_lines(puzzle.cols, s.col_clue_input, s.col_clue_sum);
}
