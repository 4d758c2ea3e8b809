// A line's decided cells as bit masks, shared by the bound functions and probing.
#pragma once

#include <cstdint>

#include "state.h"

// Bit p stands for position p of the line, 1 to N; positions outside the line
// are never filled and never tested for emptiness.
struct LineMasks {
    std::uint32_t filled;
    std::uint32_t empty;
};

template <int STRIDE>
inline LineMasks line_masks(const i32* line, i32 N)
{
    std::uint32_t filled = 0, empty = 0;
    for (i32 p = 1; p <= N; ++p) {
        const i32 cell = line[p * STRIDE];
        filled |= std::uint32_t{cell == CELL_FILLED} << p;
        empty |= std::uint32_t{cell == CELL_EMPTY} << p;
    }
    return {filled, empty};
}

inline LineMasks row_masks(int r)
{
    return line_masks<1>(&solver_state.grid[r][0], solver_state.width);
}

inline LineMasks col_masks(int c)
{
    return line_masks<GRID_SIZE>(&solver_state.grid[0][c], solver_state.height);
}

// The packings over masks; the bound functions are these on the grid.
int leftmost_packing(LineMasks cells, i32 N, const i32* len, i32 n, i32* left_end);
void rightmost_packing(LineMasks cells, i32 N, const i32* len, i32 n, i32* right_start);

// Bits 0 to b (b at most 31).
inline std::uint32_t bits_up_to(i32 b)
{
    return b >= 31 ? ~std::uint32_t{0} : (std::uint32_t{2} << b) - 1;
}

// Bits a to b, for 1 <= a; none when b < a.
inline std::uint32_t bits_between(i32 a, i32 b)
{
    return b < a ? 0 : bits_up_to(b) & ~bits_up_to(a - 1);
}

// The filled cells of the placement whose block k ends at end[k].
inline std::uint32_t placement_by_ends(const i32* end, const i32* len, i32 n)
{
    std::uint32_t filled = 0;
    for (i32 k = 1; k <= n; ++k) filled |= bits_between(end[k] - len[k] + 1, end[k]);
    return filled;
}

// The filled cells of the placement whose block k starts at start[k].
inline std::uint32_t placement_by_starts(const i32* start, const i32* len, i32 n)
{
    std::uint32_t filled = 0;
    for (i32 k = 1; k <= n; ++k) filled |= bits_between(start[k], start[k] + len[k] - 1);
    return filled;
}
