// Line propagation: settle every pending line by the overlap and gap rules.
#include <bit>
#include <initializer_list>
#include <utility>

#include "line.h"

namespace {

// Applies both rules to line `line` from the bounds just computed for it. The
// blocks' overlaps, and likewise the gaps, lie in increasing order along the line,
// so each rule settles the open cells of its mask from position 1 upward.
template <bool ROW>
void apply_rules(i32 line, i32 N, const i32* len, i32 n, i32* L, i32* R, LineMasks cells, bool& changed)
{
    SolverState& s = solver_state;
    std::uint32_t filled = 0;
    for (i32 k = 1; k <= n; ++k) filled |= bits_between(R[k], L[k]);
    R[0] = 1;
    L[n + 1] = N;
    std::uint32_t empty = 0;
    for (i32 m = 0; m <= n; ++m) empty |= bits_between(R[m] + len[m], L[m + 1] - len[m + 1]);

    const std::uint32_t open = ~(cells.filled | cells.empty);
    for (const auto& [bits, value] : {std::pair{filled & open, CELL_FILLED}, std::pair{empty & open, CELL_EMPTY}}) {
        for (std::uint32_t rest = bits; rest; rest &= rest - 1) {
            const i32 p = std::countr_zero(rest);
            const i32 r = ROW ? line : p;
            const i32 c = ROW ? p : line;
            s.grid[r][c] = value;
            if (ROW)
                s.col_state[c - 1] = LINE_PENDING;
            else
                s.row_state[r - 1] = LINE_PENDING;
            push_trail(r, c);
            changed = true;
        }
    }
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
                               s.col_right_start, cells, changed);
            s.col_state[c - 1] = LINE_SOLVED;
        }
        for (i32 r = 1; r <= s.height; ++r) {
            if (s.row_state[r - 1] != LINE_PENDING) continue;
            const LineMasks cells = row_masks(r);
            if (leftmost_packing(cells, s.width, s.row_clues[r - 1], s.row_clue_count[r - 1], s.row_left_end))
                return 1;
            rightmost_packing(cells, s.width, s.row_clues[r - 1], s.row_clue_count[r - 1], s.row_right_start);
            apply_rules<true>(r, s.width, s.row_clues[r - 1], s.row_clue_count[r - 1], s.row_left_end,
                              s.row_right_start, cells, changed);
            s.row_state[r - 1] = LINE_SOLVED;
        }
    } while (changed);
    return 0;
}
