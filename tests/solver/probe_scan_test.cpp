// Probing against a literal line scan: both tests of every open cell, each a fresh packing of the line.
#include <gtest/gtest.h>

#include <cstring>

#include "oracle.h"

namespace {

// The scan as plainly stated: set the cell empty, pack, set it filled, pack, restore, decide.
// 1 contradiction, 2 a cell fixed, 0 nothing.
int literal_scan(bool is_row, int line, int n)
{
    SolverState& s = solver_state;
    bool fixed = false;
    for (int p = 1; p <= n; ++p) {
        const int r = is_row ? line : p;
        const int c = is_row ? p : line;
        i32& cell = s.grid[r][c];
        if (cell != CELL_UNKNOWN) continue;
        cell = CELL_EMPTY;
        const int a = is_row ? row_leftmost(line) : col_leftmost(line);
        cell = CELL_FILLED;
        const int b = is_row ? row_leftmost(line) : col_leftmost(line);
        cell = CELL_UNKNOWN;
        if (a && b) return 1;
        if (!a && !b) continue;
        cell = a ? CELL_FILLED : CELL_EMPTY;
        s.row_state[r - 1] = LINE_PENDING;
        s.col_state[c - 1] = LINE_PENDING;
        push_trail(r, c);
        fixed = true;
    }
    return fixed ? 2 : 0;
}

int literal_probe()
{
    SolverState& s = solver_state;
    for (;;) {
        if (propagate()) return 1;
        int found = 0;
        for (int c = 1; c <= s.width && !found; ++c) {
            if (s.col_state[c - 1] != LINE_SOLVED) continue;
            found = literal_scan(false, c, s.height);
            if (found == 1) return 1;
            s.col_state[c - 1] = LINE_PROBED;
        }
        for (int r = 1; r <= s.height && !found; ++r) {
            if (s.row_state[r - 1] != LINE_SOLVED) continue;
            found = literal_scan(true, r, s.width);
            if (found == 1) return 1;
            s.row_state[r - 1] = LINE_PROBED;
        }
        if (!found) return 0;
    }
}

// Everything but the bound arrays, which are scratch.
bool same_state(const SolverState& a, const SolverState& b)
{
    return std::memcmp(a.grid, b.grid, sizeof a.grid) == 0 &&
           std::memcmp(a.row_state, b.row_state, sizeof a.row_state) == 0 &&
           std::memcmp(a.col_state, b.col_state, sizeof a.col_state) == 0 && a.trail_len == b.trail_len &&
           std::memcmp(a.trail_row, b.trail_row, sizeof a.trail_row) == 0 &&
           std::memcmp(a.trail_col, b.trail_col, sizeof a.trail_col) == 0;
}

// From states a solver run meets (a board's clues, some cells of the board or of anything
// decided, lines in any state), probe must leave exactly what the literal scan leaves:
// the same return, cells, trail order and line states.
TEST(ProbeScan, MatchesTheLiteralScanOnRandomStates)
{
    const std::uint64_t seed = test_seed();
    int contradictions = 0, fixes = 0;
    for (int index = 0; index < 3000; ++index) {
        std::mt19937_64 rng = case_rng(seed, index);
        const int h = uniform(rng, 1, 25), w = uniform(rng, 1, 25);
        const Board board = random_board(rng, h, w);
        compile(clues_of(board, board));
        SCOPED_TRACE(case_name(seed, index));
        SolverState& s = solver_state;
        const double decided = std::uniform_real_distribution<double>(0.0, 0.8)(rng);
        const bool faithful = chance(rng, 0.7);  // cells of the board, or anything
        for (int r = 1; r <= s.height; ++r)
            for (int c = 1; c <= s.width; ++c) {
                if (!chance(rng, decided)) continue;
                s.grid[r][c] = faithful ? board[r - 1][c - 1] : uniform(rng, CELL_EMPTY, CELL_FILLED);
                push_trail(r, c);
            }
        for (int k = 0; k < MAX_LINES; ++k) {
            s.row_state[k] = uniform(rng, LINE_PENDING, LINE_PROBED);
            s.col_state[k] = uniform(rng, LINE_PENDING, LINE_PROBED);
        }
        const i32 trail_before = s.trail_len;

        const SolverState start = solver_state;
        const int expected = literal_probe();
        const SolverState after_literal = solver_state;
        solver_state = start;
        ASSERT_EQ(probe(), expected);
        ASSERT_TRUE(same_state(solver_state, after_literal));
        contradictions += expected;
        fixes += s.trail_len > trail_before;
    }
    // Both outcomes must have been exercised for the comparison to mean anything.
    EXPECT_GT(contradictions, 100);
    EXPECT_GT(fixes, 100);
}

}  // namespace
