// Lines as automata over bit sets of states: exact line solving and the thinning of reasons.
#include "line.h"

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
    for (i32 p = 1; p <= N; ++p)
        forward[p] = automaton_step(a, forward[p - 1], !((cells.empty >> p) & 1u), !((cells.filled >> p) & 1u));
    must_fill = must_empty = 0;
    if (!(forward[N] & a.accept)) return 1;
    std::uint32_t back = a.accept;  // states after cell p from which the end is reached
    for (i32 p = N; p >= 1; --p) {
        const bool may_fill = !((cells.empty >> p) & 1u);
        const bool may_empty = !((cells.filled >> p) & 1u);
        if (may_fill && may_empty) {
            const bool fill_ok = (automaton_step(a, forward[p - 1], true, false) & back) != 0;
            const bool empty_ok = (automaton_step(a, forward[p - 1], false, true) & back) != 0;
            if (!empty_ok) must_fill |= 1u << p;
            if (!fill_ok) must_empty |= 1u << p;
        }
        back = automaton_back(a, back, may_fill, may_empty);
    }
    return 0;
}

LineMasks automaton_thin(const LineAutomaton& a, LineMasks cells, const std::uint32_t* order, i32 groups)
{
    const i32 N = a.length;
    std::uint32_t back[GRID_SIZE];
    for (i32 g = 0; g < groups; ++g) {
        const std::uint32_t group = order[g];
        if (!(group & (cells.filled | cells.empty))) continue;
        back[N] = a.accept;
        for (i32 p = N; p >= 1; --p)
            back[p - 1] = automaton_back(a, back[p], !((cells.empty >> p) & 1u), !((cells.filled >> p) & 1u));
        // Left to right: a cell may go when, with it open, no path passes it between the cells
        // before it (as they stand now) and the cells after it (as they stood at the pass's start,
        // and still stand).
        std::uint32_t states = 1;
        for (i32 p = 1; p <= N; ++p) {
            const std::uint32_t bit = 1u << p;
            if ((group & bit) && ((cells.filled | cells.empty) & bit) &&
                !(automaton_step(a, states, true, true) & back[p])) {
                cells.filled &= ~bit;
                cells.empty &= ~bit;
            }
            states = automaton_step(a, states, !(cells.empty & bit), !(cells.filled & bit));
        }
    }
    return cells;
}
