// The learning engine: the first solution and every cell in which another solution differs,
// found by existence searches with clause learning over the puzzle's open cells.
//
// The first solution in row-major order, empty before filled, is found cell by cell: a cell
// that the last solution found has empty is empty in the first one too, given the cells before
// it; otherwise the engine asks for a solution with the cells before it as they are and this one
// empty, and the cell is filled when there is none. The solutions this walk finds lie far apart,
// each as far towards "empty" as the cells before it allow, so they already show most of the
// cells that vary.
//
// Which cells some solution differs in does not depend on which solution is first: they are
// the cells that take both values over all solutions. So the engine then sorts the open cells
// not yet seen with both values into those that vary and those proved the same in every
// solution. Each search asks for a solution in which some cell not yet seen with both values
// takes its other value; an answer settles at least one more cell, and "none" settles all that
// are left.
//
// On some puzzles the walk's searches are the hard part. Once the walk has spent
// walk_budget conflicts (a search that reaches it is stopped there), the engine sorts the cells
// first and then goes on with the walk from where it stood. The sorting's solutions lie far
// apart, so they answer some of the walk's questions, and the clauses it learns shorten the
// walk's hard refutations; from then on the cells the walk fixes are given to the solver for
// good rather than as assumptions, which shortens them further. On puzzles whose walk is easy,
// the walk's own solutions are what makes the sorting short, so it stays first there.
#include <algorithm>
#include <ctime>
#include <utility>

#include "deadline.h"
#include "sat.h"

inline namespace OMBRASEL_CORE {

namespace {

constexpr i32 MAX_OPEN = MAX_LINES * MAX_LINES;
constexpr i32 POOL_SIZE = 1024;                 // solutions kept
constexpr i32 POOL_WORDS = (MAX_OPEN + 63) / 64;

struct LearningState {
    i32 var[GRID_SIZE][GRID_SIZE];  // variable of each open puzzle cell (r, c), -1 if decided
    i32 open;                       // open cells; their variables are 0 to open - 1, row-major
    std::int8_t value[MAX_OPEN];    // of each open cell in the last solution found, 1 filled
    std::int8_t first[MAX_OPEN];    // in the first solution
    std::int8_t seen[MAX_OPEN][2];  // the cell took that value (0 empty, 1 filled) in a solution
    i32 candidates[MAX_OPEN];       // cells not yet seen with both values nor proved
    i32 fixed[MAX_OPEN];            // the walk's cells fixed so far, as literals: its assumptions
    i32 clause[MAX_OPEN + 1];       // of the search for cells that vary
    std::uint64_t pool[POOL_SIZE][POOL_WORDS];  // solutions found, a bit per open cell (1 filled)
    bool agrees[POOL_SIZE];         // the solution agrees with the cells the walk has fixed
    i32 pooled;
    bool separated;                 // the cells that vary are known
    bool walked;                    // and the first solution
};

LearningState L;

inline bool varies(i32 var) { return L.seen[var][0] && L.seen[var][1]; }

// Processor time for the counters, in microseconds; it never steers the search.
std::int64_t clock_us() { return static_cast<std::int64_t>(solver_processor_seconds() * 1e6); }

// Gives the solver a variable for every open cell and every line through an open cell.
void load_puzzle()
{
    const SolverState& s = solver_state;
    for (i32 r = 1; r <= s.height; ++r)
        for (i32 c = 1; c <= s.width; ++c)
            if (s.grid[r][c] == CELL_UNKNOWN) L.var[r][c] = sat_new_var();
    auto add_line = [&](i32 length, const i32* clue, i32 count, auto cell_at) {
        i32 var[GRID_SIZE];
        LineBits filled{}, empty{};
        bool open = false;
        for (i32 p = 1; p <= length; ++p) {
            const auto [r, c] = cell_at(p);
            var[p] = L.var[r][c];
            open |= var[p] >= 0;
            if (s.grid[r][c] == CELL_FILLED) filled |= bit_at(p);
            if (s.grid[r][c] == CELL_EMPTY) empty |= bit_at(p);
        }
        if (open) sat_add_line(length, clue, count, var, filled, empty);
    };
    for (i32 c = 1; c <= s.width; ++c)
        add_line(s.height, s.col_clues[c - 1], s.col_clue_count[c - 1], [c](i32 p) { return std::pair{p, c}; });
    for (i32 r = 1; r <= s.height; ++r)
        add_line(s.width, s.row_clues[r - 1], s.row_clue_count[r - 1], [r](i32 p) { return std::pair{r, p}; });
    solver_stats.variables = sat_state.num_vars;
}

// One existence search; a solution found is kept in L.value and marks the values seen.
i32 ask(const i32* assumptions, i32 count, std::int64_t conflict_limit = 0)
{
    ++solver_stats.queries;
    const std::int64_t conflicts = solver_stats.conflicts;
    const std::int64_t start = clock_us();
    const i32 answer = sat_solve(assumptions, count, conflict_limit);
    if (solver_stats.conflicts - conflicts > solver_stats.largest_search) {
        solver_stats.largest_search = solver_stats.conflicts - conflicts;
        solver_stats.largest_search_us = clock_us() - start;
    }
    if (answer == SAT_SATISFIABLE) {
        ++solver_stats.solutions;
        std::uint64_t* bits = L.pooled < POOL_SIZE ? L.pool[L.pooled] : nullptr;
        if (bits) {
            for (i32 w = 0; w < POOL_WORDS; ++w) bits[w] = 0;
            L.agrees[L.pooled++] = true;
        }
        for (i32 var = 0; var < L.open; ++var) {
            const i32 filled = sat_true(sat_lit(var, true)) ? 1 : 0;
            L.value[var] = static_cast<std::int8_t>(filled);
            L.seen[var][filled] = 1;
            if (bits) bits[var >> 6] |= std::uint64_t{static_cast<std::uint64_t>(filled)} << (var & 63);
        }
    } else if (answer == SAT_UNSATISFIABLE) {
        ++solver_stats.refutations;
    } else {
        ++solver_stats.interrupted;
    }
    return answer;
}

// Sorts the open cells not yet seen with both values into those that vary and those proved the
// same in every solution, which become clauses of one literal. Needs one solution found.
void separate_varying_cells()
{
    const std::int64_t queries = solver_stats.queries;
    const std::int64_t conflicts = solver_stats.conflicts;
    const std::int64_t start = clock_us();
    i32 count = 0;
    for (i32 var = 0; var < L.open; ++var)
        if (!varies(var)) L.candidates[count++] = var;
    // "Some candidate takes the value not yet seen", switched on by a variable of its own. Each
    // such clause implies the ones before it, as the candidates only shrink, so one switch
    // serves them all, and each clause is added where the last search stopped: the solution
    // just found breaks it, and the search goes on from the deepest level that allows. Each
    // candidate is tried first with the value not yet seen, whatever the search last gave it.
    const i32 on = sat_lit(sat_new_var(), true);
    sat_set_decision(sat_var(on), false);
    bool first = true;
    while (count > 0) {
        i32* clause = L.clause;
        clause[0] = sat_not(on);
        for (i32 k = 0; k < count; ++k) {
            const i32 var = L.candidates[k];
            const bool other = L.seen[var][0] != 0;
            clause[k + 1] = sat_lit(var, other);
            sat_set_phase(var, other);
            sat_pin_phase(var, true);
        }
        if (first)
            sat_add_clause(clause, count + 1);
        else
            sat_add_conflict(clause, count + 1);
        first = false;
        const i32 answer = ask(&on, 1);
        if (answer == SAT_UNDECIDED) break;  // the run's time is up
        if (answer == SAT_UNSATISFIABLE) {
            for (i32 k = 0; k < count; ++k) {
                const i32 var = L.candidates[k];
                const i32 same = sat_lit(var, L.seen[var][1] != 0);
                sat_add_clause(&same, 1);
            }
            solver_stats.backbone += count;
            break;
        }
        i32 kept = 0;
        for (i32 k = 0; k < count; ++k) {
            const i32 var = L.candidates[k];
            if (!varies(var))
                L.candidates[kept++] = var;
            else
                sat_pin_phase(var, false);
        }
        count = kept;
    }
    for (i32 k = 0; k < count; ++k) sat_pin_phase(L.candidates[k], false);
    const i32 off = sat_not(on);
    sat_add_clause(&off, 1);
    L.separated = !solver_deadline.passed;
    solver_stats.sorting_queries += solver_stats.queries - queries;
    solver_stats.sorting_conflicts += solver_stats.conflicts - conflicts;
    solver_stats.sorting_us += clock_us() - start;
}

inline bool pooled_filled(i32 k, i32 var) { return (L.pool[k][var >> 6] >> (var & 63)) & 1u; }

// A kept solution that agrees with the cells fixed so far and leaves this cell empty, or -1.
i32 pooled_with_empty(i32 var)
{
    for (i32 k = 0; k < L.pooled; ++k)
        if (L.agrees[k] && !pooled_filled(k, var)) return k;
    return -1;
}

// Sorts the cells that vary from the rest in the middle of the walk, which has fixed its first
// `fixed` cells and goes on from the solution in L.value.
void separate_within_walk(i32 fixed)
{
    std::int8_t walk_value[MAX_OPEN];
    std::copy(L.value, L.value + L.open, walk_value);
    const i32 pooled = L.pooled;
    ++solver_stats.early_sorting;
    separate_varying_cells();
    std::copy(walk_value, walk_value + L.open, L.value);
    for (i32 k = pooled; k < L.pooled; ++k) {
        bool agrees = true;
        for (i32 f = 0; f < fixed && agrees; ++f)
            agrees = pooled_filled(k, sat_var(L.fixed[f])) == ((L.fixed[f] & 1) == 0);
        L.agrees[k] = agrees;
    }
    for (i32 var = fixed; var < L.open; ++var) sat_set_phase(var, false);
}

// The first solution, into L.first. The solutions found so far answer every question that one
// of them can.
void find_first_solution(std::int64_t walk_budget)
{
    i32 fixed = 0;
    i32 settled = 0;  // of the cells fixed, those the solver holds as clauses of one literal
    const std::int64_t start = solver_stats.conflicts;
    for (i32 var = 0; var < L.open; ++var) sat_set_phase(var, false);
    for (i32 var = 0; var < L.open; ++var) {
        if (solver_deadline.passed) return;
        if (!L.separated && solver_stats.conflicts - start > walk_budget) separate_within_walk(fixed);
        L.fixed[fixed] = sat_lit(var, false);
        i32 answer = SAT_SATISFIABLE;
        if (L.value[var] == 0) {
            ++solver_stats.reused;
        } else if (const i32 k = pooled_with_empty(var); k >= 0) {
            ++solver_stats.reused;
            for (i32 v = 0; v < L.open; ++v) L.value[v] = static_cast<std::int8_t>(pooled_filled(k, v));
        } else if (L.separated) {
            // Nothing is asked of the solver after the walk, so the cells it has fixed may hold for
            // good: the searches then work on what is left, not under a long run of assumptions.
            for (; settled < fixed; ++settled) sat_add_clause(&L.fixed[settled], 1);
            answer = ask(&L.fixed[fixed], 1);
            if (answer == SAT_UNDECIDED) return;  // the run's time is up
        } else {
            // A search stops where the walk's budget runs out, and is asked again once the cells
            // that vary are sorted out.
            answer = ask(L.fixed, fixed + 1, std::max<std::int64_t>(1, walk_budget + 1 - (solver_stats.conflicts - start)));
            if (answer == SAT_UNDECIDED) {
                if (solver_deadline.passed) return;
                separate_within_walk(fixed);
                --var;
                continue;
            }
        }
        if (answer == SAT_UNSATISFIABLE) L.fixed[fixed] = sat_lit(var, true);
        const bool filled = (L.fixed[fixed] & 1) == 0;
        for (i32 k = 0; k < L.pooled; ++k) L.agrees[k] = L.agrees[k] && pooled_filled(k, var) == filled;
        ++fixed;
    }
    // The last solution taken agrees with every cell fixed, so it is the first solution.
    for (i32 var = 0; var < L.open; ++var) L.first[var] = L.value[var];
    L.walked = true;
}

// Counts the open cells and, when there are any, gives them to the solver with the lines.
bool load_open_cells()
{
    const SolverState& s = solver_state;
    L.open = 0;
    for (i32 r = 0; r < GRID_SIZE; ++r)
        for (i32 c = 0; c < GRID_SIZE; ++c) {
            L.var[r][c] = -1;
            if (r >= 1 && r <= s.height && c >= 1 && c <= s.width) L.open += s.grid[r][c] == CELL_UNKNOWN;
        }
    if (L.open == 0) return false;
    sat_reset();
    load_puzzle();
    L.pooled = 0;
    L.separated = false;
    L.walked = false;
    for (i32 var = 0; var < L.open; ++var) L.seen[var][0] = L.seen[var][1] = 0;
    return true;
}

// Records L.first in result_grid with the cells seen with both values as differing; for a run
// stopped before the walk's end, the last solution found.
void record_result()
{
    SolverState& s = solver_state;
    const std::int8_t* shown = L.walked ? L.first : L.value;
    s.solution_state = 1;
    for (i32 r = 1; r <= s.height; ++r) {
        for (i32 c = 1; c <= s.width; ++c) {
            const i32 var = L.var[r][c];
            i32& mark = s.result_grid[r - 1][c - 1];
            if (var < 0) {
                mark = mark_of_cell(s.grid[r][c]);
                continue;
            }
            mark = shown[var] ? MARK_FILLED : MARK_EMPTY;
            if (varies(var)) {
                mark = differing_mark(mark);
                s.solution_state = 2;
            }
        }
    }
}

}  // namespace

void learning_search(std::int64_t walk_budget)
{
    const std::int64_t start = clock_us();
    if (load_open_cells()) {
        const bool solvable = ask(nullptr, 0) == SAT_SATISFIABLE;
        if (solvable) find_first_solution(walk_budget);
        solver_stats.walk_queries = solver_stats.queries - solver_stats.sorting_queries;
        solver_stats.walk_conflicts = solver_stats.conflicts - solver_stats.sorting_conflicts;
        solver_stats.walk_us = clock_us() - start - solver_stats.sorting_us;
        if (!solvable) return;
        if (!L.separated && !solver_deadline.passed) separate_varying_cells();
    }
    record_result();
}

bool learning_sorted(i32 r, i32 c)
{
    const i32 var = L.var[r][c];
    return var >= 0 && L.separated && !varies(var);
}

// Two existence searches: any solution, then one that differs from it in some open cell. The
// clause that asks for the second is added where the first search stopped, so the second goes
// on from there, trying each cell's other value first, as the sorting of the cells that vary
// does: on the hard puzzles with one solution measured, that took about half the conflicts to
// refute. A cell seen with both values is one the two solutions differ in.
void learning_to_second()
{
    if (load_open_cells()) {
        if (ask(nullptr, 0) != SAT_SATISFIABLE) return;
        L.walked = true;
        for (i32 var = 0; var < L.open; ++var) {
            L.first[var] = L.value[var];
            L.clause[var] = sat_lit(var, L.value[var] == 0);
            sat_set_phase(var, L.value[var] == 0);
            sat_pin_phase(var, true);
        }
        sat_add_conflict(L.clause, L.open);
        ask(nullptr, 0);
    }
    record_result();
}

}  // namespace OMBRASEL_CORE
