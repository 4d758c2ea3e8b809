// The layout's rectangles against the screen's fixed figures, and hit-testing against the
// arithmetic of the click regions. Every other test takes its places from the layout; the
// figures are written out here alone.
#include <gtest/gtest.h>

#include <string>

#include "layout.h"

namespace {

void expect_rect(const Rect& r, int left, int top, int right, int bottom, const std::string& what)
{
    EXPECT_EQ(r.left, left) << what;
    EXPECT_EQ(r.top, top) << what;
    EXPECT_EQ(r.right, right) << what;
    EXPECT_EQ(r.bottom, bottom) << what;
}

TEST(Layout, AreasOfTheClientArea)
{
    expect_rect(CLIENT, 0, 0, 761, 761, "client area");
    EXPECT_EQ(LAST_PIXEL, 760);
    expect_rect(PANEL, 0, 0, 260, 260, "panel");
    expect_rect(COLUMN_BAND, 260, 0, 761, 260, "column-clue band");
    expect_rect(ROW_BAND, 0, 260, 260, 761, "row-clue band");
    expect_rect(RESULT_GRID, 260, 260, 761, 761, "result grid");
    expect_rect(COLUMN_FRAME, 260, 0, 761, 761, "frame of the column band and the grid");
    expect_rect(ROW_FRAME, 0, 260, 761, 761, "frame of the row band and the grid");
}

TEST(Layout, ButtonsFiveARowThenClearAndStart)
{
    for (int i = 0; i < VALUE_BUTTONS; ++i)
        expect_rect(BUTTON_RECTS[i], 52 * (i % 5), 37 * (i / 5), 52 * (i % 5) + 52, 37 * (i / 5) + 37,
                    "value button " + std::to_string(i));
    expect_rect(BUTTON_RECTS[BUTTON_CLEAR], 52, 185, 156, 222, "CLEAR");
    expect_rect(BUTTON_RECTS[BUTTON_START], 156, 185, 260, 222, "START");
    EXPECT_EQ(BUTTON_CLEAR, 26);
    EXPECT_EQ(BUTTON_START, 27);
    EXPECT_EQ(BUTTON_COUNT, 28);
    EXPECT_EQ(BUTTON_HEIGHT, 37);
}

TEST(Layout, StripsSumsAndTexts)
{
    expect_rect(STATUS_STRIP, 0, 222, 156, 260, "status strip");
    expect_rect(SUMS_STRIP, 156, 222, 260, 260, "sums strip");
    expect_rect(COLUMN_SUM, 156, 222, 260, 242, "column-clue sum");
    expect_rect(ROW_SUM, 156, 242, 260, 260, "row-clue sum");
    EXPECT_EQ(STATUS_TEXT.x, 10);
    EXPECT_EQ(STATUS_TEXT.y, 230);
    EXPECT_EQ(COLUMN_SUM_TEXT.x, 192);
    EXPECT_EQ(COLUMN_SUM_TEXT.y, 222);
    EXPECT_EQ(ROW_SUM_TEXT.x, 192);
    EXPECT_EQ(ROW_SUM_TEXT.y, 242);
}

TEST(Layout, CellsAndResultCells)
{
    for (int c : {0, 1, 12, 13, 36, 37}) {
        EXPECT_EQ(cell_to_pixel(c), 20 * c);
        expect_rect(cell_interior(c, 37 - c), 20 * c + 1, 20 * (37 - c) + 1, 20 * c + 20, 20 * (37 - c) + 20,
                    "cell " + std::to_string(c));
    }
    for (int k : {1, 7, 25}) {
        expect_rect(result_cell(k, 26 - k), 241 + 20 * (26 - k), 241 + 20 * k, 260 + 20 * (26 - k), 260 + 20 * k,
                    "result cell " + std::to_string(k));
    }
    EXPECT_EQ(pixel_to_cell(259), 12);
    EXPECT_EQ(pixel_to_cell(260), 13);
    EXPECT_EQ(pixel_to_cell(759), 37);
    EXPECT_EQ(pixel_to_cell(760), 37) << "the outer frame line belongs to the last cell";
    EXPECT_EQ(CLUE_TEXT_INSET, 1) << "clue numbers start at 20 cx + 2, 20 cy + 2";
    EXPECT_EQ(MAJOR_LINE_CELLS * CELL_PIXELS, 100);
    EXPECT_EQ(CURSOR_START_X, 13);
    EXPECT_EQ(CURSOR_START_Y, 12);
}

TEST(Layout, AreasCoverTheClientAreaOnce)
{
    for (int y = 0; y < CLIENT_SIZE; ++y)
        for (int x = 0; x < CLIENT_SIZE; ++x) {
            const int areas = PANEL.contains(x, y) + COLUMN_BAND.contains(x, y) + ROW_BAND.contains(x, y) +
                              RESULT_GRID.contains(x, y);
            ASSERT_EQ(areas, 1) << x << ", " << y;
        }
}

// Every panel pixel lies in one button or one strip; button_at finds the button that the click
// table's arithmetic names: index (y / 37) * 5 + x / 52 is a value button up to 25, CLEAR for
// 26 and 27, START for 28 and 29, a strip from 30 on.
TEST(Layout, ButtonAtFollowsTheClickRegions)
{
    for (int y = PANEL.top; y < PANEL.bottom; ++y)
        for (int x = PANEL.left; x < PANEL.right; ++x) {
            int holders = STATUS_STRIP.contains(x, y) + SUMS_STRIP.contains(x, y);
            for (const Rect& r : BUTTON_RECTS)
                holders += r.contains(x, y);
            ASSERT_EQ(holders, 1) << x << ", " << y;

            const int index = (y / 37) * 5 + x / 52;
            const int expected = index < 26 ? index : index < 28 ? BUTTON_CLEAR : index < 30 ? BUTTON_START : NO_BUTTON;
            ASSERT_EQ(button_at(x, y), expected) << x << ", " << y;
        }
    EXPECT_EQ(button_at(10, 221), 25) << "y 221 is the bottom button row";
    EXPECT_EQ(button_at(10, 222), NO_BUTTON) << "y 222 is the status strip";
    EXPECT_EQ(button_at(259, 221), BUTTON_START);
    EXPECT_EQ(button_at(259, 222), NO_BUTTON);
    EXPECT_EQ(button_at(260, 100), NO_BUTTON) << "x 260 is the column-clue band";
}

}  // namespace
