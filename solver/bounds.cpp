// Leftmost and rightmost placements of a line's blocks that agree with its decided cells.
#include "line.h"

inline namespace OMBRASEL_CORE {

// The rightmost packing: the mirror image of the leftmost one, run only on cells
// for which the leftmost packing has just succeeded.
void rightmost_packing(LineMasks cells, i32 N, const i32* len, i32 n, i32* right_start)
{
    right_start[n + 1] = N + 1;
    const i32 first_filled = cells.filled ? lowest(cells.filled) : N + 1;
    i32 k = n;
    i32 a = N - len[n] + 1;  // candidate start of block k
    while (k > 0) {
        // Only a call that breaks the precondition could get here; stop rather
        // than step outside the line.
        if (a < 1 || k > n) return;
        if (k == 1) {
            if (a > first_filled) a = first_filled;
        } else {
            // A block may not be preceded directly by a filled cell: slide left over it.
            a = highest(~cells.filled & bits_up_to(a - 1)) + 1;
        }
        bool settled = true;
        i32 e = a + len[k];
        if (const LineBits holes = cells.empty & bits_between(a, e - 1)) {
            e = lowest(holes);
            a = e - len[k];
            settled = false;
        }
        if (const LineBits uncovered = cells.filled & bits_between(e, right_start[k + 1] - 1)) {
            ++k;
            a = lowest(uncovered);
            settled = false;
        }
        if (settled) {
            right_start[k] = a;
            --k;
            a -= 1 + len[k];
        }
    }
}

int leftmost_packing(LineMasks cells, i32 N, const i32* len, i32 n, i32* left_end)
{
    ++solver_stats.leftmost_calls;
    left_end[0] = 0;
    const i32 last_filled = cells.filled ? highest(cells.filled) : 0;
    if (n == 0) return last_filled > 0 ? 1 : 0;

    i32 k = 1;
    i32 d = len[1];  // candidate end of block k
    for (;;) {
        if (d > N) return 1;
        if (k == n) {
            if (d < last_filled) d = last_filled;
        } else {
            // A block may not be followed directly by a filled cell: slide right over it.
            d += trailing_ones(cells.filled >> (d + 1));
        }
        bool settled = true;
        i32 s = d - len[k];  // the position just before the block
        if (const LineBits holes = cells.empty & bits_between(s + 1, d)) {
            s = highest(holes);
            d = s + len[k];
            settled = false;
        }
        // A filled cell between this block and the previous one must be covered
        // by the previous block.
        if (const LineBits uncovered = cells.filled & bits_between(left_end[k - 1] + 1, s)) {
            if (k == 1) return 1;
            --k;
            d = highest(uncovered);
            settled = false;
        }
        if (settled) {
            left_end[k] = d;
            ++k;
            if (k > n) return 0;
            d += 1 + len[k];
        }
    }
}

int row_leftmost(int r)
{
    SolverState& s = solver_state;
    return leftmost_packing(row_masks(r), s.width, s.row_clues[r - 1], s.row_clue_count[r - 1],
                            s.row_left_end);
}

int col_leftmost(int c)
{
    SolverState& s = solver_state;
    return leftmost_packing(col_masks(c), s.height, s.col_clues[c - 1], s.col_clue_count[c - 1],
                            s.col_left_end);
}

void row_rightmost(int r)
{
    SolverState& s = solver_state;
    rightmost_packing(row_masks(r), s.width, s.row_clues[r - 1], s.row_clue_count[r - 1],
                      s.row_right_start);
}

void col_rightmost(int c)
{
    SolverState& s = solver_state;
    rightmost_packing(col_masks(c), s.height, s.col_clues[c - 1], s.col_clue_count[c - 1],
                      s.col_right_start);
}

}  // namespace OMBRASEL_CORE
