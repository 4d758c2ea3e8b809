// The clause-learning solver against brute force: small grids of lines with extra clauses,
// assumptions and clauses added between searches; and the enumeration of every solution with
// the solver's tables made small, so that its clean-ups and the packing of its watch lists run
// all the time.
#include <gtest/gtest.h>

#include <string>

#include "oracle.h"
#include "sat.h"

namespace {

// A small problem: an h x w grid whose cells are variables or decided, its rows and columns
// as lines, and clauses.
struct Problem {
    int h = 0, w = 0;
    std::vector<std::vector<int>> var;    // [r][c], -1 for a decided cell
    std::vector<std::vector<i32>> fixed;  // the decided cells' values
    Clues rows, cols;
    std::vector<std::vector<i32>> clauses;
    int vars = 0;
};

// Loads the lines into a reset solver; false when a clue does not fit its line.
bool load(const Problem& p)
{
    for (int v = 0; v < p.vars; ++v) sat_new_var();
    bool ok = true;
    auto add = [&](int n, const Clue& clue, auto at) {
        i32 var[GRID_SIZE] = {};
        u32 filled = 0, empty = 0;
        for (int i = 1; i <= n; ++i) {
            const auto [r, c] = at(i);
            var[i] = p.var[r][c];
            if (var[i] < 0) (p.fixed[r][c] == CELL_FILLED ? filled : empty) |= 1u << i;
        }
        const std::vector<i32> len = compiled_clue(clue);
        ok &= sat_add_line(n, len.data(), static_cast<i32>(clue.size()), var, filled, empty) == 0;
    };
    for (int c = 0; c < p.w; ++c) add(p.h, p.cols[c], [c](int i) { return std::pair{i - 1, c}; });
    for (int r = 0; r < p.h; ++r) add(p.w, p.rows[r], [r](int i) { return std::pair{r, i - 1}; });
    return ok;
}

bool lit_holds(i32 lit, std::uint32_t assignment)
{
    return (((assignment >> sat_var(lit)) & 1u) != 0) == ((lit & 1) == 0);
}

bool satisfies(const Problem& p, std::uint32_t a, const std::vector<i32>& assumptions)
{
    auto value = [&](int r, int c) {
        return p.var[r][c] < 0 ? p.fixed[r][c] : ((a >> p.var[r][c]) & 1u) ? CELL_FILLED : CELL_EMPTY;
    };
    for (int r = 0; r < p.h; ++r) {
        std::vector<i32> line;
        for (int c = 0; c < p.w; ++c) line.push_back(value(r, c));
        if (runs_of(line) != p.rows[r]) return false;
    }
    for (int c = 0; c < p.w; ++c) {
        std::vector<i32> line;
        for (int r = 0; r < p.h; ++r) line.push_back(value(r, c));
        if (runs_of(line) != p.cols[c]) return false;
    }
    for (const auto& clause : p.clauses) {
        bool any = false;
        for (i32 lit : clause) any |= lit_holds(lit, a);
        if (!any) return false;
    }
    for (i32 lit : assumptions)
        if (!lit_holds(lit, a)) return false;
    return true;
}

// The assignments that satisfy the lines alone.
std::vector<std::uint32_t> line_solutions(const Problem& p)
{
    Problem lines_only = p;
    lines_only.clauses.clear();
    std::vector<std::uint32_t> found;
    for (std::uint32_t a = 0; a < (1u << p.vars); ++a)
        if (satisfies(lines_only, a, {})) found.push_back(a);
    return found;
}

bool brute_force(const Problem& p, const std::vector<std::uint32_t>& line_solutions,
                 const std::vector<i32>& assumptions)
{
    for (std::uint32_t a : line_solutions)
        if (satisfies(p, a, assumptions)) return true;
    return false;
}

std::uint32_t model_of(const Problem& p)
{
    std::uint32_t a = 0;
    for (int v = 0; v < p.vars; ++v)
        if (sat_true(sat_lit(v, true))) a |= 1u << v;
    return a;
}

// Most cells variables, a few decided from a random board whose clues the lines mostly carry.
Problem random_problem(std::mt19937_64& rng)
{
    Problem p;
    do {
        p.h = uniform(rng, 1, 5);
        p.w = uniform(rng, 1, 5);
    } while (p.h * p.w > 12);
    const Puzzle clues = random_puzzle(rng, p.h, p.w);
    p.rows = clues.rows;
    p.cols = clues.cols;
    p.rows.resize(p.h);
    p.cols.resize(p.w);
    const Board board = random_board(rng, p.h, p.w);
    p.var.assign(p.h, std::vector<int>(p.w, -1));
    p.fixed.assign(p.h, std::vector<i32>(p.w, CELL_UNKNOWN));
    for (int r = 0; r < p.h; ++r)
        for (int c = 0; c < p.w; ++c) {
            if (chance(rng, 0.15))
                p.fixed[r][c] = board[r][c];
            else
                p.var[r][c] = p.vars++;
        }
    return p;
}

std::vector<i32> random_clause(std::mt19937_64& rng, int vars)
{
    std::vector<i32> clause(uniform(rng, 1, 4));
    for (i32& lit : clause) lit = sat_lit(uniform(rng, 0, vars - 1), chance(rng, 0.5));
    return clause;
}

TEST(Sat, AgreesWithBruteForceAcrossSearchesAndAddedClauses)
{
    const std::uint64_t seed = test_seed();
    int answers[2] = {};
    for (int i = 0; i < 6000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        Problem p = random_problem(rng);
        if (p.vars == 0) continue;
        SCOPED_TRACE(case_name(seed, i) + ": rows " + clue_text(p.rows) + "; columns " + clue_text(p.cols));
        sat_reset();
        const bool fits = load(p);
        const std::vector<std::uint32_t> solutions = line_solutions(p);
        std::vector<i32> assumptions;
        for (int step = 0; step < 8; ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            const bool expected = fits && brute_force(p, solutions, assumptions);
            const i32 answer = sat_solve(assumptions.data(), static_cast<i32>(assumptions.size()));
            ASSERT_EQ(answer == SAT_SATISFIABLE, expected);
            ++answers[expected];
            if (answer == SAT_SATISFIABLE) {
                ASSERT_TRUE(satisfies(p, model_of(p), assumptions)) << "the model breaks a constraint";
                for (int v = 0; v < sat_state.num_vars; ++v) ASSERT_NE(sat_state.value[2 * v], 0);
            }
            const int what = uniform(rng, 0, 3);
            if (what == 0 && answer == SAT_SATISFIABLE) {
                // A clause that the solution breaks, added where the search stands.
                std::vector<i32> clause;
                const std::uint32_t a = model_of(p);
                for (int v = 0; v < p.vars; ++v)
                    if (chance(rng, 0.5) || clause.empty()) clause.push_back(sat_lit(v, ((a >> v) & 1u) == 0));
                p.clauses.push_back(clause);
                if (sat_add_conflict(clause.data(), static_cast<i32>(clause.size()))) {
                    ASSERT_FALSE(fits && brute_force(p, solutions, {})) << "a contradiction reported wrongly";
                }
            } else if (what == 1) {
                p.clauses.push_back(random_clause(rng, p.vars));
                if (sat_add_clause(p.clauses.back().data(), static_cast<i32>(p.clauses.back().size()))) {
                    ASSERT_FALSE(fits && brute_force(p, solutions, {})) << "a contradiction reported wrongly";
                }
            } else if (what == 2) {
                // A longer or a new run of assumptions, often sharing a beginning with the last.
                if (chance(rng, 0.3)) assumptions.clear();
                assumptions.push_back(sat_lit(uniform(rng, 0, p.vars - 1), chance(rng, 0.5)));
            }
        }
    }
    EXPECT_GT(answers[1], 3000);
    EXPECT_GT(answers[0], 1500);
}

// Every solution of a puzzle, one at a time, each search told to avoid those found already.
long count_by_blocking(const Puzzle& puzzle, bool small_tables)
{
    Problem p;
    p.h = static_cast<int>(puzzle.rows.size());
    p.w = static_cast<int>(puzzle.cols.size());
    p.rows = puzzle.rows;
    p.cols = puzzle.cols;
    p.var.assign(p.h, std::vector<int>(p.w));
    p.fixed.assign(p.h, std::vector<i32>(p.w, CELL_UNKNOWN));
    for (auto& row : p.var)
        for (int& v : row) v = p.vars++;
    sat_reset();
    if (small_tables) {
        SatState& s = sat_state;
        // Room for the blocking clauses and a few dozen learned ones; fresh starts all the time,
        // and a lookahead of one variable, the one branching would take anyway.
        s.next_reduce = s.reduce_interval = 3;
        s.restart_unit = s.rephase_interval = 1;
        s.lookahead_width = 1;
        s.clause_limit = 150;
        s.arena_limit = 12000;
        s.watches.limit = 4 * 150;
    }
    if (!load(p)) return 0;
    long found = 0;
    std::vector<i32> block(p.vars);
    while (sat_solve(nullptr, 0) == SAT_SATISFIABLE) {
        ++found;
        if (found > 200) break;
        for (int v = 0; v < p.vars; ++v) block[v] = sat_lit(v, !sat_true(sat_lit(v, true)));
        sat_add_conflict(block.data(), p.vars);
    }
    return found;
}

TEST(Sat, EnumeratesEverySolutionWithItsTablesKeptSmall)
{
    const std::uint64_t seed = test_seed();
    long total = 0;
    std::int64_t reductions = 0, rephases = 0;
    const std::int64_t failed_before = solver_stats.failed_trials;
    for (int i = 0; i < 200 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const int h = uniform(rng, 5, 8), w = uniform(rng, 5, 8);
        // Sparse boards have many solutions.
        Board board(h, std::vector<i32>(w, CELL_EMPTY));
        const double density = std::uniform_real_distribution<double>(0.2, 0.4)(rng);
        for (auto& row : board)
            for (i32& v : row) v = chance(rng, density) ? CELL_FILLED : CELL_EMPTY;
        const Puzzle puzzle = clues_of(board, board);
        SCOPED_TRACE(case_name(seed, i) + ": " + describe(puzzle));
        const PuzzleAnswer a = enumerate_solutions(puzzle);
        if (a.solutions > 100) continue;
        const std::int64_t before = solver_stats.reductions, rephases_before = solver_stats.rephases;
        EXPECT_EQ(count_by_blocking(puzzle, true), a.solutions);
        reductions += solver_stats.reductions - before;
        rephases += solver_stats.rephases - rephases_before;
        EXPECT_EQ(count_by_blocking(puzzle, false), a.solutions);
        total += a.solutions;
    }
        EXPECT_GT(total, 1000) << "too few solutions to exercise anything";
    EXPECT_GT(reductions, 100) << "the clean-ups hardly ran";
    EXPECT_GT(rephases, 100) << "the fresh starts hardly ran";
    EXPECT_GT(solver_stats.failed_trials - failed_before, 100) << "no lookahead trial failed";
}

}  // namespace
