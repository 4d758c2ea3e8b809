// Cell probing: try both values of every open cell of each settled line against that line alone.
#include "line.h"

inline namespace OMBRASEL_CORE {

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
Scan scan_line(i32 line)
{
    const LineView v = line_view<ROW>(line);
    LineMasks cells = masks_of<ROW>(line);
    LineBits open = bits_between(1, v.length) & ~(cells.filled | cells.empty);
    if (!open) return Scan::NOTHING;
    // No agreeing placement: both values of the first open cell are impossible.
    if (leftmost_packing(cells, v.length, v.len, v.n, v.left_end)) return Scan::CONTRADICTION;
    LineBits can_fill{}, can_empty{};
    auto learn = [&](LineBits placement) {
        can_fill |= placement;
        can_empty |= ~placement;
    };
    learn(placement_by_ends(v.left_end, v.len, v.n));
    rightmost_packing(cells, v.length, v.len, v.n, v.right_start);
    learn(placement_by_starts(v.right_start, v.len, v.n));
    // Whether the line agrees with some placement when it also holds `trial`.
    auto possible = [&](LineMasks trial) {
        if (leftmost_packing(trial, v.length, v.len, v.n, v.left_end)) return false;
        learn(placement_by_ends(v.left_end, v.len, v.n));
        return true;
    };

    bool fixed = false;
    for (; open; open = without_lowest(open)) {
        const i32 p = lowest(open);
        const LineBits bit = bit_at(p);
        const bool empty_possible = (can_empty & bit) || possible({cells.filled, cells.empty | bit});
        const bool fill_possible = (can_fill & bit) || possible({cells.filled | bit, cells.empty});
        if (empty_possible && fill_possible) continue;
        const i32 r = ROW ? line : p;
        const i32 c = ROW ? p : line;
        (fill_possible ? cells.filled : cells.empty) |= bit;
        assign_cell(r, c, fill_possible ? CELL_FILLED : CELL_EMPTY);
        fixed = true;
    }
    return fixed ? Scan::FIXED : Scan::NOTHING;
}

// Scans the settled lines of one direction, stopping after the first line whose
// scan fixed a cell.
template <bool ROW>
Scan scan_settled_lines(i32 count)
{
    for (i32 line = 1; line <= count; ++line) {
        i32& state = line_view<ROW>(line).state;
        if (state != LINE_SOLVED) continue;
        const Scan scan = scan_line<ROW>(line);
        if (scan == Scan::CONTRADICTION) return scan;
        state = LINE_PROBED;
        if (scan == Scan::FIXED) return scan;
    }
    return Scan::NOTHING;
}

}  // namespace

int probe()
{
    for (;;) {
        if (propagate()) return 1;
        Scan scan = scan_settled_lines<false>(solver_state.width);
        // Rows are scanned only in a cycle in which no column yielded anything.
        if (scan == Scan::NOTHING) scan = scan_settled_lines<true>(solver_state.height);
        switch (scan) {
        case Scan::CONTRADICTION: return 1;
        case Scan::NOTHING: return 0;
        case Scan::FIXED: break;
        }
    }
}

}  // namespace OMBRASEL_CORE
