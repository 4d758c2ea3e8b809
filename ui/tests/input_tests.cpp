// Clue editing through the real window: digits, Delete, arrow keys and clicks, checked in the tables.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw.h"
#include "input.h"
#include "screen_test.h"

namespace {

class Input : public MainWindow {
protected:
    SolverState& s = solver_state;

    void cursor_to(int cx, int cy) { click(centre(cell_interior(cx, cy))); }
    // Value button v, BUTTON_CLEAR or BUTTON_START.
    void click_button(int index) { click(centre(BUTTON_RECTS[index])); }

    void show_result()
    {
        s.status = STATUS_FINISHED;
        s.result_grid[0][0] = MARK_FILLED;
        s.result_grid[4][15] = MARK_EMPTY_DIFFERS;
    }
    int marks_left() const
    {
        int n = 0;
        for (const auto& row : s.result_grid)
            for (i32 mark : row)
                n += mark != MARK_NONE;
        return n;
    }

    std::vector<COLORREF> screen() const
    {
        std::vector<COLORREF> all;
        all.reserve(CLIENT_SIZE * CLIENT_SIZE);
        for (int y = 0; y < CLIENT_SIZE; ++y)
            for (int x = 0; x < CLIENT_SIZE; ++x)
                all.push_back(pixel(x, y));
        return all;
    }
};

// ---- arrow keys ---------------------------------------------------------------

TEST_F(Input, ArrowKeysFromTheStartPosition)
{
    on_cursor_key(VK_DOWN);
    on_cursor_key(VK_LEFT);
    EXPECT_EQ(s.cursor_x, 13);
    EXPECT_EQ(s.cursor_y, 12);
    on_cursor_key(VK_UP);
    EXPECT_EQ(s.cursor_x, 13);
    EXPECT_EQ(s.cursor_y, 11);
    on_cursor_key(VK_DOWN);
    on_cursor_key(VK_RIGHT);
    EXPECT_EQ(s.cursor_x, 14);
    EXPECT_EQ(s.cursor_y, 12);
}

TEST_F(Input, ArrowKeysStopAtTheColumnBandLimits)
{
    for (int i = 0; i < 40; ++i)
        on_cursor_key(VK_RIGHT);
    EXPECT_EQ(s.cursor_x, 37);
    for (int i = 0; i < 40; ++i)
        on_cursor_key(VK_UP);
    EXPECT_EQ(s.cursor_y, 0);
    for (int i = 0; i < 40; ++i)
        on_cursor_key(VK_LEFT);
    EXPECT_EQ(s.cursor_x, 13);
    for (int i = 0; i < 40; ++i)
        on_cursor_key(VK_DOWN);
    EXPECT_EQ(s.cursor_y, 12) << "never into the grid or the other band";
}

TEST_F(Input, ArrowKeysStopAtTheRowBandLimits)
{
    cursor_to(6, 20);
    for (int i = 0; i < 40; ++i)
        on_cursor_key(VK_RIGHT);
    EXPECT_EQ(s.cursor_x, 12);
    for (int i = 0; i < 40; ++i)
        on_cursor_key(VK_UP);
    EXPECT_EQ(s.cursor_y, 13);
    for (int i = 0; i < 40; ++i)
        on_cursor_key(VK_LEFT);
    EXPECT_EQ(s.cursor_x, 0);
    for (int i = 0; i < 40; ++i)
        on_cursor_key(VK_DOWN);
    EXPECT_EQ(s.cursor_y, 37);
}

TEST_F(Input, ArrowKeyMovesTheHighlightAndEndsDigitEntry)
{
    type("4");
    ASSERT_EQ(s.digit_entry_active, 1);
    on_cursor_key(VK_RIGHT);
    EXPECT_EQ(s.digit_entry_active, 0);
    EXPECT_EQ(pixel(cell_interior(13, 12).left, cell_interior(13, 12).top), CLUE_BACKGROUND);
    EXPECT_EQ(pixel(cell_interior(14, 12).left, cell_interior(14, 12).top), CURSOR_BACKGROUND);
}

TEST_F(Input, RefusedArrowKeyChangesNothing)
{
    cursor_to(0, 20);
    type("1");
    const std::vector<COLORREF> before = screen();
    on_cursor_key(VK_LEFT);
    EXPECT_EQ(s.cursor_x, 0);
    EXPECT_EQ(s.digit_entry_active, 1);
    EXPECT_EQ(screen(), before);
    type("2");
    EXPECT_EQ(s.row_clue_input[7][0], 12);
}

// ---- typing and Delete ------------------------------------------------------------

TEST_F(Input, TypingKeepsTheLastTwoDigits)
{
    clear_clue_tables();
    type("123");
    EXPECT_EQ(s.col_clue_input[0][12], 23);
    EXPECT_EQ(s.col_clue_sum, 23);
    cursor_to(13, 11);
    type("05");
    EXPECT_EQ(s.col_clue_input[0][11], 5);
    EXPECT_EQ(s.col_clue_sum, 28);
    EXPECT_EQ(s.row_clue_sum, 0);
}

TEST_F(Input, TypingReplacesAfterACursorMove)
{
    cursor_to(3, 14);
    type("9");
    EXPECT_EQ(s.row_clue_input[1][3], 9);
    EXPECT_EQ(s.digit_entry_active, 1);
    cursor_to(3, 14);  // the slot it is already on
    EXPECT_EQ(s.digit_entry_active, 0);
    EXPECT_EQ(s.cursor_x, 3);
    EXPECT_EQ(s.cursor_y, 14);
    type("2");
    EXPECT_EQ(s.row_clue_input[1][3], 2);
}

TEST_F(Input, EachEditChangesOnlyItsOwnSumByTheDifference)
{
    // Row 1 of the sample, slot 12.
    cursor_to(12, 13);
    const i32 old = s.row_clue_input[0][12];
    const i32 col_sum = s.col_clue_sum;
    type("7");
    EXPECT_EQ(s.row_clue_input[0][12], 7);
    EXPECT_EQ(s.row_clue_sum, 38 - old + 7);
    EXPECT_EQ(s.col_clue_sum, col_sum);
    type("5");
    EXPECT_EQ(s.row_clue_sum, 38 - old + 75);

    cursor_to(20, 0);
    type("3");
    EXPECT_EQ(s.col_clue_input[7][0], 3);
    EXPECT_EQ(s.col_clue_sum, col_sum + 3);
    EXPECT_EQ(s.row_clue_sum, 38 - old + 75);
}

TEST_F(Input, SumsAreRunningTotalsNotRecounted)
{
    // Creation set both sums to 38 as constants; edits only add differences.
    clear_clue_tables();
    s.row_clue_sum = 38;
    s.col_clue_sum = 38;
    type("4");
    EXPECT_EQ(s.col_clue_sum, 42);
    EXPECT_EQ(s.row_clue_sum, 38);
}

TEST_F(Input, DeleteEmptiesTheSlotAndStartsAppending)
{
    cursor_to(12, 13);
    const i32 old = s.row_clue_input[0][12];
    ASSERT_NE(old, 0) << "the sample has a clue next to the grid in row 1";
    send(WM_KEYDOWN, VK_DELETE);
    EXPECT_EQ(s.row_clue_input[0][12], 0);
    EXPECT_EQ(s.row_clue_sum, 38 - old);
    EXPECT_EQ(s.digit_entry_active, 1);
    type("6");
    EXPECT_EQ(s.row_clue_input[0][12], 6) << "0 * 10 + 6";
}

TEST_F(Input, DeleteOnAnEmptySlotWithdrawsAShownResult)
{
    cursor_to(20, 0);
    ASSERT_EQ(s.col_clue_input[7][0], 0);
    for (i32 verdict : {STATUS_FINISHED, STATUS_INVALID, STATUS_SEVERAL}) {
        SCOPED_TRACE("status " + std::to_string(verdict));
        show_result();
        s.status = verdict;
        draw_status(back_dc);
        enter_clue_value(-1);
        EXPECT_EQ(s.col_clue_sum, 38);
        EXPECT_EQ(s.row_clue_sum, 38);
        EXPECT_EQ(s.status, STATUS_NONE);
        EXPECT_EQ(marks_left(), 0);
        EXPECT_EQ(count_other_than(STATUS_STRIP, face_colour()), 0) << "status strip redrawn empty";
    }
}

TEST_F(Input, AnEditRedrawsTheResultGridEmpty)
{
    show_result();
    s.result_grid[2][2] = MARK_FILLED;
    draw_result_grid(back_dc);
    const Point cell = centre(result_cell(3, 3));
    ASSERT_EQ(pixel(cell.x, cell.y), BLACK);
    type("1");
    EXPECT_EQ(pixel(cell.x, cell.y), WHITE);
    EXPECT_EQ(marks_left(), 0);
}

TEST_F(Input, CursorMovesAndOtherClicksLeaveTheResultShown)
{
    show_result();
    on_cursor_key(VK_UP);
    cursor_to(4, 30);
    click(centre(RESULT_GRID));
    click(centre(STATUS_STRIP));
    click(centre(SUMS_STRIP));
    EXPECT_EQ(s.status, STATUS_FINISHED);
    EXPECT_EQ(marks_left(), 2);
}

// ---- value buttons -------------------------------------------------------------------

TEST_F(Input, ValueButtonStoresAndStepsAwayFromTheGrid)
{
    cursor_to(5, 20);
    click_button(7);
    EXPECT_EQ(s.row_clue_input[7][5], 7);
    EXPECT_EQ(s.cursor_x, 4);
    EXPECT_EQ(s.cursor_y, 20);
    EXPECT_EQ(s.digit_entry_active, 0);
    type("3");
    EXPECT_EQ(s.row_clue_input[7][4], 3);
    EXPECT_EQ(s.row_clue_input[7][5], 7);
}

TEST_F(Input, ValueButtonsFillAClueFromTheGridOutward)
{
    clear_clue_tables();
    click_button(3);
    click_button(25);
    click_button(1);
    EXPECT_EQ(s.col_clue_input[0][12], 3);
    EXPECT_EQ(s.col_clue_input[0][11], 25);
    EXPECT_EQ(s.col_clue_input[0][10], 1);
    EXPECT_EQ(s.cursor_y, 9);
    EXPECT_EQ(s.col_clue_sum, 29);
}

TEST_F(Input, ValueButtonOnSlotZeroStaysAndKeepsAppending)
{
    cursor_to(0, 25);
    click_button(12);
    EXPECT_EQ(s.row_clue_input[12][0], 12);
    EXPECT_EQ(s.cursor_x, 0);
    EXPECT_EQ(s.digit_entry_active, 1);
    type("3");
    EXPECT_EQ(s.row_clue_input[12][0], 23);

    cursor_to(30, 0);
    click_button(9);
    EXPECT_EQ(s.cursor_y, 0);
    EXPECT_EQ(s.digit_entry_active, 1);
}

TEST_F(Input, ValueButtonOnSlotOneStepsToSlotZero)
{
    cursor_to(1, 22);
    click_button(4);
    EXPECT_EQ(s.row_clue_input[9][1], 4);
    EXPECT_EQ(s.cursor_x, 0);
    EXPECT_EQ(s.digit_entry_active, 0);
    cursor_to(25, 1);
    click_button(6);
    EXPECT_EQ(s.col_clue_input[12][1], 6);
    EXPECT_EQ(s.cursor_y, 0);
    EXPECT_EQ(s.digit_entry_active, 0);
}

TEST_F(Input, EmptyButtonStoresZeroAndAdvances)
{
    cursor_to(12, 13);
    const i32 old = s.row_clue_input[0][12];
    click_button(0);
    EXPECT_EQ(s.row_clue_input[0][12], 0);
    EXPECT_EQ(s.row_clue_sum, 38 - old);
    EXPECT_EQ(s.cursor_x, 11);
}

TEST_F(Input, ValueButtonAlwaysReplaces)
{
    cursor_to(8, 16);
    type("4");
    click_button(5);
    EXPECT_EQ(s.row_clue_input[3][8], 5);
}

// ---- clicks: regions and their boundaries ---------------------------------------------

TEST_F(Input, ClickOnASlotMovesTheCursorThere)
{
    const Point off_centre = {cell_to_pixel(16) + 13, cell_to_pixel(3) + 17};  // in cell (16, 3)
    click(off_centre);
    EXPECT_EQ(s.cursor_x, 16);
    EXPECT_EQ(s.cursor_y, 3);
    const Point near_bottom_left = {cell_to_pixel(2) + 1, cell_to_pixel(29) + 19};  // in cell (2, 29)
    click(near_bottom_left);
    EXPECT_EQ(s.cursor_x, 2);
    EXPECT_EQ(s.cursor_y, 29);
    EXPECT_EQ(pixel(near_bottom_left.x, near_bottom_left.y), CURSOR_BACKGROUND);
    EXPECT_EQ(pixel(off_centre.x, off_centre.y), CLUE_BACKGROUND);
}

TEST_F(Input, ColumnBoundaryBetweenPanelOrRowBandAndTheRest)
{
    const int last_panel_x = PANEL_EDGE - 1;  // 259
    const int lower_y = cell_to_pixel(15);     // 300
    const int upper_y = cell_to_pixel(5);      // 100
    on_left_click(last_panel_x, lower_y);
    EXPECT_EQ(s.cursor_x, 12) << "x 259 lies in the row-clue band";
    EXPECT_EQ(s.cursor_y, 15);

    on_left_click(PANEL_EDGE, lower_y);
    EXPECT_EQ(s.cursor_x, 12) << "x 260 lies in the result grid: nothing";
    EXPECT_EQ(s.cursor_y, 15);

    on_left_click(PANEL_EDGE, upper_y);
    EXPECT_EQ(s.cursor_x, 13) << "x 260 lies in the column-clue band";
    EXPECT_EQ(s.cursor_y, 5);

    ASSERT_EQ(button_at(last_panel_x, upper_y), 14);  // (100 / 37) * 5 + 259 / 52
    on_left_click(last_panel_x, upper_y);
    EXPECT_EQ(s.col_clue_input[0][5], 14);
    EXPECT_EQ(s.cursor_y, 4);
}

TEST_F(Input, RowBoundaryBetweenButtonsAndStrips)
{
    cursor_to(13, 12);
    on_left_click(10, STRIP_TOP - 1);  // y 221: button 25
    EXPECT_EQ(s.col_clue_input[0][12], 25);
    const int sum = s.col_clue_sum;
    const std::vector<COLORREF> before = screen();
    on_left_click(10, STRIP_TOP);  // y 222: the status strip
    on_left_click(200, STRIP_TOP);  // the sums strip
    on_left_click(PANEL.right - 1, PANEL.bottom - 1);
    EXPECT_EQ(s.col_clue_sum, sum);
    EXPECT_EQ(s.cursor_y, 11);
    EXPECT_EQ(screen(), before);
}

TEST_F(Input, RowBoundaryBetweenPanelAndRowBand)
{
    on_left_click(100, PANEL_EDGE - 1);
    EXPECT_EQ(s.cursor_y, 12) << "y 259 is still the panel";
    on_left_click(100, PANEL_EDGE);
    EXPECT_EQ(s.cursor_x, 5);
    EXPECT_EQ(s.cursor_y, 13);
}

TEST_F(Input, ClicksOnTheOuterFrameLineTakeTheLastCell)
{
    on_left_click(LAST_PIXEL, 100);
    EXPECT_EQ(s.cursor_x, 37);
    EXPECT_EQ(s.cursor_y, 5);
    on_left_click(100, LAST_PIXEL);
    EXPECT_EQ(s.cursor_x, 5);
    EXPECT_EQ(s.cursor_y, 37);
    type("8");
    EXPECT_EQ(s.row_clue_input[24][5], 8);
}

TEST_F(Input, ClickOnResultGridOrStripsChangesNothingButEndsDigitEntry)
{
    type("1");
    const std::vector<COLORREF> before = screen();
    click(centre(RESULT_GRID));
    EXPECT_EQ(s.digit_entry_active, 0);
    EXPECT_EQ(screen(), before);
    type("2");
    EXPECT_EQ(s.col_clue_input[0][12], 2);

    type("3");
    click(centre(STATUS_STRIP));
    type("4");
    EXPECT_EQ(s.col_clue_input[0][12], 4);
}

TEST_F(Input, ClearAndStartButtonsCoverTheirWidth)
{
    const Rect& clear = BUTTON_RECTS[BUTTON_CLEAR];
    const Rect& start = BUTTON_RECTS[BUTTON_START];
    on_left_click(clear.left, clear.top);  // (52, 185)
    EXPECT_EQ(s.row_clue_sum, 0);
    type("1");
    on_left_click(clear.right - 1, clear.bottom - 1);  // (155, 221)
    EXPECT_EQ(s.col_clue_sum, 0);
    EXPECT_EQ(s.col_clue_input[0][12], 0);

    on_left_click(start.left, start.top);  // (156, 185)
    EXPECT_EQ(s.status, STATUS_FINISHED) << "an empty puzzle has one, empty, solution";
}

// ---- CLEAR and START --------------------------------------------------------------------

TEST_F(Input, ClearEmptiesEverythingTheUserSees)
{
    cursor_to(7, 30);
    show_result();
    click_button(BUTTON_CLEAR);
    for (int line = 0; line < 25; ++line)
        for (int slot = 0; slot < 13; ++slot) {
            EXPECT_EQ(s.row_clue_input[line][slot], 0);
            EXPECT_EQ(s.col_clue_input[line][slot], 0);
        }
    EXPECT_EQ(marks_left(), 0);
    EXPECT_EQ(s.status, STATUS_NONE);
    EXPECT_EQ(s.row_clue_sum, 0);
    EXPECT_EQ(s.col_clue_sum, 0);
    EXPECT_EQ(s.cursor_x, 13);
    EXPECT_EQ(s.cursor_y, 12);
    EXPECT_EQ(count_other_than(STATUS_STRIP, face_colour()), 0);
    EXPECT_EQ(count_other_than(cell_interior(12, 13), CLUE_BACKGROUND), 0);
    EXPECT_EQ(count_other_than(cell_interior(7, 30), CLUE_BACKGROUND), 0);
    EXPECT_EQ(count_other_than(cell_interior(13, 12), CURSOR_BACKGROUND), 0);
    for (int r = 1; r <= 25; ++r)
        for (int c = 1; c <= 25; ++c)
            EXPECT_EQ(count_exactly(result_cell(r, c), WHITE), 361)
                << "result cell " << r << ", " << c;
}

TEST_F(Input, StartSolvesTheSampleAndShowsThePicture)
{
    cursor_to(20, 3);
    click_button(BUTTON_START);
    EXPECT_EQ(s.status, STATUS_FINISHED);
    int filled = 0, empty = 0;
    for (int r = 1; r <= 25; ++r)
        for (int c = 1; c <= 25; ++c) {
            const i32 mark = s.result_grid[r - 1][c - 1];
            const int x = result_cell(r, c).left;
            const int y = result_cell(r, c).top;
            filled += mark == MARK_FILLED;
            empty += mark == MARK_EMPTY;
            // The centre is black for both marks; the top edge only for a filled cell.
            EXPECT_EQ(pixel(x + 9, y + 9), mark == MARK_NONE ? WHITE : BLACK) << r << ", " << c;
            EXPECT_EQ(pixel(x + 9, y + 1), mark == MARK_FILLED ? BLACK : WHITE) << r << ", " << c;
            if (r > 5 || c > 16) {
                EXPECT_EQ(mark, MARK_NONE) << "outside the 5 x 16 sample: " << r << ", " << c;
            }
        }
    EXPECT_EQ(filled, 38);
    EXPECT_EQ(empty, 42);
    EXPECT_GT(count_exactly(STATUS_STRIP, BLACK), 0) << "the finished text in black";
    EXPECT_EQ(s.cursor_x, 20) << "START leaves the cursor where it was";
    EXPECT_EQ(pixel(cell_interior(20, 3).left, cell_interior(20, 3).top), CURSOR_BACKGROUND) << "highlight back";
}

TEST_F(Input, StartTwiceGivesTheSameVerdictAndPicture)
{
    click_button(BUTTON_START);
    const SolverState first = s;
    click_button(BUTTON_START);
    EXPECT_EQ(s.status, first.status);
    for (int r = 0; r < 25; ++r)
        for (int c = 0; c < 25; ++c)
            EXPECT_EQ(s.result_grid[r][c], first.result_grid[r][c]);
}

TEST_F(Input, StartOnUnequalSumsIsInvalidInRed)
{
    cursor_to(12, 13);
    type("99");
    click_button(BUTTON_START);
    EXPECT_EQ(s.status, STATUS_INVALID);
    EXPECT_EQ(marks_left(), 0);
    EXPECT_GT(count_exactly(STATUS_STRIP, RED), 0);
    EXPECT_EQ(count_exactly(STATUS_STRIP, BLACK), 0);
}

TEST_F(Input, TwoByTwoWithTwoSolutionsShowsFourRedMarks)
{
    click_button(BUTTON_CLEAR);
    type("1");
    cursor_to(14, 12);
    type("1");
    cursor_to(12, 13);
    click_button(1);
    cursor_to(12, 14);
    type("1");
    EXPECT_EQ(s.row_clue_sum, 2);
    EXPECT_EQ(s.col_clue_sum, 2);
    click_button(BUTTON_START);
    EXPECT_EQ(s.status, STATUS_SEVERAL);
    EXPECT_EQ(s.result_grid[0][0], MARK_EMPTY_DIFFERS);
    EXPECT_EQ(s.result_grid[0][1], MARK_FILLED_DIFFERS);
    EXPECT_EQ(s.result_grid[1][0], MARK_FILLED_DIFFERS);
    EXPECT_EQ(s.result_grid[1][1], MARK_EMPTY_DIFFERS);
    EXPECT_EQ(pixel(result_cell(1, 1).left + 1, result_cell(1, 1).top + 1), RED);
    for (const Point p : {centre(result_cell(1, 2)), centre(result_cell(2, 1)), centre(result_cell(2, 2))})
        EXPECT_EQ(pixel(p.x, p.y), RED) << p.x << ", " << p.y;
    EXPECT_GT(count_exactly(STATUS_STRIP, RED), 0);
}

}  // namespace
