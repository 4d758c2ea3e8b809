// Exhaustive depth-first search: record the first solution and mark every cell another one differs in.
#include <initializer_list>

#include "deadline.h"
#include "state.h"

inline namespace OMBRASEL_CORE {

namespace {

// Finds the first open cell in row-major order; with skip_differing, cells already
// marked as differing are passed over.
bool find_open_cell(bool skip_differing, i32& row, i32& col)
{
    const SolverState& s = solver_state;
    for (i32 r = 1; r <= s.height; ++r) {
        for (i32 c = 1; c <= s.width; ++c) {
            if (s.grid[r][c] != CELL_UNKNOWN) continue;
            if (skip_differing && mark_differs(s.result_grid[r - 1][c - 1])) continue;
            row = r;
            col = c;
            return true;
        }
    }
    return false;
}

// Whether the open cells of a probed state can be completed to a solution; depth
// first, probing at every node, stopping at the first complete grid. Undoes all it does.
bool completable()
{
    SolverState& s = solver_state;
    i32 r, c;
    if (!find_open_cell(false, r, c)) return true;
    bool found = false;
    for (const i32 value : {CELL_EMPTY, CELL_FILLED}) {
        ++solver_stats.completion_calls;
        const i32 mark = s.trail_len;
        set_cell(r, c, value);
        found = !probe() && completable();
        undo_trail(mark);
        if (found) break;
    }
    s.grid[r][c] = CELL_UNKNOWN;
    return found;
}

void record_leaf()
{
    SolverState& s = solver_state;
    if (s.solution_state == 0) {
        for (i32 r = 1; r <= s.height; ++r)
            for (i32 c = 1; c <= s.width; ++c) s.result_grid[r - 1][c - 1] = mark_of_cell(s.grid[r][c]);
        s.solution_state = 1;
        return;
    }
    // Every cell not yet marked as differing is decided here; the others may still
    // be open. The leaf marks cells only if some solution agrees with it, and it
    // can mark only where it differs from the recorded solution.
    bool differs = false;
    for (i32 r = 1; r <= s.height && !differs; ++r)
        for (i32 c = 1; c <= s.width && !differs; ++c) {
            const i32 mark = s.result_grid[r - 1][c - 1];
            differs = !mark_differs(mark) && mark != mark_of_cell(s.grid[r][c]);
        }
    if (!differs) return;
    i32 open_r, open_c;
    if (find_open_cell(false, open_r, open_c) && !completable()) return;
    for (i32 r = 1; r <= s.height; ++r) {
        for (i32 c = 1; c <= s.width; ++c) {
            i32& mark = s.result_grid[r - 1][c - 1];
            if (!mark_differs(mark) && mark != mark_of_cell(s.grid[r][c])) {
                mark = differing_mark(mark);
                s.solution_state = 2;
            }
        }
    }
}

// One node of the search. TO_SECOND leaves out the second branch once a second solution is
// recorded: until then no cell is marked as differing, so every leaf is a complete grid, and the
// first one that differs from the recorded solution is a second solution.
template <bool TO_SECOND>
void search_node()
{
    SolverState& s = solver_state;
    if (deadline_passed()) return;
    ++solver_stats.search_calls;
    const i32 entry_mark = s.trail_len;
    if (!probe()) {
        i32 r, c;
        if (find_open_cell(true, r, c)) {
            set_cell(r, c, CELL_EMPTY);
            search_node<TO_SECOND>();
            if (!TO_SECOND || s.solution_state < 2) {
                set_cell(r, c, CELL_FILLED);
                search_node<TO_SECOND>();
            }
            s.grid[r][c] = CELL_UNKNOWN;
        } else {
            record_leaf();
        }
    }
    undo_trail(entry_mark);
}

}  // namespace

void search() { search_node<false>(); }

void search_to_second() { search_node<true>(); }

}  // namespace OMBRASEL_CORE
