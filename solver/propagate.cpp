// Line propagation: settle every pending line by the overlap and gap rules.
#include <initializer_list>
#include <utility>

#include "line.h"

inline namespace OMBRASEL_CORE {

namespace {

// Applies both rules to a line from the bounds just computed for it. The blocks'
// overlaps, and likewise the gaps, lie in increasing order along the line, so each
// rule settles the open cells of its mask from position 1 upward.
template <bool ROW>
void apply_rules(i32 line, const LineView& v, LineMasks cells, bool& changed)
{
    i32* L = v.left_end;
    i32* R = v.right_start;
    LineBits filled{};
    for (i32 k = 1; k <= v.n; ++k) filled |= bits_between(R[k], L[k]);
    R[0] = 1;
    L[v.n + 1] = v.length;
    LineBits empty{};
    for (i32 m = 0; m <= v.n; ++m) empty |= bits_between(R[m] + v.len[m], L[m + 1] - v.len[m + 1]);

    const LineBits open = ~(cells.filled | cells.empty);
    for (const auto& [bits, value] : {std::pair{filled & open, CELL_FILLED}, std::pair{empty & open, CELL_EMPTY}}) {
        for (LineBits rest = bits; rest; rest = without_lowest(rest)) {
            const i32 p = lowest(rest);
            // This line goes back to pending with the crossing one; the caller then settles it.
            assign_cell(ROW ? line : p, ROW ? p : line, value);
            changed = true;
        }
    }
}

// Processes every pending line of one direction; 1 on a contradiction.
template <bool ROW>
int propagate_lines(i32 count, bool& changed)
{
    for (i32 line = 1; line <= count; ++line) {
        const LineView v = line_view<ROW>(line);
        if (v.state != LINE_PENDING) continue;
        const LineMasks cells = masks_of<ROW>(line);
        if (leftmost_packing(cells, v.length, v.len, v.n, v.left_end)) return 1;
        rightmost_packing(cells, v.length, v.len, v.n, v.right_start);
        apply_rules<ROW>(line, v, cells, changed);
        v.state = LINE_SOLVED;
    }
    return 0;
}

}  // namespace

int propagate()
{
    const SolverState& s = solver_state;
    bool changed;
    do {
        changed = false;
        if (propagate_lines<false>(s.width, changed)) return 1;
        if (propagate_lines<true>(s.height, changed)) return 1;
    } while (changed);
    return 0;
}

}  // namespace OMBRASEL_CORE
