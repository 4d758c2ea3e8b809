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

// The leftmost packing over masks; row_leftmost and col_leftmost are this on the grid.
int leftmost_packing(LineMasks cells, i32 N, const i32* len, i32 n, i32* left_end);
