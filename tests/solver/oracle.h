// Test helpers: typing puzzles into the clue tables, and brute-force answers to check the solver by.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "entry.h"
#include "state.h"

using Cells = std::vector<i32>;          // cell codes of one line, index 0 unused (positions from 1)
using Board = std::vector<std::vector<i32>>;  // [r - 1][c - 1], CELL_EMPTY or CELL_FILLED

inline Puzzle transposed(const Puzzle& p) { return {p.cols, p.rows}; }

// ---- entering a puzzle ---------------------------------------------------

inline void compile(const Puzzle& p)
{
    enter_puzzle(p);
    compile_clues();
}

// Names the two variants of a case stated for rows and run on columns too.
inline std::string orientation_name(const ::testing::TestParamInfo<bool>& param)
{
    return param.param ? "Rows" : "Columns";
}

inline void set_line_states(i32 rows, i32 cols)
{
    std::fill(std::begin(solver_state.row_state), std::end(solver_state.row_state), rows);
    std::fill(std::begin(solver_state.col_state), std::end(solver_state.col_state), cols);
}

// A clue as the clue compilation lays it out: a zero before and after the blocks.
inline std::vector<i32> compiled_clue(const Clue& clue)
{
    std::vector<i32> len(CLUE_SLOTS, 0);
    for (std::size_t k = 0; k < clue.size() && k < MAX_CLUES; ++k) len[k + 1] = clue[k];
    return len;
}

// ---- brute force ---------------------------------------------------------

inline Clue runs_of(const std::vector<i32>& cells)  // cell codes from index 0
{
    return runs_of(static_cast<int>(cells.size()), [&](int i) { return cells[i] == CELL_FILLED; });
}

// Calls visit(start) for every placement of a clue on a line of length n that agrees with the
// decided cells; start[k] is where block k + 1 begins.
template <class Visit>
void for_each_placement(int n, const Clue& clue, const Cells& cells, Visit visit)
{
    const std::size_t blocks = clue.size();
    std::vector<int> start(blocks);
    auto any = [&](int from, int to, i32 code) {
        for (int p = from; p <= to; ++p)
            if (cells[p] == code) return true;
        return false;
    };
    auto place = [&](auto& self, std::size_t k, int prev_end) -> void {
        if (k == blocks) {
            if (!any(prev_end + 1, n, CELL_FILLED)) visit(start);
            return;
        }
        for (int s = k == 0 ? 1 : prev_end + 2; s + clue[k] - 1 <= n; ++s) {
            if (any(prev_end + 1, s - 1, CELL_FILLED)) break;  // the gap only grows
            if (any(s, s + clue[k] - 1, CELL_EMPTY)) continue;
            start[k] = s;
            self(self, k + 1, s + clue[k] - 1);
        }
    };
    place(place, 0, 0);
}

struct LineAnswer {
    bool feasible = false;
    std::vector<int> min_end;    // [k - 1] for block k, over all agreeing placements
    std::vector<int> max_start;
};

inline LineAnswer enumerate_placements(int n, const Clue& clue, const Cells& cells)
{
    LineAnswer answer;
    answer.min_end.assign(clue.size(), 1 << 20);
    answer.max_start.assign(clue.size(), -1);
    for_each_placement(n, clue, cells, [&](const std::vector<int>& start) {
        answer.feasible = true;
        for (std::size_t k = 0; k < clue.size(); ++k) {
            answer.min_end[k] = std::min(answer.min_end[k], start[k] + clue[k] - 1);
            answer.max_start[k] = std::max(answer.max_start[k], start[k]);
        }
    });
    return answer;
}

// The puzzle as the clue compilation sizes it, and all its solutions.
struct PuzzleAnswer {
    int height = 0;
    int width = 0;
    bool sums_differ = false;
    long solutions = 0;
    Board first;                         // lexicographically first solution (row-major, empty first)
    std::vector<std::vector<bool>> differs;  // some solution differs from the first here
    std::vector<Board> all;              // every solution, in lexicographic order

    i32 status() const
    {
        if (sums_differ || solutions == 0) return STATUS_INVALID;
        return solutions == 1 ? STATUS_FINISHED : STATUS_SEVERAL;
    }
    // The result_grid mark the solve run must leave at puzzle cell (r, c), both from 1.
    i32 mark(int r, int c) const
    {
        if (status() == STATUS_INVALID || r > height || c > width) return MARK_NONE;
        return first[r - 1][c - 1] + (differs[r - 1][c - 1] ? 2 : 0);
    }
    // Whether every solution has this value at (r, c); vacuously true without solutions.
    bool forced(int r, int c, i32 value) const
    {
        return solutions == 0 || (first[r - 1][c - 1] == value && !differs[r - 1][c - 1]);
    }
};

inline int highest_nonblank(const Clues& lines)
{
    int h = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty()) h = static_cast<int>(i) + 1;
    return h;
}

inline int total(const Clues& lines)
{
    int sum = 0;
    for (const Clue& clue : lines)
        for (int v : clue) sum += v;
    return sum;
}

// Row by row over every pattern of each row (in lexicographic order), pruning on column
// prefixes; each complete grid is checked against the column clues in full.
inline PuzzleAnswer enumerate_solutions(const Puzzle& p)
{
    PuzzleAnswer a;
    a.height = highest_nonblank(p.rows);
    a.width = highest_nonblank(p.cols);
    a.sums_differ = total(p.rows) != total(p.cols);
    const int h = a.height;
    const int w = a.width;
    auto clue_of = [](const Clues& lines, int i) { return i < static_cast<int>(lines.size()) ? lines[i] : Clue{}; };

    std::vector<Board> patterns(h);  // patterns[r] holds rows of width w
    for (int r = 0; r < h; ++r) {
        const Clue clue = clue_of(p.rows, r);
        for_each_placement(w, clue, Cells(w + 1, CELL_UNKNOWN), [&](const std::vector<int>& start) {
            std::vector<i32> row(w, CELL_EMPTY);
            for (std::size_t k = 0; k < clue.size(); ++k)
                std::fill_n(row.begin() + (start[k] - 1), clue[k], CELL_FILLED);
            patterns[r].push_back(row);
        });
        std::sort(patterns[r].begin(), patterns[r].end());  // CELL_EMPTY < CELL_FILLED
    }
    std::vector<Clue> col_clue(w);
    for (int c = 0; c < w; ++c) col_clue[c] = clue_of(p.cols, c);

    // Whether the first `rows` cells of column c can still grow into its clue.
    auto prefix_ok = [&](const Board& g, int rows, int c) {
        const Clue& clue = col_clue[c];
        std::size_t done = 0;
        int run = 0;
        for (int r = 0; r < rows; ++r) {
            if (g[r][c] == CELL_FILLED) {
                ++run;
            } else if (run > 0) {
                if (done >= clue.size() || clue[done] != run) return false;
                ++done;
                run = 0;
            }
        }
        return run == 0 || (done < clue.size() && run <= clue[done]);
    };

    Board g(h);
    auto fill = [&](auto& self, int r) -> void {
        if (r == h) {
            for (int c = 0; c < w; ++c) {
                std::vector<i32> col(h);
                for (int i = 0; i < h; ++i) col[i] = g[i][c];
                if (runs_of(col) != col_clue[c]) return;
            }
            a.all.push_back(g);
            return;
        }
        for (const auto& row : patterns[r]) {
            g[r] = row;
            bool ok = true;
            for (int c = 0; c < w && ok; ++c) ok = prefix_ok(g, r + 1, c);
            if (ok) self(self, r + 1);
        }
    };
    fill(fill, 0);

    a.solutions = static_cast<long>(a.all.size());
    if (a.solutions > 0) {
        a.first = a.all.front();
        a.differs.assign(h, std::vector<bool>(w, false));
        for (const Board& s : a.all)
            for (int r = 0; r < h; ++r)
                for (int c = 0; c < w; ++c)
                    if (s[r][c] != a.first[r][c]) a.differs[r][c] = true;
    }
    return a;
}

// ---- random puzzles --------------------------------------------------------

// Seed of the random tests: OMBRASEL_TEST_SEED replays a reported failure.
inline std::uint64_t test_seed()
{
    const char* env = std::getenv("OMBRASEL_TEST_SEED");
    return env ? std::strtoull(env, nullptr, 10) : 20261208u;
}

// How a random case is named in a failure's trace, for OMBRASEL_TEST_SEED to replay it.
inline std::string case_name(std::uint64_t seed, int index)
{
    return "seed " + std::to_string(seed) + ", case " + std::to_string(index);
}

inline std::mt19937_64 case_rng(std::uint64_t seed, int index)
{
    std::seed_seq seq{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                      static_cast<std::uint32_t>(index)};
    return std::mt19937_64(seq);
}

inline int uniform(std::mt19937_64& rng, int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

inline bool chance(std::mt19937_64& rng, double p) { return std::bernoulli_distribution(p)(rng); }

// A random board; density < 0 picks one between 0.15 and 0.85.
inline Board random_board(std::mt19937_64& rng, int h, int w, double density = -1)
{
    if (density < 0) density = std::uniform_real_distribution<double>(0.15, 0.85)(rng);
    Board b(h, std::vector<i32>(w));
    for (auto& row : b)
        for (i32& v : row) v = chance(rng, density) ? CELL_FILLED : CELL_EMPTY;
    return b;
}

// The row clues of one board and the column clues of another of the same size.
inline Puzzle clues_of(const Board& rows_from, const Board& cols_from)
{
    auto drawing = [](const Board& b) {
        const int w = b.empty() ? 0 : static_cast<int>(b[0].size());
        return puzzle_of_drawing(static_cast<int>(b.size()), w, [&](int r, int c) { return b[r][c] == CELL_FILLED; });
    };
    return {drawing(rows_from).rows, drawing(cols_from).cols};
}

// A small random puzzle: mostly the clues of a random board, sometimes altered so that
// it may have other solutions or none, now and then with unequal sums.
inline Puzzle random_puzzle(std::mt19937_64& rng, int h, int w, double density = -1)
{
    const Board board = random_board(rng, h, w, density);
    const int kind = uniform(rng, 0, 9);
    if (kind == 0) {  // columns from a shuffle of the same cells: equal sums, rarely solvable
        std::vector<i32> flat;
        for (const auto& row : board) flat.insert(flat.end(), row.begin(), row.end());
        std::shuffle(flat.begin(), flat.end(), rng);
        Board other(h, std::vector<i32>(w));
        for (int i = 0; i < h * w; ++i) other[i / w][i % w] = flat[i];
        return clues_of(board, other);
    }
    Puzzle p = clues_of(board, board);
    auto pick = [&](Clues& lines) -> int* {
        std::vector<int*> numbers;
        for (Clue& clue : lines)
            for (int& v : clue) numbers.push_back(&v);
        return numbers.empty() ? nullptr : numbers[uniform(rng, 0, static_cast<int>(numbers.size()) - 1)];
    };
    if (kind == 1) {  // one more cell in a row block and in a column block
        int* r = pick(p.rows);
        int* c = pick(p.cols);
        if (r && c) {
            ++*r;
            ++*c;
        }
    } else if (kind == 2) {  // two rows, or two columns, swap clues
        Clues& lines = chance(rng, 0.5) ? p.rows : p.cols;
        if (lines.size() >= 2) std::swap(lines[uniform(rng, 0, static_cast<int>(lines.size()) - 1)],
                                         lines[uniform(rng, 0, static_cast<int>(lines.size()) - 1)]);
    } else if (kind == 3) {  // a line's blocks in reverse order
        Clues& lines = chance(rng, 0.5) ? p.rows : p.cols;
        if (!lines.empty()) {
            Clue& clue = lines[uniform(rng, 0, static_cast<int>(lines.size()) - 1)];
            std::reverse(clue.begin(), clue.end());
        }
    } else if (kind == 4 && chance(rng, 0.3)) {  // unequal sums
        if (int* r = pick(p.rows)) ++*r;
    }
    return p;
}

// A random puzzle of sides and density in the ranges given.
struct RandomCase {
    int h, w;
    Puzzle puzzle;
};

inline RandomCase random_case(std::mt19937_64& rng, int least, int most, double sparsest, double densest)
{
    const int h = uniform(rng, least, most);
    const int w = uniform(rng, least, most);
    const double density = std::uniform_real_distribution<double>(sparsest, densest)(rng);
    return {h, w, random_puzzle(rng, h, w, density)};
}

// Up to 13 numbers, which may well not fit the line; now and then a 99.
inline Clue random_clue(std::mt19937_64& rng, int n)
{
    Clue clue(uniform(rng, 0, std::min(MAX_CLUES, n / 2 + 2)));
    const int longest = uniform(rng, 1, n + 1);
    for (int& v : clue) v = chance(rng, 0.02) ? MAX_CLUE_VALUE : uniform(rng, 1, longest);
    return clue;
}

// A random line: sometimes the clue of a random pattern with some of its cells decided
// (and now and then a decided cell flipped), otherwise a random clue over random cells.
inline Cells random_line(std::mt19937_64& rng, int n, Clue& clue)
{
    Cells cells(n + 1, CELL_UNKNOWN);
    const double decided = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
    if (chance(rng, 0.6)) {
        const Board pattern = random_board(rng, 1, n);
        clue = runs_of(pattern[0]);
        for (int p = 1; p <= n; ++p)
            if (chance(rng, decided)) cells[p] = pattern[0][p - 1];
        if (chance(rng, 0.3)) {
            const int p = uniform(rng, 1, n);
            cells[p] = cells[p] == CELL_FILLED ? CELL_EMPTY : CELL_FILLED;
        }
    } else {
        clue = random_clue(rng, n);
        const double filled = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        for (int p = 1; p <= n; ++p)
            if (chance(rng, decided)) cells[p] = chance(rng, filled) ? CELL_FILLED : CELL_EMPTY;
    }
    return cells;
}

// ---- checks and descriptions -----------------------------------------------

inline std::string clue_text(const Clues& lines)
{
    std::ostringstream out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out << " / ";
        if (lines[i].empty()) out << "-";
        for (std::size_t k = 0; k < lines[i].size(); ++k) out << (k ? " " : "") << lines[i][k];
    }
    return out.str();
}

inline std::string describe(const Puzzle& p)
{
    return "rows " + clue_text(p.rows) + "; columns " + clue_text(p.cols);
}

inline std::string cells_text(const Cells& cells, int n)
{
    std::string s;
    for (int i = 1; i <= n; ++i) s += "?.#"[cells[i]];
    return s;
}

inline std::string grid_text(int h, int w)
{
    std::string s;
    for (int r = 1; r <= h; ++r) {
        s += '\n';
        for (int c = 1; c <= w; ++c) s += "?.#*"[solver_state.grid[r][c]];
    }
    return s;
}

struct GridSnapshot {
    std::vector<i32> cells;
    i32 trail_len;
    std::vector<i32> trail_row, trail_col;

    static GridSnapshot take()
    {
        const SolverState& s = solver_state;
        GridSnapshot g;
        g.cells.assign(&s.grid[0][0], &s.grid[0][0] + GRID_SIZE * GRID_SIZE);
        g.trail_len = s.trail_len;
        g.trail_row.assign(s.trail_row, s.trail_row + s.trail_len);
        g.trail_col.assign(s.trail_col, s.trail_col + s.trail_len);
        return g;
    }
    bool operator==(const GridSnapshot&) const = default;
};

inline int count_cells(int h, int w, i32 code)
{
    int n = 0;
    for (int r = 1; r <= h; ++r)
        for (int c = 1; c <= w; ++c) n += solver_state.grid[r][c] == code;
    return n;
}

// The grid and trail as every stage must leave them after a fresh compilation: the frame
// intact, nothing decided outside the puzzle, and the trail naming each decided cell once.
inline ::testing::AssertionResult trail_matches_grid(int h, int w)
{
    const SolverState& s = solver_state;
    for (int i = 0; i < GRID_SIZE; ++i)
        for (int j = 0; j < GRID_SIZE; ++j) {
            const bool frame = i == 0 || j == 0 || i == GRID_SIZE - 1 || j == GRID_SIZE - 1;
            const bool inside = i <= h && j <= w;
            const i32 v = s.grid[i][j];
            if (frame ? v != CELL_BORDER : !inside && v != CELL_UNKNOWN)
                return ::testing::AssertionFailure() << "cell (" << i << ", " << j << ") holds " << v;
            if (!frame && inside && (v < CELL_UNKNOWN || v > CELL_FILLED))
                return ::testing::AssertionFailure() << "puzzle cell (" << i << ", " << j << ") holds " << v;
        }
    std::vector<std::vector<int>> seen(GRID_SIZE, std::vector<int>(GRID_SIZE, 0));
    for (i32 k = 0; k < s.trail_len; ++k) {
        const i32 r = s.trail_row[k], c = s.trail_col[k];
        if (r < 1 || r > h || c < 1 || c > w)
            return ::testing::AssertionFailure() << "trail entry " << k << " names (" << r << ", " << c << ")";
        if (seen[r][c]++)
            return ::testing::AssertionFailure() << "(" << r << ", " << c << ") is on the trail twice";
        if (s.grid[r][c] == CELL_UNKNOWN)
            return ::testing::AssertionFailure() << "trail entry " << k << " names the open cell (" << r
                                                 << ", " << c << ")";
    }
    const int decided = h * w - count_cells(h, w, CELL_UNKNOWN);
    if (decided != s.trail_len)
        return ::testing::AssertionFailure() << decided << " decided cells, trail_len " << s.trail_len;
    return ::testing::AssertionSuccess();
}

// Every decided puzzle cell holds the value that all solutions give it.
inline ::testing::AssertionResult decided_cells_forced(const PuzzleAnswer& a)
{
    for (int r = 1; r <= a.height; ++r)
        for (int c = 1; c <= a.width; ++c) {
            const i32 v = solver_state.grid[r][c];
            if (v != CELL_UNKNOWN && !a.forced(r, c, v))
                return ::testing::AssertionFailure()
                       << "cell (" << r << ", " << c << ") decided as " << v << " but a solution differs";
        }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult all_lines_in(int h, int w, i32 state)
{
    for (int r = 1; r <= h; ++r)
        if (solver_state.row_state[r - 1] != state)
            return ::testing::AssertionFailure() << "row " << r << " in state " << solver_state.row_state[r - 1];
    for (int c = 1; c <= w; ++c)
        if (solver_state.col_state[c - 1] != state)
            return ::testing::AssertionFailure() << "column " << c << " in state " << solver_state.col_state[c - 1];
    return ::testing::AssertionSuccess();
}

// result_grid and status as the solve run must leave them, over all 25 x 25 marks.
inline ::testing::AssertionResult result_matches(const PuzzleAnswer& a)
{
    const SolverState& s = solver_state;
    std::ostringstream diff;
    for (int r = 1; r <= MAX_LINES; ++r)
        for (int c = 1; c <= MAX_LINES; ++c)
            if (s.result_grid[r - 1][c - 1] != a.mark(r, c))
                diff << " (" << r << ", " << c << ") is " << s.result_grid[r - 1][c - 1] << " not "
                     << a.mark(r, c) << ";";
    if (s.status != a.status() || !diff.str().empty())
        return ::testing::AssertionFailure() << "status " << s.status << " (expected " << a.status() << ", "
                                             << a.solutions << " solutions); marks:" << diff.str();
    return ::testing::AssertionSuccess();
}
