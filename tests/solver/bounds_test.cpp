// Leftmost and rightmost packing of rows and columns, against every placement of the line.
#include <gtest/gtest.h>

#include <string>

#include "oracle.h"

namespace {

// One line of the grid under test: row or column `index` of a puzzle in which it has length n.
struct LineSite {
    bool is_row;
    int index;
    int n;

    i32& cell(int p) const { return is_row ? solver_state.grid[index][p] : solver_state.grid[p][index]; }
    int leftmost() const { return is_row ? row_leftmost(index) : col_leftmost(index); }
    void rightmost() const { is_row ? row_rightmost(index) : col_rightmost(index); }
    i32* left_end() const { return is_row ? solver_state.row_left_end : solver_state.col_left_end; }
    i32* right_start() const { return is_row ? solver_state.row_right_start : solver_state.col_right_start; }
    std::string name() const { return (is_row ? "row " : "column ") + std::to_string(index); }
};

// Compiles a puzzle in which the line at `site` carries `clue`, every other line some clue of
// its own, and the other direction has `extent` lines; then fills the puzzle with random cells.
void compile_around(const LineSite& site, int extent, const Clue& clue, std::mt19937_64& rng)
{
    Puzzle p;
    p.rows.resize(extent);
    p.cols.resize(site.n);
    for (Clue& line : p.rows)
        for (int k = uniform(rng, 0, 2); k > 0; --k) line.push_back(uniform(rng, 1, 4));
    for (Clue& line : p.cols)
        for (int k = uniform(rng, 0, 2); k > 0; --k) line.push_back(uniform(rng, 1, 4));
    if (p.rows.back().empty()) p.rows.back() = {1};
    if (p.cols.back().empty()) p.cols.back() = {1};
    p.rows[site.index - 1] = clue;
    compile(site.is_row ? p : transposed(p));
    for (int r = 1; r <= solver_state.height; ++r)
        for (int c = 1; c <= solver_state.width; ++c) solver_state.grid[r][c] = uniform(rng, 0, 2);
}

// Writes garbage into the four bound arrays, so that an entry left unwritten shows.
void scribble_bounds()
{
    for (int k = 0; k < CLUE_SLOTS; ++k) {
        solver_state.row_left_end[k] = solver_state.col_left_end[k] = -100 - k;
        solver_state.row_right_start[k] = solver_state.col_right_start[k] = -200 - k;
    }
}

// Runs the leftmost and, when it agrees, the rightmost packing of the line, and compares
// them with the placements enumerated over the same cells. Returns whether the line agrees.
bool check_line(const LineSite& site, const Clue& clue)
{
    Cells cells(site.n + 1, CELL_UNKNOWN);
    for (int p = 1; p <= site.n; ++p) cells[p] = site.cell(p);
    SCOPED_TRACE(site.name() + " of length " + std::to_string(site.n) + ", clue " + clue_text({clue}) +
                 ", cells " + cells_text(cells, site.n));
    const LineAnswer expected = enumerate_placements(site.n, clue, cells);
    const GridSnapshot before = GridSnapshot::take();
    const int blocks = static_cast<int>(clue.size());

    scribble_bounds();
    EXPECT_EQ(site.leftmost(), expected.feasible ? 0 : 1);
    EXPECT_EQ(site.left_end()[0], 0);
    if (expected.feasible && !::testing::Test::HasFailure()) {
        for (int k = 1; k <= blocks; ++k) EXPECT_EQ(site.left_end()[k], expected.min_end[k - 1]) << "block " << k;
        site.rightmost();
        EXPECT_EQ(site.right_start()[blocks + 1], site.n + 1);
        for (int k = 1; k <= blocks; ++k)
            EXPECT_EQ(site.right_start()[k], expected.max_start[k - 1]) << "block " << k;
    }
    EXPECT_TRUE(GridSnapshot::take() == before) << "a bound function changed the grid";
    return expected.feasible;
}

class BoundsAgainstPlacements : public ::testing::TestWithParam<bool> {};

TEST_P(BoundsAgainstPlacements, RandomLines)
{
    const bool is_row = GetParam();
    const std::uint64_t seed = test_seed();
    int feasible = 0;
    const int lines = 12000;
    for (int i = 0; i < lines && !HasFailure(); ++i) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", line " + std::to_string(i));
        std::mt19937_64 rng = case_rng(seed, i);
        const int n = uniform(rng, 1, MAX_LINES);
        Clue clue;
        const Cells cells = random_line(rng, n, clue);
        // A clueless line must not be the last one, or the puzzle would compile smaller.
        const int extent = uniform(rng, clue.empty() ? 2 : 1, MAX_LINES);
        const LineSite site{is_row, uniform(rng, 1, clue.empty() ? extent - 1 : extent), n};
        compile_around(site, extent, clue, rng);
        ASSERT_EQ(is_row ? solver_state.width : solver_state.height, n);
        ASSERT_EQ(is_row ? solver_state.height : solver_state.width, extent);
        for (int p = 1; p <= n; ++p) site.cell(p) = cells[p];
        feasible += check_line(site, clue);
    }
    // Both outcomes must be well represented, or the test would prove little.
    EXPECT_GT(feasible, lines / 4);
    EXPECT_LT(feasible, lines * 3 / 4);
}

INSTANTIATE_TEST_SUITE_P(Lines, BoundsAgainstPlacements, ::testing::Bool(),
                         orientation_name);

// ---- fixed lines -------------------------------------------------------------

struct FixedLine {
    int n;
    Clue clue;
    std::string cells;  // '?' open, '.' empty, '#' filled
    int result;
    std::vector<int> left_ends, right_starts;
};

class BoundsOfFixedLines : public ::testing::TestWithParam<bool> {};

TEST_P(BoundsOfFixedLines, KnownResults)
{
    const Clue thirteen(13, 1);
    std::vector<int> odd;
    for (int p = 1; p <= 25; p += 2) odd.push_back(p);
    const FixedLine cases[] = {
        {5, {2, 1}, "?????", 0, {2, 4}, {2, 5}},
        {5, {3, 1}, "?????", 0, {3, 5}, {1, 5}},
        {5, {3, 2}, "?????", 1, {}, {}},
        {5, {99}, "?????", 1, {}, {}},
        {5, {99}, "#####", 1, {}, {}},
        {5, {}, "??#??", 1, {}, {}},
        {5, {}, "?.???", 0, {}, {}},
        {5, {2}, "???#?", 0, {4}, {4}},
        {5, {2}, "?.???", 0, {4}, {4}},
        {5, {1, 1}, "?.???", 0, {1, 3}, {3, 5}},
        {6, {2, 1}, "??#???", 0, {3, 5}, {3, 6}},
        {6, {1, 1}, "??#?#?", 0, {3, 5}, {3, 5}},
        {5, {1}, "#?#??", 1, {}, {}},
        {7, {3}, "?#???#?", 1, {}, {}},
        {4, {1}, "....", 1, {}, {}},
        {25, thirteen, std::string(25, '?'), 0, odd, odd},
        {25, {1}, std::string(24, '?') + "#", 0, {25}, {25}},
        {25, {2, 2}, "#" + std::string(23, '?') + "#", 0, {2, 25}, {1, 24}},
        {1, {1}, "?", 0, {1}, {1}},
        {1, {2}, "?", 1, {}, {}},
    };
    const bool is_row = GetParam();
    std::mt19937_64 rng = case_rng(test_seed(), 0);
    for (const FixedLine& fixed : cases) {
        SCOPED_TRACE("clue " + clue_text({fixed.clue}) + " on " + fixed.cells);
        // The line is line 1 of a two-line puzzle, so that both ends of it meet the frame or
        // the open cells outside the puzzle, and the neighbouring line is random.
        const LineSite site{is_row, 1, fixed.n};
        compile_around(site, 2, fixed.clue, rng);
        for (int p = 1; p <= fixed.n; ++p)
            site.cell(p) = fixed.cells[p - 1] == '#' ? CELL_FILLED : fixed.cells[p - 1] == '.' ? CELL_EMPTY
                                                                                              : CELL_UNKNOWN;
        scribble_bounds();
        ASSERT_EQ(site.leftmost(), fixed.result);
        EXPECT_EQ(site.left_end()[0], 0);
        if (fixed.result != 0) continue;
        const int blocks = static_cast<int>(fixed.clue.size());
        for (int k = 1; k <= blocks; ++k) EXPECT_EQ(site.left_end()[k], fixed.left_ends[k - 1]) << "block " << k;
        site.rightmost();
        for (int k = 1; k <= blocks; ++k)
            EXPECT_EQ(site.right_start()[k], fixed.right_starts[k - 1]) << "block " << k;
        EXPECT_EQ(site.right_start()[blocks + 1], fixed.n + 1) << "back sentinel";
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, BoundsOfFixedLines, ::testing::Bool(),
                         orientation_name);

}  // namespace
