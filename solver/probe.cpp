// Cell probing: try both values of every open cell of each settled line against that line alone.
#include "state.h"

namespace {

enum class Scan { NOTHING, FIXED, CONTRADICTION };

// Scans one settled line; cell(p) is grid[r][c] at row r = ROW ? line : p.
template <bool ROW>
Scan scan_line(i32 line, i32 N)
{
    SolverState& s = solver_state;
    bool fixed = false;
    for (i32 p = 1; p <= N; ++p) {
        const i32 r = ROW ? line : p;
        const i32 c = ROW ? p : line;
        i32& cell = s.grid[r][c];
        if (cell != CELL_UNKNOWN) continue;
        cell = CELL_EMPTY;
        const int a = ROW ? row_leftmost(line) : col_leftmost(line);
        cell = CELL_FILLED;
        const int b = ROW ? row_leftmost(line) : col_leftmost(line);
        cell = CELL_UNKNOWN;
        if (a && b) return Scan::CONTRADICTION;
        if (!a && !b) continue;
        cell = a ? CELL_FILLED : CELL_EMPTY;
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
