// A line's decided cells as bit masks, shared by the bound functions and probing.
#pragma once

#include <cstdint>

#include "line_bits.h"
#include "state.h"

inline namespace OMBRASEL_CORE {

// Bit p stands for position p of the line, 1 to N; positions outside the line
// are never filled and never tested for emptiness.
struct LineMasks {
    LineBits filled;
    LineBits empty;
};

template <int STRIDE>
inline LineMasks line_masks(const i32* line, i32 N)
{
    LineBits filled{}, empty{};
    for (i32 p = 1; p <= N; ++p) {
        const i32 cell = line[p * STRIDE];
        filled |= bit_if(cell == CELL_FILLED, p);
        empty |= bit_if(cell == CELL_EMPTY, p);
    }
    return {filled, empty};
}

// Everything the line routines need of row `number` (ROW) or column `number`.
struct LineView {
    i32 length;       // N: the width for a row, the height for a column
    const i32* len;   // the compiled clue list, len[0] = len[n + 1] = 0
    i32 n;            // number of blocks
    i32* left_end;    // the direction's bound arrays
    i32* right_start;
    i32& state;
};

template <bool ROW>
inline LineView line_view(i32 number)
{
    SolverState& s = solver_state;
    if constexpr (ROW)
        return {s.width, s.row_clues[number - 1], s.row_clue_count[number - 1], s.row_left_end,
                s.row_right_start, s.row_state[number - 1]};
    else
        return {s.height, s.col_clues[number - 1], s.col_clue_count[number - 1], s.col_left_end,
                s.col_right_start, s.col_state[number - 1]};
}

inline LineMasks row_masks(int r)
{
    return line_masks<1>(&solver_state.grid[r][0], solver_state.width);
}

inline LineMasks col_masks(int c)
{
    return line_masks<GRID_SIZE>(&solver_state.grid[0][c], solver_state.height);
}

template <bool ROW>
inline LineMasks masks_of(i32 line)
{
    return ROW ? row_masks(line) : col_masks(line);
}

// The packings over masks; the bound functions are these on the grid.
int leftmost_packing(LineMasks cells, i32 N, const i32* len, i32 n, i32* left_end);
void rightmost_packing(LineMasks cells, i32 N, const i32* len, i32 n, i32* right_start);

// The filled cells of the placement whose block k ends at end[k].
inline LineBits placement_by_ends(const i32* end, const i32* len, i32 n)
{
    LineBits filled{};
    for (i32 k = 1; k <= n; ++k) filled |= bits_between(end[k] - len[k] + 1, end[k]);
    return filled;
}

// The filled cells of the placement whose block k starts at start[k].
inline LineBits placement_by_starts(const i32* start, const i32* len, i32 n)
{
    LineBits filled{};
    for (i32 k = 1; k <= n; ++k) filled |= bits_between(start[k], start[k] + len[k] - 1);
    return filled;
}

// ---- lines as automata ----------------------------------------------------
// The clue 1^l1 0 1^l2 0 ... 0 1^ln read as a pattern of M characters; state j (bit j) has read
// the first j. A filled cell moves on from the states whose next character is 1; an empty cell
// moves on from those whose next character is 0, and stays where a gap may grow (before the
// first block, after a gap character, after the last block). A line agrees with the clue when
// its cells lead from state 0 to state M. With states as bits, every set of states moves at once.

struct LineAutomaton {
    i32 length;          // N
    LineBits advance[2];  // [value]: states that move on by a cell of that value (1 filled)
    LineBits stay;        // states that an empty cell keeps
    LineBits accept;      // state M
};

// 1 when the clue needs more than N cells.
int make_automaton(i32 N, const i32* len, i32 n, LineAutomaton& a);

// All ones when a cell may hold a value, none when `ruled_out` (a mask of cells) rules it out at
// position p: a filled cell may not be empty, an empty one not filled.
inline LineBits may_hold(LineBits ruled_out, i32 p) { return all_if<LineBits>(!has_bit(ruled_out, p)); }

// The states after one more cell; may_fill and may_empty are masks from may_hold().
inline LineBits automaton_step(const LineAutomaton& a, LineBits states, LineBits may_fill, LineBits may_empty)
{
    return (((states & a.advance[1]) << 1) & may_fill) |
           ((((states & a.advance[0]) << 1) | (states & a.stay)) & may_empty);
}

// The states before one more cell from which `states` can be reached.
inline LineBits automaton_back(const LineAutomaton& a, LineBits states, LineBits may_fill, LineBits may_empty)
{
    return (((states >> 1) & a.advance[1]) & may_fill) |
           ((((states >> 1) & a.advance[0]) | (states & a.stay)) & may_empty);
}

// Exact line solving: 1 when no placement agrees with the cells; otherwise the open cells that
// every agreeing placement fills, and those that it leaves empty.
int automaton_solve(const LineAutomaton& a, LineMasks cells, LineBits& must_fill, LineBits& must_empty);

// For cells that no placement agrees with: drops decided cells while that stays so, trying
// the cells of `order[0]` first, then those of order[1], and so on (each a mask of positions;
// cells in no mask are kept). Returns the cells kept.
LineMasks automaton_thin(const LineAutomaton& a, LineMasks cells, const LineBits* order, i32 groups);

}  // namespace OMBRASEL_CORE
