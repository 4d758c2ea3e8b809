// Guessing with probing: fix open cells next to decided ones when one value leads to a contradiction.
#include "deadline.h"
#include "state.h"

inline namespace OMBRASEL_CORE {

namespace {

bool next_to_decided(i32 r, i32 c)
{
    const auto& g = solver_state.grid;
    return g[r - 1][c] != CELL_UNKNOWN || g[r + 1][c] != CELL_UNKNOWN || g[r][c - 1] != CELL_UNKNOWN ||
           g[r][c + 1] != CELL_UNKNOWN;
}

// Decides cell (r, c) and probes.
int try_value(i32 r, i32 c, i32 value)
{
    assign_cell(r, c, value);
    return probe();
}

}  // namespace

int guess_probe()
{
    SolverState& s = solver_state;
    i32 base = s.trail_len;
    bool fixed_any;
    do {
        fixed_any = false;
        for (i32 r = 1; r <= s.height; ++r) {
            for (i32 c = 1; c <= s.width; ++c) {
                if (s.grid[r][c] != CELL_UNKNOWN || !next_to_decided(r, c)) continue;
                if (deadline_passed()) return 0;
                const int filled_fails = try_value(r, c, CELL_FILLED);
                undo_trail(base);
                if (filled_fails) {
                    if (try_value(r, c, CELL_EMPTY)) return 1;
                } else {
                    const int empty_fails = try_value(r, c, CELL_EMPTY);
                    undo_trail(base);
                    if (!empty_fails) continue;
                    if (try_value(r, c, CELL_FILLED)) return 1;
                }
                base = s.trail_len;
                fixed_any = true;
            }
        }
    } while (fixed_any);
    return 0;
}

}  // namespace OMBRASEL_CORE
