// Drawing into a real GDI memory context, checked pixel by pixel at the layout's fixed places.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "draw.h"
#include "screen_test.h"

namespace {

struct ButtonPlace {
    int x, y, width;
};

ButtonPlace button_place(int index)
{
    if (index == 26)
        return {52, 185, 104};
    if (index == 27)
        return {156, 185, 104};
    return {52 * (index % 5), 37 * (index / 5), 52};
}

class Drawing : public MemoryBackBuffer {};

// ---- the screen as a whole -------------------------------------------------

TEST_F(Drawing, ScreenCoversEveryPixel)
{
    const COLORREF unused = RGB(1, 2, 3);
    fill_with(unused);
    draw_screen();
    EXPECT_EQ(count_exactly({0, 0, 760, 760}, unused), 0);
}

TEST_F(Drawing, MinorAndMajorGridLines)
{
    draw_screen();
    // Minor lines every 20 pixels, in the result grid and in both clue bands.
    EXPECT_EQ(pixel(280, 305), MINOR);
    EXPECT_EQ(pixel(305, 280), MINOR);
    EXPECT_EQ(pixel(740, 305), MINOR);
    EXPECT_EQ(pixel(280, 5), MINOR);
    EXPECT_EQ(pixel(305, 20), MINOR);
    EXPECT_EQ(pixel(20, 305), MINOR);
    EXPECT_EQ(pixel(5, 300), MINOR);
    // Major lines every 100 pixels from 360 to 660, through the bands as well.
    for (int k : {360, 460, 560, 660}) {
        EXPECT_EQ(pixel(k, 305), BLACK) << "x " << k;
        EXPECT_EQ(pixel(305, k), BLACK) << "y " << k;
        EXPECT_EQ(pixel(k, 5), BLACK) << "x " << k << " in the column-clue band";
        EXPECT_EQ(pixel(5, k), BLACK) << "y " << k << " in the row-clue band";
    }
    // Between the lines the result cells are white.
    EXPECT_EQ(pixel(270, 270), WHITE);
    EXPECT_EQ(pixel(750, 750), WHITE);
}

TEST_F(Drawing, RedFramesCoverTheGridEdges)
{
    draw_screen();
    for (int k : {5, 130, 305, 505, 759}) {
        EXPECT_EQ(pixel(260, k), RED) << "x 260, y " << k;
        EXPECT_EQ(pixel(760, k), RED) << "x 760, y " << k;
        EXPECT_EQ(pixel(k, 760), RED) << "y 760, x " << k;
        EXPECT_EQ(pixel(k, 260), RED) << "y 260, x " << k;
    }
    for (int k : {260, 305, 505, 760}) {
        EXPECT_EQ(pixel(k, 0), RED) << "top edge, x " << k;
        EXPECT_EQ(pixel(0, k), RED) << "left edge, y " << k;
    }
    EXPECT_EQ(pixel(760, 760), RED);
    EXPECT_EQ(pixel(760, 0), RED);
    EXPECT_EQ(pixel(0, 760), RED);
}

TEST_F(Drawing, PanelHidesTheGridLines)
{
    draw_screen();
    const COLORREF face = face_colour();
    EXPECT_EQ(pixel(20, 5), face);    // inside button 0, on a grid line position
    EXPECT_EQ(pixel(40, 20), face);
    EXPECT_EQ(pixel(20, 250), face);  // status strip
    EXPECT_EQ(pixel(160, 240), face);  // sums strip
    EXPECT_EQ(pixel(100, 230), face);
    EXPECT_EQ(pixel(255, 257), face);  // the panel's last pixels before the frame lines
    EXPECT_EQ(pixel(259, 259), face);
}

// ---- buttons -----------------------------------------------------------------

TEST_F(Drawing, EveryButtonIsRaisedWithWhiteAndGrayEdges)
{
    draw_screen();
    const COLORREF face = face_colour();
    for (int i = 0; i < 28; ++i) {
        SCOPED_TRACE("button " + std::to_string(i));
        const ButtonPlace b = button_place(i);
        const int right = b.x + b.width - 1;
        const int bottom = b.y + 36;
        // One white pixel on the top and the left.
        EXPECT_EQ(pixel(b.x, b.y), WHITE);
        EXPECT_EQ(pixel(b.x, b.y + 18), WHITE);
        EXPECT_EQ(pixel(b.x, bottom - 1), WHITE);
        EXPECT_EQ(pixel(b.x + 10, b.y), WHITE);
        EXPECT_EQ(pixel(right - 1, b.y), WHITE);
        // Two gray pixels on the right and the bottom, the corners included.
        EXPECT_EQ(pixel(right, b.y), GRAY);
        EXPECT_EQ(pixel(right, b.y + 18), GRAY);
        EXPECT_EQ(pixel(right - 1, b.y + 18), GRAY);
        EXPECT_EQ(pixel(b.x + 10, bottom), GRAY);
        EXPECT_EQ(pixel(b.x + 10, bottom - 1), GRAY);
        EXPECT_EQ(pixel(b.x, bottom), GRAY);
        EXPECT_EQ(pixel(right, bottom), GRAY);
        // The face from x + 1 to x + w - 3 and y + 1 to y + 34.
        EXPECT_EQ(pixel(b.x + 1, b.y + 1), face);
        EXPECT_EQ(pixel(right - 2, b.y + 1), face);
        EXPECT_EQ(pixel(b.x + 1, bottom - 2), face);
        EXPECT_EQ(pixel(right - 2, bottom - 2), face);
    }
}

TEST_F(Drawing, ButtonLabelsAreCentredBlackText)
{
    draw_screen();
    const COLORREF face = face_colour();
    const ButtonPlace empty = button_place(0);
    EXPECT_EQ(count_other_than({empty.x + 1, empty.y + 1, empty.x + 49, empty.y + 34}, face), 0)
        << "button 0 has no label";
    for (int i = 1; i < 28; ++i) {
        SCOPED_TRACE("button " + std::to_string(i));
        const ButtonPlace b = button_place(i);
        const Area inside = {b.x + 1, b.y + 1, b.x + b.width - 3, b.y + 34};
        int left = 1000, right = -1, top = 1000, bottom = -1;
        for (int y = inside.top; y <= inside.bottom; ++y)
            for (int x = inside.left; x <= inside.right; ++x) {
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
        EXPECT_NEAR((left + right) / 2.0, (inside.left + inside.right) / 2.0, 3.0);
        EXPECT_NEAR((top + bottom) / 2.0, (inside.top + inside.bottom) / 2.0, 6.0);
    }
}

TEST_F(Drawing, ButtonLabelsDiffer)
{
    draw_screen();
    const COLORREF face = face_colour();
    auto face_of = [](int i) {
        const ButtonPlace b = button_place(i);
        return Area{b.x + 1, b.y + 1, b.x + b.width - 3, b.y + 34};
    };
    auto label = [&](int i) { return ink_mask(face_of(i), face); };
    auto width = [&](int i) {
        const std::string columns = ink_columns(face_of(i), face);
        return static_cast<int>(columns.find_last_of('#') - columns.find('#'));
    };
    EXPECT_NE(label(1), label(7));
    EXPECT_NE(label(12), label(21));
    EXPECT_NE(label(26), label(27)) << "CLEAR and START";
    EXPECT_GT(width(10), width(1)) << "two digits are wider than one";
    EXPECT_GT(width(26), width(10)) << "a word is wider than two digits";
}

// ---- clue cells ----------------------------------------------------------------

TEST_F(Drawing, ClueCellBackgroundsWithoutNumber)
{
    draw_screen();
    solver_state.col_clue_input[3][2] = 0;
    draw_clue_cell(back_dc, 0, 16, 2);
    EXPECT_EQ(count_other_than(clue_cell_area(16, 2), CLUE_BACKGROUND), 0);
    draw_clue_cell(back_dc, 1, 16, 2);
    EXPECT_EQ(count_other_than(clue_cell_area(16, 2), CURSOR_BACKGROUND), 0);
    solver_state.row_clue_input[24][0] = 0;
    draw_clue_cell(back_dc, 1, 0, 37);
    EXPECT_EQ(count_other_than(clue_cell_area(0, 37), CURSOR_BACKGROUND), 0);
    // The grid lines around the cell stay.
    EXPECT_EQ(pixel(cell_to_pixel(16), 45), MINOR);
    EXPECT_EQ(pixel(cell_to_pixel(17), 45), MINOR);
    EXPECT_EQ(pixel(325, cell_to_pixel(2)), MINOR);
    EXPECT_EQ(pixel(325, cell_to_pixel(3)), MINOR);
}

TEST_F(Drawing, NegativeEntryShowsOnlyTheBackground)
{
    draw_screen();
    solver_state.row_clue_input[4][6] = -3;
    draw_clue_cell(back_dc, 0, 6, 17);
    EXPECT_EQ(count_other_than(clue_cell_area(6, 17), CLUE_BACKGROUND), 0);
}

TEST_F(Drawing, OneDigitNumbersGetALeadingSpace)
{
    draw_screen();
    solver_state.col_clue_input[0][0] = 7;   // cell (13, 0)
    solver_state.col_clue_input[1][0] = 17;  // cell (14, 0)
    solver_state.col_clue_input[2][0] = 12;  // cell (15, 0)
    for (int cx : {13, 14, 15})
        draw_clue_cell(back_dc, 0, cx, 0);

    auto left_half = [](int cx) { return Area{cell_to_pixel(cx) + 1, 1, cell_to_pixel(cx) + 10, 19}; };
    auto right_half = [](int cx) { return Area{cell_to_pixel(cx) + 11, 1, cell_to_pixel(cx) + 19, 19}; };
    EXPECT_EQ(count_other_than(left_half(13), CLUE_BACKGROUND), 0) << "7 stands in the second place";
    EXPECT_GT(count_other_than(right_half(13), CLUE_BACKGROUND), 0);
    EXPECT_EQ(ink_mask(right_half(13), CLUE_BACKGROUND), ink_mask(right_half(14), CLUE_BACKGROUND))
        << "7 and the 7 of 17 are drawn at the same place";
    EXPECT_GT(count_other_than(left_half(15), CLUE_BACKGROUND), 0) << "12 has no leading space";
    EXPECT_GT(count_other_than(right_half(15), CLUE_BACKGROUND), 0);
    EXPECT_NE(ink_mask(clue_cell_area(14, 0), CLUE_BACKGROUND), ink_mask(clue_cell_area(15, 0), CLUE_BACKGROUND));
    for (int cx : {13, 14, 15}) {
        EXPECT_EQ(pixel(cell_to_pixel(cx) + 1, 1), CLUE_BACKGROUND) << "text starts at x + 2, y + 2";
        EXPECT_GT(count_exactly(clue_cell_area(cx, 0), BLACK), 0);
        EXPECT_EQ(count_pixels(clue_cell_area(cx, 0),
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
    const std::string normal = ink_mask(clue_cell_area(12, 15), CLUE_BACKGROUND);
    draw_clue_cell(back_dc, 1, 12, 15);
    const std::string cursor = ink_mask(clue_cell_area(12, 15), CURSOR_BACKGROUND);
    EXPECT_NE(normal.find('#'), std::string::npos);
    EXPECT_EQ(normal, cursor);
    EXPECT_EQ(pixel(cell_to_pixel(12) + 1, cell_to_pixel(15) + 1), CURSOR_BACKGROUND);
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
    for (int cx = 0; cx <= 37; ++cx)
        for (int cy = 0; cy <= 37; ++cy) {
            if ((cx < 13) == (cy < 13))
                continue;
            const bool marked = (cx == 14 && cy == 3) || (cx == 5 && cy == 20) || (cx == 37 && cy == 12) ||
                                (cx == 12 && cy == 37);
            const COLORREF background = cx == 20 && cy == 7 ? CURSOR_BACKGROUND : CLUE_BACKGROUND;
            const int ink = count_other_than(clue_cell_area(cx, cy), background);
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
    const Area upper = {156, 222, 259, 241};
    const Area lower = {156, 242, 259, 259};
    auto extent = [&](Area a) {
        const std::string columns = ink_columns(a, face);
        return std::pair<int, int>(a.left + static_cast<int>(columns.find('#')),
                                   a.left + static_cast<int>(columns.find_last_of('#')));
    };

    solver_state.col_clue_sum = 38;
    solver_state.row_clue_sum = 38;
    draw_clue_sums(back_dc);
    EXPECT_EQ(ink_mask({156, 222, 259, 239}, face), ink_mask({156, 242, 259, 259}, face))
        << "both lines show the same number";
    for (const Area& a : {upper, lower}) {
        EXPECT_GT(count_exactly(a, RED), 0);
        EXPECT_EQ(count_pixels(a, [&](COLORREF c) { return c != face && !is_red_ink(c, face); }), 0);
    }
    const auto thirty_eight = extent(upper);

    solver_state.col_clue_sum = 12345;
    solver_state.row_clue_sum = 5;
    draw_clue_sums(back_dc);
    const auto five_digits = extent(upper);
    const auto one_digit = extent(lower);
    EXPECT_GE(five_digits.first, 192);
    EXPECT_LE(five_digits.first, 196);
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
    EXPECT_EQ(count_other_than({0, 222, 155, 259}, face_colour()), 0);
}

TEST_F(Drawing, StatusTextsAndTheirColours)
{
    const COLORREF face = face_colour();
    const Area strip = {0, 222, 155, 259};
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
        EXPECT_EQ(count_other_than({0, 222, 9, 259}, face), 0) << "text starts at x 10";
        EXPECT_EQ(count_other_than({0, 222, 155, 229}, face), 0) << "text starts at y 230";
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
    const Area first = {10, 222, 25, 259};
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

    void background(Area a, COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT r = {a.left, a.top, a.right + 1, a.bottom + 1};
        FillRect(reference_, &r, brush);
        DeleteObject(brush);
    }

    void write(int height, COLORREF colour, int x, int y, const char* text)
    {
        HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_MODERN | FIXED_PITCH,
                                 nullptr);
        HGDIOBJ previous = SelectObject(reference_, font);
        SetTextColor(reference_, colour);
        SetBkMode(reference_, TRANSPARENT);
        TextOutA(reference_, x, y, text, lstrlenA(text));
        SelectObject(reference_, previous);
        DeleteObject(font);
    }

    int differences(Area a)
    {
        int n = 0;
        for (int y = a.top; y <= a.bottom; ++y)
            for (int x = a.left; x <= a.right; ++x)
                n += pixel(x, y) != (GetPixel(reference_, x, y) & 0xffffff);
        return n;
    }

    HDC reference_ = nullptr;
    HBITMAP reference_bitmap_ = nullptr;
    HGDIOBJ previous_reference_ = nullptr;
};

TEST_F(ReferenceText, StatusTexts)
{
    const Area strip = {0, 222, 155, 259};
    const char* texts[] = {"", "\x92\x54 \x8d\xf5 \x92\x86", "\x92\x54\x8d\xf5\x8f\x49\x97\xb9",
                           "\x96\xe2\x91\xe8\x88\xd9\x8f\xed", "\x8f\x64\x95\xa1\x82\xa0\x82\xe8"};
    for (i32 status = STATUS_SEARCHING; status <= STATUS_SEVERAL; ++status) {
        solver_state.status = status;
        draw_status(back_dc);
        background(strip, face_colour());
        write(-21, status <= STATUS_FINISHED ? BLACK : RED, 10, 230, texts[status]);
        EXPECT_EQ(differences(strip), 0) << "status " << status;
    }
}

TEST_F(ReferenceText, Sums)
{
    const Area strip = {156, 222, 259, 259};
    solver_state.col_clue_sum = 38;
    solver_state.row_clue_sum = 117;
    draw_clue_sums(back_dc);
    background(strip, face_colour());
    write(18, RED, 192, 222, "   38");
    write(18, RED, 192, 242, "  117");
    EXPECT_EQ(differences(strip), 0);
}

TEST_F(ReferenceText, ClueNumbers)
{
    solver_state.row_clue_input[0][3] = 5;
    solver_state.row_clue_input[0][4] = 42;
    draw_clue_cell(back_dc, 0, 3, 13);
    draw_clue_cell(back_dc, 1, 4, 13);
    background(clue_cell_area(3, 13), CLUE_BACKGROUND);
    background(clue_cell_area(4, 13), CURSOR_BACKGROUND);
    write(18, BLACK, 62, 262, " 5");
    write(18, BLACK, 82, 262, "42");
    EXPECT_EQ(differences(clue_cell_area(3, 13)), 0);
    EXPECT_EQ(differences(clue_cell_area(4, 13)), 0);
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
        const int x0 = 241 + 20 * c;
        const int y0 = 241 + 20 * r;
        std::string s;
        for (int y = y0; y < y0 + 19; ++y)
            for (int x = x0; x < x0 + 19; ++x) {
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
    EXPECT_EQ(pixel(241 + 20 * 3 + 19, 241 + 20 * 2), BLACK);
    EXPECT_EQ(pixel(241 + 20 * 3 + 19, 241 + 20 * 2 + 1), MINOR);
}

TEST_F(ResultMarks, FilledIsTheWholeInteriorBlack)
{
    draw_screen();
    EXPECT_EQ(draw(5, 17, MARK_FILLED), std::string(361, 'K'));
    EXPECT_EQ(pixel(580, 346), MINOR) << "the grid lines around it stay";
    EXPECT_EQ(pixel(600, 346), MINOR);
    EXPECT_EQ(pixel(590, 340), MINOR);
    EXPECT_EQ(pixel(590, 360), BLACK);
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
            const Area cell = {241 + 20 * c, 241 + 20 * r, 259 + 20 * c, 259 + 20 * r};
            const int white = count_exactly(cell, WHITE);
            if (r == 3 && c == 7)
                EXPECT_EQ(white, 0);
            else if (r == 25 && c == 1)
                EXPECT_EQ(white, 72);
            else
                EXPECT_EQ(white, 361) << "cell " << r << ", " << c;
        }
}

}  // namespace
