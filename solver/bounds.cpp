// Leftmost and rightmost placements of a line's blocks that agree with its decided cells.
#include "state.h"

namespace {

// One packing serves rows and columns: cell(p) is line[p * STRIDE], p from 0 to N + 1.
// Position 0 is the frame and every position above N is the frame or an undecided
// cell outside the puzzle, so slides need no index test; the sentinels end the gap
// scans. len[0] and len[n + 1] are 0.

template <int STRIDE>
int leftmost(const i32* line, i32 N, const i32* len, i32 n, i32* left_end)
{
    ++solver_stats.leftmost_calls;
    left_end[0] = 0;
    i32 last_filled = 0;
    for (i32 p = N; p >= 1; --p) {
        if (line[p * STRIDE] == CELL_FILLED) {
            last_filled = p;
            break;
        }
    }
    if (n == 0) return last_filled > 0 ? 1 : 0;

    i32 k = 1;
    i32 d = len[1];  // candidate end of block k
    for (;;) {
        if (d > N) return 1;
        if (k == n) {
            if (d < last_filled) d = last_filled;
        } else {
            while (line[(d + 1) * STRIDE] == CELL_FILLED) ++d;
        }
        // A block cell that is empty pushes the block past it.
        bool settled = true;
        i32 s = d - len[k];
        for (i32 p = d; p > s; --p) {
            if (line[p * STRIDE] == CELL_EMPTY) {
                s = p;
                d = p + len[k];
                settled = false;
                break;
            }
        }
        // A filled cell between this block and the previous one must be covered
        // by the previous block.
        for (i32 p = s; p > left_end[k - 1]; --p) {
            if (line[p * STRIDE] == CELL_FILLED) {
                if (k == 1) return 1;
                --k;
                d = p;
                settled = false;
                break;
            }
        }
        if (settled) {
            left_end[k] = d;
            ++k;
            if (k > n) return 0;
            d += 1 + len[k];
        }
    }
}

template <int STRIDE>
void rightmost(const i32* line, i32 N, const i32* len, i32 n, i32* right_start)
{
    right_start[n + 1] = N + 1;
    i32 first_filled = N + 1;
    for (i32 p = 1; p <= N; ++p) {
        if (line[p * STRIDE] == CELL_FILLED) {
            first_filled = p;
            break;
        }
    }
    i32 k = n;
    i32 a = N - len[n] + 1;  // candidate start of block k
    while (k > 0) {
        // Only a call that breaks the precondition (leftmost feasible on the same
        // cells) could get here; stop rather than read outside the line.
        if (a < 1 || k > n) return;
        if (k == 1) {
            if (a > first_filled) a = first_filled;
        } else {
            while (line[(a - 1) * STRIDE] == CELL_FILLED) --a;
        }
        bool settled = true;
        i32 e = a + len[k];
        for (i32 p = a; p < e; ++p) {
            if (line[p * STRIDE] == CELL_EMPTY) {
                e = p;
                a = p - len[k];
                settled = false;
                break;
            }
        }
        for (i32 p = e; p < right_start[k + 1]; ++p) {
            if (line[p * STRIDE] == CELL_FILLED) {
                ++k;
                a = p;
                settled = false;
                break;
            }
        }
        if (settled) {
            right_start[k] = a;
            --k;
            a -= 1 + len[k];
        }
    }
}

}  // namespace

int row_leftmost(int r)
{
    SolverState& s = solver_state;
    return leftmost<1>(&s.grid[r][0], s.width, s.row_clues[r - 1], s.row_clue_count[r - 1],
                       s.row_left_end);
}

int col_leftmost(int c)
{
    SolverState& s = solver_state;
    return leftmost<GRID_SIZE>(&s.grid[0][c], s.height, s.col_clues[c - 1], s.col_clue_count[c - 1],
                               s.col_left_end);
}

void row_rightmost(int r)
{
    SolverState& s = solver_state;
    rightmost<1>(&s.grid[r][0], s.width, s.row_clues[r - 1], s.row_clue_count[r - 1],
                 s.row_right_start);
}

void col_rightmost(int c)
{
    SolverState& s = solver_state;
    rightmost<GRID_SIZE>(&s.grid[0][c], s.height, s.col_clues[c - 1], s.col_clue_count[c - 1],
                         s.col_right_start);
}
