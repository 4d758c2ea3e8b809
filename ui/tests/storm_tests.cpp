// The window under a storm of random input: digits, Delete, arrow keys and clicks anywhere on
// the client area (the buttons, CLEAR and START among them), sent to the real window procedure
// from a fixed seed, with the invariants of the tables checked after every event.
//
// A failure names the seed and the event. To replay it or to try other storms, set
// OMBRASEL_STORM_SEED (default 1) and OMBRASEL_STORM_EVENTS (default 5000).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "gdi_count.h"
#include "screen_test.h"

namespace {

// splitmix64: the same storm from the same seed on every machine.
struct Rng {
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
};

std::uint64_t setting(const char* name, std::uint64_t fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

struct Event {
    UINT message;
    WPARAM key;  // WM_CHAR and WM_KEYDOWN
    int x, y;    // WM_LBUTTONDOWN

    std::string text() const
    {
        if (message == WM_CHAR)
            return std::string("digit ") + static_cast<char>(key);
        if (message == WM_KEYDOWN) {
            const char* names[] = {"left", "up", "right", "down"};
            return key == VK_DELETE ? "Delete" : std::string("arrow ") + names[key - VK_LEFT];
        }
        return "click at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    }
};

Event char_event(char ch) { return {WM_CHAR, static_cast<WPARAM>(ch), 0, 0}; }
Event key_event(WPARAM key) { return {WM_KEYDOWN, key, 0, 0}; }
Event click_event(int x, int y) { return {WM_LBUTTONDOWN, 0, x, y}; }

// What an event does to the shown result, by the buttons of the layout: a typed digit, Delete
// or a value button edits the current clue.
enum class Effect { edit, clear, start, none };

Effect effect_of(const Event& e)
{
    if (e.message == WM_CHAR || (e.message == WM_KEYDOWN && e.key == VK_DELETE))
        return Effect::edit;
    if (e.message != WM_LBUTTONDOWN)
        return Effect::none;
    const int button = button_at(e.x, e.y);
    if (button == BUTTON_CLEAR)
        return Effect::clear;
    if (button == BUTTON_START)
        return Effect::start;
    return button == NO_BUTTON ? Effect::none : Effect::edit;
}

// A pixel of button b.
Event button_click(Rng& rng, int b)
{
    const Rect& r = BUTTON_RECTS[b];
    return click_event(rng.between(r.left, r.right - 1), rng.between(r.top, r.bottom - 1));
}
Event clear_click(Rng& rng) { return button_click(rng, BUTTON_CLEAR); }
Event start_click(Rng& rng) { return button_click(rng, BUTTON_START); }

// The highest line of a band that holds any entry, 0 when it is blank.
int extent(const i32 (&input)[MAX_LINES][MAX_CLUES])
{
    int highest = 0;
    for (int line = 0; line < MAX_LINES; ++line)
        for (i32 entry : input[line])
            if (entry != 0)
                highest = line + 1;
    return highest;
}

// START is pressed only on puzzles up to this size, so that every run is short.
constexpr int START_SIZE = 8;

bool small_enough()
{
    return extent(solver_state.row_clue_input) <= START_SIZE &&
           extent(solver_state.col_clue_input) <= START_SIZE;
}

class Storm : public MainWindow {
protected:
    Rng rng{0};
    std::deque<Event> planned;  // the clicks of a puzzle being entered

    // A pixel of value button v: "" for 0, "1" to "25".
    Event value_click(int v)
    {
        const Rect& r = BUTTON_RECTS[v];
        return click_event(r.left + rng.below(r.width()), r.top + rng.below(r.height()));
    }

    // Anywhere on the client area, a quarter of the time on a boundary of the layout: both sides
    // of a cell edge, a button row, a button column, the last button row, the strips, the
    // panel's edge, the last cell and the outer frame line.
    int coordinate()
    {
        static const int edges[] = {CLIENT.left,
                                    cell_to_pixel(1) - 1,
                                    cell_to_pixel(1),
                                    BUTTON_RECTS[BUTTONS_PER_ROW].top - 1,
                                    BUTTON_RECTS[BUTTONS_PER_ROW].top,
                                    BUTTON_RECTS[1].left - 1,
                                    BUTTON_RECTS[1].left,
                                    BUTTON_RECTS[BUTTON_CLEAR].top - 1,
                                    BUTTON_RECTS[BUTTON_CLEAR].top,
                                    STRIP_TOP - 1,
                                    STRIP_TOP,
                                    PANEL_EDGE - 1,
                                    PANEL_EDGE,
                                    PANEL_EDGE + 1,
                                    cell_to_pixel(LAST_CELL) - 1,
                                    cell_to_pixel(LAST_CELL),
                                    LAST_PIXEL - 1,
                                    LAST_PIXEL};
        return rng.below(4) == 0 ? edges[rng.below(sizeof edges / sizeof edges[0])] : rng.below(CLIENT_SIZE);
    }

    Event next_event()
    {
        if (!planned.empty()) {
            const Event e = planned.front();
            planned.pop_front();
            return e;
        }
        const int roll = rng.below(100);
        Event e{};
        if (roll < 28) {
            e = char_event(static_cast<char>('0' + rng.below(10)));
        } else if (roll < 34) {
            e = key_event(VK_DELETE);
        } else if (roll < 54) {
            e = key_event(static_cast<WPARAM>(VK_LEFT + rng.below(4)));
        } else if (roll < 80) {
            e = click_event(coordinate(), coordinate());
        } else if (roll < 90) {  // a slot of the first lines, where small puzzles grow
            const int along = rng.below(PANEL_EDGE);
            const int across = PANEL_EDGE + rng.below(START_SIZE * CELL_PIXELS);
            e = rng.below(2) ? click_event(across, along) : click_event(along, across);
        } else if (roll < 96) {
            e = value_click(rng.below(26));
        } else if (roll < 97) {
            e = clear_click(rng);
        } else if (roll < 99) {
            e = start_click(rng);
        } else {
            plan_random_puzzle();
            return next_event();
        }
        // A START on a large puzzle could run for hours; CLEAR instead makes room for small ones.
        if (effect_of(e) == Effect::start && !small_enough())
            e = clear_click(rng);
        return e;
    }

    // CLEAR, then the clues of a random board of up to 5 x 5 cells entered by clicks on the
    // slots next to the grid and on the value buttons, then START: a puzzle with a solution.
    void plan_random_puzzle()
    {
        const int n = rng.between(1, 5);
        std::vector<std::vector<bool>> board(n, std::vector<bool>(n));
        for (auto& row : board)
            for (std::size_t c = 0; c < row.size(); ++c)
                row[c] = rng.below(2) == 1;
        const auto clue_of = [&](bool column, int k) {
            std::vector<int> clue;
            int run = 0;
            for (int i = 0; i <= n; ++i) {
                const bool filled = i < n && (column ? board[i][k] : board[k][i]);
                if (filled) {
                    ++run;
                } else if (run > 0) {
                    clue.push_back(run);
                    run = 0;
                }
            }
            return clue;
        };
        planned.push_back(clear_click(rng));
        for (const bool column : {true, false}) {
            for (int k = 0; k < n; ++k) {
                const int slot_x = column ? BAND_CELLS + k : BAND_CELLS - 1;
                const int slot_y = column ? BAND_CELLS - 1 : BAND_CELLS + k;
                planned.push_back(click_event(cell_to_pixel(slot_x) + rng.below(CELL_PIXELS),
                                              cell_to_pixel(slot_y) + rng.below(CELL_PIXELS)));
                const std::vector<int> clue = clue_of(column, k);
                for (auto v = clue.rbegin(); v != clue.rend(); ++v)  // the number nearest the grid first
                    planned.push_back(value_click(*v));
            }
        }
        planned.push_back(start_click(rng));
    }

    void send_event(const Event& e)
    {
        if (e.message == WM_LBUTTONDOWN)
            send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(e.x, e.y));
        else
            send(e.message, e.key);
    }
};

// The status and picture that solve gives on the clues now in the tables, computed apart
// from the window's run; the tables are left as they were.
void solve_apart(i32& status, i32 (&grid)[MAX_LINES][MAX_LINES])
{
    const SolverState shown = solver_state;
    std::memset(&solver_state, 0, sizeof solver_state);
    std::memcpy(solver_state.row_clue_input, shown.row_clue_input, sizeof shown.row_clue_input);
    std::memcpy(solver_state.col_clue_input, shown.col_clue_input, sizeof shown.col_clue_input);
    solver_state.row_clue_sum = shown.row_clue_sum;
    solver_state.col_clue_sum = shown.col_clue_sum;
    solve();
    status = solver_state.status;
    std::memcpy(grid, solver_state.result_grid, sizeof grid);
    solver_state = shown;
}

i32 total(const i32 (&input)[MAX_LINES][MAX_CLUES])
{
    i32 sum = 0;
    for (const auto& line : input)
        for (i32 entry : line)
            sum += entry;
    return sum;
}

TEST_F(Storm, InvariantsHoldAfterEveryEvent)
{
    const std::uint64_t seed = setting("OMBRASEL_STORM_SEED", 1);
    const std::uint64_t events = setting("OMBRASEL_STORM_EVENTS", 5000);
    rng.state = seed;
    const long gdi_before = gdi_objects();
    ASSERT_GT(gdi_before, 0);

    // The result the window should show: none at the start, a START's until a clue is edited.
    i32 expected_status = solver_state.status;
    i32 expected_grid[MAX_LINES][MAX_LINES] = {};
    int verdicts[5] = {};

    const SolverState& s = solver_state;
    for (std::uint64_t n = 1; n <= events; ++n) {
        const Event e = next_event();
        send_event(e);
        const Effect effect = effect_of(e);
        if (effect == Effect::start) {
            solve_apart(expected_status, expected_grid);
            ++verdicts[s.status >= 0 && s.status < 5 ? s.status : 0];
        } else if (effect != Effect::none) {
            expected_status = STATUS_NONE;
            std::memset(expected_grid, 0, sizeof expected_grid);
        }

        std::string broken;
        const auto problem = [&](const std::string& what) { broken += (broken.empty() ? "" : "; ") + what; };
        if (s.row_clue_sum != total(s.row_clue_input) || s.col_clue_sum != total(s.col_clue_input))
            problem("sums " + std::to_string(s.col_clue_sum) + " / " + std::to_string(s.row_clue_sum) +
                    " against table totals " + std::to_string(total(s.col_clue_input)) + " / " +
                    std::to_string(total(s.row_clue_input)));
        const bool on_column_slot =
            s.cursor_y >= 0 && s.cursor_y < BAND_CELLS && s.cursor_x >= BAND_CELLS && s.cursor_x <= LAST_CELL;
        const bool on_row_slot =
            s.cursor_y >= BAND_CELLS && s.cursor_y <= LAST_CELL && s.cursor_x >= 0 && s.cursor_x < BAND_CELLS;
        if (!on_column_slot && !on_row_slot)
            problem("cursor at (" + std::to_string(s.cursor_x) + ", " + std::to_string(s.cursor_y) +
                    "), on no clue slot");
        if (s.status != expected_status)
            problem("status " + std::to_string(s.status) + ", expected " + std::to_string(expected_status));
        if (std::memcmp(s.result_grid, expected_grid, sizeof expected_grid) != 0)
            problem("result_grid is not the expected one");
        const long gdi = gdi_objects();
        if (gdi != gdi_before)
            problem("GDI objects " + std::to_string(gdi) + ", before the storm " + std::to_string(gdi_before));
        if (!broken.empty()) {
            FAIL() << "seed " << seed << ", event " << n << " (" << e.text() << "): " << broken
                   << "\nreplay: OMBRASEL_STORM_SEED=" << seed << " OMBRASEL_STORM_EVENTS=" << n;
        }
    }

    // The storm reached every verdict, so its STARTs were checked against real solves.
    EXPECT_GT(verdicts[STATUS_FINISHED], 0);
    EXPECT_GT(verdicts[STATUS_INVALID], 0);
    EXPECT_GT(verdicts[STATUS_SEVERAL], 0);
    std::printf("seed %llu: %llu events, STARTs giving unique %d, no solution %d, several %d\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(events),
                verdicts[STATUS_FINISHED], verdicts[STATUS_INVALID], verdicts[STATUS_SEVERAL]);
}

}  // namespace
