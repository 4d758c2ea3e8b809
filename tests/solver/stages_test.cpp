// Clue compilation, propagation, probing and guessing: exact effects on small cases,
// and soundness against every solution of random puzzles.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "oracle.h"

namespace {

using Trail = std::vector<std::pair<int, int>>;

Trail trail()
{
    Trail t;
    for (i32 k = 0; k < solver_state.trail_len; ++k) t.emplace_back(solver_state.trail_row[k], solver_state.trail_col[k]);
    return t;
}

// Presets a decided cell the way a stage would: in the grid and on the trail.
void decide(int r, int c, i32 value)
{
    solver_state.grid[r][c] = value;
    push_trail(r, c);
}

// A case stated for rows (or columns) and run in both orientations: `along` swaps the
// roles of rows and columns when the case is run on columns.
class Oriented : public ::testing::TestWithParam<bool> {
protected:
    bool rows() const { return GetParam(); }
    Puzzle puzzle(const Puzzle& p) const { return rows() ? p : transposed(p); }
    std::pair<int, int> at(int line, int pos) const { return rows() ? std::pair{line, pos} : std::pair{pos, line}; }
    i32& cell(int line, int pos) const
    {
        auto [r, c] = at(line, pos);
        return solver_state.grid[r][c];
    }
    i32& state(int line) const { return rows() ? solver_state.row_state[line - 1] : solver_state.col_state[line - 1]; }
    i32& crossing_state(int line) const
    {
        return rows() ? solver_state.col_state[line - 1] : solver_state.row_state[line - 1];
    }
    Trail along(const Trail& t) const
    {
        Trail out;
        for (auto [line, pos] : t) out.push_back(at(line, pos));
        return out;
    }
    void decide_at(int line, int pos, i32 value) const
    {
        auto [r, c] = at(line, pos);
        decide(r, c, value);
    }
};

// ---- clue compilation ----------------------------------------------------------

TEST(CompileClues, ResetsEveryWorkTableAndLeavesTheRest)
{
    SolverState& s = solver_state;
    compile({{{1}}, {{1}}});
    for (auto& row : s.grid)
        for (i32& v : row) v = 7;
    for (auto& row : s.result_grid)
        for (i32& v : row) v = 4;
    set_line_states(LINE_PROBED, LINE_SOLVED);
    s.trail_len = 9;
    s.solution_state = 2;
    s.status = STATUS_SEVERAL;
    s.row_clue_sum = 11;
    s.col_clue_sum = 12;
    s.row_left_end[3] = s.col_right_start[5] = -5;

    compile_clues();
    for (int i = 0; i < GRID_SIZE; ++i)
        for (int j = 0; j < GRID_SIZE; ++j) {
            const bool frame = i == 0 || j == 0 || i == GRID_SIZE - 1 || j == GRID_SIZE - 1;
            ASSERT_EQ(s.grid[i][j], frame ? CELL_BORDER : CELL_UNKNOWN) << "cell (" << i << ", " << j << ")";
        }
    for (auto& row : s.result_grid)
        for (i32 v : row) ASSERT_EQ(v, MARK_NONE);
    EXPECT_TRUE(all_lines_in(MAX_LINES, MAX_LINES, LINE_PENDING));
    EXPECT_EQ(s.trail_len, 0);
    EXPECT_EQ(s.solution_state, 0);
    EXPECT_EQ(s.status, STATUS_SEVERAL);
    EXPECT_EQ(s.row_clue_sum, 11);
    EXPECT_EQ(s.col_clue_sum, 12);
    EXPECT_EQ(s.row_left_end[3], -5);
    EXPECT_EQ(s.col_right_start[5], -5);
}

TEST(CompileClues, SizeComesFromTheLastLineWithEntries)
{
    SolverState& s = solver_state;
    compile({});
    EXPECT_EQ(s.height, 0);
    EXPECT_EQ(s.width, 0);
    for (int i = 0; i < MAX_LINES; ++i) EXPECT_EQ(s.row_clue_count[i] + s.col_clue_count[i], 0);

    Puzzle p{Clues(7), Clues(MAX_LINES)};
    p.rows[6] = {1};
    p.cols[24] = {1};
    compile(p);
    EXPECT_EQ(s.height, 7);
    EXPECT_EQ(s.width, 25);
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(s.row_clue_count[r - 1], 0) << "row " << r;
    EXPECT_EQ(s.row_clue_count[6], 1);
}

TEST(CompileClues, ListsKeepSlotOrderWithZerosAtBothEnds)
{
    SolverState& s = solver_state;
    compile({{Clue(13, 0)}, {{1}}});
    for (int k = 0; k < MAX_CLUES; ++k) s.row_clue_input[0][k] = k + 1;
    s.row_clue_input[1][2] = 4;  // only slots 2 and 9: the number of slot 2 comes first
    s.row_clue_input[1][9] = 99;
    s.row_clues[1][0] = 8;
    compile_clues();
    EXPECT_EQ(s.height, 2);
    ASSERT_EQ(s.row_clue_count[0], 13);
    for (int k = 1; k <= 13; ++k) EXPECT_EQ(s.row_clues[0][k], k);
    EXPECT_EQ(s.row_clues[0][0], 0);
    EXPECT_EQ(s.row_clues[0][14], 0);
    ASSERT_EQ(s.row_clue_count[1], 2);
    EXPECT_EQ(s.row_clues[1][0], 0);
    EXPECT_EQ(s.row_clues[1][1], 4);
    EXPECT_EQ(s.row_clues[1][2], 99);

    // Fewer numbers after more: the slots behind the list are zero again.
    compile({{{2, 3}}, {{1}}});
    ASSERT_EQ(s.row_clue_count[0], 2);
    for (int k = 3; k < CLUE_SLOTS; ++k) EXPECT_EQ(s.row_clues[0][k], 0) << "slot " << k;
    EXPECT_EQ(s.row_clue_count[1], 0);
    for (int k = 0; k < CLUE_SLOTS; ++k) EXPECT_EQ(s.row_clues[1][k], 0) << "slot " << k;
}

// ---- propagation -----------------------------------------------------------------

class Propagate : public Oriented {};

TEST_P(Propagate, ThreeOneOnFiveIsSettledByOneProcessing)
{
    compile(puzzle({{{3, 1}}, {{1}, {1}, {1}, {}, {1}}}));
    set_line_states(LINE_SOLVED, LINE_SOLVED);
    state(1) = LINE_PENDING;
    ASSERT_EQ(propagate(), 0);
    EXPECT_EQ(trail(), along({{1, 1}, {1, 2}, {1, 3}, {1, 5}, {1, 4}}));
    for (int p : {1, 2, 3, 5}) EXPECT_EQ(cell(1, p), CELL_FILLED) << "position " << p;
    EXPECT_EQ(cell(1, 4), CELL_EMPTY);
    EXPECT_TRUE(all_lines_in(solver_state.height, solver_state.width, LINE_SOLVED));
}

TEST_P(Propagate, ThreeOnFiveFillsOnlyTheMiddle)
{
    compile(puzzle({{{3}}, {{}, {}, {1}, {}, {1}}}));
    set_line_states(LINE_SOLVED, LINE_SOLVED);
    state(1) = LINE_PENDING;
    ASSERT_EQ(propagate(), 0);
    EXPECT_EQ(trail(), along({{1, 3}}));
    EXPECT_EQ(cell(1, 3), CELL_FILLED);
}

TEST_P(Propagate, BlocksThatLeaveNoCommonCellsChangeNothing)
{
    compile(puzzle({{{1, 1}}, {{1}, {}, {}, {1}}}));
    set_line_states(LINE_SOLVED, LINE_SOLVED);
    state(1) = LINE_PENDING;
    ASSERT_EQ(propagate(), 0);
    EXPECT_EQ(solver_state.trail_len, 0);
    EXPECT_EQ(state(1), LINE_SOLVED);
}

TEST_P(Propagate, LineWithoutCluesEmptiesItsOpenCells)
{
    compile(puzzle({{{}, {1}}, {{}, {}, {}, {1}}}));
    set_line_states(LINE_SOLVED, LINE_SOLVED);
    state(1) = LINE_PENDING;
    decide_at(1, 2, CELL_EMPTY);
    ASSERT_EQ(propagate(), 0);
    // Line 1 first; then the crossing lines whose cells it changed (crossing line 2 stays
    // settled: its cell was decided beforehand); then line 2, which fixes the last cell.
    EXPECT_EQ(trail(), along({{1, 2}, {1, 1}, {1, 3}, {1, 4}, {2, 1}, {2, 3}, {2, 4}, {2, 2}}));
    EXPECT_EQ(cell(2, 4), CELL_FILLED);
    EXPECT_EQ(count_cells(solver_state.height, solver_state.width, CELL_EMPTY), 7);
    EXPECT_TRUE(all_lines_in(solver_state.height, solver_state.width, LINE_SOLVED));
}

TEST_P(Propagate, LineWithoutCluesAndAFilledCellContradicts)
{
    compile(puzzle({{{}, {1}}, {{}, {}, {}, {1}}}));
    set_line_states(LINE_SOLVED, LINE_SOLVED);
    state(1) = LINE_PENDING;
    decide_at(1, 2, CELL_FILLED);
    EXPECT_EQ(propagate(), 1);
    EXPECT_EQ(solver_state.trail_len, 1);
    EXPECT_EQ(state(1), LINE_PENDING);
}

TEST_P(Propagate, ContradictionInTheSecondLineKeepsTheFirstLinesWork)
{
    // Lines 1 and 2 are the first two pending lines of the pass; line 2 cannot fit its clue.
    // Columns come first in a pass, so for rows the columns are settled beforehand.
    compile(puzzle({{{3}, {2, 1}}, {{1}, {1}, {1}}}));
    if (rows()) std::fill(std::begin(solver_state.col_state), std::end(solver_state.col_state), LINE_SOLVED);
    i32* crossing_left_end = rows() ? solver_state.col_left_end : solver_state.row_left_end;
    crossing_left_end[0] = -7;
    EXPECT_EQ(propagate(), 1);
    EXPECT_EQ(trail(), along({{1, 1}, {1, 2}, {1, 3}}));
    EXPECT_EQ(state(1), LINE_SOLVED);
    EXPECT_EQ(state(2), LINE_PENDING);
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(crossing_state(p), LINE_PENDING) << "crossing line " << p;
    EXPECT_EQ(crossing_left_end[0], -7) << "a crossing line was processed in the failing pass";
    EXPECT_EQ(cell(2, 1), CELL_UNKNOWN);
}

TEST_P(Propagate, NothingPendingMeansNothingIsLookedAt)
{
    compile(puzzle({{{}, {2}}, {{1}, {1}}}));
    set_line_states(LINE_PROBED, LINE_SOLVED);
    decide_at(1, 1, CELL_FILLED);  // contradicts line 1, which is not pending
    solver_state.row_left_end[0] = solver_state.col_left_end[0] = -7;
    const GridSnapshot before = GridSnapshot::take();
    EXPECT_EQ(propagate(), 0);
    EXPECT_TRUE(GridSnapshot::take() == before);
    EXPECT_EQ(solver_state.row_left_end[0], -7);
    EXPECT_EQ(solver_state.col_left_end[0], -7);
    EXPECT_EQ(state(1), rows() ? LINE_PROBED : LINE_SOLVED);
}

INSTANTIATE_TEST_SUITE_P(Lines, Propagate, ::testing::Bool(), orientation_name);

// One pending line among settled ones: its processing must put on the trail exactly the cells
// that the overlap and gap rules give from the extreme placements, in the rules' order.
TEST(PropagateRules, FirstProcessingFixesWhatTheExtremePlacementsAgreeOn)
{
    const std::uint64_t seed = test_seed();
    for (int i = 0; i < 4000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const bool is_row = chance(rng, 0.5);
        const int n = uniform(rng, 1, MAX_LINES);
        Clue clue;
        const Cells cells = random_line(rng, n, clue);
        Puzzle p{{clue, {1}}, Clues(n)};
        p.cols[n - 1] = {1};
        compile(is_row ? p : transposed(p));
        auto cell = [&](int pos) -> i32& { return is_row ? solver_state.grid[1][pos] : solver_state.grid[pos][1]; };
        for (int pos = 1; pos <= n; ++pos)
            if (cells[pos] != CELL_UNKNOWN) {
                cell(pos) = cells[pos];
                is_row ? push_trail(1, pos) : push_trail(pos, 1);
            }
        set_line_states(LINE_SOLVED, LINE_SOLVED);
        (is_row ? solver_state.row_state : solver_state.col_state)[0] = LINE_PENDING;
        SCOPED_TRACE(case_name(seed, i) + ": " + (is_row ? "row" : "column") + " clue " + clue_text({clue}) +
                     ", cells " + cells_text(cells, n));

        const LineAnswer placements = enumerate_placements(n, clue, cells);
        std::vector<int> expected;
        if (placements.feasible) {
            const int blocks = static_cast<int>(clue.size());
            Cells now = cells;
            auto set = [&](int pos, i32 v) {
                if (now[pos] != CELL_UNKNOWN) return;
                now[pos] = v;
                expected.push_back(pos);
            };
            for (int k = 0; k < blocks; ++k)
                for (int pos = placements.max_start[k]; pos <= placements.min_end[k]; ++pos) set(pos, CELL_FILLED);
            for (int m = 0; m <= blocks; ++m) {
                const int from = m == 0 ? 1 : placements.max_start[m - 1] + clue[m - 1];
                const int to = m == blocks ? n : placements.min_end[m] - clue[m];
                for (int pos = from; pos <= to; ++pos) set(pos, CELL_EMPTY);
            }
        }
        const i32 base = solver_state.trail_len;
        const int result = propagate();
        if (!placements.feasible) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(solver_state.trail_len, base);
            continue;
        }
        // Later passes over the crossing lines may add more; the line's own cells come first.
        ASSERT_GE(solver_state.trail_len, base + static_cast<i32>(expected.size()));
        std::vector<int> got;
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const i32 r = solver_state.trail_row[base + k], c = solver_state.trail_col[base + k];
            got.push_back(is_row && r == 1 ? c : !is_row && c == 1 ? r : -1);
        }
        EXPECT_EQ(got, expected);
    }
}

// ---- probing ---------------------------------------------------------------------

class Probe : public Oriented {};

TEST_P(Probe, OneOneAroundAFilledMiddleEmptiesItsNeighbours)
{
    // Line 1: clue 1 1 with position 3 filled; propagation alone gets nothing from it.
    compile(puzzle({{{1, 1}, {1, 1}}, {{}, {1}, {1}, {1}, {1}}}));
    set_line_states(LINE_PROBED, LINE_PROBED);
    state(1) = LINE_PENDING;
    decide_at(1, 3, CELL_FILLED);
    ASSERT_EQ(probe(), 0);
    // The scan of line 1 empties positions 2 and 4 and leaves 1 and 5 open; the new cycle's
    // propagation then settles the rest through crossing lines 2 and 4.
    EXPECT_EQ(trail(), along({{1, 3}, {1, 2}, {1, 4}, {2, 2}, {2, 4}, {2, 1}, {2, 3}, {2, 5}, {1, 1}, {1, 5}}));
    EXPECT_TRUE(all_lines_in(solver_state.height, solver_state.width, LINE_PROBED));
    EXPECT_TRUE(trail_matches_grid(solver_state.height, solver_state.width));
}

TEST_P(Probe, LineScanKeepsCellsOpenWhereBothValuesFit)
{
    // As above, but the crossing lines settle only line 2, where nothing more follows.
    compile(puzzle({{{1, 1}, {1, 1}}, {{1}, {}, {1}, {}, {1}}}));
    set_line_states(LINE_PROBED, LINE_PROBED);
    state(1) = LINE_PENDING;
    decide_at(1, 3, CELL_FILLED);
    ASSERT_EQ(probe(), 0);
    EXPECT_EQ(trail(), along({{1, 3}, {1, 2}, {1, 4}, {2, 2}, {2, 4}}));
    for (int p : {1, 5}) EXPECT_EQ(cell(1, p), CELL_UNKNOWN) << "position " << p;
    EXPECT_TRUE(all_lines_in(solver_state.height, solver_state.width, LINE_PROBED));
}

TEST_P(Probe, SettledLineThatContradictsFailsAtItsFirstOpenCell)
{
    compile(puzzle({{{1}}, {{}, {}, {}, {1}}}));
    set_line_states(LINE_PROBED, LINE_PROBED);
    state(1) = LINE_SOLVED;
    decide_at(1, 1, CELL_FILLED);
    decide_at(1, 3, CELL_FILLED);
    const GridSnapshot before = GridSnapshot::take();
    EXPECT_EQ(probe(), 1);
    EXPECT_TRUE(GridSnapshot::take() == before);
    EXPECT_EQ(state(1), LINE_SOLVED);
}

TEST_P(Probe, EverythingProbedMeansNothingIsLookedAt)
{
    compile(puzzle({{{1}}, {{}, {}, {}, {1}}}));
    set_line_states(LINE_PROBED, LINE_PROBED);
    decide_at(1, 1, CELL_FILLED);
    decide_at(1, 3, CELL_FILLED);
    solver_state.row_left_end[0] = solver_state.col_left_end[0] = -7;
    const GridSnapshot before = GridSnapshot::take();
    EXPECT_EQ(probe(), 0);
    EXPECT_TRUE(GridSnapshot::take() == before);
    EXPECT_EQ(solver_state.row_left_end[0], -7);
    EXPECT_EQ(solver_state.col_left_end[0], -7);
}

INSTANTIATE_TEST_SUITE_P(Lines, Probe, ::testing::Bool(), orientation_name);

// ---- guessing ----------------------------------------------------------------------

const Puzzle eight_by_eight{
    {{2}, {2, 3}, {1, 1, 1}, {1, 1, 1}, {1}, {1, 1, 1, 1}, {7}, {3, 1}},
    {{1, 5}, {2, 2}, {1, 3}, {1}, {2, 2}, {2, 1}, {2, 3}, {2}},
};

TEST(GuessProbe, EightByEightFixesSixteenCellsAndLeavesFourOpen)
{
    compile(eight_by_eight);
    ASSERT_EQ(probe(), 0);
    EXPECT_EQ(solver_state.trail_len, 44);
    const Trail after_probe = trail();
    ASSERT_EQ(guess_probe(), 0);
    EXPECT_EQ(solver_state.trail_len, 60);
    const Trail after_guess = trail();
    ASSERT_GT(after_guess.size(), 44u);
    EXPECT_TRUE(std::equal(after_probe.begin(), after_probe.end(), after_guess.begin()));
    EXPECT_EQ(after_guess[44], std::pair(1, 1)) << "the first cell fixed is entered first";
    for (int c : {1, 2, 5}) EXPECT_EQ(solver_state.grid[1][c], CELL_EMPTY) << "row 1, column " << c;
    for (int r : {2, 4})
        for (int c : {5, 8}) EXPECT_EQ(solver_state.grid[r][c], CELL_UNKNOWN) << "row " << r << ", column " << c;
    EXPECT_EQ(count_cells(8, 8, CELL_UNKNOWN), 4);
    EXPECT_TRUE(trail_matches_grid(8, 8));
    EXPECT_TRUE(decided_cells_forced(enumerate_solutions(eight_by_eight)));
}

TEST(GuessProbe, CellWhoseEmptyTrialFailsBecomesFilled)
{
    // Propagation and probing get nothing here. Row 1, column 1 empty forces row 2 to ##..
    // and row 1 to ..##, against its clue 1 1; filled, it settles the whole puzzle.
    const Puzzle p{{{1, 1}, {2}}, {{1}, {1}, {1}, {1}}};
    compile(p);
    ASSERT_EQ(probe(), 0);
    ASSERT_EQ(solver_state.trail_len, 0);
    EXPECT_EQ(guess_probe(), 0);
    ASSERT_GT(solver_state.trail_len, 0);
    EXPECT_EQ(trail()[0], std::pair(1, 1));
    EXPECT_EQ(solver_state.trail_len, 8);
    const Board expected{{CELL_FILLED, CELL_EMPTY, CELL_EMPTY, CELL_FILLED},
                         {CELL_EMPTY, CELL_FILLED, CELL_FILLED, CELL_EMPTY}};
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 4; ++c) EXPECT_EQ(solver_state.grid[r][c], expected[r - 1][c - 1]) << r << ", " << c;
}

TEST(GuessProbe, OnlyCellsNextToDecidedOnesAreTried)
{
    // With nothing decided, only row 1 and column 1 touch the frame. Each of those cells
    // takes both values among the solutions, so no trial of theirs can contradict, and the
    // interior cells that every solution decides stay open.
    const Puzzle p{{{1}, {1, 1}, {1}, {1}}, {{1, 1}, {1}, {1}, {1}}};
    const PuzzleAnswer a = enumerate_solutions(p);
    ASSERT_GT(a.solutions, 1);
    auto free = [&](int r, int c) { return !a.forced(r, c, CELL_EMPTY) && !a.forced(r, c, CELL_FILLED); };
    bool interior_forced = false;
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c) {
            if (r == 1 || c == 1)
                ASSERT_TRUE(free(r, c)) << r << ", " << c;
            else
                interior_forced |= !free(r, c);
        }
    ASSERT_TRUE(interior_forced);
    compile(p);
    ASSERT_EQ(probe(), 0);
    ASSERT_EQ(solver_state.trail_len, 0);
    EXPECT_EQ(guess_probe(), 0);
    EXPECT_EQ(solver_state.trail_len, 0);
}

TEST(GuessProbe, TwoDiagonalSolutionsFixNothing)
{
    compile({{{1}, {1}}, {{1}, {1}}});
    ASSERT_EQ(probe(), 0);
    ASSERT_EQ(solver_state.trail_len, 0);
    EXPECT_EQ(guess_probe(), 0);
    EXPECT_EQ(solver_state.trail_len, 0);
    EXPECT_EQ(count_cells(2, 2, CELL_UNKNOWN), 4);
}

TEST(GuessProbe, NothingOpenOrNoPuzzleFindsNothing)
{
    compile({});
    ASSERT_EQ(probe(), 0);
    EXPECT_EQ(guess_probe(), 0);
    EXPECT_EQ(solver_state.trail_len, 0);

    compile({{{2}, {1}}, {{2}, {1}}});
    ASSERT_EQ(probe(), 0);
    ASSERT_EQ(count_cells(2, 2, CELL_UNKNOWN), 0);
    const GridSnapshot before = GridSnapshot::take();
    EXPECT_EQ(guess_probe(), 0);
    EXPECT_TRUE(GridSnapshot::take() == before);
}

// ---- soundness on random puzzles ---------------------------------------------------

// No stage may decide a cell against any solution or report a contradiction in a puzzle
// that has one, and each leaves the grid, the trail and the line states consistent.
TEST(Stages, AgreeWithEverySolutionOfRandomPuzzles)
{
    const std::uint64_t seed = test_seed();
    int contradictions = 0, guessed = 0;
    for (int i = 0; i < 2000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const Puzzle p = random_puzzle(rng, uniform(rng, 1, 7), uniform(rng, 1, 7));
        SCOPED_TRACE(case_name(seed, i) + ": " + describe(p));
        const PuzzleAnswer a = enumerate_solutions(p);
        const int h = a.height, w = a.width;

        compile(p);
        const int propagated = propagate();
        EXPECT_TRUE(trail_matches_grid(h, w));
        if (propagated) {
            EXPECT_EQ(a.solutions, 0) << "propagation found a contradiction";
        } else {
            EXPECT_TRUE(decided_cells_forced(a)) << "after propagation:" << grid_text(h, w);
            EXPECT_TRUE(all_lines_in(h, w, LINE_SOLVED));
        }

        compile(p);
        const int probed = probe();
        EXPECT_TRUE(trail_matches_grid(h, w));
        if (probed) {
            EXPECT_EQ(a.solutions, 0) << "probing found a contradiction";
            ++contradictions;
            continue;
        }
        EXPECT_TRUE(decided_cells_forced(a)) << "after probing:" << grid_text(h, w);
        EXPECT_TRUE(all_lines_in(h, w, LINE_PROBED));

        const Trail after_probe = trail();
        const int before_guess = count_cells(h, w, CELL_UNKNOWN);
        const int guess = guess_probe();
        EXPECT_TRUE(trail_matches_grid(h, w));
        const Trail after_guess = trail();
        EXPECT_TRUE(after_guess.size() >= after_probe.size() &&
                    std::equal(after_probe.begin(), after_probe.end(), after_guess.begin()))
            << "guessing changed what probing had fixed";
        if (guess) {
            EXPECT_EQ(a.solutions, 0) << "guessing found a contradiction";
        } else {
            EXPECT_TRUE(decided_cells_forced(a)) << "after guessing:" << grid_text(h, w);
            guessed += count_cells(h, w, CELL_UNKNOWN) < before_guess;
        }
    }
    // The puzzles must exercise every stage.
    EXPECT_GT(contradictions, 200);
    EXPECT_GT(guessed, 30);
}

}  // namespace
