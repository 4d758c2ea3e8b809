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

inline namespace OMBRASEL_CORE {

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
    for (int y = STATUS_STRIP.top; y < STATUS_STRIP.bottom; ++y)
        for (int x = STATUS_STRIP.left; x < STATUS_STRIP.right; ++x)
            black += screen_pixel(x, y) == BLACK;
    seen.screen_shows_searching = black > 0;
    const Rect cursor = cell_interior(s.cursor_x, s.cursor_y);
    seen.screen_cursor_cell = screen_pixel(cursor.left, cursor.top);
    seen.back_cursor_cell = pixel(cursor.left, cursor.top);
    const Rect old_mark = result_cell(3, 2);  // black only where the cell is filled
    seen.screen_old_mark = screen_pixel(old_mark.left + 9, old_mark.top + 1);

    s.status = STATUS_SEVERAL;
    s.result_grid[0][0] = MARK_FILLED_DIFFERS;
}

}  // namespace OMBRASEL_CORE

namespace {

class Start : public MainWindow {
protected:
    static void press_start() { click(centre(BUTTON_RECTS[BUTTON_START])); }
};

TEST_F(Start, ShowsSearchingAndDropsTheHighlightBeforeTheRun)
{
    // A picture from an earlier run: puzzle cell (3, 2) filled.
    solver_state.status = STATUS_FINISHED;
    solver_state.result_grid[2][1] = MARK_FILLED;
    draw_screen();
    refresh();
    click(centre(cell_interior(20, 4)));

    press_start();
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
    click(centre(cell_interior(20, 4)));
    press_start();
    EXPECT_EQ(solver_state.status, STATUS_SEVERAL);
    EXPECT_GT(count_exactly(STATUS_STRIP, RED), 0) << "the verdict in red";
    const Point new_mark = centre(result_cell(1, 1));
    const Rect old_mark = result_cell(3, 2);
    EXPECT_EQ(pixel(new_mark.x, new_mark.y), RED) << "the new picture";
    EXPECT_EQ(pixel(old_mark.left + 9, old_mark.top + 1), WHITE) << "the old picture is gone";
    EXPECT_EQ(pixel(cell_interior(20, 4).left, cell_interior(20, 4).top), CURSOR_BACKGROUND)
        << "the highlight is back";
    HDC dc = GetDC(window_);
    EXPECT_EQ(GetPixel(dc, new_mark.x, new_mark.y) & 0xffffff, RED) << "and the window shows it";
    ReleaseDC(window_, dc);
}

TEST_F(Start, EveryStartRunsTheSolverOnce)
{
    seen.calls = 0;
    const Rect& start = BUTTON_RECTS[BUTTON_START];
    const Rect& clear = BUTTON_RECTS[BUTTON_CLEAR];
    on_left_click(start.left, start.top);            // (156, 185)
    on_left_click(start.right - 1, start.bottom - 1);  // (259, 221)
    EXPECT_EQ(seen.calls, 2);
    on_left_click(clear.right - 1, clear.bottom - 1);  // (155, 221): CLEAR
    on_left_click(SUMS_STRIP.right - 1, SUMS_STRIP.top);  // (259, 222): the sums strip
    EXPECT_EQ(seen.calls, 2);
}

}  // namespace
