// Entering a puzzle into the clue tables, the way the clue editor does, and solving it there.
#include "entry.h"

#include <cassert>

#include "deadline.h"

inline namespace OMBRASEL_CORE {

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

SolvedPuzzle solve_puzzle(const Puzzle& puzzle, const SolverOptions& options)
{
    SolverState& s = solver_state;
    enter_puzzle(puzzle);
    s.status = STATUS_SEARCHING;
    solve(options);
    SolvedPuzzle answer;
    answer.status = s.status;
    answer.difficulty = s.difficulty;
    answer.height = static_cast<int>(puzzle.rows.size());
    answer.width = static_cast<int>(puzzle.cols.size());
    answer.marks.reserve(static_cast<std::size_t>(answer.height * answer.width));
    for (int r = 0; r < answer.height; ++r)
        for (int c = 0; c < answer.width; ++c) answer.marks.push_back(s.result_grid[r][c]);
    answer.stats = solver_stats;
    answer.complete = !solver_deadline.passed;
    if (!answer.complete) {
        answer.unsorted_count = solver_unsorted.count;
        for (int r = 0; r < answer.height; ++r)
            for (int c = 0; c < answer.width; ++c) answer.unsorted.push_back(solver_unsorted.cell[r][c]);
    }
    return answer;
}

}  // namespace OMBRASEL_CORE
