// START seen from inside the solver run. This program links its own solve() in place of the
// solver's, so it can look at the tables, the back buffer and the window at the moment the
// run begins, and then hand back a verdict of its choosing.
#include <windows.h>

#include <gtest/gtest.h>

#include "draw.h"
#include "input.h"
#include "screen_test.h"

namespace {

struct RunView {
    int calls = 0;
    i32 status = -1;
    int marks = -1;
    bool screen_shows_searching = false;
    COLORREF screen_cursor_cell = 0;
    COLORREF back_cursor_cell = 0;
    COLORREF screen_old_mark = 0;
};
RunView seen;

COLORREF screen_pixel(int x, int y)
{
    HDC dc = GetDC(main_window);
    const COLORREF c = GetPixel(dc, x, y) & 0xffffff;
    ReleaseDC(main_window, dc);
    return c;
}

}  // namespace

void solve()
{
    SolverState& s = solver_state;
    ++seen.calls;
    seen.status = s.status;
    seen.marks = 0;
    for (const auto& row : s.result_grid)
        for (i32 mark : row)
            seen.marks += mark != MARK_NONE;
    int black = 0;
    for (int y = 222; y < 260; ++y)
        for (int x = 0; x < 156; ++x)
            black += screen_pixel(x, y) == BLACK;
    seen.screen_shows_searching = black > 0;
    seen.screen_cursor_cell = screen_pixel(cell_to_pixel(s.cursor_x) + 1, cell_to_pixel(s.cursor_y) + 1);
    seen.back_cursor_cell = pixel(cell_to_pixel(s.cursor_x) + 1, cell_to_pixel(s.cursor_y) + 1);
    seen.screen_old_mark = screen_pixel(241 + 20 * 2 + 9, 241 + 20 * 3 + 1);

    s.status = STATUS_SEVERAL;
    s.result_grid[0][0] = MARK_FILLED_DIFFERS;
}

namespace {

class Start : public MainWindow {};

TEST_F(Start, ShowsSearchingAndDropsTheHighlightBeforeTheRun)
{
    // A picture from an earlier run: puzzle cell (3, 2) filled.
    solver_state.status = STATUS_FINISHED;
    solver_state.result_grid[2][1] = MARK_FILLED;
    draw_screen();
    refresh();
    on_left_click(cell_to_pixel(20) + 5, cell_to_pixel(4) + 5);

    on_left_click(200, 200);
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.status, STATUS_SEARCHING);
    EXPECT_EQ(seen.marks, 0) << "the result is cleared before the run";
    EXPECT_TRUE(seen.screen_shows_searching) << "the window shows the searching text during the run";
    EXPECT_EQ(seen.screen_cursor_cell, CLUE_BACKGROUND) << "no highlight on the window during the run";
    EXPECT_EQ(seen.back_cursor_cell, CLUE_BACKGROUND);
    EXPECT_EQ(seen.screen_old_mark, BLACK) << "the old picture stays until the run ends";
}

TEST_F(Start, RedrawsEverythingAfterTheRun)
{
    solver_state.result_grid[2][1] = MARK_FILLED;
    draw_result_grid(back_dc);
    on_left_click(cell_to_pixel(20) + 5, cell_to_pixel(4) + 5);
    on_left_click(200, 200);
    EXPECT_EQ(solver_state.status, STATUS_SEVERAL);
    EXPECT_GT(count_exactly({0, 222, 155, 259}, RED), 0) << "the verdict in red";
    EXPECT_EQ(pixel(241 + 20 + 9, 241 + 20 + 9), RED) << "the new picture";
    EXPECT_EQ(pixel(241 + 40 + 9, 241 + 60 + 1), WHITE) << "the old picture is gone";
    EXPECT_EQ(pixel(cell_to_pixel(20) + 1, cell_to_pixel(4) + 1), CURSOR_BACKGROUND) << "the highlight is back";
    HDC dc = GetDC(window_);
    EXPECT_EQ(GetPixel(dc, 241 + 20 + 9, 241 + 20 + 9) & 0xffffff, RED) << "and the window shows it";
    ReleaseDC(window_, dc);
}

TEST_F(Start, EveryStartRunsTheSolverOnce)
{
    seen.calls = 0;
    on_left_click(156, 185);
    on_left_click(259, 221);
    EXPECT_EQ(seen.calls, 2);
    on_left_click(155, 221);  // CLEAR
    on_left_click(259, 222);  // the sums strip
    EXPECT_EQ(seen.calls, 2);
}

}  // namespace
