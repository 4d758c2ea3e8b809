// Drawing into a real GDI memory context, checked pixel by pixel at the layout's places.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "draw.h"
#include "screen_test.h"

namespace {

class Drawing : public MemoryBackBuffer {};

// A pixel within cell c, clear of its grid lines, where a grid line across it is probed.
int inside(int c)
{
    return cell_to_pixel(c) + 5;
}

// A button's face: inside its white edge on the top and left and its gray one on the right
// and bottom.
Rect face_of(int button)
{
    const Rect& b = BUTTON_RECTS[button];
    return {b.left + 1, b.top + 1, b.right - 2, b.bottom - 2};
}

// ---- the screen as a whole -------------------------------------------------

TEST_F(Drawing, ScreenCoversEveryPixel)
{
    const COLORREF unused = RGB(1, 2, 3);
    fill_with(unused);
    draw_screen();
    EXPECT_EQ(count_exactly(CLIENT, unused), 0);
}

TEST_F(Drawing, MinorAndMajorGridLines)
{
    draw_screen();
    // Minor lines on every cell edge, in the result grid and in both clue bands.
    EXPECT_EQ(pixel(cell_to_pixel(14), inside(15)), MINOR);
    EXPECT_EQ(pixel(inside(15), cell_to_pixel(14)), MINOR);
    EXPECT_EQ(pixel(cell_to_pixel(LAST_CELL), inside(15)), MINOR);
    EXPECT_EQ(pixel(cell_to_pixel(14), inside(0)), MINOR);
    EXPECT_EQ(pixel(inside(15), cell_to_pixel(1)), MINOR);
    EXPECT_EQ(pixel(cell_to_pixel(1), inside(15)), MINOR);
    EXPECT_EQ(pixel(inside(0), cell_to_pixel(15)), MINOR);
    // Major lines every 5 cells from the grid's edge to the last but one, through the bands as well.
    int major = 0;
    for (int c = BAND_CELLS + MAJOR_LINE_CELLS; c < LAST_CELL; c += MAJOR_LINE_CELLS, ++major) {
        const int k = cell_to_pixel(c);
        EXPECT_EQ(pixel(k, inside(15)), BLACK) << "x " << k;
        EXPECT_EQ(pixel(inside(15), k), BLACK) << "y " << k;
        EXPECT_EQ(pixel(k, inside(0)), BLACK) << "x " << k << " in the column-clue band";
        EXPECT_EQ(pixel(inside(0), k), BLACK) << "y " << k << " in the row-clue band";
    }
    EXPECT_EQ(major, 4);
    // Between the lines the result cells are white.
    const Point first = centre(result_cell(1, 1));
    const Point last = centre(result_cell(MAX_LINES, MAX_LINES));
    EXPECT_EQ(pixel(first.x, first.y), WHITE);
    EXPECT_EQ(pixel(last.x, last.y), WHITE);
}

TEST_F(Drawing, RedFramesCoverTheGridEdges)
{
    draw_screen();
    const int right = COLUMN_FRAME.right - 1;
    const int bottom = ROW_FRAME.bottom - 1;
    for (int k : {5, 130, 305, 505, 759}) {
        EXPECT_EQ(pixel(COLUMN_FRAME.left, k), RED) << "the grid's left edge, y " << k;
        EXPECT_EQ(pixel(right, k), RED) << "the right edge, y " << k;
        EXPECT_EQ(pixel(k, bottom), RED) << "the bottom edge, x " << k;
        EXPECT_EQ(pixel(k, ROW_FRAME.top), RED) << "the grid's top edge, x " << k;
    }
    for (int k : {COLUMN_FRAME.left, 305, 505, right}) {
        EXPECT_EQ(pixel(k, COLUMN_FRAME.top), RED) << "top edge, x " << k;
        EXPECT_EQ(pixel(ROW_FRAME.left, ROW_FRAME.top + k - COLUMN_FRAME.left), RED) << "left edge, y " << k;
    }
    EXPECT_EQ(pixel(right, bottom), RED);
    EXPECT_EQ(pixel(right, COLUMN_FRAME.top), RED);
    EXPECT_EQ(pixel(ROW_FRAME.left, bottom), RED);
}

TEST_F(Drawing, PanelHidesTheGridLines)
{
    draw_screen();
    const COLORREF face = face_colour();
    EXPECT_EQ(pixel(cell_to_pixel(1), inside(0)), face);  // inside button 0, on a grid line position
    EXPECT_EQ(pixel(cell_to_pixel(2), cell_to_pixel(1)), face);
    EXPECT_EQ(pixel(cell_to_pixel(1), cell_to_pixel(12)), face);  // status strip
    EXPECT_EQ(pixel(cell_to_pixel(8), cell_to_pixel(12)), face);  // sums strip
    EXPECT_EQ(pixel(cell_to_pixel(5), STATUS_TEXT.y), face);
    EXPECT_EQ(pixel(PANEL.right - 5, PANEL.bottom - 3), face);  // the panel's last pixels before the frame lines
    EXPECT_EQ(pixel(PANEL.right - 1, PANEL.bottom - 1), face);
}

// ---- buttons -----------------------------------------------------------------

TEST_F(Drawing, EveryButtonIsRaisedWithWhiteAndGrayEdges)
{
    draw_screen();
    const COLORREF face = face_colour();
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        SCOPED_TRACE("button " + std::to_string(i));
        const Rect& b = BUTTON_RECTS[i];
        const int right = b.right - 1;
        const int bottom = b.bottom - 1;
        // One white pixel on the top and the left.
        EXPECT_EQ(pixel(b.left, b.top), WHITE);
        EXPECT_EQ(pixel(b.left, b.top + 18), WHITE);
        EXPECT_EQ(pixel(b.left, bottom - 1), WHITE);
        EXPECT_EQ(pixel(b.left + 10, b.top), WHITE);
        EXPECT_EQ(pixel(right - 1, b.top), WHITE);
        // Two gray pixels on the right and the bottom, the corners included.
        EXPECT_EQ(pixel(right, b.top), GRAY);
        EXPECT_EQ(pixel(right, b.top + 18), GRAY);
        EXPECT_EQ(pixel(right - 1, b.top + 18), GRAY);
        EXPECT_EQ(pixel(b.left + 10, bottom), GRAY);
        EXPECT_EQ(pixel(b.left + 10, bottom - 1), GRAY);
        EXPECT_EQ(pixel(b.left, bottom), GRAY);
        EXPECT_EQ(pixel(right, bottom), GRAY);
        // The face from x + 1 to x + w - 3 and y + 1 to y + 34.
        const Rect f = face_of(i);
        EXPECT_EQ(pixel(f.left, f.top), face);
        EXPECT_EQ(pixel(f.right - 1, f.top), face);
        EXPECT_EQ(pixel(f.left, f.bottom - 1), face);
        EXPECT_EQ(pixel(f.right - 1, f.bottom - 1), face);
        EXPECT_EQ(pixel(f.right, f.top + 1), GRAY);
        EXPECT_EQ(pixel(f.left + 1, f.bottom), GRAY);
    }
}

TEST_F(Drawing, ButtonLabelsAreCentredBlackText)
{
    draw_screen();
    const COLORREF face = face_colour();
    EXPECT_EQ(count_other_than(face_of(0), face), 0) << "button 0 has no label";
    for (int i = 1; i < BUTTON_COUNT; ++i) {
        SCOPED_TRACE("button " + std::to_string(i));
        const Rect inside = face_of(i);
        int left = 1000, right = -1, top = 1000, bottom = -1;
        for (int y = inside.top; y < inside.bottom; ++y)
            for (int x = inside.left; x < inside.right; ++x) {
                const COLORREF c = pixel(x, y);
                if (c == face)
                    continue;
                EXPECT_TRUE(is_black_ink(c, face)) << "colour " << std::hex << c;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        ASSERT_GE(right, 0) << "no label drawn";
        EXPECT_GT(count_exactly(inside, BLACK), 0);
        EXPECT_NEAR((left + right) / 2.0, (inside.left + inside.right - 1) / 2.0, 3.0);
        EXPECT_NEAR((top + bottom) / 2.0, (inside.top + inside.bottom - 1) / 2.0, 6.0);
    }
}

TEST_F(Drawing, ButtonLabelsDiffer)
{
    draw_screen();
    const COLORREF face = face_colour();
    auto label = [&](int i) { return ink_mask(face_of(i), face); };
    auto width = [&](int i) {
        const std::string columns = ink_columns(face_of(i), face);
        return static_cast<int>(columns.find_last_of('#') - columns.find('#'));
    };
    EXPECT_NE(label(1), label(7));
    EXPECT_NE(label(12), label(21));
    EXPECT_NE(label(BUTTON_CLEAR), label(BUTTON_START)) << "CLEAR and START";
    EXPECT_GT(width(10), width(1)) << "two digits are wider than one";
    EXPECT_GT(width(BUTTON_CLEAR), width(10)) << "a word is wider than two digits";
}

// ---- clue cells ----------------------------------------------------------------

TEST_F(Drawing, ClueCellBackgroundsWithoutNumber)
{
    draw_screen();
    solver_state.col_clue_input[3][2] = 0;
    draw_clue_cell(back_dc, 0, 16, 2);
    EXPECT_EQ(count_other_than(cell_interior(16, 2), CLUE_BACKGROUND), 0);
    draw_clue_cell(back_dc, 1, 16, 2);
    EXPECT_EQ(count_other_than(cell_interior(16, 2), CURSOR_BACKGROUND), 0);
    solver_state.row_clue_input[24][0] = 0;
    draw_clue_cell(back_dc, 1, 0, 37);
    EXPECT_EQ(count_other_than(cell_interior(0, 37), CURSOR_BACKGROUND), 0);
    // The grid lines around the cell stay.
    EXPECT_EQ(pixel(cell_to_pixel(16), inside(2)), MINOR);
    EXPECT_EQ(pixel(cell_to_pixel(17), inside(2)), MINOR);
    EXPECT_EQ(pixel(inside(16), cell_to_pixel(2)), MINOR);
    EXPECT_EQ(pixel(inside(16), cell_to_pixel(3)), MINOR);
}

TEST_F(Drawing, NegativeEntryShowsOnlyTheBackground)
{
    draw_screen();
    solver_state.row_clue_input[4][6] = -3;
    draw_clue_cell(back_dc, 0, 6, 17);
    EXPECT_EQ(count_other_than(cell_interior(6, 17), CLUE_BACKGROUND), 0);
}

TEST_F(Drawing, OneDigitNumbersGetALeadingSpace)
{
    draw_screen();
    solver_state.col_clue_input[0][0] = 7;   // cell (13, 0)
    solver_state.col_clue_input[1][0] = 17;  // cell (14, 0)
    solver_state.col_clue_input[2][0] = 12;  // cell (15, 0)
    for (int cx : {13, 14, 15})
        draw_clue_cell(back_dc, 0, cx, 0);

    auto left_half = [](int cx) {
        const Rect cell = cell_interior(cx, 0);
        return Rect{cell.left, cell.top, cell.left + 10, cell.bottom};
    };
    auto right_half = [](int cx) {
        const Rect cell = cell_interior(cx, 0);
        return Rect{cell.left + 10, cell.top, cell.right, cell.bottom};
    };
    EXPECT_EQ(count_other_than(left_half(13), CLUE_BACKGROUND), 0) << "7 stands in the second place";
    EXPECT_GT(count_other_than(right_half(13), CLUE_BACKGROUND), 0);
    EXPECT_EQ(ink_mask(right_half(13), CLUE_BACKGROUND), ink_mask(right_half(14), CLUE_BACKGROUND))
        << "7 and the 7 of 17 are drawn at the same place";
    EXPECT_GT(count_other_than(left_half(15), CLUE_BACKGROUND), 0) << "12 has no leading space";
    EXPECT_GT(count_other_than(right_half(15), CLUE_BACKGROUND), 0);
    EXPECT_NE(ink_mask(cell_interior(14, 0), CLUE_BACKGROUND), ink_mask(cell_interior(15, 0), CLUE_BACKGROUND));
    for (int cx : {13, 14, 15}) {
        const Rect cell = cell_interior(cx, 0);
        EXPECT_EQ(pixel(cell.left, cell.top), CLUE_BACKGROUND) << "text starts at x + 2, y + 2";
        EXPECT_GT(count_exactly(cell, BLACK), 0);
        EXPECT_EQ(count_pixels(cell,
                               [](COLORREF c) { return c != CLUE_BACKGROUND && (GetRValue(c) != GetGValue(c)); }),
                  0)
            << "clue numbers are black";
    }
}

TEST_F(Drawing, CursorCellShowsTheSameNumber)
{
    draw_screen();
    solver_state.row_clue_input[2][12] = 9;  // row 3, slot 12: cell (12, 15)
    draw_clue_cell(back_dc, 0, 12, 15);
    const std::string normal = ink_mask(cell_interior(12, 15), CLUE_BACKGROUND);
    draw_clue_cell(back_dc, 1, 12, 15);
    const std::string cursor = ink_mask(cell_interior(12, 15), CURSOR_BACKGROUND);
    EXPECT_NE(normal.find('#'), std::string::npos);
    EXPECT_EQ(normal, cursor);
    EXPECT_EQ(pixel(cell_interior(12, 15).left, cell_interior(12, 15).top), CURSOR_BACKGROUND);
}

TEST_F(Drawing, EachBandCellShowsItsOwnEntry)
{
    clear_clue_tables();
    solver_state.col_clue_input[1][3] = 9;   // column 2, slot 3: cell (14, 3)
    solver_state.row_clue_input[7][5] = 4;   // row 8, slot 5: cell (5, 20)
    solver_state.col_clue_input[24][12] = 25;  // column 25, next to the grid: cell (37, 12)
    solver_state.row_clue_input[24][12] = 3;   // row 25, next to the grid: cell (12, 37)
    solver_state.cursor_x = 20;
    solver_state.cursor_y = 7;
    draw_screen();
    for (int cx = 0; cx <= LAST_CELL; ++cx)
        for (int cy = 0; cy <= LAST_CELL; ++cy) {
            if ((cx < BAND_CELLS) == (cy < BAND_CELLS))
                continue;
            const bool marked = (cx == 14 && cy == 3) || (cx == 5 && cy == 20) || (cx == 37 && cy == 12) ||
                                (cx == 12 && cy == 37);
            const COLORREF background = cx == 20 && cy == 7 ? CURSOR_BACKGROUND : CLUE_BACKGROUND;
            const int ink = count_other_than(cell_interior(cx, cy), background);
            if (marked)
                EXPECT_GT(ink, 0) << "cell " << cx << ", " << cy;
            else
                EXPECT_EQ(ink, 0) << "cell " << cx << ", " << cy;
        }
}

// ---- sums and status --------------------------------------------------------------

TEST_F(Drawing, SumsAreRedAndRightAlignedInFiveCharacters)
{
    const COLORREF face = face_colour();
    const Rect upper = COLUMN_SUM;
    const Rect lower = ROW_SUM;
    auto extent = [&](const Rect& a) {
        const std::string columns = ink_columns(a, face);
        return std::pair<int, int>(a.left + static_cast<int>(columns.find('#')),
                                   a.left + static_cast<int>(columns.find_last_of('#')));
    };

    solver_state.col_clue_sum = 38;
    solver_state.row_clue_sum = 38;
    draw_clue_sums(back_dc);
    EXPECT_EQ(ink_mask({upper.left, upper.top, upper.right, upper.top + lower.height()}, face), ink_mask(lower, face))
        << "both lines show the same number";
    for (const Rect& a : {upper, lower}) {
        EXPECT_GT(count_exactly(a, RED), 0);
        EXPECT_EQ(count_pixels(a, [&](COLORREF c) { return c != face && !is_red_ink(c, face); }), 0);
    }
    const auto thirty_eight = extent(upper);

    solver_state.col_clue_sum = 12345;
    solver_state.row_clue_sum = 5;
    draw_clue_sums(back_dc);
    const auto five_digits = extent(upper);
    const auto one_digit = extent(lower);
    EXPECT_GE(five_digits.first, COLUMN_SUM_TEXT.x);
    EXPECT_LE(five_digits.first, COLUMN_SUM_TEXT.x + 4);
    EXPECT_NEAR(thirty_eight.second, five_digits.second, 2) << "right-aligned";
    EXPECT_NEAR(one_digit.second, five_digits.second, 2);
    const double char_width = (five_digits.second - five_digits.first) / 5.0;
    EXPECT_NEAR(thirty_eight.first, five_digits.first + 3 * char_width, char_width / 2 + 1);
    EXPECT_LT(thirty_eight.first, one_digit.first);

    solver_state.col_clue_sum = 0;
    solver_state.row_clue_sum = 0;
    draw_clue_sums(back_dc);
    EXPECT_GT(count_other_than(upper, face), 0) << "0 is shown";
}

TEST_F(Drawing, StatusNoneLeavesThePlainStrip)
{
    draw_screen();
    solver_state.status = STATUS_INVALID;
    draw_status(back_dc);
    solver_state.status = STATUS_NONE;
    draw_status(back_dc);
    EXPECT_EQ(count_other_than(STATUS_STRIP, face_colour()), 0);
}

TEST_F(Drawing, StatusTextsAndTheirColours)
{
    const COLORREF face = face_colour();
    const Rect strip = STATUS_STRIP;
    std::string masks[5];
    for (i32 status : {STATUS_SEARCHING, STATUS_FINISHED, STATUS_INVALID, STATUS_SEVERAL}) {
        SCOPED_TRACE("status " + std::to_string(status));
        solver_state.status = status;
        draw_status(back_dc);
        const bool red = status > STATUS_FINISHED;
        EXPECT_GT(count_exactly(strip, red ? RED : BLACK), 0);
        EXPECT_EQ(count_pixels(strip,
                               [&](COLORREF c) {
                                   return c != face && !(red ? is_red_ink(c, face) : is_black_ink(c, face));
                               }),
                  0);
        EXPECT_EQ(count_other_than({strip.left, strip.top, STATUS_TEXT.x, strip.bottom}, face), 0)
            << "text starts at x 10";
        EXPECT_EQ(count_other_than({strip.left, strip.top, strip.right, STATUS_TEXT.y}, face), 0)
            << "text starts at y 230";
        masks[status] = ink_mask(strip, face);
    }
    for (int a = 1; a <= 4; ++a)
        for (int b = a + 1; b <= 4; ++b)
            EXPECT_NE(masks[a], masks[b]) << "statuses " << a << " and " << b << " look alike";

    // "探 索 中" has a space between its ideographs, "探索終了" none.
    auto runs = [&](i32 status) {
        solver_state.status = status;
        draw_status(back_dc);
        const std::string columns = ink_columns(strip, face);
        int count = 0;
        for (std::size_t i = 0; i < columns.size();) {
            if (columns[i] == '.') {
                ++i;
                continue;
            }
            ++count;
            std::size_t gap = 0;
            while (i < columns.size() && gap < 5) {
                gap = columns[i] == '.' ? gap + 1 : 0;
                ++i;
            }
        }
        return count;
    };
    EXPECT_EQ(runs(STATUS_SEARCHING), 3);
    EXPECT_LT(runs(STATUS_FINISHED), 3);
}

TEST_F(Drawing, SearchingAndFinishedShareTheirFirstIdeograph)
{
    const COLORREF face = face_colour();
    const Rect first = {STATUS_TEXT.x, STATUS_STRIP.top, STATUS_TEXT.x + 16, STATUS_STRIP.bottom};
    solver_state.status = STATUS_SEARCHING;
    draw_status(back_dc);
    const std::string searching = ink_mask(first, face);
    solver_state.status = STATUS_FINISHED;
    draw_status(back_dc);
    EXPECT_EQ(searching, ink_mask(first, face));
    solver_state.status = STATUS_SEVERAL;
    draw_status(back_dc);
    EXPECT_NE(searching, ink_mask(first, face)) << "a font without the ideographs draws them all alike";
}

// The texts against a rendering of their own: the font, place and colour given for each.
class ReferenceText : public Drawing {
protected:
    void SetUp() override
    {
        Drawing::SetUp();
        reference_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        reference_bitmap_ = create_screen_bitmap(reference_, &bits);
        previous_reference_ = SelectObject(reference_, reference_bitmap_);
    }
    void TearDown() override
    {
        SelectObject(reference_, previous_reference_);
        DeleteObject(reference_bitmap_);
        DeleteDC(reference_);
        Drawing::TearDown();
    }

    void background(const Rect& a, COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT r = {a.left, a.top, a.right, a.bottom};
        FillRect(reference_, &r, brush);
        DeleteObject(brush);
    }

    void write(int height, COLORREF colour, Point at, const char* text)
    {
        HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_MODERN | FIXED_PITCH,
                                 nullptr);
        HGDIOBJ previous = SelectObject(reference_, font);
        SetTextColor(reference_, colour);
        SetBkMode(reference_, TRANSPARENT);
        TextOutA(reference_, at.x, at.y, text, lstrlenA(text));
        SelectObject(reference_, previous);
        DeleteObject(font);
    }

    int differences(const Rect& a)
    {
        int n = 0;
        for (int y = a.top; y < a.bottom; ++y)
            for (int x = a.left; x < a.right; ++x)
                n += pixel(x, y) != (GetPixel(reference_, x, y) & 0xffffff);
        return n;
    }

    HDC reference_ = nullptr;
    HBITMAP reference_bitmap_ = nullptr;
    HGDIOBJ previous_reference_ = nullptr;
};

TEST_F(ReferenceText, StatusTexts)
{
    const Rect strip = STATUS_STRIP;
    const char* texts[] = {"", "\x92\x54 \x8d\xf5 \x92\x86", "\x92\x54\x8d\xf5\x8f\x49\x97\xb9",
                           "\x96\xe2\x91\xe8\x88\xd9\x8f\xed", "\x8f\x64\x95\xa1\x82\xa0\x82\xe8"};
    for (i32 status = STATUS_SEARCHING; status <= STATUS_SEVERAL; ++status) {
        solver_state.status = status;
        draw_status(back_dc);
        background(strip, face_colour());
        write(-21, status <= STATUS_FINISHED ? BLACK : RED, STATUS_TEXT, texts[status]);
        EXPECT_EQ(differences(strip), 0) << "status " << status;
    }
}

TEST_F(ReferenceText, Sums)
{
    const Rect strip = SUMS_STRIP;
    solver_state.col_clue_sum = 38;
    solver_state.row_clue_sum = 117;
    draw_clue_sums(back_dc);
    background(strip, face_colour());
    write(18, RED, COLUMN_SUM_TEXT, "   38");
    write(18, RED, ROW_SUM_TEXT, "  117");
    EXPECT_EQ(differences(strip), 0);
}

TEST_F(ReferenceText, ClueNumbers)
{
    solver_state.row_clue_input[0][3] = 5;
    solver_state.row_clue_input[0][4] = 42;
    draw_clue_cell(back_dc, 0, 3, 13);
    draw_clue_cell(back_dc, 1, 4, 13);
    const Rect five = cell_interior(3, 13);
    const Rect forty_two = cell_interior(4, 13);
    background(five, CLUE_BACKGROUND);
    background(forty_two, CURSOR_BACKGROUND);
    write(18, BLACK, {five.left + CLUE_TEXT_INSET, five.top + CLUE_TEXT_INSET}, " 5");
    write(18, BLACK, {forty_two.left + CLUE_TEXT_INSET, forty_two.top + CLUE_TEXT_INSET}, "42");
    EXPECT_EQ(differences(five), 0);
    EXPECT_EQ(differences(forty_two), 0);
}

// ---- result grid -----------------------------------------------------------------

class ResultMarks : public Drawing {
protected:
    // Draws one mark in puzzle cell (r, c) and returns its 19 x 19 interior as a mask:
    // 'W' white, 'K' black, 'R' red, '?' anything else.
    std::string draw(int r, int c, i32 mark)
    {
        solver_state.result_grid[r - 1][c - 1] = mark;
        draw_result_grid(back_dc);
        const Rect cell = result_cell(r, c);
        std::string s;
        for (int y = cell.top; y < cell.bottom; ++y)
            for (int x = cell.left; x < cell.right; ++x) {
                const COLORREF p = pixel(x, y);
                s += p == WHITE ? 'W' : p == BLACK ? 'K' : p == RED ? 'R' : '?';
            }
        return s;
    }

    static char at(const std::string& mask, int dx, int dy)
    {
        return mask[static_cast<std::size_t>(dy * 19 + dx)];
    }
};

TEST_F(ResultMarks, NoneIsAWhiteCell)
{
    draw_screen();
    EXPECT_EQ(draw(1, 1, MARK_NONE), std::string(361, 'W'));
    EXPECT_EQ(draw(25, 25, MARK_NONE), std::string(361, 'W'));
    EXPECT_EQ(draw(3, 4, 5), std::string(361, 'W')) << "unknown marks draw as none";
    EXPECT_EQ(draw(3, 4, -1), std::string(361, 'W'));
}

TEST_F(ResultMarks, EmptyIsABlackCrossOverTheCell)
{
    draw_screen();
    const std::string m = draw(2, 3, MARK_EMPTY);
    for (int k = 0; k < 19; ++k)
        EXPECT_EQ(at(m, k, k), 'K') << k;
    for (int k = 1; k < 19; ++k)
        EXPECT_EQ(at(m, 19 - k, k), 'K') << k;
    EXPECT_EQ(at(m, 1, 0), 'W');
    EXPECT_EQ(at(m, 0, 9), 'W');
    EXPECT_EQ(at(m, 9, 0), 'W');
    EXPECT_EQ(static_cast<int>(std::count(m.begin(), m.end(), 'K')), 19 + 18);
    // The second line starts on the grid line right of the cell.
    const Rect cell = result_cell(2, 3);
    EXPECT_EQ(pixel(cell.right, cell.top), BLACK);
    EXPECT_EQ(pixel(cell.right, cell.top + 1), MINOR);
}

TEST_F(ResultMarks, FilledIsTheWholeInteriorBlack)
{
    draw_screen();
    EXPECT_EQ(draw(5, 17, MARK_FILLED), std::string(361, 'K'));
    const Rect cell = result_cell(5, 17);
    EXPECT_EQ(pixel(cell.left - 1, cell.top + 5), MINOR) << "the grid lines around it stay";
    EXPECT_EQ(pixel(cell.right, cell.top + 5), MINOR);
    EXPECT_EQ(pixel(cell.left + 9, cell.top - 1), MINOR);
    EXPECT_EQ(pixel(cell.left + 9, cell.bottom), BLACK) << "a major line";
}

TEST_F(ResultMarks, EmptyDiffersIsASmallerRedCross)
{
    draw_screen();
    const std::string m = draw(4, 2, MARK_EMPTY_DIFFERS);
    for (int k = 1; k <= 16; ++k) {
        EXPECT_EQ(at(m, k, k), 'R') << k;
        EXPECT_EQ(at(m, 18 - k, k), 'R') << k;
    }
    EXPECT_EQ(at(m, 17, 17), 'W') << "end points are left out";
    EXPECT_EQ(at(m, 1, 17), 'W');
    EXPECT_EQ(at(m, 0, 0), 'W');
    EXPECT_EQ(at(m, 18, 18), 'W');
    EXPECT_EQ(at(m, 18, 0), 'W');
    EXPECT_EQ(static_cast<int>(std::count(m.begin(), m.end(), 'R')), 32 - 1);
    EXPECT_EQ(static_cast<int>(std::count(m.begin(), m.end(), 'W')), 361 - 31);
}

TEST_F(ResultMarks, FilledDiffersIsARedSquareWithAWhiteMargin)
{
    draw_screen();
    const std::string m = draw(25, 1, MARK_FILLED_DIFFERS);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 19; ++x) {
            const bool margin = x == 0 || y == 0 || x == 18 || y == 18;
            EXPECT_EQ(at(m, x, y), margin ? 'W' : 'R') << x << ", " << y;
        }
}

TEST_F(ResultMarks, MarksGoToTheirOwnCells)
{
    draw_screen();
    solver_state.result_grid[2][6] = MARK_FILLED;  // row 3, column 7
    solver_state.result_grid[24][0] = MARK_FILLED_DIFFERS;
    draw_result_grid(back_dc);
    for (int r = 1; r <= 25; ++r)
        for (int c = 1; c <= 25; ++c) {
            const int white = count_exactly(result_cell(r, c), WHITE);
            if (r == 3 && c == 7)
                EXPECT_EQ(white, 0);
            else if (r == 25 && c == 1)
                EXPECT_EQ(white, 72);
            else
                EXPECT_EQ(white, 361) << "cell " << r << ", " << c;
        }
}

}  // namespace
