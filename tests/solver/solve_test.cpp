// The search and the whole solve run: verdict, first solution and differing cells, checked
// against every solution of each puzzle.
#include <gtest/gtest.h>

#include <string>

#include "oracle.h"

namespace {

i32 status_of(i32 solution_state)
{
    return solution_state == 0 ? STATUS_INVALID : solution_state == 1 ? STATUS_FINISHED : STATUS_SEVERAL;
}

::testing::AssertionResult marks_are(const std::vector<std::vector<i32>>& marks)
{
    for (int r = 1; r <= MAX_LINES; ++r)
        for (int c = 1; c <= MAX_LINES; ++c) {
            const bool inside = r <= static_cast<int>(marks.size()) && c <= static_cast<int>(marks[r - 1].size());
            const i32 expected = inside ? marks[r - 1][c - 1] : MARK_NONE;
            if (solver_state.result_grid[r - 1][c - 1] != expected)
                return ::testing::AssertionFailure() << "mark (" << r << ", " << c << ") is "
                                                     << solver_state.result_grid[r - 1][c - 1] << ", not " << expected;
        }
    return ::testing::AssertionSuccess();
}

// Runs the stages one by one as the solve run does, checking that the search hands back the
// grid and the trail as it found them and leaves the verdict that enumeration gives.
void check_stages(const Puzzle& p, const PuzzleAnswer& a)
{
    compile(p);
    if (probe() || guess_probe()) {
        EXPECT_EQ(a.solutions, 0) << "a stage before the search found a contradiction";
        return;
    }
    const GridSnapshot before = GridSnapshot::take();
    search();
    EXPECT_TRUE(GridSnapshot::take() == before) << "search did not hand back the grid and trail";
    EXPECT_EQ(solver_state.solution_state, a.solutions == 0 ? 0 : a.status() == STATUS_SEVERAL ? 2 : 1);
    solver_state.status = status_of(solver_state.solution_state);
    EXPECT_TRUE(result_matches(a)) << "after search";
}

void check_solve(const Puzzle& p, const PuzzleAnswer& a)
{
    enter_puzzle(p);
    solve();
    EXPECT_EQ(solver_state.height, a.height);
    EXPECT_EQ(solver_state.width, a.width);
    EXPECT_TRUE(result_matches(a));
}

// ---- random puzzles --------------------------------------------------------------

TEST(Solve, MatchesEnumerationOnRandomPuzzles)
{
    const std::uint64_t seed = test_seed();
    int verdicts[5] = {};
    int unequal = 0;
    for (int i = 0; i < 3000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        int h = 0, w = 0;
        do {
            h = uniform(rng, 1, 6);
            w = uniform(rng, 1, 6);
        } while (h * w > 30);
        const Puzzle p = random_puzzle(rng, h, w);
        SCOPED_TRACE(case_name(seed, i) + ": " + describe(p));
        const PuzzleAnswer a = enumerate_solutions(p);
        check_solve(p, a);
        if (!a.sums_differ) check_stages(p, a);
        ++verdicts[a.status()];
        unequal += a.sums_differ;
    }
    // Every verdict must be well represented, or the test would prove little.
    EXPECT_GT(verdicts[STATUS_FINISHED], 1000);
    EXPECT_GT(verdicts[STATUS_SEVERAL], 150);
    EXPECT_GT(verdicts[STATUS_INVALID] - unequal, 150);
    EXPECT_GT(unequal, 20);
}

// A leaf that still has open cells, all already marked as differing, counts only if it can be
// completed to a solution. Here the incomplete leaf has row 4, column 5 filled, yet every
// solution leaves that cell empty.
TEST(Solve, LeafWithOpenCellsIsComparedOnlyWhenItCompletes)
{
    const Puzzle p{{{1}, {1, 2}, {1, 1, 1}, {1}}, {{2}, {1}, {1}, {1}, {1}, {1}, {1}}};
    const PuzzleAnswer a = enumerate_solutions(p);
    ASSERT_EQ(a.status(), STATUS_SEVERAL);
    ASSERT_TRUE(a.forced(4, 5, CELL_EMPTY));
    check_solve(p, a);
    EXPECT_EQ(solver_state.result_grid[3][4], MARK_EMPTY);
    check_stages(p, a);
}

// Puzzles whose search meets leaves with open cells that only a completion several levels
// deep decides: some complete only through a filled first cell, some look completable after
// one probe and are not.
TEST(Solve, LeavesThatNeedADeepCompletion)
{
    const Puzzle cases[] = {
        {{{1}, {2}, {}, {1}, {1}, {1, 1}}, {{1}, {1}, {1, 1}, {1, 1}, {1}}},
        {{{2}, {1}, {1}, {1, 1}, {1}, {1, 1}}, {{1, 1}, {2}, {1}, {1, 1}, {1, 1}}},
        {{{2, 1}, {1, 1}, {1}, {1, 1}, {2}}, {{1}, {1}, {1, 1}, {2, 1}, {1}, {1, 1}}},
        {{{1, 1}, {1}, {1, 2}, {1, 1, 1}, {1, 1}}, {{2}, {}, {1}, {1}, {1, 1}, {1}, {1, 1}, {1, 1}}},
        {{{1, 1}, {1}, {1, 1}, {1, 2}, {1, 1}, {1}}, {{2}, {1, 1}, {2}, {2}, {1}, {1}, {1}}},
        {{{1}, {2}, {2, 1}, {1, 1, 2}, {1}, {1, 1}}, {{1}, {2}, {1}, {1, 1}, {2}, {1}, {2}, {2}}},
    };
    for (const Puzzle& p : cases) {
        SCOPED_TRACE(describe(p));
        const PuzzleAnswer a = enumerate_solutions(p);
        ASSERT_EQ(a.status(), STATUS_SEVERAL);
        check_solve(p, a);
        check_stages(p, a);
    }
}

// ---- fixed puzzles ---------------------------------------------------------------

TEST(Solve, AllBlankIsAnEmptyUniqueSolution)
{
    enter_puzzle({});
    solve();
    EXPECT_EQ(solver_state.status, STATUS_FINISHED);
    EXPECT_EQ(solver_state.height, 0);
    EXPECT_EQ(solver_state.width, 0);
    EXPECT_EQ(solver_state.solution_state, 1);
    EXPECT_TRUE(marks_are({}));
}

TEST(Solve, UnequalSumsAreInvalidBeforeAnyStageRuns)
{
    enter_puzzle({{{1}, {2}}, {}});
    solver_state.row_left_end[0] = solver_state.col_left_end[0] = -7;
    solve();
    EXPECT_EQ(solver_state.status, STATUS_INVALID);
    EXPECT_TRUE(marks_are({}));
    EXPECT_EQ(solver_state.trail_len, 0);
    EXPECT_EQ(solver_state.row_left_end[0], -7) << "a stage ran";

    // The running sums are compared, not the tables' totals.
    enter_puzzle({{{2}, {1}}, {{2}, {1}}});
    ++solver_state.col_clue_sum;
    solve();
    EXPECT_EQ(solver_state.status, STATUS_INVALID);
    EXPECT_TRUE(marks_are({}));
}

TEST(Solve, SmallFixedPuzzles)
{
    const Clue ones(13, 1);
    Clues alternate(25);
    for (int c = 0; c < 25; c += 2) alternate[c] = {25};
    const struct {
        const char* name;
        Puzzle puzzle;
        i32 status;
    } cases[] = {
        {"row clue longer than the row", {{{3}, {1}}, {{2}, {2}}}, STATUS_INVALID},
        {"clue of 99", {{{99}}, {{99}}}, STATUS_INVALID},
        {"one solution", {{{2}, {1}}, {{2}, {1}}}, STATUS_FINISHED},
        {"two diagonals", {{{1}, {1}}, {{1}, {1}}}, STATUS_SEVERAL},
        {"row of 25 next to the frame", {{{25}}, Clues(25, Clue{1})}, STATUS_FINISHED},
        {"column of 25 next to the frame", {Clues(25, Clue{1}), {{25}}}, STATUS_FINISHED},
        {"25 x 25, all filled", {Clues(25, Clue{25}), Clues(25, Clue{25})}, STATUS_FINISHED},
        {"25 x 25, thirteen blocks a row", {Clues(25, ones), alternate}, STATUS_FINISHED},
        {"all columns blank", {{{1}}, Clues(3)}, STATUS_INVALID},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PuzzleAnswer a = enumerate_solutions(c.puzzle);
        ASSERT_EQ(a.status(), c.status);
        check_solve(c.puzzle, a);
        if (!a.sums_differ) check_stages(c.puzzle, a);
    }
}

TEST(Solve, TwoDiagonalsMarkEveryCell)
{
    compile({{{1}, {1}}, {{1}, {1}}});
    search();
    EXPECT_EQ(solver_state.solution_state, 2);
    EXPECT_TRUE(marks_are({{MARK_EMPTY_DIFFERS, MARK_FILLED_DIFFERS}, {MARK_FILLED_DIFFERS, MARK_EMPTY_DIFFERS}}));
    EXPECT_EQ(solver_state.trail_len, 0);
    EXPECT_EQ(count_cells(2, 2, CELL_UNKNOWN), 4);

    enter_puzzle({{{1}, {1}}, {{1}, {1}}});
    solve();
    EXPECT_EQ(solver_state.status, STATUS_SEVERAL);
    EXPECT_TRUE(marks_are({{MARK_EMPTY_DIFFERS, MARK_FILLED_DIFFERS}, {MARK_FILLED_DIFFERS, MARK_EMPTY_DIFFERS}}));
}

TEST(Solve, SearchOfAContradictionRecordsNothing)
{
    compile({{{3}, {1}}, {{2}, {2}}});
    const GridSnapshot before = GridSnapshot::take();
    search();
    EXPECT_EQ(solver_state.solution_state, 0);
    EXPECT_TRUE(marks_are({}));
    EXPECT_TRUE(GridSnapshot::take() == before);

    compile({});
    search();
    EXPECT_EQ(solver_state.solution_state, 1);
    EXPECT_TRUE(marks_are({}));
}

const Puzzle eight_by_eight{
    {{2}, {2, 3}, {1, 1, 1}, {1, 1, 1}, {1}, {1, 1, 1, 1}, {7}, {3, 1}},
    {{1, 5}, {2, 2}, {1, 3}, {1}, {2, 2}, {2, 1}, {2, 3}, {2}},
};

const std::vector<std::vector<i32>> eight_by_eight_marks{
    {1, 1, 1, 1, 1, 2, 2, 1}, {2, 2, 1, 1, 3, 2, 2, 4}, {1, 2, 1, 1, 2, 1, 1, 2}, {2, 1, 2, 1, 4, 1, 1, 3},
    {2, 1, 1, 1, 1, 1, 1, 1}, {2, 1, 2, 1, 2, 1, 2, 1}, {2, 2, 2, 2, 2, 2, 2, 1}, {2, 2, 2, 1, 1, 1, 2, 1},
};

TEST(Solve, EightByEightBranchesOnceAndMarksFourCells)
{
    compile(eight_by_eight);
    ASSERT_EQ(probe(), 0);
    ASSERT_EQ(guess_probe(), 0);
    ASSERT_EQ(solver_state.trail_len, 60);
    const std::int64_t calls = solver_stats.search_calls;
    search();
    EXPECT_EQ(solver_stats.search_calls - calls, 3) << "one branch, each side settled by its probe";
    EXPECT_TRUE(marks_are(eight_by_eight_marks));

    enter_puzzle(eight_by_eight);
    solve();
    EXPECT_EQ(solver_state.status, STATUS_SEVERAL);
    EXPECT_TRUE(marks_are(eight_by_eight_marks));
    EXPECT_EQ(solver_state.trail_len, 60);
    EXPECT_EQ(count_cells(8, 8, CELL_UNKNOWN), 4);
    for (int r : {2, 4})
        for (int c : {5, 8}) EXPECT_EQ(solver_state.grid[r][c], CELL_UNKNOWN) << "row " << r << ", column " << c;
    EXPECT_TRUE(result_matches(enumerate_solutions(eight_by_eight)));
}

TEST(Solve, EveryRunStartsFromScratch)
{
    enter_puzzle(eight_by_eight);
    solve();
    const SolverState first = solver_state;

    // Leave the work tables in disorder and solve another puzzle in between.
    SolverState& s = solver_state;
    for (int r = 1; r <= MAX_LINES; ++r)
        for (int c = 1; c <= MAX_LINES; ++c) s.grid[r][c] = (r * c) % 3;
    set_line_states(LINE_PROBED, LINE_SOLVED);
    s.trail_len = 17;
    s.solution_state = 2;
    for (auto& row : s.result_grid)
        for (i32& v : row) v = MARK_FILLED_DIFFERS;
    for (auto& line : s.row_clues)
        for (int k = 0; k < MAX_CLUES + 1; ++k) line[k] = 5;
    enter_puzzle({{{1}, {1, 2}, {1, 1, 1}, {1}}, {{2}, {1}, {1}, {1}, {1}, {1}, {1}}});
    solve();

    enter_puzzle(eight_by_eight);
    solve();
    EXPECT_EQ(s.status, first.status);
    EXPECT_TRUE(std::equal(&s.result_grid[0][0], &s.result_grid[0][0] + MAX_LINES * MAX_LINES,
                           &first.result_grid[0][0]));
    EXPECT_TRUE(std::equal(&s.grid[0][0], &s.grid[0][0] + GRID_SIZE * GRID_SIZE, &first.grid[0][0]));
    solve();
    EXPECT_EQ(s.status, first.status);
    EXPECT_TRUE(std::equal(&s.result_grid[0][0], &s.result_grid[0][0] + MAX_LINES * MAX_LINES,
                           &first.result_grid[0][0]));
}

// ---- the built-in sample -----------------------------------------------------------

TEST(SamplePuzzle, FitsTheClueTablesAndIsSolvedByPropagationAlone)
{
    load_sample_puzzle();
    SolverState& s = solver_state;
    Puzzle p{Clues(MAX_LINES), Clues(MAX_LINES)};
    auto read = [](const i32 (&input)[MAX_LINES][MAX_CLUES], Clues& lines, const char* band) {
        for (int i = 0; i < MAX_LINES; ++i) {
            int k = MAX_CLUES;
            while (k > 0 && input[i][k - 1] != 0) --k;  // the entries stand next to the grid
            for (int j = k; j < MAX_CLUES; ++j) lines[i].push_back(input[i][j]);
            for (int j = 0; j < k; ++j) EXPECT_EQ(input[i][j], 0) << band << " " << i + 1 << ", slot " << j;
        }
    };
    read(s.row_clue_input, p.rows, "row");
    read(s.col_clue_input, p.cols, "column");
    EXPECT_EQ(total(p.rows), 38);
    EXPECT_EQ(total(p.cols), 38);
    for (int r = 1; r <= 5; ++r) EXPECT_FALSE(p.rows[r - 1].empty()) << "row " << r;
    EXPECT_FALSE(p.cols[0].empty());
    EXPECT_FALSE(p.cols[15].empty());
    int blank_inner = 0;
    for (int c = 2; c <= 15; ++c) blank_inner += p.cols[c - 1].empty();
    EXPECT_GT(blank_inner, 0);

    s.row_clue_sum = s.col_clue_sum = 38;  // as window creation sets them
    compile_clues();
    ASSERT_EQ(s.height, 5);
    ASSERT_EQ(s.width, 16);
    ASSERT_EQ(propagate(), 0);
    EXPECT_EQ(count_cells(5, 16, CELL_UNKNOWN), 0) << grid_text(5, 16);

    solve();
    EXPECT_EQ(s.status, STATUS_FINISHED);
    EXPECT_EQ(s.difficulty, DIFFICULTY_LINE);
    int filled = 0, empty = 0;
    for (auto& row : s.result_grid)
        for (i32 v : row) {
            filled += v == MARK_FILLED;
            empty += v == MARK_EMPTY;
        }
    EXPECT_EQ(filled, 38);
    EXPECT_EQ(empty, 42);
    const PuzzleAnswer a = enumerate_solutions(p);
    EXPECT_EQ(a.solutions, 1);
    EXPECT_TRUE(result_matches(a));
}

}  // namespace
