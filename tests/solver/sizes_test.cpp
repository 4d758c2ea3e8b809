// The core as the command-line tool builds it, for puzzles beyond the window's 25 x 25: against
// the window's build where both apply, and beyond that against the other engine and the clues.
#include <gtest/gtest.h>

#include <ctime>

#include "any_size.h"
#include "oracle.h"

namespace {

SolverOptions asked(i32 engine, i32 question) { return {engine, question, SolverOptions{}.walk_budget}; }

// Row r of an answer's grid: the first solution (k = 0) or the second one (k = 1), whose cells
// are the first one's flipped where a mark differs.
std::vector<bool> solution_row(const SolvedPuzzle& a, int r, int k)
{
    std::vector<bool> row;
    for (int c = 0; c < a.width; ++c) {
        const i32 mark = a.mark(r, c);
        const bool filled = mark == MARK_FILLED || mark == MARK_FILLED_DIFFERS;
        row.push_back(k == 1 && mark_differs(mark) ? !filled : filled);
    }
    return row;
}

// Whether solution k of the answer gives every row and column its clue.
bool meets_clues(const SolvedPuzzle& a, const Puzzle& p, int k)
{
    std::vector<std::vector<bool>> g;
    for (int r = 0; r < a.height; ++r) g.push_back(solution_row(a, r, k));
    for (int r = 0; r < a.height; ++r)
        if (runs_of(a.width, [&](int c) { return g[r][c]; }) != p.rows[r]) return false;
    for (int c = 0; c < a.width; ++c)
        if (runs_of(a.height, [&](int r) { return g[r][c]; }) != p.cols[c]) return false;
    return true;
}

void expect_same_answer(const SolvedPuzzle& expected, const SolvedPuzzle& got)
{
    EXPECT_EQ(expected.status, got.status);
    EXPECT_EQ(expected.difficulty, got.difficulty);
    EXPECT_EQ(expected.marks, got.marks);
}

// Checks the answers to a puzzle drawn from `board` by what the drawing proves: it is a solution,
// so there is at least one; a unique answer is the drawing; where the first solution differs from
// the drawing, another solution differs, and the full answer marks the cell.
void expect_answers_of_drawing(const Board& board, const Puzzle& p)
{
    const SolvedPuzzle full = tool_core::solve_puzzle(p, asked(ENGINE_LEARNING, QUESTION_FULL));
    const SolvedPuzzle two = tool_core::solve_puzzle(p, asked(ENGINE_LEARNING, QUESTION_UNIQUENESS));
    ASSERT_TRUE(full.status == STATUS_FINISHED || full.status == STATUS_SEVERAL) << full.status;
    EXPECT_EQ(full.status, two.status);
    EXPECT_TRUE(meets_clues(full, p, 0));
    EXPECT_TRUE(meets_clues(two, p, 0));
    bool differs_anywhere = false;
    for (int r = 0; r < full.height; ++r)
        for (int c = 0; c < full.width; ++c) {
            const bool drawn = board[r][c] == CELL_FILLED;
            const i32 mark = full.mark(r, c);
            differs_anywhere = differs_anywhere || mark_differs(mark);
            if (drawn != solution_row(full, r, 0)[c]) {
                EXPECT_TRUE(mark_differs(mark)) << "cell " << r << ", " << c;
            }
        }
    EXPECT_EQ(differs_anywhere, full.status == STATUS_SEVERAL);
    if (two.status == STATUS_SEVERAL) {
        EXPECT_TRUE(meets_clues(two, p, 1));
        EXPECT_NE(std::count_if(two.marks.begin(), two.marks.end(), mark_differs), 0);
    }
}

}  // namespace

// Every engine and question gives, cell for cell, what the window's build gives, and by the same
// steps: the searches count the same nodes, conflicts and decisions. (At 25 cells a side the
// window's frame borders the puzzle, and guessing takes the frame for decided cells next to the
// last row and column, so the steps may differ there; the tool gives such puzzles to the
// window's build.)
TEST(ToolSize, SolvesAsTheWindowsBuildUpTo24)
{
    const std::uint64_t seed = test_seed();
    for (int i = 0; i < 120; ++i) {
        SCOPED_TRACE(case_name(seed, i));
        auto rng = case_rng(seed, i);
        const bool exhaustive = i % 3 == 0;
        const RandomCase rc = random_case(rng, 1, exhaustive ? 12 : WINDOW_MAX_LINES - 1, 0.2, 0.8);
        for (const i32 question : {QUESTION_FULL, QUESTION_UNIQUENESS}) {
            const SolverOptions options = asked(exhaustive ? ENGINE_EXHAUSTIVE : ENGINE_LEARNING, question);
            const SolvedPuzzle window = window_core::solve_puzzle(rc.puzzle, options);
            const SolvedPuzzle tool = tool_core::solve_puzzle(rc.puzzle, options);
            expect_same_answer(window, tool);
            for (const auto& field : solver_stat_fields) {
                if (std::string_view(field.name).ends_with("_us")) continue;
                EXPECT_EQ(window.stats.*field.field, tool.stats.*field.field) << field.name;
            }
        }
    }
}

// Beyond 25 the two engines agree: the same verdict, difficulty, first solution and marks.
TEST(ToolSize, EnginesAgreeBeyond25)
{
    const std::uint64_t seed = test_seed();
    for (int i = 0; i < 40; ++i) {
        SCOPED_TRACE(case_name(seed, i));
        auto rng = case_rng(seed, 1000 + i);
        // Dense enough that the exhaustive search meets few open cells.
        const RandomCase rc = random_case(rng, 26, 40, 0.55, 0.8);
        for (const i32 question : {QUESTION_FULL, QUESTION_UNIQUENESS}) {
            const SolvedPuzzle learning = tool_core::solve_puzzle(rc.puzzle, asked(ENGINE_LEARNING, question));
            const SolvedPuzzle exhaustive = tool_core::solve_puzzle(rc.puzzle, asked(ENGINE_EXHAUSTIVE, question));
            EXPECT_EQ(learning.status, exhaustive.status);
            if (question == QUESTION_FULL) expect_same_answer(exhaustive, learning);
        }
    }
}

// Drawings from 26 to 60 cells a side, and the shapes at the limit: every answer holds against
// the clues and the drawing. Random drawings of 40 and more cells a side at densities below
// about 0.55 take the full answer minutes: only the smaller ones are sparse.
TEST(ToolSize, DrawingsUpToTheLimitAreAnswered)
{
    const std::uint64_t seed = test_seed();
    struct Shape {
        int h, w;
    };
    std::vector<Shape> shapes = {{TOOL_MAX_LINES, TOOL_MAX_LINES}, {1, TOOL_MAX_LINES}, {TOOL_MAX_LINES, 1},
                                 {TOOL_MAX_LINES, 3},              {26, 26},            {25, 26}};
    for (int i = 0; i < 24; ++i) {
        auto rng = case_rng(seed, 2000 + i);
        shapes.push_back({uniform(rng, 26, 60), uniform(rng, 26, 60)});
    }
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        SCOPED_TRACE(case_name(seed, 3000 + static_cast<int>(i)));
        auto rng = case_rng(seed, 3000 + static_cast<int>(i));
        const bool small = shapes[i].h <= 30 && shapes[i].w <= 30;
        const double density = i < 6 ? 0.6 : small && i % 2 ? 0.3 : 0.55 + 0.25 * static_cast<double>(i % 4) / 3;
        const Board board = random_board(rng, shapes[i].h, shapes[i].w, density);
        expect_answers_of_drawing(board, clues_of(board, board));
    }
}

// A full 128 x 128 grid, then with its last row split around position 64 and its first column a
// cell short: the sums still agree, and no grid meets the clues.
TEST(ToolSize, ContradictionsAtTheLimit)
{
    Puzzle p;
    p.rows.assign(TOOL_MAX_LINES, Clue{TOOL_MAX_LINES});
    p.cols.assign(TOOL_MAX_LINES, Clue{TOOL_MAX_LINES});
    EXPECT_EQ(tool_core::solve_puzzle(p, {}).status, STATUS_FINISHED);
    p.rows.back() = {TOOL_MAX_LINES / 2 - 1, TOOL_MAX_LINES / 2};
    p.cols.front() = {TOOL_MAX_LINES - 1};
    for (const i32 engine : {ENGINE_LEARNING, ENGINE_EXHAUSTIVE})
        for (const i32 question : {QUESTION_FULL, QUESTION_UNIQUENESS})
            EXPECT_EQ(tool_core::solve_puzzle(p, asked(engine, question)).status, STATUS_INVALID);
}

// A run stopped at its time limit tells only what it knows: the cells it marks vary, the cells
// it leaves unmarked and sorted are the same in every solution, a verdict it gives is the true
// one, and the solution it shows meets the clues. Given time enough, it gives the whole answer.
TEST(TimeLimit, AStoppedRunTellsOnlyWhatItKnows)
{
    const std::uint64_t seed = test_seed();
    int stopped = 0, several_known = 0;
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(case_name(seed, 4000 + i));
        auto rng = case_rng(seed, 4000 + i);
        const Board board = random_board(rng, 28, 28, 0.3);
        const Puzzle p = clues_of(board, board);
        // The whole answer does not depend on the engine; the exhaustive one would take hours. The
        // limits are parts of the time it takes, so that they cut the run alike on a slow build.
        const std::clock_t start = std::clock();
        const SolvedPuzzle whole = tool_core::solve_puzzle(p, asked(ENGINE_LEARNING, QUESTION_FULL));
        const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        ASSERT_TRUE(whole.complete);
        for (const i32 engine : {ENGINE_LEARNING, ENGINE_EXHAUSTIVE}) {
            for (const double part_of_it : {0.02, 0.2, engine == ENGINE_LEARNING ? 0.6 : 0.3, 1000.0}) {
                if (engine == ENGINE_EXHAUSTIVE && part_of_it > 1) continue;
                const double limit = seconds * part_of_it;
                SolverOptions options = asked(engine, QUESTION_FULL);
                options.cpu_limit = limit;
                const SolvedPuzzle part = tool_core::solve_puzzle(p, options);
                if (part.complete) {
                    expect_same_answer(whole, part);
                    continue;
                }
                ++stopped;
                ASSERT_TRUE(part.status == STATUS_SEARCHING || part.status == whole.status) << part.status;
                several_known += part.status == STATUS_SEVERAL;
                const bool found = std::any_of(part.marks.begin(), part.marks.end(), [](i32 m) { return m != MARK_NONE; });
                EXPECT_TRUE(!found || meets_clues(part, p, 0));
                int unsorted = 0;
                for (int r = 0; r < part.height; ++r)
                    for (int c = 0; c < part.width; ++c) {
                        const bool varies = mark_differs(whole.mark(r, c));
                        const bool marked = mark_differs(part.mark(r, c));
                        const bool open = part.unsorted[static_cast<std::size_t>(r * part.width + c)];
                        unsorted += open;
                        EXPECT_FALSE(marked && !varies) << "cell " << r << ", " << c;
                        EXPECT_FALSE(marked && open) << "cell " << r << ", " << c;
                        EXPECT_FALSE(found && varies && !marked && !open) << "cell " << r << ", " << c;
                    }
                EXPECT_EQ(unsorted, part.unsorted_count);
            }
        }
    }
    // The cases are slow enough that the limits cut them, and some of the cuts came after a
    // second solution.
    EXPECT_GE(stopped, 6);
    EXPECT_GT(several_known, 0) << stopped << " runs stopped";
}
