// The solver's one static puzzle state and its routines.
//
// Everything the solver and the window program share lives in one fixed-size
// SolverState; nothing is allocated. Rows and columns are numbered from 1.
// Per-line tables are stored at index (line - 1); grid is stored with its
// one-cell frame, so puzzle cell (r, c) is grid[r][c].
//
// The core is built for one size of puzzle: the window's, or with OMBRASEL_TOOL_SIZE defined the
// command-line tool's. Each build's state and routines sit in a namespace of their own, so that
// one program may hold both; code built for one size names them without it.
#pragma once

#include "codes.h"
#include "size_limits.h"

#ifdef OMBRASEL_TOOL_SIZE
#define OMBRASEL_CORE tool_core
#else
#define OMBRASEL_CORE window_core
#endif

inline namespace OMBRASEL_CORE {

// ---- limits -------------------------------------------------------------

#ifdef OMBRASEL_TOOL_SIZE
constexpr int MAX_LINES = TOOL_MAX_LINES;  // rows, and columns
constexpr int MAX_CLUES = TOOL_MAX_CLUES;  // clue numbers per line
constexpr int MAX_CLUE_VALUE = TOOL_MAX_LINES;
#else
constexpr int MAX_LINES = WINDOW_MAX_LINES;
constexpr int MAX_CLUES = WINDOW_MAX_CLUES;
constexpr int MAX_CLUE_VALUE = WINDOW_MAX_CLUE_VALUE;
#endif
constexpr int CLUE_SLOTS = MAX_CLUES + 2;  // compiled list with a zero at each end
constexpr int GRID_SIZE = MAX_LINES + 2;   // work grid including its frame
constexpr int TRAIL_SIZE = MAX_LINES * MAX_LINES;

// ---- the state ----------------------------------------------------------

struct SolverState {
    // Clue entry: slot 0 is farthest from the grid, slot MAX_CLUES - 1 next to it; 0 is blank.
    i32 row_clue_input[MAX_LINES][MAX_CLUES];
    i32 col_clue_input[MAX_LINES][MAX_CLUES];
    i32 row_clue_sum;  // running totals, kept by every edit
    i32 col_clue_sum;

    // Entry cursor, in 20-pixel cell units of the window.
    i32 cursor_x;
    i32 cursor_y;
    i32 digit_entry_active;  // 1: the next digit is appended to the current entry

    // Compiled clues: slot 0 and slot n + 1 hold 0, slots 1..n the blocks.
    i32 height;
    i32 width;
    i32 row_clues[MAX_LINES][CLUE_SLOTS];
    i32 col_clues[MAX_LINES][CLUE_SLOTS];
    i32 row_clue_count[MAX_LINES];
    i32 col_clue_count[MAX_LINES];

    i32 grid[GRID_SIZE][GRID_SIZE];  // rows and columns 0 and MAX_LINES + 1: the frame
    i32 row_state[MAX_LINES];
    i32 col_state[MAX_LINES];

    // Undo log of every cell that left CELL_UNKNOWN, oldest first.
    i32 trail_row[TRAIL_SIZE];
    i32 trail_col[TRAIL_SIZE];
    i32 trail_len;

    // Placement bounds of the one line last computed.
    i32 row_left_end[CLUE_SLOTS];
    i32 row_right_start[CLUE_SLOTS];
    i32 col_left_end[CLUE_SLOTS];
    i32 col_right_start[CLUE_SLOTS];

    i32 result_grid[MAX_LINES][MAX_LINES];  // marks of cell (r, c) at [r - 1][c - 1]
    i32 solution_state;  // 0 none recorded, 1 one recorded, 2 a differing one met
    i32 status;
    i32 difficulty;  // of the last run's answer
};

extern SolverState solver_state;

extern SolverStats solver_stats;

// ---- routines -----------------------------------------------------------
// Each returns 1 for a contradiction and 0 otherwise, unless it returns nothing.

void load_sample_puzzle();  // the built-in 5 x 16 puzzle, as at program start
void compile_clues();

int row_leftmost(int r);
int col_leftmost(int c);
void row_rightmost(int r);
void col_rightmost(int c);

int propagate();
int probe();
int guess_probe();
void search();
void search_to_second();  // search, stopping once a second solution is recorded
// search's results by another method; hands grid and trail back.
void learning_search(std::int64_t walk_budget);
void learning_to_second();  // search_to_second's verdict by the learning engine's method
// After a learning_search stopped at its limit: whether open cell (r, c) is known to be the same
// in every solution.
bool learning_sorted(i32 r, i32 c);
// The verdict in status: with options.cpu_limit, a run that reaches the limit (see deadline.h)
// leaves STATUS_SEVERAL when it has met two solutions, else STATUS_SEARCHING; result_grid holds
// a solution it found, with the cells found to vary so far marked, or nothing.
void solve(const SolverOptions& options);
void solve();  // the full answer with the default options, as the window asks it

// Puts the trail back to length mark, newest cell first.
inline void undo_trail(i32 mark)
{
    SolverState& s = solver_state;
    while (s.trail_len > mark) {
        --s.trail_len;
        s.grid[s.trail_row[s.trail_len]][s.trail_col[s.trail_len]] = CELL_UNKNOWN;
    }
}

// Appends puzzle cell (r, c) to the trail.
inline void push_trail(i32 r, i32 c)
{
    SolverState& s = solver_state;
    s.trail_row[s.trail_len] = r;
    s.trail_col[s.trail_len] = c;
    ++s.trail_len;
}

// Gives open puzzle cell (r, c) a value and puts its row and its column back to LINE_PENDING,
// so that propagation looks at both again; nothing is entered on the trail. Only the search
// sets its branch cell so, and resets it by hand.
inline void set_cell(i32 r, i32 c, i32 value)
{
    SolverState& s = solver_state;
    s.grid[r][c] = value;
    s.row_state[r - 1] = LINE_PENDING;
    s.col_state[c - 1] = LINE_PENDING;
}

// Decides open puzzle cell (r, c): set_cell, and the cell goes on the trail, to be undone by
// undo_trail. Propagation, probing and guessing decide their cells so.
inline void assign_cell(i32 r, i32 c, i32 value)
{
    set_cell(r, c, value);
    push_trail(r, c);
}

}  // namespace OMBRASEL_CORE
