// The static puzzle state with its built-in sample, and the clue compilation.
#include "state.h"

inline namespace OMBRASEL_CORE {

namespace {

// The sample puzzle: the word GRID, 5 rows x 16 columns with columns 4, 8, 9 and 13
// blank, 38 filled cells, one solution, settled by line propagation alone. Numbers
// stand in the slots nearest the grid, as a user would type them.
constexpr SolverState initial_state()
{
    SolverState s{};
    constexpr int rows[5][7] = {
        {2, 2, 3, 2}, {1, 1, 1, 1, 1, 1}, {1, 1, 2, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1}, {2, 1, 1, 3, 2}};
    constexpr int row_counts[5] = {4, 6, 6, 7, 5};
    constexpr int cols[16][2] = {{3}, {1, 1}, {1, 3}, {}, {5}, {1, 1}, {1, 2}, {},
                                 {}, {1, 1}, {5}, {1, 1}, {}, {5}, {1, 1}, {3}};
    constexpr int col_counts[16] = {1, 2, 2, 0, 1, 2, 2, 0, 0, 2, 1, 2, 0, 1, 2, 1};
    for (int r = 0; r < 5; ++r)
        for (int k = 0; k < row_counts[r]; ++k)
            s.row_clue_input[r][MAX_CLUES - row_counts[r] + k] = rows[r][k];
    for (int c = 0; c < 16; ++c)
        for (int k = 0; k < col_counts[c]; ++k)
            s.col_clue_input[c][MAX_CLUES - col_counts[c] + k] = cols[c][k];
    return s;
}

// Compiles one band: copies the non-blank entries of each line, in slot order,
// behind a zero in slot 0, and returns the highest line number that has one.
i32 compile_band(const i32 (&input)[MAX_LINES][MAX_CLUES], i32 (&clues)[MAX_LINES][CLUE_SLOTS],
                 i32 (&counts)[MAX_LINES], i32 (&states)[MAX_LINES])
{
    i32 size = 0;
    for (int line = 0; line < MAX_LINES; ++line) {
        states[line] = LINE_PENDING;
        clues[line][0] = 0;
        i32 n = 0;
        for (int slot = 0; slot < MAX_CLUES; ++slot) {
            if (input[line][slot] != 0) {
                clues[line][++n] = input[line][slot];
                size = line + 1;
            }
        }
        counts[line] = n;
        for (int k = n + 1; k <= MAX_CLUES; ++k) clues[line][k] = 0;
    }
    return size;
}

}  // namespace

// The window starts with the sample typed in; the tool enters every puzzle itself.
SolverState solver_state = MAX_LINES == WINDOW_MAX_LINES ? initial_state() : SolverState{};
SolverStats solver_stats;


void load_sample_puzzle()
{
    const SolverState sample = initial_state();
    SolverState& s = solver_state;
    for (int line = 0; line < MAX_LINES; ++line) {
        for (int slot = 0; slot < MAX_CLUES; ++slot) {
            s.row_clue_input[line][slot] = sample.row_clue_input[line][slot];
            s.col_clue_input[line][slot] = sample.col_clue_input[line][slot];
        }
    }
}

void compile_clues()
{
    SolverState& s = solver_state;
    s.solution_state = 0;
    s.width = 0;
    s.height = 0;
    s.trail_len = 0;
    for (auto& row : s.grid)
        for (i32& cell : row) cell = CELL_BORDER;
    for (int r = 1; r <= MAX_LINES; ++r)
        for (int c = 1; c <= MAX_LINES; ++c) s.grid[r][c] = CELL_UNKNOWN;
    for (auto& row : s.result_grid)
        for (i32& mark : row) mark = MARK_NONE;
    s.width = compile_band(s.col_clue_input, s.col_clues, s.col_clue_count, s.col_state);
    s.height = compile_band(s.row_clue_input, s.row_clues, s.row_clue_count, s.row_state);
}

}  // namespace OMBRASEL_CORE
