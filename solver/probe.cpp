// Cell probing: try both values of every open cell of each settled line against that line alone.
#include <bit>

#include "line.h"

namespace {

enum class Scan { NOTHING, FIXED, CONTRADICTION };

// Scans one settled line: every open cell is tested with each value against the line
// alone, in order, and a cell with one possible value takes it.
//
// A value is possible exactly when some placement of the blocks that agrees with the
// line gives the cell that value. Fixing a cell to its only possible value keeps every
// such placement, so each placement met along the scan (the leftmost and rightmost
// ones, and the one each successful test packs) answers the tests of the cells after
// it; the packing runs only for a value that no placement met so far gives the cell.
// The outcome is that of running both tests on every open cell.
template <bool ROW>
Scan scan_line(i32 line, i32 N)
{
    SolverState& s = solver_state;
    const i32* len = ROW ? s.row_clues[line - 1] : s.col_clues[line - 1];
    const i32 n = ROW ? s.row_clue_count[line - 1] : s.col_clue_count[line - 1];
    i32* left_end = ROW ? s.row_left_end : s.col_left_end;
    i32* right_start = ROW ? s.row_right_start : s.col_right_start;
    LineMasks cells = ROW ? row_masks(line) : col_masks(line);
    std::uint32_t open = bits_between(1, N) & ~(cells.filled | cells.empty);
    if (!open) return Scan::NOTHING;
    // No agreeing placement: both values of the first open cell are impossible.
    if (leftmost_packing(cells, N, len, n, left_end)) return Scan::CONTRADICTION;
    std::uint32_t can_fill = placement_by_ends(left_end, len, n);
    std::uint32_t can_empty = ~can_fill;
    rightmost_packing(cells, N, len, n, right_start);
    const std::uint32_t rightmost = placement_by_starts(right_start, len, n);
    can_fill |= rightmost;
    can_empty |= ~rightmost;

    bool fixed = false;
    for (; open; open &= open - 1) {
        const std::uint32_t bit = open & (~open + 1);
        bool empty_possible = (can_empty & bit) != 0;
        bool fill_possible = (can_fill & bit) != 0;
        if (!empty_possible && !leftmost_packing({cells.filled, cells.empty | bit}, N, len, n, left_end)) {
            empty_possible = true;
            const std::uint32_t placement = placement_by_ends(left_end, len, n);
            can_fill |= placement;
            can_empty |= ~placement;
        }
        if (!fill_possible && !leftmost_packing({cells.filled | bit, cells.empty}, N, len, n, left_end)) {
            fill_possible = true;
            const std::uint32_t placement = placement_by_ends(left_end, len, n);
            can_fill |= placement;
            can_empty |= ~placement;
        }
        if (empty_possible && fill_possible) continue;
        const i32 p = std::countr_zero(bit);
        const i32 r = ROW ? line : p;
        const i32 c = ROW ? p : line;
        if (fill_possible) {
            s.grid[r][c] = CELL_FILLED;
            cells.filled |= bit;
        } else {
            s.grid[r][c] = CELL_EMPTY;
            cells.empty |= bit;
        }
        s.row_state[r - 1] = LINE_PENDING;
        s.col_state[c - 1] = LINE_PENDING;
        push_trail(r, c);
        fixed = true;
    }
    return fixed ? Scan::FIXED : Scan::NOTHING;
}

// Scans the settled columns, then (only if no column fixed a cell) the settled rows,
// stopping after the first line whose scan fixed a cell.
Scan scan_settled_lines()
{
    SolverState& s = solver_state;
    for (i32 c = 1; c <= s.width; ++c) {
        if (s.col_state[c - 1] != LINE_SOLVED) continue;
        const Scan scan = scan_line<false>(c, s.height);
        if (scan == Scan::CONTRADICTION) return scan;
        s.col_state[c - 1] = LINE_PROBED;
        if (scan == Scan::FIXED) return scan;
    }
    for (i32 r = 1; r <= s.height; ++r) {
        if (s.row_state[r - 1] != LINE_SOLVED) continue;
        const Scan scan = scan_line<true>(r, s.width);
        if (scan == Scan::CONTRADICTION) return scan;
        s.row_state[r - 1] = LINE_PROBED;
        if (scan == Scan::FIXED) return scan;
    }
    return Scan::NOTHING;
}

}  // namespace

int probe()
{
    for (;;) {
        if (propagate()) return 1;
        switch (scan_settled_lines()) {
        case Scan::CONTRADICTION: return 1;
        case Scan::NOTHING: return 0;
        case Scan::FIXED: break;
        }
    }
}
