// Line propagation: settle every pending line by the overlap and gap rules.
#include "line.h"

namespace {

// Sets cell (r, c) to value if it is undecided; the crossing line goes back to pending.
template <bool ROW>
inline void settle_cell(i32 r, i32 c, i32 value, bool& changed)
{
    SolverState& s = solver_state;
    i32& cell = s.grid[r][c];
    if (cell != CELL_UNKNOWN) return;
    cell = value;
    if (ROW)
        s.col_state[c - 1] = LINE_PENDING;
    else
        s.row_state[r - 1] = LINE_PENDING;
    push_trail(r, c);
    changed = true;
}

// Applies both rules to line `line` from the bounds just computed for it.
template <bool ROW>
void apply_rules(i32 line, i32 N, const i32* len, i32 n, i32* L, i32* R, bool& changed)
{
    auto set = [&](i32 p, i32 value) {
        if (ROW)
            settle_cell<true>(line, p, value, changed);
        else
            settle_cell<false>(p, line, value, changed);
    };
    for (i32 k = 1; k <= n; ++k)
        for (i32 p = R[k]; p <= L[k]; ++p) set(p, CELL_FILLED);
    R[0] = 1;
    L[n + 1] = N;
    for (i32 m = 0; m <= n; ++m)
        for (i32 p = R[m] + len[m]; p <= L[m + 1] - len[m + 1]; ++p) set(p, CELL_EMPTY);
}

}  // namespace

int propagate()
{
    SolverState& s = solver_state;
    bool changed;
    do {
        changed = false;
        for (i32 c = 1; c <= s.width; ++c) {
            if (s.col_state[c - 1] != LINE_PENDING) continue;
            const LineMasks cells = col_masks(c);
            if (leftmost_packing(cells, s.height, s.col_clues[c - 1], s.col_clue_count[c - 1], s.col_left_end))
                return 1;
            rightmost_packing(cells, s.height, s.col_clues[c - 1], s.col_clue_count[c - 1], s.col_right_start);
            apply_rules<false>(c, s.height, s.col_clues[c - 1], s.col_clue_count[c - 1], s.col_left_end,
                               s.col_right_start, changed);
            s.col_state[c - 1] = LINE_SOLVED;
        }
        for (i32 r = 1; r <= s.height; ++r) {
            if (s.row_state[r - 1] != LINE_PENDING) continue;
            const LineMasks cells = row_masks(r);
            if (leftmost_packing(cells, s.width, s.row_clues[r - 1], s.row_clue_count[r - 1], s.row_left_end))
                return 1;
            rightmost_packing(cells, s.width, s.row_clues[r - 1], s.row_clue_count[r - 1], s.row_right_start);
            apply_rules<true>(r, s.width, s.row_clues[r - 1], s.row_clue_count[r - 1], s.row_left_end,
                              s.row_right_start, changed);
            s.row_state[r - 1] = LINE_SOLVED;
        }
    } while (changed);
    return 0;
}
