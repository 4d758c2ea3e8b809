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

    void cursor_to(int cx, int cy) { on_left_click(cell_to_pixel(cx) + 10, cell_to_pixel(cy) + 10); }

    // Centre of value button v, or of 26 CLEAR and 27 START.
    static POINT button_centre(int index)
    {
        if (index == 26)
            return {104, 203};
        if (index == 27)
            return {208, 203};
        return {52 * (index % 5) + 26, 37 * (index / 5) + 18};
    }
    void click_button(int index)
    {
        const POINT p = button_centre(index);
        on_left_click(p.x, p.y);
    }

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
    EXPECT_EQ(pixel(cell_to_pixel(13) + 1, cell_to_pixel(12) + 1), CLUE_BACKGROUND);
    EXPECT_EQ(pixel(cell_to_pixel(14) + 1, cell_to_pixel(12) + 1), CURSOR_BACKGROUND);
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
        EXPECT_EQ(count_other_than({0, 222, 155, 259}, face_colour()), 0) << "status strip redrawn empty";
    }
}

TEST_F(Input, AnEditRedrawsTheResultGridEmpty)
{
    show_result();
    s.result_grid[2][2] = MARK_FILLED;
    draw_result_grid(back_dc);
    ASSERT_EQ(pixel(241 + 60 + 9, 241 + 60 + 9), BLACK);
    type("1");
    EXPECT_EQ(pixel(241 + 60 + 9, 241 + 60 + 9), WHITE);
    EXPECT_EQ(marks_left(), 0);
}

TEST_F(Input, CursorMovesAndOtherClicksLeaveTheResultShown)
{
    show_result();
    on_cursor_key(VK_UP);
    cursor_to(4, 30);
    on_left_click(500, 500);
    on_left_click(50, 240);
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
    on_left_click(333, 77);  // cell (16, 3)
    EXPECT_EQ(s.cursor_x, 16);
    EXPECT_EQ(s.cursor_y, 3);
    on_left_click(41, 599);  // cell (2, 29)
    EXPECT_EQ(s.cursor_x, 2);
    EXPECT_EQ(s.cursor_y, 29);
    EXPECT_EQ(pixel(41, 599), CURSOR_BACKGROUND);
    EXPECT_EQ(pixel(333, 77), CLUE_BACKGROUND);
}

TEST_F(Input, ColumnBoundaryBetweenPanelOrRowBandAndTheRest)
{
    on_left_click(259, 300);
    EXPECT_EQ(s.cursor_x, 12) << "x 259 lies in the row-clue band";
    EXPECT_EQ(s.cursor_y, 15);

    on_left_click(260, 300);
    EXPECT_EQ(s.cursor_x, 12) << "x 260 lies in the result grid: nothing";
    EXPECT_EQ(s.cursor_y, 15);

    on_left_click(260, 100);
    EXPECT_EQ(s.cursor_x, 13) << "x 260 lies in the column-clue band";
    EXPECT_EQ(s.cursor_y, 5);

    on_left_click(259, 100);  // the panel: button (100 / 37) * 5 + 259 / 52 = 14
    EXPECT_EQ(s.col_clue_input[0][5], 14);
    EXPECT_EQ(s.cursor_y, 4);
}

TEST_F(Input, RowBoundaryBetweenButtonsAndStrips)
{
    cursor_to(13, 12);
    on_left_click(10, 221);  // button 25
    EXPECT_EQ(s.col_clue_input[0][12], 25);
    const int sum = s.col_clue_sum;
    const std::vector<COLORREF> before = screen();
    on_left_click(10, 222);  // status strip
    on_left_click(200, 222);  // sums strip
    on_left_click(259, 259);
    EXPECT_EQ(s.col_clue_sum, sum);
    EXPECT_EQ(s.cursor_y, 11);
    EXPECT_EQ(screen(), before);
}

TEST_F(Input, RowBoundaryBetweenPanelAndRowBand)
{
    on_left_click(100, 259);
    EXPECT_EQ(s.cursor_y, 12) << "y 259 is still the panel";
    on_left_click(100, 260);
    EXPECT_EQ(s.cursor_x, 5);
    EXPECT_EQ(s.cursor_y, 13);
}

TEST_F(Input, ClicksOnTheOuterFrameLineTakeTheLastCell)
{
    on_left_click(760, 100);
    EXPECT_EQ(s.cursor_x, 37);
    EXPECT_EQ(s.cursor_y, 5);
    on_left_click(100, 760);
    EXPECT_EQ(s.cursor_x, 5);
    EXPECT_EQ(s.cursor_y, 37);
    type("8");
    EXPECT_EQ(s.row_clue_input[24][5], 8);
}

TEST_F(Input, ClickOnResultGridOrStripsChangesNothingButEndsDigitEntry)
{
    type("1");
    const std::vector<COLORREF> before = screen();
    on_left_click(400, 400);
    EXPECT_EQ(s.digit_entry_active, 0);
    EXPECT_EQ(screen(), before);
    type("2");
    EXPECT_EQ(s.col_clue_input[0][12], 2);

    type("3");
    on_left_click(80, 240);
    type("4");
    EXPECT_EQ(s.col_clue_input[0][12], 4);
}

TEST_F(Input, ClearAndStartButtonsCoverTheirWidth)
{
    on_left_click(52, 185);  // CLEAR's first pixel
    EXPECT_EQ(s.row_clue_sum, 0);
    type("1");
    on_left_click(155, 221);  // CLEAR's last pixel
    EXPECT_EQ(s.col_clue_sum, 0);
    EXPECT_EQ(s.col_clue_input[0][12], 0);

    on_left_click(156, 185);  // START's first pixel
    EXPECT_EQ(s.status, STATUS_FINISHED) << "an empty puzzle has one, empty, solution";
}

// ---- CLEAR and START --------------------------------------------------------------------

TEST_F(Input, ClearEmptiesEverythingTheUserSees)
{
    cursor_to(7, 30);
    show_result();
    click_button(26);
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
    EXPECT_EQ(count_other_than({0, 222, 155, 259}, face_colour()), 0);
    EXPECT_EQ(count_other_than(clue_cell_area(12, 13), CLUE_BACKGROUND), 0);
    EXPECT_EQ(count_other_than(clue_cell_area(7, 30), CLUE_BACKGROUND), 0);
    EXPECT_EQ(count_other_than(clue_cell_area(13, 12), CURSOR_BACKGROUND), 0);
    for (int r = 1; r <= 25; ++r)
        for (int c = 1; c <= 25; ++c)
            EXPECT_EQ(count_exactly({241 + 20 * c, 241 + 20 * r, 259 + 20 * c, 259 + 20 * r}, WHITE), 361)
                << "result cell " << r << ", " << c;
}

TEST_F(Input, StartSolvesTheSampleAndShowsThePicture)
{
    cursor_to(20, 3);
    click_button(27);
    EXPECT_EQ(s.status, STATUS_FINISHED);
    int filled = 0, empty = 0;
    for (int r = 1; r <= 25; ++r)
        for (int c = 1; c <= 25; ++c) {
            const i32 mark = s.result_grid[r - 1][c - 1];
            const int x = 241 + 20 * c;
            const int y = 241 + 20 * r;
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
    EXPECT_GT(count_exactly({0, 222, 155, 259}, BLACK), 0) << "the finished text in black";
    EXPECT_EQ(s.cursor_x, 20) << "START leaves the cursor where it was";
    EXPECT_EQ(pixel(cell_to_pixel(20) + 1, cell_to_pixel(3) + 1), CURSOR_BACKGROUND) << "highlight back";
}

TEST_F(Input, StartTwiceGivesTheSameVerdictAndPicture)
{
    click_button(27);
    const SolverState first = s;
    click_button(27);
    EXPECT_EQ(s.status, first.status);
    for (int r = 0; r < 25; ++r)
        for (int c = 0; c < 25; ++c)
            EXPECT_EQ(s.result_grid[r][c], first.result_grid[r][c]);
}

TEST_F(Input, StartOnUnequalSumsIsInvalidInRed)
{
    cursor_to(12, 13);
    type("99");
    click_button(27);
    EXPECT_EQ(s.status, STATUS_INVALID);
    EXPECT_EQ(marks_left(), 0);
    EXPECT_GT(count_exactly({0, 222, 155, 259}, RED), 0);
    EXPECT_EQ(count_exactly({0, 222, 155, 259}, BLACK), 0);
}

TEST_F(Input, TwoByTwoWithTwoSolutionsShowsFourRedMarks)
{
    click_button(26);
    type("1");
    cursor_to(14, 12);
    type("1");
    cursor_to(12, 13);
    click_button(1);
    cursor_to(12, 14);
    type("1");
    EXPECT_EQ(s.row_clue_sum, 2);
    EXPECT_EQ(s.col_clue_sum, 2);
    click_button(27);
    EXPECT_EQ(s.status, STATUS_SEVERAL);
    EXPECT_EQ(s.result_grid[0][0], MARK_EMPTY_DIFFERS);
    EXPECT_EQ(s.result_grid[0][1], MARK_FILLED_DIFFERS);
    EXPECT_EQ(s.result_grid[1][0], MARK_FILLED_DIFFERS);
    EXPECT_EQ(s.result_grid[1][1], MARK_EMPTY_DIFFERS);
    EXPECT_EQ(pixel(261 + 1, 261 + 1), RED);
    EXPECT_EQ(pixel(281 + 9, 261 + 9), RED);
    EXPECT_EQ(pixel(261 + 9, 281 + 9), RED);
    EXPECT_EQ(pixel(281 + 9, 281 + 9), RED);
    EXPECT_GT(count_exactly({0, 222, 155, 259}, RED), 0);
}

}  // namespace
