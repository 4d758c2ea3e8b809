// Lines as automata over bit sets of states: exact line solving and the thinning of reasons.
#include "line.h"

#include <bit>

namespace OMBRASEL_CORE {

int make_automaton(i32 N, const i32* len, i32 n, LineAutomaton& a)
{
    i32 M = n > 0 ? n - 1 : 0;
    for (i32 k = 1; k <= n; ++k) M += len[k];
    if (M > N) return 1;
    a.length = N;
    a.advance[0] = a.advance[1] = 0;
    a.stay = 1;  // before the first block
    for (i32 k = 1, j = 0; k <= n; ++k) {
        if (k > 1) {
            a.advance[0] |= 1u << j++;  // the gap's one cell
            a.stay |= 1u << j;          // and more
        }
        for (i32 m = 0; m < len[k]; ++m) a.advance[1] |= 1u << j++;
    }
    a.stay |= 1u << M;  // after the last block
    a.accept = 1u << M;
    return 0;
}

int automaton_solve(const LineAutomaton& a, LineMasks cells, std::uint32_t& must_fill,
                    std::uint32_t& must_empty)
{
    const i32 N = a.length;
    std::uint32_t forward[GRID_SIZE];
    forward[0] = 1;
    for (i32 p = 1; p <= N; ++p) forward[p] = automaton_step(a, forward[p - 1], may_hold(cells.empty, p), may_hold(cells.filled, p));
    must_fill = must_empty = 0;
    if (!(forward[N] & a.accept)) return 1;
    const std::uint32_t open = bits_between(1, N) & ~(cells.filled | cells.empty);
    if (!open) return 0;
    const i32 lowest = std::countr_zero(open);
    std::uint32_t states = a.accept;  // after cell p, those from which the end is reached
    for (i32 p = N; p >= lowest; --p) {
        const std::uint32_t may_fill = may_hold(cells.empty, p), may_empty = may_hold(cells.filled, p);
        if (open & (1u << p)) {
            const std::uint32_t before = forward[p - 1];
            if (!(((before & a.advance[1]) << 1) & states)) must_empty |= 1u << p;
            if (!((((before & a.advance[0]) << 1) | (before & a.stay)) & states)) must_fill |= 1u << p;
        }
        states = automaton_back(a, states, may_fill, may_empty);
    }
    return 0;
}

LineMasks automaton_thin(const LineAutomaton& a, LineMasks cells, const std::uint32_t* order, i32 groups)
{
    const i32 N = a.length;
    std::uint32_t after[GRID_SIZE];  // after[p]: states after cell p from which the end is reached
    for (i32 g = 0; g < groups; ++g) {
        const std::uint32_t group = order[g] & (cells.filled | cells.empty);
        if (!group) continue;
        const i32 lowest = std::countr_zero(group);
        after[N] = a.accept;
        for (i32 p = N; p > lowest; --p) after[p - 1] = automaton_back(a, after[p], may_hold(cells.empty, p), may_hold(cells.filled, p));
        // Left to right: a cell may go when, with it open, no path passes it between the cells
        // before it (as they stand now) and the cells after it (as they stood at the pass's start,
        // and still stand).
        std::uint32_t states = 1;
        for (i32 p = 1; p < lowest; ++p) states = automaton_step(a, states, may_hold(cells.empty, p), may_hold(cells.filled, p));
        for (i32 p = lowest; p <= N; ++p) {
            const std::uint32_t bit = 1u << p;
            if ((group & bit) && !(automaton_step(a, states, ~0u, ~0u) & after[p])) {
                cells.filled &= ~bit;
                cells.empty &= ~bit;
            }
            states = automaton_step(a, states, may_hold(cells.empty, p), may_hold(cells.filled, p));
        }
    }
    return cells;
}

}  // namespace OMBRASEL_CORE
