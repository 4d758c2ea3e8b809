// A clause-learning solver over the puzzle's open cells: the learning engine's existence searches.
//
// Its constraints are the lines, each propagated by exact line solving, and clauses: those it
// learns and those its caller adds. The reason of a value that a line forces is the set of the
// line's cells assigned before it, thinned to a minimal set that still forces it, and is worked
// out only when conflict analysis asks for it. The rest is conflict-driven search as usual:
// watched literals, one learned clause per conflict (first unique implication point, minimised),
// branching, restarts and a periodic clean-up of the learned clauses. Each decision is chosen
// among the most active open variables by trying each both ways: a trial that fails is a
// conflict learned from, and of the others the variable whose trials decide the most cells is
// decided. A decision gives its variable the value it had on the longest trail that this
// search has seen end in a conflict (before the first conflict, its last value), so that
// restarts keep coming back to the assignment nearest to a solution; a caller may pin the value
// tried first instead.
// A search that goes on long without an answer may be stuck far from every solution, so now and
// then (after 2,000 conflicts, 4,000 more, 6,000 more, ...) it starts afresh from other values:
// alternately the opposite of the longest trail's and random ones.
// Clauses may be added between searches. Each search takes assumptions; the levels of a leading
// run of assumptions shared with the previous search are kept rather than decided again.
#pragma once

#include <cstdint>
#include <type_traits>

#include "line.h"
#include "sat_heap.h"
#include "sat_watches.h"
#include "state.h"

inline namespace OMBRASEL_CORE {

using u32 = std::uint32_t;

// ---- capacities -----------------------------------------------------------

// The open cells, and switches of the caller's clauses.
constexpr i32 SAT_MAX_VARS = MAX_LINES <= WINDOW_MAX_LINES ? 2048 : MAX_LINES * MAX_LINES + 64;
constexpr i32 SAT_MAX_LITS = 2 * SAT_MAX_VARS;
constexpr i32 SAT_MAX_LINES = 2 * MAX_LINES;
constexpr u32 SAT_ARENA_WORDS = 1u << 22;  // clauses: two header words and the literals each
constexpr i32 SAT_MAX_CLAUSES = 1 << 18;   // clauses of two or more literals alive at once
constexpr u32 SAT_WATCH_POOL = 4u * SAT_MAX_CLAUSES;  // every watcher twice over
constexpr i32 SAT_MAX_EXPLANATION = GRID_SIZE;       // literals of a line's reason
constexpr i32 SAT_MAX_LOOKAHEAD = 8;                 // variables tried both ways per decision

// ---- literals -------------------------------------------------------------
// Variables count from 0; literal 2v says v is true, 2v + 1 that it is false.

inline i32 sat_lit(i32 var, bool value) { return 2 * var + (value ? 0 : 1); }
inline i32 sat_var(i32 lit) { return lit >> 1; }
inline i32 sat_not(i32 lit) { return lit ^ 1; }

constexpr i32 SAT_UNSATISFIABLE = 0;
constexpr i32 SAT_SATISFIABLE = 1;
constexpr i32 SAT_UNDECIDED = 2;  // the search's conflict limit, or the run's time limit, was reached first

// A reason or a conflict: a clause's place in the arena, a line, or nothing.
constexpr u32 SAT_NO_CLAUSE = 0xffffffffu;
constexpr u32 SAT_LINE = 0x80000000u;  // SAT_LINE | line index

// A line over its cells; a variable that is true fills its cell.
struct SatLine {
    LineAutomaton automaton;
    i32 var[GRID_SIZE];       // variable of position p, -1 where the cell is decided
    LineBits filled;          // decided and assigned cells, bit p for position p
    LineBits empty;
    LineBits open;            // the positions that have a variable
    bool queued;              // waits for line solving
};

// Line solving of a line as its cells stood, remembered: the same line often stands the same
// way again, above all in the trials of a lookahead. Lines of up to 25 cells fit one word with
// their line's number, and so does what follows from them.
constexpr bool SAT_PACKED_LINES = MAX_LINES <= 25;
struct SatPackedLineResult {
    std::uint64_t key;     // the puzzle's generation, the line and its cells; 0 for none
    std::uint64_t result;  // must_fill, must_empty (25 bits each, position p at bit p - 1), failed
};
struct SatWideLineResult {
    std::uint64_t key;  // the puzzle's generation and the line; 0 for none
    LineBits filled;    // and its cells
    LineBits empty;
    LineBits must_fill;
    LineBits must_empty;
    bool failed;
};
using SatLineResult = std::conditional_t<SAT_PACKED_LINES, SatPackedLineResult, SatWideLineResult>;
constexpr u32 SAT_LINE_CACHE_BITS = 14;

// The order of the heap of variables: the more active first.
struct SatMoreActive {
    bool operator()(i32 a, i32 b) const;
};

struct SatState {
    i32 num_vars;
    bool ok;  // false once the constraints contradict each other without any assumption

    std::int8_t value[SAT_MAX_LITS];   // per literal: 1 true, -1 false, 0 unassigned
    i32 level[SAT_MAX_VARS];
    u32 reason[SAT_MAX_VARS];          // a clause, SAT_LINE | line, or SAT_NO_CLAUSE
    i32 trail_pos[SAT_MAX_VARS];       // where on the trail the variable was assigned
    std::int8_t phase[SAT_MAX_VARS];   // the value last assigned, or asked for: 1 true, 0 false
    std::int8_t target[SAT_MAX_VARS];  // the value on the longest conflicting trail
    std::int8_t pinned[SAT_MAX_VARS];  // 1: branching tries phase, not target
    i32 longest_trail;                 // of this search's conflicts, 0 before the first
    std::int8_t seen[SAT_MAX_VARS];    // scratch of the conflict analysis
    std::int8_t decision[SAT_MAX_VARS];  // 1: may be branched on
    i32 line_of[SAT_MAX_VARS][2];      // the lines through the variable's cell, -1 for none
    i32 pos_of[SAT_MAX_VARS][2];       // and its position in each
    double activity[SAT_MAX_VARS];
    double var_inc;

    VarHeap<SAT_MAX_VARS, SatMoreActive> order;  // unassigned variables by activity

    i32 trail[SAT_MAX_VARS];           // assigned literals in order
    i32 trail_size;
    i32 qhead;                         // trail[qhead..] still to propagate through clauses
    i32 trail_lim[SAT_MAX_VARS + 1];   // trail_lim[d]: where level d + 1 starts
    i32 levels;                        // the decision level

    i32 assumptions[SAT_MAX_VARS];  // of the last search, level d + 1 deciding assumptions[d]
    i32 num_assumptions;

    SatLine lines[SAT_MAX_LINES];
    i32 num_lines;
    i32 line_queue[SAT_MAX_LINES];  // a ring of the queued lines
    i32 queue_head;
    i32 queue_size;
    // The latest result for each slot, by a hash of its key. An entry holds for the puzzle
    // loaded when it was written: a reset moves on to the next generation.
    SatLineResult line_cache[1u << SAT_LINE_CACHE_BITS];
    std::uint64_t line_generation;  // of the puzzle loaded, 1 to 255

    u32 arena[SAT_ARENA_WORDS];
    u32 arena_top;
    i32 num_clauses;  // alive in the arena
    u32 learnts[SAT_MAX_CLAUSES];
    i32 num_learnts;

    WatchPool<SAT_MAX_LITS, SAT_WATCH_POOL> watches;  // the clauses to visit for each literal

    // Scratch of the conflict analysis and of the clean-up.
    i32 learnt[SAT_MAX_VARS];
    i32 to_clear[SAT_MAX_VARS];  // variables
    i32 stack[SAT_MAX_VARS];
    i32 stack_next[SAT_MAX_VARS];
    u32 level_stamp[SAT_MAX_VARS + 1];
    u32 stamp;
    i32 explanation[SAT_MAX_VARS * SAT_MAX_EXPLANATION];  // line reasons worked out, by variable
    i32 explained_size[SAT_MAX_VARS];  // 0 while not worked out
    u32 reloc_from[SAT_MAX_CLAUSES];
    u32 reloc_to[SAT_MAX_CLAUSES];

    i32 wished_var[SAT_MAX_VARS];  // phases asked for, set when the next search starts
    std::int8_t wished_value[SAT_MAX_VARS];
    i32 num_wishes;

    // Restarts and clean-ups. The limits are the capacities, unless a test asks for less.
    std::int64_t conflicts;
    std::int64_t next_reduce;       // a clean-up at this many conflicts
    std::int64_t reduce_interval;   // and the next one this many later
    std::int64_t restart_unit;      // conflicts, times the Luby sequence 1, 1, 2, 1, 1, 2, 4, ...
    std::int64_t rephase_interval;  // conflicts of a search before its first fresh start
    i32 lookahead_width;            // variables tried both ways a decision, 0 to SAT_MAX_LOOKAHEAD
    std::uint64_t random;           // state of the random values of a fresh start
    i32 restart_count;
    u32 arena_limit;
    i32 clause_limit;
};

extern SatState sat_state;

inline bool SatMoreActive::operator()(i32 a, i32 b) const { return sat_state.activity[a] > sat_state.activity[b]; }

// The routines that add constraints return 1 for a contradiction and 0 otherwise, as the
// line routines do: once they have returned 1, every search answers SAT_UNSATISFIABLE.

// Starts afresh: no variable, line or clause, the limits at the capacities, and nothing that
// was remembered of the last problem (its line results included) taken for this one.
void sat_reset();
i32 sat_new_var();
// Adds a line of the given length and clue; var[p] is the variable of position p, or -1 with
// the cell's value in filled or empty (bit p). Before any clause is added. Returns 1 when the
// clue does not fit the line at all.
int sat_add_line(i32 length, const i32* len, i32 count, const i32* var, LineBits filled, LineBits empty);
// Adds a clause, between searches. Returns 1 once the constraints have become contradictory.
int sat_add_clause(const i32* lits, i32 count);
// Adds a clause that the current assignment falsifies, between searches, going back only as
// far as after a learned clause, so that the next search with the same assumptions goes on from
// there. Returns 1 once the constraints have become contradictory.
int sat_add_conflict(const i32* lits, i32 count);
// SAT_SATISFIABLE with every variable assigned (read them with sat_true), or
// SAT_UNSATISFIABLE when nothing satisfies the constraints and the assumptions together; with a
// conflict limit above 0, SAT_UNDECIDED once the search has met that many conflicts without an
// answer (what it learned stays, and the same assumptions go on from there).
i32 sat_solve(const i32* assumptions, i32 count, std::int64_t conflict_limit = 0);
void sat_set_phase(i32 var, bool value);
// A pinned variable keeps the phase asked for, whatever it is assigned, until unpinned.
void sat_pin_phase(i32 var, bool pinned);
void sat_set_decision(i32 var, bool branch);

inline bool sat_true(i32 lit) { return sat_state.value[lit] > 0; }

}  // namespace OMBRASEL_CORE
