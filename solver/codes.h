// The solver's codes, counters and options: what every front end shares with the core,
// whatever size of puzzle the core was built for.
#pragma once

#include <cstdint>

using i32 = std::int32_t;

// ---- codes --------------------------------------------------------------

constexpr i32 CELL_UNKNOWN = 0;
constexpr i32 CELL_EMPTY = 1;
constexpr i32 CELL_FILLED = 2;
constexpr i32 CELL_BORDER = 3;

constexpr i32 LINE_PENDING = 0;  // a cell changed since propagation last settled it
constexpr i32 LINE_SOLVED = 1;   // settled by propagation, not yet probed
constexpr i32 LINE_PROBED = 2;

constexpr i32 MARK_NONE = 0;
constexpr i32 MARK_EMPTY = 1;
constexpr i32 MARK_FILLED = 2;
constexpr i32 MARK_EMPTY_DIFFERS = 3;
constexpr i32 MARK_FILLED_DIFFERS = 4;

// A solution is recorded by copying its cells' codes as marks, and a differing mark is the
// recorded mark plus 2: the helpers below say where code relies on it, the asserts keep it so.
static_assert(MARK_EMPTY == CELL_EMPTY && MARK_FILLED == CELL_FILLED, "a decided cell's code is its mark");
static_assert(MARK_EMPTY_DIFFERS == MARK_EMPTY + 2 && MARK_FILLED_DIFFERS == MARK_FILLED + 2,
              "a differing mark is the recorded mark plus 2");

// The mark that records a decided cell, CELL_EMPTY or CELL_FILLED.
constexpr i32 mark_of_cell(i32 cell) { return cell; }
// The mark of a cell recorded as MARK_EMPTY or MARK_FILLED in which another solution differs.
constexpr i32 differing_mark(i32 mark) { return mark + 2; }
constexpr bool mark_differs(i32 mark) { return mark >= MARK_EMPTY_DIFFERS; }

constexpr i32 STATUS_NONE = 0;
constexpr i32 STATUS_SEARCHING = 1;
constexpr i32 STATUS_FINISHED = 2;  // exactly one solution
constexpr i32 STATUS_INVALID = 3;   // unequal sums, a contradiction or no solution
constexpr i32 STATUS_SEVERAL = 4;   // more than one solution

// The stage of the solve run after which the answer is known: the one that decided the last
// open cell or met the contradiction.
constexpr i32 DIFFICULTY_NONE = 0;      // no answer yet
constexpr i32 DIFFICULTY_LINE = 1;      // line propagation alone, or unequal clue sums
constexpr i32 DIFFICULTY_PROBING = 2;   // also the single-cell trials of probe
constexpr i32 DIFFICULTY_GUESSING = 3;  // also guess_probe
constexpr i32 DIFFICULTY_SEARCH = 4;    // also the last stage; always so with several solutions

// Counters for the command-line tool's statistics; they never steer the solver.
struct SolverStats {
    std::int64_t probe_fixed;     // cells fixed by the first probe of a run
    std::int64_t guess_fixed;     // cells fixed by guess_probe
    std::int64_t search_calls;
    std::int64_t leftmost_calls;
    std::int64_t completion_calls;  // nodes spent completing leaves with open cells
    // The learning engine.
    std::int64_t queries;         // existence searches asked
    std::int64_t solutions;       // of them answered by a solution
    std::int64_t refutations;     // of them answered by a proof that none exists
    std::int64_t interrupted;     // of them stopped where the walk's budget ran out, and asked again
    std::int64_t reused;          // cells of the first solution settled by a solution already found
    std::int64_t backbone;        // open cells proved the same in every solution
    std::int64_t variables;       // the solver's, one an open cell
    std::int64_t decisions;
    std::int64_t conflicts;       // each one a learned clause
    std::int64_t propagations;
    std::int64_t restarts;
    std::int64_t reductions;      // clean-ups of the learned clauses
    std::int64_t rephases;        // fresh starts of a long search from other values
    std::int64_t trials;          // values tried by lookahead before a decision
    std::int64_t failed_trials;   // of them refuted by propagation alone
    std::int64_t early_sorting;   // 1 when the cells that vary were sorted out within the walk
    std::int64_t sorting_queries;    // of the queries, those that sorted out the cells that vary
    std::int64_t sorting_conflicts;  // of the conflicts, those of the sorting
    std::int64_t walk_queries;       // of the queries, those of the walk to the first solution
    std::int64_t walk_conflicts;
    std::int64_t walk_us;            // processor time of the walk, microseconds
    std::int64_t sorting_us;         // and of the sorting
    std::int64_t largest_search;     // conflicts of the costliest single query
    std::int64_t largest_search_us;  // and its processor time
};

// Every counter with the name the command-line tool prints it under, in order.
struct SolverStatField {
    const char* name;
    std::int64_t SolverStats::*field;
};
inline constexpr SolverStatField solver_stat_fields[] = {
    {"probe_fixed", &SolverStats::probe_fixed},
    {"guess_fixed", &SolverStats::guess_fixed},
    {"search_calls", &SolverStats::search_calls},
    {"leftmost_calls", &SolverStats::leftmost_calls},
    {"completion_calls", &SolverStats::completion_calls},
    {"queries", &SolverStats::queries},
    {"solutions_found", &SolverStats::solutions},
    {"refutations", &SolverStats::refutations},
    {"interrupted", &SolverStats::interrupted},
    {"reused", &SolverStats::reused},
    {"backbone", &SolverStats::backbone},
    {"early_sorting", &SolverStats::early_sorting},
    {"sorting_queries", &SolverStats::sorting_queries},
    {"sorting_conflicts", &SolverStats::sorting_conflicts},
    {"walk_queries", &SolverStats::walk_queries},
    {"walk_conflicts", &SolverStats::walk_conflicts},
    {"walk_us", &SolverStats::walk_us},
    {"sorting_us", &SolverStats::sorting_us},
    {"largest_search", &SolverStats::largest_search},
    {"largest_search_us", &SolverStats::largest_search_us},
    {"variables", &SolverStats::variables},
    {"decisions", &SolverStats::decisions},
    {"conflicts", &SolverStats::conflicts},
    {"propagations", &SolverStats::propagations},
    {"restarts", &SolverStats::restarts},
    {"reductions", &SolverStats::reductions},
    {"rephases", &SolverStats::rephases},
    {"trials", &SolverStats::trials},
    {"failed_trials", &SolverStats::failed_trials},
};
inline constexpr int solver_stat_field_count = sizeof solver_stat_fields / sizeof solver_stat_fields[0];

// ---- options ------------------------------------------------------------

// The last stage of solve. Both leave the same status and, for the full answer, the same
// result_grid.
constexpr i32 ENGINE_LEARNING = 0;    // existence searches with clause learning (the default)
constexpr i32 ENGINE_EXHAUSTIVE = 1;  // search: every assignment, depth first, row-major

// What the run is asked. Both give the same status.
constexpr i32 QUESTION_FULL = 0;  // the first solution and every cell in which another one differs
// None, one or several: stops at a second solution. result_grid holds the solution found first
// with a differing mark wherever the second one differs; the second is the first with those
// cells flipped. Which two solutions they are depends on the engine.
constexpr i32 QUESTION_UNIQUENESS = 1;

struct SolverOptions {
    i32 engine = ENGINE_LEARNING;
    i32 question = QUESTION_FULL;
    // Conflicts the learning engine's walk to the first solution spends before it has the cells
    // that vary sorted out first (tests use less).
    std::int64_t walk_budget = 10000;
    // Processor seconds the run may take, 0 for no limit. A run that reaches it stops where it
    // stands and leaves what it knows (see solve).
    double cpu_limit = 0;
};
