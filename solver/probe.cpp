// Cell probing: try both values of every open cell of each settled line against that line alone.
#include "line.h"

namespace {

enum class Scan { NOTHING, FIXED, CONTRADICTION };

// Scans one settled line. Each test is the line's leftmost packing with the cell
// taking one value; the masks stand for the line as the grid holds it.
template <bool ROW>
Scan scan_line(i32 line, i32 N)
{
    SolverState& s = solver_state;
    const i32* len = ROW ? s.row_clues[line - 1] : s.col_clues[line - 1];
    const i32 n = ROW ? s.row_clue_count[line - 1] : s.col_clue_count[line - 1];
    i32* left_end = ROW ? s.row_left_end : s.col_left_end;
    LineMasks cells = ROW ? row_masks(line) : col_masks(line);
    bool fixed = false;
    for (i32 p = 1; p <= N; ++p) {
        const std::uint32_t bit = std::uint32_t{1} << p;
        if ((cells.filled | cells.empty) & bit) continue;
        const int a = leftmost_packing({cells.filled, cells.empty | bit}, N, len, n, left_end);
        const int b = leftmost_packing({cells.filled | bit, cells.empty}, N, len, n, left_end);
        if (a && b) return Scan::CONTRADICTION;
        if (!a && !b) continue;
        const i32 r = ROW ? line : p;
        const i32 c = ROW ? p : line;
        if (a) {
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
