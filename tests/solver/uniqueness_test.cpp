// The uniqueness question against the full answer and the enumeration of every solution, and
// the difficulty of small puzzles built to need each stage.
#include <gtest/gtest.h>

#include <string>

#include "oracle.h"

namespace {

struct Answer {
    i32 status = STATUS_NONE;
    i32 difficulty = DIFFICULTY_NONE;
    std::vector<i32> marks;  // all 25 x 25
    GridSnapshot grid;
};

Answer run(const Puzzle& p, i32 engine, i32 question)
{
    SolverOptions options;
    options.engine = engine;
    options.question = question;
    enter_puzzle(p);
    solve(options);
    Answer a;
    a.status = solver_state.status;
    a.difficulty = solver_state.difficulty;
    a.marks.assign(&solver_state.result_grid[0][0], &solver_state.result_grid[0][0] + MAX_LINES * MAX_LINES);
    a.grid = GridSnapshot::take();
    return a;
}

// The first (0) or second (1) of the solutions a uniqueness answer carries: the second differs
// from the first where the first's mark says so.
Board solution_of(const Answer& a, int h, int w, int which)
{
    Board b(h, std::vector<i32>(w));
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const i32 mark = a.marks[r * MAX_LINES + c];
            const bool differs = mark >= MARK_EMPTY_DIFFERS;
            const i32 first = differs ? mark - 2 : mark;
            b[r][c] = which == 1 && differs ? (first == CELL_FILLED ? CELL_EMPTY : CELL_FILLED) : first;
        }
    return b;
}

std::string board_text(const Board& b)
{
    std::string s;
    for (const auto& row : b) {
        s += '\n';
        for (const i32 v : row) s += v == CELL_FILLED ? '#' : v == CELL_EMPTY ? '.' : '?';
    }
    return s;
}

// The first clue that the board breaks, or an empty string; lines beyond the board must be blank.
std::string broken_clue(const Puzzle& p, const Board& b, int h, int w)
{
    auto clue = [](const Clues& lines, int i) { return i < static_cast<int>(lines.size()) ? lines[i] : Clue{}; };
    for (int r = 0; r < std::max(h, static_cast<int>(p.rows.size())); ++r) {
        const Clue runs = r < h ? runs_of(b[r]) : Clue{};
        if (runs != clue(p.rows, r)) return "row " + std::to_string(r + 1);
    }
    for (int c = 0; c < std::max(w, static_cast<int>(p.cols.size())); ++c) {
        std::vector<i32> col;
        for (int r = 0; r < h && c < w; ++r) col.push_back(b[r][c]);
        if (runs_of(col) != clue(p.cols, c)) return "column " + std::to_string(c + 1);
    }
    return "";
}

// A uniqueness answer checked against the full answer of the same puzzle (of h x w cells once
// compiled): the same verdict and difficulty; no marks without a solution; for one solution the
// full answer's picture; for several, two solutions that both keep every clue and differ.
::testing::AssertionResult answers_the_same_question(const Puzzle& p, int h, int w, const Answer& full,
                                                     const Answer& u)
{
    if (u.status != full.status)
        return ::testing::AssertionFailure() << "verdict " << u.status << ", the full answer's " << full.status;
    if (u.difficulty != full.difficulty)
        return ::testing::AssertionFailure() << "difficulty " << u.difficulty << ", the full answer's "
                                             << full.difficulty;
    for (int r = 0; r < MAX_LINES; ++r)
        for (int c = 0; c < MAX_LINES; ++c) {
            const i32 mark = u.marks[r * MAX_LINES + c];
            const bool inside = r < h && c < w && u.status != STATUS_INVALID;
            if (inside ? mark < MARK_EMPTY || mark > MARK_FILLED_DIFFERS : mark != MARK_NONE)
                return ::testing::AssertionFailure() << "mark " << mark << " at (" << r + 1 << ", " << c + 1 << ")";
        }
    if (u.status == STATUS_INVALID) return ::testing::AssertionSuccess();
    const Board first = solution_of(u, h, w, 0);
    const Board second = solution_of(u, h, w, 1);
    if (const std::string broken = broken_clue(p, first, h, w); !broken.empty())
        return ::testing::AssertionFailure() << "the first solution breaks " << broken << board_text(first);
    if (u.status == STATUS_FINISHED) {
        if (u.marks != full.marks) return ::testing::AssertionFailure() << "not the full answer's solution";
        return ::testing::AssertionSuccess();
    }
    if (first == second) return ::testing::AssertionFailure() << "the two solutions are the same" << board_text(first);
    if (const std::string broken = broken_clue(p, second, h, w); !broken.empty())
        return ::testing::AssertionFailure() << "the second solution breaks " << broken << board_text(second);
    return ::testing::AssertionSuccess();
}

TEST(Uniqueness, GivesTheFullAnswersVerdictOnRandomPuzzles)
{
    const std::uint64_t seed = test_seed();
    int verdicts[5] = {}, difficulties[5] = {};
    int enumerated = 0, large_several = 0;
    for (int i = 0; i < 20000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const auto [h, w, p] = random_case(rng, 1, 12, 0.1, 0.9);
        SCOPED_TRACE(case_name(seed, i) + ": " + describe(p));
        const Answer full = run(p, ENGINE_LEARNING, QUESTION_FULL);
        const int ch = solver_state.height, cw = solver_state.width;
        const Answer learning = run(p, ENGINE_LEARNING, QUESTION_UNIQUENESS);
        const Answer exhaustive = run(p, ENGINE_EXHAUSTIVE, QUESTION_UNIQUENESS);
        ASSERT_TRUE(answers_the_same_question(p, ch, cw, full, learning)) << "learning engine";
        ASSERT_TRUE(answers_the_same_question(p, ch, cw, full, exhaustive)) << "exhaustive engine";
        EXPECT_TRUE(learning.grid == full.grid) << "the learning engine handed back another grid";
        EXPECT_TRUE(exhaustive.grid == full.grid) << "the exhaustive engine handed back another grid";
        if (h * w <= 30) {
            // The exhaustive engine stops at the second solution of its row-major order: the
            // first solution is the first one, as in the full answer.
            const PuzzleAnswer a = enumerate_solutions(p);
            ASSERT_EQ(full.status, a.status());
            if (a.solutions > 0) {
                ASSERT_EQ(solution_of(exhaustive, ch, cw, 0), a.first);
            }
            ++enumerated;
        }
        ++verdicts[full.status];
        ++difficulties[full.difficulty];
        large_several += h * w >= 80 && full.status == STATUS_SEVERAL;
    }
    EXPECT_GT(verdicts[STATUS_FINISHED], 8000);
    EXPECT_GT(verdicts[STATUS_SEVERAL], 4000);
    EXPECT_GT(verdicts[STATUS_INVALID], 4000);
    EXPECT_GT(large_several, 1000) << "too few large puzzles with several solutions";
    EXPECT_GT(enumerated, 7500);
    // Small random puzzles that the first stages leave open have several solutions, so the
    // last stage's other answers are tested on its own below.
    for (const i32 d : {DIFFICULTY_LINE, DIFFICULTY_PROBING, DIFFICULTY_GUESSING, DIFFICULTY_SEARCH})
        EXPECT_GT(difficulties[d], 40) << "difficulty " << d;
}

// The last stage alone, on the whole puzzle with nothing decided before it: there it also meets
// puzzles with one solution and puzzles with none, which the stages before settle in the run.
TEST(Uniqueness, TheLastStageAloneGivesTheFullAnswersVerdict)
{
    auto last_stage = [](const Puzzle& p, void (*stage)()) {
        compile(p);
        const GridSnapshot before = GridSnapshot::take();
        stage();
        Answer a;
        a.status = solver_state.solution_state == 0   ? STATUS_INVALID
                   : solver_state.solution_state == 1 ? STATUS_FINISHED
                                                      : STATUS_SEVERAL;
        a.marks.assign(&solver_state.result_grid[0][0], &solver_state.result_grid[0][0] + MAX_LINES * MAX_LINES);
        EXPECT_TRUE(GridSnapshot::take() == before) << "the grid was not handed back";
        return a;
    };
    const std::uint64_t seed = test_seed();
    int verdicts[5] = {};
    for (int i = 0; i < 20000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const auto [h, w, p] = random_case(rng, 1, 12, 0.1, 0.9);
        // The run rules out unequal sums before any stage; the existence searches would have to
        // count to see it, which takes them exponentially long.
        if (total(p.rows) != total(p.cols)) continue;
        SCOPED_TRACE(case_name(seed, i) + ": " + describe(p));
        const Answer full = last_stage(p, [] { learning_search(SolverOptions{}.walk_budget); });
        const int ch = solver_state.height, cw = solver_state.width;
        ASSERT_TRUE(answers_the_same_question(p, ch, cw, full, last_stage(p, learning_to_second))) << "learning";
        ASSERT_TRUE(answers_the_same_question(p, ch, cw, full, last_stage(p, search_to_second))) << "exhaustive";
        if (h * w <= 30) {
            const PuzzleAnswer a = enumerate_solutions(p);
            ASSERT_EQ(full.status, a.solutions == 0 ? STATUS_INVALID : a.solutions == 1 ? STATUS_FINISHED : STATUS_SEVERAL);
        }
        ++verdicts[full.status];
    }
    EXPECT_GT(verdicts[STATUS_FINISHED], 8000);
    EXPECT_GT(verdicts[STATUS_SEVERAL], 4000);
    EXPECT_GT(verdicts[STATUS_INVALID], 3500);
}

// The check above fails on the faults it is there for: a wrong verdict, a solution that breaks
// a clue and two equal solutions.
TEST(Uniqueness, TheCheckCatchesPlantedFaults)
{
    const Puzzle unique = {{{2}, {1}}, {{2}, {1}}};
    const Puzzle none = {{{2}, {2}}, {{1}, {1}}};
    for (const i32 engine : {ENGINE_LEARNING, ENGINE_EXHAUSTIVE}) {
        SCOPED_TRACE(engine == ENGINE_LEARNING ? "learning" : "exhaustive");
        const Puzzle two_diagonals = {{{1}, {1}}, {{1}, {1}}};
        const Answer full = run(two_diagonals, ENGINE_LEARNING, QUESTION_FULL);
        const Answer u = run(two_diagonals, engine, QUESTION_UNIQUENESS);
        ASSERT_EQ(u.status, STATUS_SEVERAL);
        ASSERT_TRUE(answers_the_same_question(two_diagonals, 2, 2, full, u));

        Answer wrong = u;
        wrong.status = STATUS_FINISHED;
        EXPECT_FALSE(answers_the_same_question(two_diagonals, 2, 2, full, wrong)) << "a wrong verdict";
        wrong = u;
        wrong.difficulty = DIFFICULTY_GUESSING;
        EXPECT_FALSE(answers_the_same_question(two_diagonals, 2, 2, full, wrong)) << "a wrong difficulty";
        wrong = u;
        wrong.marks[0] = wrong.marks[0] == MARK_EMPTY_DIFFERS ? MARK_FILLED_DIFFERS : MARK_EMPTY_DIFFERS;
        EXPECT_FALSE(answers_the_same_question(two_diagonals, 2, 2, full, wrong)) << "both break a clue";
        wrong = u;
        wrong.marks[0] -= 2;  // the second solution keeps the first's value there
        EXPECT_FALSE(answers_the_same_question(two_diagonals, 2, 2, full, wrong)) << "the second breaks a clue";
        wrong = u;
        for (const int at : {0, 1, MAX_LINES, MAX_LINES + 1}) wrong.marks[at] -= 2;
        EXPECT_FALSE(answers_the_same_question(two_diagonals, 2, 2, full, wrong)) << "two equal solutions";
        wrong = u;
        wrong.marks[2] = MARK_EMPTY;
        EXPECT_FALSE(answers_the_same_question(two_diagonals, 2, 2, full, wrong)) << "a mark beyond the puzzle";
    }
    // A unique puzzle's solution must be the full answer's, and a puzzle without one has no marks.
    const Answer full = run(unique, ENGINE_LEARNING, QUESTION_FULL);
    Answer u = run(unique, ENGINE_LEARNING, QUESTION_UNIQUENESS);
    ASSERT_TRUE(answers_the_same_question(unique, 2, 2, full, u));
    u.marks[MAX_LINES + 1] = MARK_FILLED;
    EXPECT_FALSE(answers_the_same_question(unique, 2, 2, full, u)) << "a solution that breaks a clue";
    const Answer no = run(none, ENGINE_LEARNING, QUESTION_FULL);
    Answer marked = run(none, ENGINE_LEARNING, QUESTION_UNIQUENESS);
    ASSERT_TRUE(answers_the_same_question(none, 2, 2, no, marked));
    marked.marks[0] = MARK_FILLED;
    EXPECT_FALSE(answers_the_same_question(none, 2, 2, no, marked)) << "marks without a solution";
}

// ---- difficulty ---------------------------------------------------------------------

struct StageCase {
    const char* why;
    Puzzle puzzle;
    i32 status;
    i32 difficulty;
};

TEST(Difficulty, SmallPuzzlesThatNeedExactlyEachStage)
{
    const StageCase cases[] = {
        {"nothing to decide", {}, STATUS_FINISHED, DIFFICULTY_LINE},
        {"two full lines cross", {{{2}, {1}}, {{2}, {1}}}, STATUS_FINISHED, DIFFICULTY_LINE},
        {"unequal sums", {{{1}}, {{1, 1}}}, STATUS_INVALID, DIFFICULTY_LINE},
        {"a row longer than the puzzle is wide", {{{3}, {1}}, {{2}, {2}}}, STATUS_INVALID, DIFFICULTY_LINE},
        // Propagation fixes row 1's middle cell and column 3; then row 2 (1 1 in five cells)
        // leaves nothing to overlap, and only trying cells one by one against it goes on.
        {"probing, one solution", {{{2}, {1, 1}, {2, 1}}, {{1}, {1, 1}, {2}, {1}, {1}}}, STATUS_FINISHED,
         DIFFICULTY_PROBING},
        {"probing, a contradiction", {{{1, 1}, {4}, {1, 1}}, {{1}, {2}, {3}, {1}, {1}}}, STATUS_INVALID,
         DIFFICULTY_PROBING},
        // Row 2's block of two lies at one of three places; each column holds one cell. Only
        // following a cell's value through both lines rules out the outer two.
        {"guessing, one solution", {{{1, 1}, {2}}, {{1}, {1}, {1}, {1}}}, STATUS_FINISHED, DIFFICULTY_GUESSING},
        // Row 1's block of two lies on one side of the empty column 3; row 2 then holds the
        // other side's two cells as one block, not as 1 1.
        {"guessing, a contradiction", {{{2}, {1, 1}}, {{1}, {1}, {}, {1}, {1}}}, STATUS_INVALID,
         DIFFICULTY_GUESSING},
        {"search, one solution",
         {{{1, 1}, {2, 2}, {1, 2}, {1, 1, 2}, {1, 2}, {2, 1}},
          {{1, 1, 1}, {1, 1}, {1, 1}, {2}, {1, 1, 1}, {3}, {2, 1}, {1}}},
         STATUS_FINISHED, DIFFICULTY_SEARCH},
        {"search, no solution",
         {{{2, 1}, {2, 1, 1}, {2, 1}, {1, 1}, {1, 1, 2}, {2, 1}},
          {{1}, {1, 1}, {1, 1, 1}, {2, 1}, {2}, {3}, {1}, {1, 2}, {1}}},
         STATUS_INVALID, DIFFICULTY_SEARCH},
        {"two diagonals", {{{1}, {1}}, {{1}, {1}}}, STATUS_SEVERAL, DIFFICULTY_SEARCH},
    };
    for (const StageCase& k : cases) {
        SCOPED_TRACE(std::string(k.why) + ": " + describe(k.puzzle));
        for (const i32 engine : {ENGINE_LEARNING, ENGINE_EXHAUSTIVE})
            for (const i32 question : {QUESTION_FULL, QUESTION_UNIQUENESS}) {
                const Answer a = run(k.puzzle, engine, question);
                EXPECT_EQ(a.status, k.status) << "engine " << engine << ", question " << question;
                EXPECT_EQ(a.difficulty, k.difficulty) << "engine " << engine << ", question " << question;
            }
        // "Exactly": the stages before the one named leave cells open and find no contradiction.
        compile(k.puzzle);
        const bool sums_agree = total(k.puzzle.rows) == total(k.puzzle.cols);
        const int h = solver_state.height, w = solver_state.width;
        for (const i32 before : {DIFFICULTY_LINE, DIFFICULTY_PROBING, DIFFICULTY_GUESSING}) {
            if (before >= k.difficulty) break;
            int (*const stage)() = before == DIFFICULTY_LINE ? propagate : before == DIFFICULTY_PROBING ? probe : guess_probe;
            ASSERT_TRUE(sums_agree);
            ASSERT_EQ(stage(), 0) << "stage " << before << " found a contradiction";
            EXPECT_GT(count_cells(h, w, CELL_UNKNOWN), 0) << "stage " << before << " left nothing open";
        }
    }
}

}  // namespace
