// The learning engine against the exhaustive one and against the enumeration of every solution:
// the same verdict, the same first solution, the same differing cells, the same grid handed back.
#include <gtest/gtest.h>

#include <string>

#include "oracle.h"

namespace {

struct Outcome {
    i32 status = STATUS_NONE;
    std::vector<i32> marks;  // all 25 x 25
    GridSnapshot grid;
};

Outcome run(const Puzzle& p, i32 engine, std::int64_t walk_budget = SolverOptions{}.walk_budget)
{
    SolverOptions options;
    options.engine = engine;
    options.walk_budget = walk_budget;
    enter_puzzle(p);
    solve(options);
    Outcome o;
    o.status = solver_state.status;
    o.marks.assign(&solver_state.result_grid[0][0], &solver_state.result_grid[0][0] + MAX_LINES * MAX_LINES);
    o.grid = GridSnapshot::take();
    return o;
}

std::string marks_text(const std::vector<i32>& marks, int h, int w)
{
    std::string s;
    for (int r = 0; r < h; ++r) {
        s += '\n';
        for (int c = 0; c < w; ++c) s += "?.#x X"[marks[r * MAX_LINES + c]];
    }
    return s;
}

// The same verdict, marks and grid handed back; a failure ends the caller's loop.
void expect_same(const Outcome& learning, const Outcome& exhaustive, int h, int w)
{
    ASSERT_EQ(learning.status, exhaustive.status);
    ASSERT_EQ(learning.marks, exhaustive.marks)
        << "learning:" << marks_text(learning.marks, h, w) << "\nexhaustive:" << marks_text(exhaustive.marks, h, w);
    EXPECT_TRUE(learning.grid == exhaustive.grid) << "the engines handed back different grids";
}

TEST(LearningEngine, MatchesTheExhaustiveEngineAndEnumerationOnRandomPuzzles)
{
    const std::uint64_t seed = test_seed();
    int verdicts[5] = {};
    int large = 0, enumerated = 0;
    for (int i = 0; i < 15000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const auto [h, w, p] = random_case(rng, 1, 12, 0.1, 0.9);
        SCOPED_TRACE(case_name(seed, i) + ": " + describe(p));
        const Outcome exhaustive = run(p, ENGINE_EXHAUSTIVE);
        const Outcome learning = run(p, ENGINE_LEARNING);
        expect_same(learning, exhaustive, h, w);
        if (::testing::Test::HasFatalFailure()) break;
        if (h * w <= 30) {
            const PuzzleAnswer a = enumerate_solutions(p);
            run(p, ENGINE_LEARNING);
            ASSERT_TRUE(result_matches(a));
            ++enumerated;
        }
        ++verdicts[learning.status];
        large += h * w >= 80 && learning.status == STATUS_SEVERAL;
    }
    EXPECT_GT(verdicts[STATUS_FINISHED], 1500);
    EXPECT_GT(verdicts[STATUS_SEVERAL], 3000);
    EXPECT_GT(verdicts[STATUS_INVALID], 1500);
    EXPECT_GT(large, 800) << "too few large puzzles with several solutions";
    EXPECT_GT(enumerated, 1000);
}

// The cells that vary sorted out at any point of the walk to the first solution, down to before
// its first cell: the walk must go on from where it stood, with the solutions found meanwhile, the
// search stopped at the budget asked again, and the cells fixed before held for good.
TEST(LearningEngine, SortsTheVaryingCellsWithinTheWalk)
{
    const std::uint64_t seed = test_seed();
    int before_walk = 0, within_walk = 0, interrupted = 0;
    for (int i = 0; i < 10000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const auto [h, w, p] = random_case(rng, 8, 12, 0.3, 0.6);
        SCOPED_TRACE(case_name(seed, i) + ": " + describe(p));
        const Outcome exhaustive = run(p, ENGINE_EXHAUSTIVE);
        // -1 sorts them before the walk's first cell, any other budget after a cell or more.
        const std::int64_t budget = uniform(rng, -1, 4);
        const Outcome learning = run(p, ENGINE_LEARNING, budget);
        if (solver_stats.early_sorting) ++(budget < 0 ? before_walk : within_walk);
        interrupted += solver_stats.interrupted > 0;
        SCOPED_TRACE("budget " + std::to_string(budget));
        expect_same(learning, exhaustive, h, w);
    }
    EXPECT_GT(before_walk, 200) << "the cells were hardly ever sorted before the walk";
    EXPECT_GT(within_walk, 300) << "the cells were hardly ever sorted within the walk";
    EXPECT_GT(interrupted, 100) << "a search was hardly ever stopped at the walk's budget";
}

// The walk's and the sorting's shares of the counters. Besides the sorting's searches there are the first one
// and one for each open cell of the walk that no solution found before settles.
TEST(LearningEngine, CountsTheSortingApart)
{
    const std::uint64_t seed = test_seed();
    int sorted = 0;
    std::int64_t conflicts = 0, sorting_conflicts = 0;
    for (int i = 0; i < 2000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const Puzzle p = random_case(rng, 8, 12, 0.3, 0.6).puzzle;
        SCOPED_TRACE(case_name(seed, i) + ": " + describe(p));
        run(p, ENGINE_LEARNING);
        const SolverStats& st = solver_stats;
        EXPECT_EQ(st.walk_queries + st.sorting_queries, st.queries);
        EXPECT_EQ(st.walk_conflicts + st.sorting_conflicts, st.conflicts);
        EXPECT_LE(st.largest_search, st.conflicts);
        if (st.solutions == 0) {  // nothing left open, or no solution at all
            EXPECT_LE(st.queries, 1);
            EXPECT_EQ(st.sorting_queries, 0);
            continue;
        }
        EXPECT_EQ(st.queries, 1 + (st.variables - st.reused) + st.sorting_queries + st.interrupted);
        EXPECT_LE(st.sorting_conflicts, st.conflicts);
        sorted += st.sorting_queries > 0;
        conflicts += st.conflicts;
        sorting_conflicts += st.sorting_conflicts;
    }
    EXPECT_GT(sorted, 500);
    EXPECT_GT(sorting_conflicts, 0);
    EXPECT_LT(sorting_conflicts, conflicts);
}

// Cases of their own: nothing open after the stages before (no search at all), one open
// region, and a line with all thirteen blocks.
TEST(LearningEngine, PuzzlesThatNeedLittleOrNoSearch)
{
    Clues every_other(25);
    for (int c = 0; c < 25; c += 2) every_other[c] = {1};
    const Puzzle cases[] = {
        {{{2}, {1}}, {{2}, {1}}},
        {{{1}, {1}}, {{1}, {1}}},
        {{Clue(13, 1)}, every_other},
        {{{1, 1}, {1, 1}}, {{1}, {1}, {1}, {1}}},
        {{{}, {}, {1}}, {{1}}},
    };
    for (const Puzzle& p : cases) {
        SCOPED_TRACE(describe(p));
        const Outcome exhaustive = run(p, ENGINE_EXHAUSTIVE);
        const Outcome learning = run(p, ENGINE_LEARNING);
        EXPECT_EQ(learning.status, exhaustive.status);
        EXPECT_EQ(learning.marks, exhaustive.marks);
        EXPECT_TRUE(learning.grid == exhaustive.grid);
        EXPECT_TRUE(result_matches(enumerate_solutions(p)));
    }
}

}  // namespace
