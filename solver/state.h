// The solver's one static puzzle state, its codes and its routines.
//
// Everything the solver and the window program share lives in one fixed-size
// SolverState; nothing is allocated. Rows and columns are numbered from 1.
// Per-line tables are stored at index (line - 1); grid is stored with its
// one-cell frame, so puzzle cell (r, c) is grid[r][c].
#pragma once

#include <cstdint>

using i32 = std::int32_t;

// ---- limits -------------------------------------------------------------

constexpr int MAX_LINES = 25;           // rows, and columns
constexpr int MAX_CLUES = 13;           // clue numbers per line
constexpr int CLUE_SLOTS = MAX_CLUES + 2;  // compiled list with a zero at each end
constexpr int GRID_SIZE = MAX_LINES + 2;   // work grid including its frame
constexpr int TRAIL_SIZE = MAX_LINES * MAX_LINES;
constexpr int MAX_CLUE_VALUE = 99;

// ---- codes --------------------------------------------------------------

constexpr i32 CELL_UNKNOWN = 0;
constexpr i32 CELL_EMPTY = 1;
constexpr i32 CELL_FILLED = 2;
constexpr i32 CELL_BORDER = 3;

constexpr i32 LINE_PENDING = 0;  // a cell changed since propagation last settled it
constexpr i32 LINE_SOLVED = 1;   // settled by propagation, not yet probed
constexpr i32 LINE_PROBED = 2;

constexpr i32 MARK_NONE = 0;
constexpr i32 MARK_EMPTY = 1;
constexpr i32 MARK_FILLED = 2;
constexpr i32 MARK_EMPTY_DIFFERS = 3;
constexpr i32 MARK_FILLED_DIFFERS = 4;

// A solution is recorded by copying its cells' codes as marks, and a differing mark is the
// recorded mark plus 2: the helpers below say where code relies on it, the asserts keep it so.
static_assert(MARK_EMPTY == CELL_EMPTY && MARK_FILLED == CELL_FILLED, "a decided cell's code is its mark");
static_assert(MARK_EMPTY_DIFFERS == MARK_EMPTY + 2 && MARK_FILLED_DIFFERS == MARK_FILLED + 2,
              "a differing mark is the recorded mark plus 2");

// The mark that records a decided cell, CELL_EMPTY or CELL_FILLED.
constexpr i32 mark_of_cell(i32 cell) { return cell; }
// The mark of a cell recorded as MARK_EMPTY or MARK_FILLED in which another solution differs.
constexpr i32 differing_mark(i32 mark) { return mark + 2; }
constexpr bool mark_differs(i32 mark) { return mark >= MARK_EMPTY_DIFFERS; }

constexpr i32 STATUS_NONE = 0;
constexpr i32 STATUS_SEARCHING = 1;
constexpr i32 STATUS_FINISHED = 2;  // exactly one solution
constexpr i32 STATUS_INVALID = 3;   // unequal sums, a contradiction or no solution
constexpr i32 STATUS_SEVERAL = 4;   // more than one solution

// The stage of the solve run after which the answer is known: the one that decided the last
// open cell or met the contradiction.
constexpr i32 DIFFICULTY_NONE = 0;      // no answer yet
constexpr i32 DIFFICULTY_LINE = 1;      // line propagation alone, or unequal clue sums
constexpr i32 DIFFICULTY_PROBING = 2;   // also the single-cell trials of probe
constexpr i32 DIFFICULTY_GUESSING = 3;  // also guess_probe
constexpr i32 DIFFICULTY_SEARCH = 4;    // also the last stage; always so with several solutions

// ---- the state ----------------------------------------------------------

struct SolverState {
    // Clue entry: slot 0 is farthest from the grid, slot 12 next to it; 0 is blank.
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

    i32 grid[GRID_SIZE][GRID_SIZE];  // rows 0 and 26, columns 0 and 26: the frame
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

// Counters for the command-line tool's statistics; they never steer the solver.
struct SolverStats {
    std::int64_t probe_fixed;     // cells fixed by the first probe of a run
    std::int64_t guess_fixed;     // cells fixed by guess_probe
    std::int64_t search_calls;
    std::int64_t leftmost_calls;
    std::int64_t completion_calls;  // nodes spent completing leaves with open cells
    // The learning engine.
    std::int64_t queries;         // existence searches asked
    std::int64_t solutions;       // of them answered by a solution
    std::int64_t refutations;     // of them answered by a proof that none exists
    std::int64_t interrupted;     // of them stopped where the walk's budget ran out, and asked again
    std::int64_t reused;          // cells of the first solution settled by a solution already found
    std::int64_t backbone;        // open cells proved the same in every solution
    std::int64_t variables;       // the solver's, one an open cell
    std::int64_t decisions;
    std::int64_t conflicts;       // each one a learned clause
    std::int64_t propagations;
    std::int64_t restarts;
    std::int64_t reductions;      // clean-ups of the learned clauses
    std::int64_t rephases;        // fresh starts of a long search from other values
    std::int64_t trials;          // values tried by lookahead before a decision
    std::int64_t failed_trials;   // of them refuted by propagation alone
    std::int64_t early_sorting;   // 1 when the cells that vary were sorted out within the walk
    std::int64_t sorting_queries;    // of the queries, those that sorted out the cells that vary
    std::int64_t sorting_conflicts;  // of the conflicts, those of the sorting
    std::int64_t walk_queries;       // of the queries, those of the walk to the first solution
    std::int64_t walk_conflicts;
    std::int64_t walk_us;            // processor time of the walk, microseconds
    std::int64_t sorting_us;         // and of the sorting
    std::int64_t largest_search;     // conflicts of the costliest single query
    std::int64_t largest_search_us;  // and its processor time
};

extern SolverStats solver_stats;

// Every counter with the name the command-line tool prints it under, in order.
struct SolverStatField {
    const char* name;
    std::int64_t SolverStats::*field;
};
extern const SolverStatField solver_stat_fields[];
extern const int solver_stat_field_count;

// ---- options ------------------------------------------------------------

// The last stage of solve. Both leave the same status and, for the full answer, the same
// result_grid.
constexpr i32 ENGINE_LEARNING = 0;    // existence searches with clause learning (the default)
constexpr i32 ENGINE_EXHAUSTIVE = 1;  // search: every assignment, depth first, row-major

// What the run is asked. Both give the same status.
constexpr i32 QUESTION_FULL = 0;  // the first solution and every cell in which another one differs
// None, one or several: stops at a second solution. result_grid holds the solution found first
// with a differing mark wherever the second one differs; the second is the first with those
// cells flipped. Which two solutions they are depends on the engine.
constexpr i32 QUESTION_UNIQUENESS = 1;

struct SolverOptions {
    i32 engine = ENGINE_LEARNING;
    i32 question = QUESTION_FULL;
    // Conflicts the learning engine's walk to the first solution spends before it has the cells
    // that vary sorted out first (tests use less).
    std::int64_t walk_budget = 10000;
};

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
