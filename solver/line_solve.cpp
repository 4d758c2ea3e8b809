// Lines as automata over bit sets of states: exact line solving and the thinning of reasons.
#include "line.h"


inline namespace OMBRASEL_CORE {

int make_automaton(i32 N, const i32* len, i32 n, LineAutomaton& a)
{
    i32 M = n > 0 ? n - 1 : 0;
    for (i32 k = 1; k <= n; ++k) M += len[k];
    if (M > N) return 1;
    a.length = N;
    a.advance[0] = a.advance[1] = LineBits{};
    a.stay = bit_at(0);  // before the first block
    for (i32 k = 1, j = 0; k <= n; ++k) {
        if (k > 1) {
            a.advance[0] |= bit_at(j++);  // the gap's one cell
            a.stay |= bit_at(j);          // and more
        }
        for (i32 m = 0; m < len[k]; ++m) a.advance[1] |= bit_at(j++);
    }
    a.stay |= bit_at(M);  // after the last block
    a.accept = bit_at(M);
    return 0;
}

int automaton_solve(const LineAutomaton& a, LineMasks cells, LineBits& must_fill, LineBits& must_empty)
{
    const i32 N = a.length;
    LineBits forward[GRID_SIZE];
    forward[0] = bit_at(0);
    for (i32 p = 1; p <= N; ++p) forward[p] = automaton_step(a, forward[p - 1], may_hold(cells.empty, p), may_hold(cells.filled, p));
    must_fill = must_empty = LineBits{};
    if (!(forward[N] & a.accept)) return 1;
    const LineBits open = bits_between(1, N) & ~(cells.filled | cells.empty);
    if (!open) return 0;
    const i32 first = lowest(open);
    LineBits states = a.accept;  // after cell p, those from which the end is reached
    for (i32 p = N; p >= first; --p) {
        const LineBits may_fill = may_hold(cells.empty, p), may_empty = may_hold(cells.filled, p);
        if (has_bit(open, p)) {
            const LineBits before = forward[p - 1];
            if (!(((before & a.advance[1]) << 1) & states)) must_empty |= bit_at(p);
            if (!((((before & a.advance[0]) << 1) | (before & a.stay)) & states)) must_fill |= bit_at(p);
        }
        states = automaton_back(a, states, may_fill, may_empty);
    }
    return 0;
}

LineMasks automaton_thin(const LineAutomaton& a, LineMasks cells, const LineBits* order, i32 groups)
{
    const i32 N = a.length;
    LineBits after[GRID_SIZE];  // after[p]: states after cell p from which the end is reached
    for (i32 g = 0; g < groups; ++g) {
        const LineBits group = order[g] & (cells.filled | cells.empty);
        if (!group) continue;
        const i32 first = lowest(group);
        after[N] = a.accept;
        for (i32 p = N; p > first; --p) after[p - 1] = automaton_back(a, after[p], may_hold(cells.empty, p), may_hold(cells.filled, p));
        // Left to right: a cell may go when, with it open, no path passes it between the cells
        // before it (as they stand now) and the cells after it (as they stood at the pass's start,
        // and still stand).
        LineBits states = bit_at(0);
        for (i32 p = 1; p < first; ++p) states = automaton_step(a, states, may_hold(cells.empty, p), may_hold(cells.filled, p));
        for (i32 p = first; p <= N; ++p) {
            const LineBits any = all_bits<LineBits>();
            if (has_bit(group, p) && !(automaton_step(a, states, any, any) & after[p])) {
                cells.filled &= ~bit_at(p);
                cells.empty &= ~bit_at(p);
            }
            states = automaton_step(a, states, may_hold(cells.empty, p), may_hold(cells.filled, p));
        }
    }
    return cells;
}

}  // namespace OMBRASEL_CORE
