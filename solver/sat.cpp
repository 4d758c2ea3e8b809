// The clause-learning solver: propagation, reasons, conflict analysis, branching, restarts, clean-ups.
#include "sat.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <initializer_list>

#include "deadline.h"
#include "line.h"

inline namespace OMBRASEL_CORE {

SatState sat_state;

namespace {

SatState& S = sat_state;

constexpr u32 SAT_BINARY = 0x80000000u;
constexpr u32 HEADER_LEARNT = 1u;
constexpr u32 HEADER_DELETED = 2u;
constexpr i32 CLAUSE_WORDS = 2;  // header (size << 2 | flags), then the LBD
constexpr double VAR_DECAY = 0.95;

// ---- clauses --------------------------------------------------------------

inline u32 clause_size(u32 cref) { return S.arena[cref] >> 2; }
inline bool clause_learnt(u32 cref) { return (S.arena[cref] & HEADER_LEARNT) != 0; }
inline bool clause_deleted(u32 cref) { return (S.arena[cref] & HEADER_DELETED) != 0; }
inline i32* clause_lits(u32 cref) { return reinterpret_cast<i32*>(&S.arena[cref + CLAUSE_WORDS]); }

// ---- activity ---------------------------------------------------------------

void bump_var(i32 v)
{
    S.activity[v] += S.var_inc;
    if (S.activity[v] > 1e100) {
        for (i32 u = 0; u < S.num_vars; ++u) S.activity[u] *= 1e-100;
        S.var_inc *= 1e-100;
    }
    heap_raise(S.order, v);
}

// ---- watched clauses --------------------------------------------------------

// Watches the first two literals of a clause.
void attach(u32 cref)
{
    const i32* c = clause_lits(cref);
    const u32 tag = clause_size(cref) == 2 ? SAT_BINARY : 0u;
    watch(S.watches, sat_not(c[0]), {cref | tag, c[1]});
    watch(S.watches, sat_not(c[1]), {cref | tag, c[0]});
}

// Rebuilds every watch list from the clauses, whose first two literals are the watched ones.
void rebuild_watches()
{
    for (i32 p = 0; p < S.watches.count; ++p) S.watches.lists[p].size = 0;
    for (u32 cref = 0; cref < S.arena_top; cref += CLAUSE_WORDS + clause_size(cref)) {
        if (clause_deleted(cref)) continue;
        const i32* c = clause_lits(cref);
        ++S.watches.lists[sat_not(c[0])].size;
        ++S.watches.lists[sat_not(c[1])].size;
    }
    watches_lay_out(S.watches);
    for (u32 cref = 0; cref < S.arena_top; cref += CLAUSE_WORDS + clause_size(cref))
        if (!clause_deleted(cref)) attach(cref);
}

// Stores a clause of two or more literals; its first two are to be watched.
u32 store_clause(const i32* lits, i32 count, bool learnt, u32 lbd)
{
    const u32 cref = S.arena_top;
    assert(count >= 2);
    assert(cref + CLAUSE_WORDS + static_cast<u32>(count) <= S.arena_limit);
    assert(S.num_clauses < S.clause_limit);
    S.arena[cref] = static_cast<u32>(count) << 2 | (learnt ? HEADER_LEARNT : 0u);
    S.arena[cref + 1] = lbd;
    std::copy(lits, lits + count, clause_lits(cref));
    S.arena_top += CLAUSE_WORDS + static_cast<u32>(count);
    ++S.num_clauses;
    if (learnt) S.learnts[S.num_learnts++] = cref;
    attach(cref);
    return cref;
}

// ---- assignment -------------------------------------------------------------

inline void queue_line(i32 line)
{
    SatLine& l = S.lines[line];
    if (l.queued) return;
    l.queued = true;
    i32 at = S.queue_head + S.queue_size;
    if (at >= SAT_MAX_LINES) at -= SAT_MAX_LINES;
    S.line_queue[at] = line;
    ++S.queue_size;
}

// Assigns a literal; the lines through its cell, but for `solved` (the line that forced it),
// wait for line solving.
inline void assign(i32 lit, u32 from, i32 solved = -1)
{
    const i32 v = sat_var(lit);
    S.value[lit] = 1;
    S.value[sat_not(lit)] = -1;
    S.level[v] = S.levels;
    S.reason[v] = from;
    S.trail_pos[v] = S.trail_size;
    S.trail[S.trail_size++] = lit;
    const bool filled = (lit & 1) == 0;
    for (int k = 0; k < 2; ++k) {
        const i32 line = S.line_of[v][k];
        if (line < 0) continue;
        const LineBits bit = bit_at(S.pos_of[v][k]);
        (filled ? S.lines[line].filled : S.lines[line].empty) |= bit;
        if (line != solved) queue_line(line);
    }
}

inline void new_level() { S.trail_lim[S.levels++] = S.trail_size; }

void clear_line_queue()
{
    for (; S.queue_size > 0; --S.queue_size) {
        S.lines[S.line_queue[S.queue_head]].queued = false;
        if (++S.queue_head == SAT_MAX_LINES) S.queue_head = 0;
    }
}

// Takes back the levels above `level`; the values taken back become the variables' phases
// unless `save_phase` is false (a trial's values are not the search's).
void cancel_until(i32 level, bool save_phase = true)
{
    if (S.levels <= level) return;
    for (i32 i = S.trail_size - 1; i >= S.trail_lim[level]; --i) {
        const i32 lit = S.trail[i];
        const i32 v = sat_var(lit);
        S.value[lit] = 0;
        S.value[sat_not(lit)] = 0;
        if (save_phase && !S.pinned[v]) S.phase[v] = (lit & 1) == 0;
        S.reason[v] = SAT_NO_CLAUSE;
        S.explained_size[v] = 0;
        for (int k = 0; k < 2; ++k) {
            const i32 line = S.line_of[v][k];
            if (line < 0) continue;
            const LineBits bit = ~bit_at(S.pos_of[v][k]);
            S.lines[line].filled &= bit;
            S.lines[line].empty &= bit;
        }
        if (S.decision[v]) heap_insert(S.order, v);
    }
    S.trail_size = S.trail_lim[level];
    S.qhead = S.trail_size;
    S.levels = level;
    // Every level was propagated in full before the next began.
    clear_line_queue();
}

// Propagates every assignment not yet propagated through the clauses; returns a clause all of
// whose literals are false, or SAT_NO_CLAUSE.
u32 propagate_clauses()
{
    u32 conflict = SAT_NO_CLAUSE;
    std::int64_t visited = 0;
    while (S.qhead < S.trail_size) {
        const i32 p = S.trail[S.qhead++];
        const i32 false_lit = sat_not(p);
        ++visited;
        SatWatchList& list = S.watches.lists[p];
        const u32 n = list.size;  // kept while the list is walked, so that compaction copies it whole
        SatWatcher* ws = watch_data(S.watches, p);
        u32 i = 0, j = 0;
        while (i < n) {
            const SatWatcher w = ws[i++];
            if (S.value[w.blocker] > 0) {
                ws[j++] = w;
                continue;
            }
            if (w.cref & SAT_BINARY) {
                ws[j++] = w;
                if (S.value[w.blocker] < 0) {
                    conflict = w.cref & ~SAT_BINARY;
                    break;
                }
                assign(w.blocker, w.cref & ~SAT_BINARY);
                continue;
            }
            i32* c = clause_lits(w.cref);
            if (c[0] == false_lit) {
                c[0] = c[1];
                c[1] = false_lit;
            }
            const i32 first = c[0];
            const SatWatcher kept{w.cref, first};
            if (first != w.blocker && S.value[first] > 0) {
                ws[j++] = kept;
                continue;
            }
            const u32 size = clause_size(w.cref);
            bool moved = false;
            for (u32 k = 2; k < size; ++k) {
                if (S.value[c[k]] >= 0) {
                    c[1] = c[k];
                    c[k] = false_lit;
                    watch(S.watches, sat_not(c[1]), kept);
                    ws = watch_data(S.watches, p);  // the pool may have been compacted
                    moved = true;
                    break;
                }
            }
            if (moved) continue;
            ws[j++] = kept;
            if (S.value[first] < 0) {
                conflict = w.cref;
                break;
            }
            assign(first, w.cref);
        }
        while (i < n) ws[j++] = ws[i++];
        list.size = j;
        if (conflict != SAT_NO_CLAUSE) {
            S.qhead = S.trail_size;
            break;
        }
    }
    solver_stats.propagations += visited;
    return conflict;
}

// A line of up to 25 cells: its cells and its number are the key, and the result fits a word.
template <class Bits>
inline bool solve_line_cached(SatPackedLineResult* cache, i32 line, const LineAutomaton& a, Bits filled, Bits empty,
                              Bits& must_fill, Bits& must_empty)
{
    static_assert(2 * WINDOW_MAX_LINES <= 64, "a line's cells and number fill a key");
    const std::uint64_t key = (S.line_generation << 56) | (std::uint64_t{static_cast<u32>(line)} << 50) |
                              (std::uint64_t{filled >> 1} << 25) | (empty >> 1);
    SatPackedLineResult& slot = cache[(key * 0x9e3779b97f4a7c15u) >> (64 - SAT_LINE_CACHE_BITS)];
    constexpr std::uint64_t MASK = (1u << 25) - 1;
    if (slot.key == key) {
        must_fill = static_cast<u32>(slot.result & MASK) << 1;
        must_empty = static_cast<u32>((slot.result >> 25) & MASK) << 1;
        return (slot.result >> 50) != 0;
    }
    const bool failed = automaton_solve(a, {filled, empty}, must_fill, must_empty) != 0;
    slot.key = key;
    slot.result = std::uint64_t{must_fill >> 1} | (std::uint64_t{must_empty >> 1} << 25) |
                  (std::uint64_t{failed} << 50);
    return failed;
}

// Hashes of the cells of a longer line (the window's build has none).
[[maybe_unused]] inline std::uint64_t mix(std::uint64_t hash, std::uint64_t word)
{
    return (hash ^ word) * 0x9e3779b97f4a7c15u;
}
template <int WORDS>
std::uint64_t mix(std::uint64_t hash, const WideBits<WORDS>& bits)
{
    for (const std::uint64_t word : bits.w) hash = mix(hash, word);
    return hash;
}

// A longer line: the slot keeps the cells beside the key.
template <class Bits>
inline bool solve_line_cached(SatWideLineResult* cache, i32 line, const LineAutomaton& a, Bits filled, Bits empty,
                              Bits& must_fill, Bits& must_empty)
{
    const std::uint64_t key = (S.line_generation << 32) | static_cast<u32>(line);
    SatWideLineResult& slot = cache[mix(mix(key, filled), empty) >> (64 - SAT_LINE_CACHE_BITS)];
    if (slot.key == key && slot.filled == filled && slot.empty == empty) {
        must_fill = slot.must_fill;
        must_empty = slot.must_empty;
        return slot.failed;
    }
    const bool failed = automaton_solve(a, {filled, empty}, must_fill, must_empty) != 0;
    slot = {key, filled, empty, must_fill, must_empty, failed};
    return failed;
}

// Line solving of a line as its cells stand, remembered in S.line_cache.
inline bool solve_line(i32 line, const SatLine& l, LineBits& must_fill, LineBits& must_empty)
{
    return solve_line_cached(S.line_cache, line, l.automaton, l.filled, l.empty, must_fill, must_empty);
}

// Propagates through clauses and lines until nothing follows; returns the conflict, a clause or
// SAT_LINE | line, or SAT_NO_CLAUSE. Clauses go first, as they cost least.
u32 propagate_all()
{
    for (;;) {
        const u32 conflict = propagate_clauses();
        if (conflict != SAT_NO_CLAUSE) return conflict;
        if (S.queue_size == 0) return SAT_NO_CLAUSE;
        const i32 line = S.line_queue[S.queue_head];
        if (++S.queue_head == SAT_MAX_LINES) S.queue_head = 0;
        --S.queue_size;
        SatLine& l = S.lines[line];
        l.queued = false;
        LineBits must_fill{}, must_empty{};
        if (solve_line(line, l, must_fill, must_empty)) {
            clear_line_queue();
            return SAT_LINE | static_cast<u32>(line);
        }
        for (LineBits rest = must_fill | must_empty; rest; rest = without_lowest(rest)) {
            const i32 p = lowest(rest);
            assign(sat_lit(l.var[p], has_bit(must_fill, p)), SAT_LINE | static_cast<u32>(line), line);
        }
    }
}

// ---- reasons of the lines ------------------------------------------------------

inline i32 position_in(i32 v, i32 line) { return S.pos_of[v][S.line_of[v][0] == line ? 0 : 1]; }

// Thins the assigned cells of a line that are on the trail before `before` to a set that still
// refutes the line, together with the cell of `extra` set to extra_filled when extra is not -1.
// The line solving that forced the cell, or found the conflict, refuted the line with them all.
// Cells of later decision levels are tried for dropping first, so that old ones stay. Writes the
// negations of the cells kept to out and returns how many.
i32 thin_reason(i32 line, i32 before, i32 extra, bool extra_filled, i32* out)
{
    const SatLine& l = S.lines[line];
    LineBits filled = l.filled, empty = l.empty;
    i32 cells[GRID_SIZE];  // positions of the cells that may be dropped
    i32 levels[GRID_SIZE];
    i32 count = 0;
    i32 latest = 0;
    for (LineBits rest = (filled | empty) & l.open; rest; rest = without_lowest(rest)) {
        const i32 p = lowest(rest);
        const i32 v = l.var[p];
        if (S.trail_pos[v] >= before) {
            filled &= ~bit_at(p);
            empty &= ~bit_at(p);
        } else if (S.level[v] > 0) {
            cells[count] = p;  // cells of level 0 hold for good and are never listed
            levels[count++] = S.level[v];
            latest = std::max(latest, S.level[v]);
        }
    }
    if (extra >= 0) (extra_filled ? filled : empty) |= bit_at(position_in(extra, line));
    // Two groups: the cells of the latest decision level, then the rest.
    LineBits order[2] = {};
    for (i32 i = 0; i < count; ++i) order[levels[i] == latest ? 0 : 1] |= bit_at(cells[i]);
    const LineBits listed = order[0] | order[1];
    const LineMasks kept = automaton_thin(l.automaton, {filled, empty}, order, 2);
    i32 n = 0;
    for (LineBits rest = (kept.filled | kept.empty) & listed; rest; rest = without_lowest(rest)) {
        const i32 p = lowest(rest);
        out[n++] = sat_lit(l.var[p], has_bit(kept.empty, p));
    }
    return n;
}

// The literals of a variable's reason, the true one among them; a line's reason is worked out
// when first asked for and kept while the variable stays assigned.
const i32* reason_lits(i32 v, u32& count)
{
    const u32 r = S.reason[v];
    if (!(r & SAT_LINE)) {
        count = clause_size(r);
        return clause_lits(r);
    }
    i32* out = &S.explanation[v * SAT_MAX_EXPLANATION];
    if (S.explained_size[v] == 0) {
        const bool filled = S.value[2 * v] > 0;
        out[0] = sat_lit(v, filled);
        S.explained_size[v] = 1 + thin_reason(static_cast<i32>(r & ~SAT_LINE), S.trail_pos[v], v, !filled, out + 1);
    }
    count = static_cast<u32>(S.explained_size[v]);
    return out;
}

// ---- conflict analysis ------------------------------------------------------

inline u32 abstract_level(i32 v) { return 1u << (S.level[v] & 31); }

// Marks of the conflict analysis in seen[].
constexpr std::int8_t IN_CLAUSE = 1;
constexpr std::int8_t REMOVABLE = 2;  // implied by literals of the clause
constexpr std::int8_t NEEDED = 3;     // not implied by them

// Whether the literal of the learned clause follows from its other literals through reasons:
// a depth-first walk over reasons that stops at literals of the clause, remembering both
// outcomes for the rest of the analysis. A line's reason not yet worked out counts as not
// implied: thinning it for this walk alone costs more than the shorter clause saves.
bool redundant(i32 lit, u32 levels_in_clause, i32& clear_count)
{
    i32 top = 0;
    S.stack[top] = sat_var(lit);
    S.stack_next[top] = 0;
    ++top;
    while (top > 0) {
        const i32 v = S.stack[top - 1];
        u32 size = 0;
        const i32* c = reason_lits(v, size);
        const u32 k = static_cast<u32>(S.stack_next[top - 1]);
        if (k == size) {
            --top;
            if (top > 0) {
                S.seen[v] = REMOVABLE;
                S.to_clear[clear_count++] = v;
            }
            continue;
        }
        ++S.stack_next[top - 1];
        const i32 u = sat_var(c[k]);
        if (u == v || S.level[u] == 0 || S.seen[u] == IN_CLAUSE || S.seen[u] == REMOVABLE) continue;
        const bool unexplained = (S.reason[u] & SAT_LINE) && S.explained_size[u] == 0;
        if (S.seen[u] == NEEDED || S.reason[u] == SAT_NO_CLAUSE || unexplained || !(abstract_level(u) & levels_in_clause)) {
            for (i32 m = 1; m < top; ++m) {
                S.seen[S.stack[m]] = NEEDED;
                S.to_clear[clear_count++] = S.stack[m];
            }
            return false;
        }
        S.stack[top] = u;
        S.stack_next[top] = 0;
        ++top;
    }
    return true;
}

// Learns a clause from a conflict: S.learnt[0] is the literal it asserts after the backjump
// to the returned level, S.learnt[1] a literal of that level.
i32 analyze(u32 conflict, i32& size, u32& lbd)
{
    i32 paths = 0;
    i32 p = -1;
    i32 index = S.trail_size - 1;
    i32 n = 1;
    i32 conflict_lits[SAT_MAX_EXPLANATION];
    const i32* c = nullptr;
    u32 count = 0;
    if (conflict & SAT_LINE) {
        const i32 line = static_cast<i32>(conflict & ~SAT_LINE);
        count = static_cast<u32>(thin_reason(line, SAT_MAX_VARS, -1, false, conflict_lits));
        c = conflict_lits;
    } else {
        c = clause_lits(conflict);
        count = clause_size(conflict);
    }
    for (;;) {
        for (u32 k = 0; k < count; ++k) {
            const i32 q = c[k];
            const i32 v = sat_var(q);
            if (q == p || S.seen[v] || S.level[v] == 0) continue;
            bump_var(v);
            S.seen[v] = IN_CLAUSE;
            if (S.level[v] >= S.levels)
                ++paths;
            else
                S.learnt[n++] = q;
        }
        // Every level was propagated in full before the next began, so a conflict always
        // involves the latest level.
        assert(paths > 0);
        while (!S.seen[sat_var(S.trail[index])]) --index;
        p = S.trail[index--];
        S.seen[sat_var(p)] = 0;
        if (--paths == 0) break;
        c = reason_lits(sat_var(p), count);
    }
    S.learnt[0] = sat_not(p);

    // Drop the literals that the others imply.
    i32 clear_count = 0;
    u32 levels_in_clause = 0;
    for (i32 k = 1; k < n; ++k) {
        levels_in_clause |= abstract_level(sat_var(S.learnt[k]));
        S.to_clear[clear_count++] = sat_var(S.learnt[k]);
    }
    i32 kept = 1;
    for (i32 k = 1; k < n; ++k) {
        const i32 v = sat_var(S.learnt[k]);
        if (S.reason[v] == SAT_NO_CLAUSE || !redundant(S.learnt[k], levels_in_clause, clear_count))
            S.learnt[kept++] = S.learnt[k];
    }
    n = kept;
    for (i32 k = 0; k < clear_count; ++k) S.seen[S.to_clear[k]] = 0;

    i32 back = 0;
    if (n > 1) {
        i32 max_k = 1;
        for (i32 k = 2; k < n; ++k)
            if (S.level[sat_var(S.learnt[k])] > S.level[sat_var(S.learnt[max_k])]) max_k = k;
        std::swap(S.learnt[1], S.learnt[max_k]);
        back = S.level[sat_var(S.learnt[1])];
    }
    ++S.stamp;
    lbd = 0;
    for (i32 k = 0; k < n; ++k) {
        const i32 l = S.level[sat_var(S.learnt[k])];
        if (S.level_stamp[l] != S.stamp) {
            S.level_stamp[l] = S.stamp;
            ++lbd;
        }
    }
    size = n;
    return back;
}

// ---- clean-up of learned clauses --------------------------------------------

bool locked(u32 cref)
{
    const i32* c = clause_lits(cref);
    for (int k = 0; k < 2; ++k) {
        const i32 v = sat_var(c[k]);
        if (S.reason[v] == cref && S.value[c[k]] > 0) return true;
    }
    return false;
}

bool satisfied_at_root(u32 cref)
{
    const i32* c = clause_lits(cref);
    const u32 size = clause_size(cref);
    for (u32 k = 0; k < size; ++k)
        if (S.value[c[k]] > 0 && S.level[sat_var(c[k])] == 0) return true;
    return false;
}

// Deletes the worse half of the learned clauses (by the number of levels they spanned when
// learned, then by age; those of two levels or two literals stay unless `all`) and every
// clause satisfied for good, then packs the arena and rebuilds the watch lists. Runs with
// nothing left to propagate. Clauses that are reasons stay.
void reduce(bool all = false)
{
    ++solver_stats.reductions;
    u32* first = S.learnts;
    u32* last = S.learnts + S.num_learnts;
    std::sort(first, last, [](u32 a, u32 b) {
        const u32 la = S.arena[a + 1], lb = S.arena[b + 1];
        return la != lb ? la < lb : a > b;
    });
    const i32 keep = S.num_learnts / 2;
    for (i32 k = keep; k < S.num_learnts; ++k) {
        const u32 cref = S.learnts[k];
        if ((all || (S.arena[cref + 1] > 2 && clause_size(cref) > 2)) && !locked(cref)) S.arena[cref] |= HEADER_DELETED;
    }
    for (u32 cref = 0; cref < S.arena_top; cref += CLAUSE_WORDS + clause_size(cref))
        if (!clause_deleted(cref) && !locked(cref) && satisfied_at_root(cref)) S.arena[cref] |= HEADER_DELETED;

    // Pack: clauses keep their order, so the moves are recorded sorted by old position.
    u32 top = 0;
    i32 moves = 0;
    S.num_learnts = 0;
    S.num_clauses = 0;
    for (u32 cref = 0; cref < S.arena_top;) {
        const u32 words = CLAUSE_WORDS + clause_size(cref);
        if (!clause_deleted(cref)) {
            std::copy(&S.arena[cref], &S.arena[cref] + words, &S.arena[top]);
            S.reloc_from[moves] = cref;
            S.reloc_to[moves] = top;
            ++moves;
            if (clause_learnt(top)) S.learnts[S.num_learnts++] = top;
            ++S.num_clauses;
            top += words;
        }
        cref += words;
    }
    S.arena_top = top;
    for (i32 i = 0; i < S.trail_size; ++i) {
        const i32 v = sat_var(S.trail[i]);
        if (S.reason[v] == SAT_NO_CLAUSE || (S.reason[v] & SAT_LINE)) continue;
        if (S.level[v] == 0) {
            S.reason[v] = SAT_NO_CLAUSE;  // never looked at again
            continue;
        }
        const u32* at = std::lower_bound(S.reloc_from, S.reloc_from + moves, S.reason[v]);
        assert(at != S.reloc_from + moves && *at == S.reason[v]);
        S.reason[v] = S.reloc_to[at - S.reloc_from];
    }
    rebuild_watches();
}

bool must_reduce(i32 next_clause_words)
{
    return S.num_clauses + 1 >= S.clause_limit ||
           S.arena_top + CLAUSE_WORDS + static_cast<u32>(next_clause_words) > S.arena_limit;
}

// Makes room for a clause of this many literals.
void make_room(i32 literals)
{
    if (!must_reduce(literals)) return;
    reduce();
    if (must_reduce(literals)) reduce(true);
}

// ---- search -----------------------------------------------------------------

// The Luby sequence 1, 1, 2, 1, 1, 2, 4, ...: the i-th restart's length in units.
double luby(i32 i)
{
    i32 size = 1, seq = 0;
    while (size < i + 1) {
        ++seq;
        size = 2 * size + 1;
    }
    double unit = 1;
    while (size - 1 != i) {
        size = (size - 1) >> 1;
        --seq;
        i %= size;
    }
    for (i32 k = 0; k < seq; ++k) unit *= 2;
    return unit;
}

constexpr i32 SEARCH_UNKNOWN = -1;

inline bool branch_value(i32 v)
{
    return (S.longest_trail > 0 && !S.pinned[v] ? S.target[v] : S.phase[v]) != 0;
}

// The most active variable that may be branched on and is open, taken off the heap; -1 for none.
i32 pop_open_var()
{
    while (S.order.size > 0) {
        const i32 v = heap_pop(S.order);
        if (S.value[2 * v] == 0 && S.decision[v]) return v;
    }
    return -1;
}

// Chooses the next decision by trying the most active open variables both ways, each trial a
// level of its own that is taken back: the variable whose trials decide the most cells (the
// product of the two counts, then their sum) is decided, with its branching value. Returns the
// literal, or -1 with `conflict` set when a trial failed; its level then stays, for the
// conflict to be learned from like any other.
i32 lookahead(u32& conflict)
{
    i32 tried[SAT_MAX_LOOKAHEAD];
    i32 n = 0;
    const i32 width = std::min(S.lookahead_width, SAT_MAX_LOOKAHEAD);
    while (n < width) {
        const i32 v = pop_open_var();
        if (v < 0) break;
        tried[n++] = v;
    }
    conflict = SAT_NO_CLAUSE;
    i32 best = -1;
    std::int64_t best_score = -1;
    for (i32 i = 0; i < n && conflict == SAT_NO_CLAUSE; ++i) {
        const i32 v = tried[i];
        i32 decided[2] = {0, 0};
        for (i32 value = 0; value < 2; ++value) {
            ++solver_stats.trials;
            new_level();
            assign(sat_lit(v, value != 0), SAT_NO_CLAUSE);
            conflict = propagate_all();
            if (conflict != SAT_NO_CLAUSE) {
                ++solver_stats.failed_trials;
                break;
            }
            decided[value] = S.trail_size - S.trail_lim[S.levels - 1];
            cancel_until(S.levels - 1, false);
        }
        if (conflict != SAT_NO_CLAUSE) break;
        const std::int64_t score = std::int64_t{decided[0]} * decided[1] + decided[0] + decided[1];
        if (score > best_score) {
            best_score = score;
            best = v;
        }
    }
    for (i32 i = 0; i < n; ++i)
        if (S.value[2 * tried[i]] == 0) heap_insert(S.order, tried[i]);
    return conflict == SAT_NO_CLAUSE && best >= 0 ? sat_lit(best, branch_value(best)) : -1;
}

// One restart's worth of search: SAT_SATISFIABLE, SAT_UNSATISFIABLE or SEARCH_UNKNOWN when
// the conflict budget is spent.
i32 search_until(std::int64_t budget)
{
    u32 failed = SAT_NO_CLAUSE;  // the conflict of a lookahead's trial, not yet learned from
    for (;;) {
        const u32 conflict = failed != SAT_NO_CLAUSE ? failed : propagate_all();
        failed = SAT_NO_CLAUSE;
        if (conflict != SAT_NO_CLAUSE) {
            ++S.conflicts;
            ++solver_stats.conflicts;
            --budget;
            if (S.levels == 0) {
                S.ok = false;
                return SAT_UNSATISFIABLE;
            }
            if (S.trail_size > S.longest_trail) {
                S.longest_trail = S.trail_size;
                for (i32 i = 0; i < S.trail_size; ++i) S.target[sat_var(S.trail[i])] = (S.trail[i] & 1) == 0;
            }
            i32 size = 0;
            u32 lbd = 0;
            const i32 back = analyze(conflict, size, lbd);
            cancel_until(back);
            if (size == 1) {
                assign(S.learnt[0], SAT_NO_CLAUSE);
            } else {
                make_room(size);
                assign(S.learnt[0], store_clause(S.learnt, size, true, lbd));
            }
            S.var_inc /= VAR_DECAY;
            continue;
        }
        if (budget <= 0 || deadline_passed()) {
            cancel_until(std::min(S.levels, S.num_assumptions));
            return SEARCH_UNKNOWN;
        }
        if (S.conflicts >= S.next_reduce) {
            S.next_reduce = S.conflicts + S.reduce_interval;
            S.reduce_interval += 300;
            reduce();
        }
        i32 next = -1;
        while (S.levels < S.num_assumptions) {
            const i32 p = S.assumptions[S.levels];
            if (S.value[p] > 0) {
                new_level();  // already true: a level of its own, so that levels match assumptions
            } else if (S.value[p] < 0) {
                return SAT_UNSATISFIABLE;
            } else {
                next = p;
                break;
            }
        }
        if (next < 0 && S.lookahead_width > 0) {
            next = lookahead(failed);
            if (failed != SAT_NO_CLAUSE) {
                ++solver_stats.decisions;  // the failed trial's level stands as a decision
                continue;
            }
            if (next >= 0) ++solver_stats.decisions;
        }
        if (next < 0) {
            if (const i32 v = pop_open_var(); v >= 0) next = sat_lit(v, branch_value(v));
            // Variables not branched on are normally implied once the others are set.
            for (i32 v = 0; next < 0 && S.trail_size < S.num_vars && v < S.num_vars; ++v)
                if (S.value[2 * v] == 0) next = sat_lit(v, S.phase[v] != 0);
            if (next < 0) return SAT_SATISFIABLE;
            ++solver_stats.decisions;
        }
        new_level();
        assign(next, SAT_NO_CLAUSE);
    }
}

// Sets the values tried first afresh and forgets the longest trail: the k-th time in a search
// to the opposite of the longest trail's values when k is odd, to random ones when it is even.
void rephase(i32 k)
{
    ++solver_stats.rephases;
    for (i32 v = 0; v < S.num_vars; ++v) {
        if (S.pinned[v]) continue;
        if (k % 2 == 1) {
            S.phase[v] = S.target[v] ? 0 : 1;
        } else {
            S.random ^= S.random << 13;  // xorshift64
            S.random ^= S.random >> 7;
            S.random ^= S.random << 17;
            S.phase[v] = static_cast<std::int8_t>(S.random & 1u);
        }
    }
    S.longest_trail = 0;
}

void grant_wishes()
{
    for (i32 k = 0; k < S.num_wishes; ++k) S.phase[S.wished_var[k]] = S.wished_value[k];
    S.num_wishes = 0;
}

}  // namespace

// ---- interface ----------------------------------------------------------------

void sat_reset()
{
    S.num_vars = 0;
    S.ok = true;
    S.var_inc = 1;
    S.trail_size = 0;
    S.qhead = 0;
    S.levels = 0;
    S.num_assumptions = 0;
    S.arena_top = 0;
    S.num_clauses = 0;
    S.num_learnts = 0;
    S.stamp = 0;
    S.conflicts = 0;
    S.next_reduce = 2000;
    S.reduce_interval = 2000;
    S.rephase_interval = 2000;
    S.restart_unit = 100;
    S.lookahead_width = SAT_MAX_LOOKAHEAD;
    S.random = 88172645463325252u;
    S.arena_limit = SAT_ARENA_WORDS;
    S.clause_limit = SAT_MAX_CLAUSES;
    S.restart_count = 0;
    S.num_wishes = 0;
    S.longest_trail = 0;
    S.num_lines = 0;
    S.order.size = 0;
    watches_reset(S.watches);
    if (++S.line_generation == 256) {  // the oldest entries could pass for new ones
        S.line_generation = 1;
        for (SatLineResult& slot : S.line_cache) slot.key = 0;
    }
    S.queue_head = 0;
    S.queue_size = 0;
}

int sat_add_line(i32 length, const i32* len, i32 count, const i32* var, LineBits filled, LineBits empty)
{
    assert(S.num_lines < SAT_MAX_LINES && S.num_clauses == 0 && S.trail_size == 0);
    const i32 line = S.num_lines;
    SatLine& l = S.lines[line];
    if (make_automaton(length, len, count, l.automaton)) {
        S.ok = false;
        return 1;
    }
    ++S.num_lines;
    l.filled = filled;
    l.empty = empty;
    l.queued = false;
    for (i32 p = 0; p < GRID_SIZE; ++p) l.var[p] = p >= 1 && p <= length ? var[p] : -1;
    l.open = LineBits{};
    for (i32 p = 1; p <= length; ++p) {
        const i32 v = var[p];
        if (v < 0) continue;
        l.open |= bit_at(p);
        const int side = S.line_of[v][0] < 0 ? 0 : 1;
        assert(S.line_of[v][side] < 0);
        S.line_of[v][side] = line;
        S.pos_of[v][side] = p;
    }
    queue_line(line);
    return 0;
}

i32 sat_new_var()
{
    assert(S.num_vars < SAT_MAX_VARS);
    const i32 v = S.num_vars++;
    for (const i32 lit : {sat_lit(v, true), sat_lit(v, false)}) {
        S.value[lit] = 0;
        watches_add_list(S.watches, lit);
    }
    S.level[v] = 0;
    S.reason[v] = SAT_NO_CLAUSE;
    S.phase[v] = 0;
    S.target[v] = 0;
    S.pinned[v] = 0;
    S.seen[v] = 0;
    S.activity[v] = 0;
    S.order.pos[v] = -1;
    S.decision[v] = 1;
    S.trail_pos[v] = 0;
    S.explained_size[v] = 0;
    S.line_of[v][0] = S.line_of[v][1] = -1;
    S.pos_of[v][0] = S.pos_of[v][1] = 0;
    S.level_stamp[v] = 0;
    S.level_stamp[v + 1] = 0;
    heap_insert(S.order, v);
    return v;
}

void sat_set_decision(i32 var, bool branch)
{
    S.decision[var] = branch ? 1 : 0;
    if (branch && S.value[2 * var] == 0) heap_insert(S.order, var);
}

void sat_pin_phase(i32 var, bool pinned) { S.pinned[var] = pinned ? 1 : 0; }

void sat_set_phase(i32 var, bool value)
{
    // An assigned variable saves its value as its phase when it is unassigned, so the wish
    // is kept until the next search has taken back what it will.
    S.wished_var[S.num_wishes] = var;
    S.wished_value[S.num_wishes] = value ? 1 : 0;
    ++S.num_wishes;
    if (S.num_wishes == SAT_MAX_VARS) {
        cancel_until(0);
        grant_wishes();
    }
}

int sat_add_clause(const i32* lits, i32 count)
{
    if (!S.ok) return 1;
    cancel_until(0);
    // Drop repeated literals and literals false for good; a clause true for good, or holding
    // a literal and its negation, is left out.
    i32 n = 0;
    bool satisfied = false;
    for (i32 k = 0; k < count && !satisfied; ++k) {
        const i32 lit = lits[k];
        const i32 v = sat_var(lit);
        assert(v >= 0 && v < S.num_vars);
        const std::int8_t mark = static_cast<std::int8_t>((lit & 1) + 1);
        if (S.value[lit] > 0 || (S.seen[v] && S.seen[v] != mark)) satisfied = true;
        if (satisfied || S.seen[v] || S.value[lit] < 0) continue;
        S.seen[v] = mark;
        S.learnt[n++] = lit;
    }
    for (i32 k = 0; k < count; ++k) S.seen[sat_var(lits[k])] = 0;
    if (satisfied) return 0;
    if (n == 0) {
        S.ok = false;
        return 1;
    }
    if (n == 1) {
        assign(S.learnt[0], SAT_NO_CLAUSE);
        if (propagate_all() != SAT_NO_CLAUSE) S.ok = false;
        return S.ok ? 0 : 1;
    }
    make_room(n);
    store_clause(S.learnt, n, false, 0);
    return 0;
}

int sat_add_conflict(const i32* lits, i32 count)
{
    if (!S.ok) return 1;
    i32 n = 0;
    for (i32 k = 0; k < count; ++k) {
        const i32 lit = lits[k];
        if (S.value[lit] >= 0) return sat_add_clause(lits, count);
        if (S.level[sat_var(lit)] > 0) S.learnt[n++] = lit;
    }
    if (n == 0) {
        S.ok = false;
        return 1;
    }
    // The latest literal first, then the latest of the others.
    for (i32 k = 1; k < n; ++k)
        if (S.level[sat_var(S.learnt[k])] > S.level[sat_var(S.learnt[0])]) std::swap(S.learnt[0], S.learnt[k]);
    if (n == 1) {
        cancel_until(0);
        assign(S.learnt[0], SAT_NO_CLAUSE);
        if (propagate_all() != SAT_NO_CLAUSE) S.ok = false;
        return S.ok ? 0 : 1;
    }
    for (i32 k = 2; k < n; ++k)
        if (S.level[sat_var(S.learnt[k])] > S.level[sat_var(S.learnt[1])]) std::swap(S.learnt[1], S.learnt[k]);
    const i32 first = S.level[sat_var(S.learnt[0])];
    const i32 second = S.level[sat_var(S.learnt[1])];
    if (first == second) {
        cancel_until(first - 1);  // both watched literals open again
        make_room(n);
        store_clause(S.learnt, n, false, 0);
    } else {
        cancel_until(second);  // the clause now forces its first literal
        make_room(n);
        assign(S.learnt[0], store_clause(S.learnt, n, false, 0));
    }
    return 0;
}

i32 sat_solve(const i32* assumptions, i32 count, std::int64_t conflict_limit)
{
    if (!S.ok) return SAT_UNSATISFIABLE;
    // Levels deciding the assumptions that this search shares with the last one stay, and with
    // the same assumptions the search goes on from where it stands.
    i32 shared = 0;
    while (shared < count && shared < S.num_assumptions && S.assumptions[shared] == assumptions[shared]) ++shared;
    if (shared < count || shared < S.num_assumptions) cancel_until(std::min(S.levels, shared));
    grant_wishes();
    std::copy(assumptions, assumptions + count, S.assumptions);
    S.num_assumptions = count;
    S.longest_trail = 0;
    i32 rephases = 0;
    std::int64_t next_rephase = S.conflicts + S.rephase_interval;
    const std::int64_t stop = conflict_limit > 0 ? S.conflicts + conflict_limit : INT64_MAX;
    for (;;) {
        const double limit = luby(S.restart_count) * static_cast<double>(S.restart_unit);
        const i32 result = search_until(std::min(static_cast<std::int64_t>(limit), stop - S.conflicts));
        if (result != SEARCH_UNKNOWN) return result;
        if (S.conflicts >= stop || solver_deadline.passed) return SAT_UNDECIDED;
        ++S.restart_count;
        ++solver_stats.restarts;
        if (S.conflicts >= next_rephase) {
            rephase(++rephases);
            next_rephase = S.conflicts + S.rephase_interval * (rephases + 1);
        }
    }
}

}  // namespace OMBRASEL_CORE
