// Lines as automata: exact line solving and the thinning of reasons, checked against the
// enumeration of every placement of random lines.
#include <gtest/gtest.h>

#include <bit>
#include <string>

#include "line.h"
#include "oracle.h"

namespace {

LineMasks masks_of_cells(const Cells& cells, int n)
{
    LineMasks m{0, 0};
    for (int p = 1; p <= n; ++p) {
        if (cells[p] == CELL_FILLED) m.filled |= 1u << p;
        if (cells[p] == CELL_EMPTY) m.empty |= 1u << p;
    }
    return m;
}

int clue_cells(const Clue& clue)
{
    int need = clue.empty() ? 0 : static_cast<int>(clue.size()) - 1;
    for (int v : clue) need += v;
    return need;
}

// What every agreeing placement does to each open cell.
struct Forced {
    bool feasible = false;
    std::uint32_t must_fill = 0;
    std::uint32_t must_empty = 0;
};

Forced enumerate_forced(int n, const Clue& clue, const Cells& cells)
{
    std::uint32_t can_fill = 0, can_empty = 0;
    Forced f;
    for_each_placement(n, clue, cells, [&](const std::vector<int>& start) {
        f.feasible = true;
        std::uint32_t filled = 0;
        for (std::size_t k = 0; k < clue.size(); ++k)
            for (int p = start[k]; p < start[k] + clue[k]; ++p) filled |= 1u << p;
        can_fill |= filled;
        can_empty |= ~filled;
    });
    if (!f.feasible) return f;
    for (int p = 1; p <= n; ++p) {
        if (cells[p] != CELL_UNKNOWN) continue;
        if (!(can_empty & (1u << p))) f.must_fill |= 1u << p;
        if (!(can_fill & (1u << p))) f.must_empty |= 1u << p;
    }
    return f;
}

Cells cells_of(LineMasks m, int n)
{
    Cells cells(n + 1, CELL_UNKNOWN);
    for (int p = 1; p <= n; ++p) {
        if (m.filled & (1u << p)) cells[p] = CELL_FILLED;
        if (m.empty & (1u << p)) cells[p] = CELL_EMPTY;
    }
    return cells;
}

TEST(Automaton, SolvesLinesExactlyAsEnumerationDoes)
{
    const std::uint64_t seed = test_seed();
    int feasible = 0, forced = 0;
    for (int i = 0; i < 30000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const int n = uniform(rng, 1, MAX_LINES);
        Clue clue;
        const Cells cells = random_line(rng, n, clue);
        if (clue.size() > MAX_CLUES) clue.resize(MAX_CLUES);
        SCOPED_TRACE(case_name(seed, i) + ": N " + std::to_string(n) + ", clue " + clue_text({clue}) + ", cells " +
                     cells_text(cells, n));
        const std::vector<i32> len = compiled_clue(clue);
        LineAutomaton a;
        const int too_long = make_automaton(n, len.data(), static_cast<i32>(clue.size()), a);
        ASSERT_EQ(too_long, clue_cells(clue) > n ? 1 : 0);
        const Forced expected = enumerate_forced(n, clue, cells);
        if (too_long) {
            EXPECT_FALSE(expected.feasible);
            continue;
        }
        std::uint32_t must_fill = 0xdead, must_empty = 0xbeef;
        const int refuted = automaton_solve(a, masks_of_cells(cells, n), must_fill, must_empty);
        ASSERT_EQ(refuted, expected.feasible ? 0 : 1);
        if (refuted) continue;
        EXPECT_EQ(must_fill, expected.must_fill);
        EXPECT_EQ(must_empty, expected.must_empty);
        ++feasible;
        forced += must_fill || must_empty;
    }
    EXPECT_GT(feasible, 10000);
    EXPECT_GT(forced, 3000);
}

// A thinned set of cells is part of the cells given, still has no agreeing placement, and
// loses that when any one of its cells is dropped; cells outside the groups always stay.
TEST(Automaton, ThinsRefutedCellsToASetWithoutASpareCell)
{
    const std::uint64_t seed = test_seed();
    int thinned = 0;
    for (int i = 0; i < 30000 && !::testing::Test::HasFailure(); ++i) {
        std::mt19937_64 rng = case_rng(seed, i);
        const int n = uniform(rng, 1, MAX_LINES);
        Clue clue;
        const Cells cells = random_line(rng, n, clue);
        if (clue.size() > MAX_CLUES || clue_cells(clue) > n) continue;
        const LineMasks given = masks_of_cells(cells, n);
        if (enumerate_forced(n, clue, cells).feasible) continue;
        SCOPED_TRACE(case_name(seed, i) + ": N " + std::to_string(n) + ", clue " + clue_text({clue}) + ", cells " +
                     cells_text(cells, n));
        const std::vector<i32> len = compiled_clue(clue);
        LineAutomaton a;
        ASSERT_EQ(make_automaton(n, len.data(), static_cast<i32>(clue.size()), a), 0);
        // Up to three groups of random cells; the rest may not be dropped.
        std::uint32_t order[3] = {0, 0, 0};
        for (int p = 1; p <= n; ++p) {
            const int g = uniform(rng, 0, 3);
            if (g < 3) order[g] |= 1u << p;
        }
        const std::uint32_t groups = order[0] | order[1] | order[2];
        const LineMasks kept = automaton_thin(a, given, order, 3);
        EXPECT_EQ(kept.filled & ~given.filled, 0u);
        EXPECT_EQ(kept.empty & ~given.empty, 0u);
        EXPECT_EQ(kept.filled & ~groups, given.filled & ~groups);
        EXPECT_EQ(kept.empty & ~groups, given.empty & ~groups);
        EXPECT_FALSE(enumerate_forced(n, clue, cells_of(kept, n)).feasible) << "the thinned cells have a placement";
        for (std::uint32_t rest = (kept.filled | kept.empty) & groups; rest; rest &= rest - 1) {
            const std::uint32_t bit = rest & (~rest + 1);
            const LineMasks fewer{kept.filled & ~bit, kept.empty & ~bit};
            EXPECT_TRUE(enumerate_forced(n, clue, cells_of(fewer, n)).feasible)
                << "position " << std::countr_zero(bit) << " could have been dropped";
        }
        thinned += (kept.filled | kept.empty) != (given.filled | given.empty);
    }
    EXPECT_GT(thinned, 1000);
}

// The group order decides which of several sets is kept: here either of the two filled cells
// alone rules out the clue 1 on a line that already holds a filled cell at 3.
TEST(Automaton, EarlierGroupsGoFirst)
{
    const std::vector<i32> len = compiled_clue({1});
    LineAutomaton a;
    ASSERT_EQ(make_automaton(5, len.data(), 1, a), 0);
    const LineMasks cells{(1u << 1) | (1u << 3) | (1u << 5), 0};
    const std::uint32_t fixed = 1u << 3;
    std::uint32_t order[2] = {1u << 1, 1u << 5};
    LineMasks kept = automaton_thin(a, cells, order, 2);
    EXPECT_EQ(kept.filled, fixed | (1u << 5));
    std::swap(order[0], order[1]);
    kept = automaton_thin(a, cells, order, 2);
    EXPECT_EQ(kept.filled, fixed | (1u << 1));
}

}  // namespace
