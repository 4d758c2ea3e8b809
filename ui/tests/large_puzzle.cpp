// Prints a 25 x 25 puzzle made from a seeded random board, as the end-to-end test types it,
// and what the solver answers for it:
//   large_puzzle SEED PERCENT
// "row R" or "col C" and slots 0 to 12 (the numbers in the slots nearest the grid), one line
// a line, then "status S", then "marks R" and the 25 marks of row R, for every row.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "entry.h"
#include "state.h"

namespace {

std::uint64_t next(std::uint64_t& x)  // splitmix64: the same numbers on every platform
{
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: large_puzzle SEED PERCENT\n");
        return 2;
    }
    std::uint64_t x = std::strtoull(argv[1], nullptr, 10);
    const std::uint64_t percent = std::strtoull(argv[2], nullptr, 10);
    bool board[MAX_LINES][MAX_LINES];
    for (auto& row : board)
        for (bool& cell : row) cell = next(x) % 100 < percent;
    enter_puzzle(puzzle_of_drawing(MAX_LINES, MAX_LINES, [&](int r, int c) { return board[r][c]; }));
    const SolverState& s = solver_state;
    for (int line = 0; line < MAX_LINES; ++line) {
        std::printf("row %d", line + 1);
        for (i32 entry : s.row_clue_input[line]) std::printf(" %d", static_cast<int>(entry));
        std::printf("\ncol %d", line + 1);
        for (i32 entry : s.col_clue_input[line]) std::printf(" %d", static_cast<int>(entry));
        std::printf("\n");
    }
    solve();
    std::printf("status %d\n", static_cast<int>(s.status));
    for (int r = 0; r < MAX_LINES; ++r) {
        std::printf("marks %d", r + 1);
        for (i32 mark : s.result_grid[r]) std::printf(" %d", static_cast<int>(mark));
        std::printf("\n");
    }
    return 0;
}
