// Drawing of the grid, the buttons, the clue cells, the sums, the status and the result marks.
#include "draw.h"

#include "back_buffer.h"
#include "layout.h"
#include "state.h"
#include "texts.h"

namespace {

constexpr COLORREF MINOR_LINE = RGB(192, 192, 192);
constexpr COLORREF MAJOR_LINE = RGB(0, 0, 0);
constexpr COLORREF FRAME_LINE = RGB(255, 0, 0);
constexpr COLORREF CLUE_CELL = RGB(255, 255, 220);
constexpr COLORREF CURSOR_CELL = RGB(100, 255, 255);
constexpr COLORREF INK = RGB(0, 0, 0);
constexpr COLORREF RED_INK = RGB(255, 0, 0);
constexpr COLORREF RESULT_CELL = RGB(255, 255, 255);

constexpr int BUTTON_FONT = 25;  // cell heights
constexpr int CLUE_FONT = 18;
constexpr int STATUS_FONT = -21;  // character height

constexpr int MAJOR_LINE_EVERY = MAJOR_LINE_CELLS * CELL_PIXELS;
constexpr int DIFFERS_MARGIN = 1;  // the white margin around a red mark

// A pen, brush or font made for one drawing step: selected when made, and put back and
// deleted when the step ends.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), previous_(SelectObject(dc, object)) {}
    ~Selected()
    {
        SelectObject(dc_, previous_);
        DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ previous_;
};

COLORREF button_face()
{
    return GetSysColor(COLOR_BTNFACE);
}

HFONT make_font(int height)
{
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                       FF_MODERN | FIXED_PITCH, nullptr);
}

void fill(HDC dc, const Rect& r, COLORREF colour)
{
    Selected brush(dc, CreateSolidBrush(colour));
    PatBlt(dc, r.left, r.top, r.width(), r.height(), PATCOPY);
}

void line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void grid_lines(HDC dc, COLORREF colour, int first, int step, int last)
{
    Selected pen(dc, CreatePen(PS_SOLID, 1, colour));
    for (int k = first; k <= last; k += step) {
        line(dc, 0, k, LAST_PIXEL, k);
        line(dc, k, 0, k, LAST_PIXEL);
    }
}

// The two diagonals of r, from corner to corner; the end points, on the right and bottom
// edges, are left out.
void cross(HDC dc, COLORREF colour, const Rect& r)
{
    Selected pen(dc, CreatePen(PS_SOLID, 1, colour));
    line(dc, r.left, r.top, r.right, r.bottom);
    line(dc, r.right, r.top, r.left, r.bottom);
}

void text(HDC dc, int height, COLORREF colour, Point at, const char* string)
{
    Selected font(dc, make_font(height));
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, at.x, at.y, string, lstrlenA(string));
}

// The mark of a result cell, over its white interior.
void draw_mark(HDC dc, const Rect& cell, i32 mark)
{
    const Rect red_square = cell.inset(DIFFERS_MARGIN);
    switch (mark) {
    case MARK_EMPTY:
        cross(dc, INK, cell);
        break;
    case MARK_FILLED:
        fill(dc, cell, INK);
        break;
    case MARK_EMPTY_DIFFERS:  // a pixel shorter than the red square each way
        cross(dc, RED_INK, {red_square.left, red_square.top, red_square.right - 1, red_square.bottom - 1});
        break;
    case MARK_FILLED_DIFFERS:
        fill(dc, red_square, RED_INK);
        break;
    default:
        break;
    }
}

void outline(HDC dc, const Rect& r)
{
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

}  // namespace

void draw_screen()
{
    HDC dc = back_dc;
    grid_lines(dc, MINOR_LINE, 0, CELL_PIXELS, LAST_PIXEL);
    grid_lines(dc, MAJOR_LINE, PANEL_EDGE, MAJOR_LINE_EVERY, LAST_PIXEL - 1);
    {
        HGDIOBJ previous_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Selected pen(dc, CreatePen(PS_SOLID, 1, FRAME_LINE));
        outline(dc, COLUMN_FRAME);
        outline(dc, ROW_FRAME);
        SelectObject(dc, previous_brush);
    }
    fill(dc, PANEL, button_face());

    for (int i = 0; i < BUTTON_COUNT; ++i) {
        char number[8] = "";  // value button 0 has an empty face
        if (i > 0 && i < VALUE_BUTTONS)
            wsprintfA(number, "%d", i);
        const char* label = i == BUTTON_CLEAR ? "CLEAR" : i == BUTTON_START ? "START" : number;
        const Rect& r = BUTTON_RECTS[i];
        draw_button(dc, r.left, r.top, r.width(), label);
    }

    draw_clue_sums(dc);
    draw_status(dc);

    for (int cx = BAND_CELLS; cx <= LAST_CELL; ++cx)
        for (int cy = 0; cy < BAND_CELLS; ++cy)
            draw_clue_cell(dc, 0, cx, cy);
    for (int cy = BAND_CELLS; cy <= LAST_CELL; ++cy)
        for (int cx = 0; cx < BAND_CELLS; ++cx)
            draw_clue_cell(dc, 0, cx, cy);
    draw_clue_cell(dc, 1, solver_state.cursor_x, solver_state.cursor_y);

    draw_result_grid(dc);
}

void draw_button(HDC dc, int x, int y, int width, const char* label)
{
    HBRUSH gray = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RECT r = {x, y, x + width, y + BUTTON_HEIGHT};
    FrameRect(dc, &r, gray);
    --r.right;
    --r.bottom;
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ++r.left;
    ++r.top;
    FrameRect(dc, &r, gray);
    --r.right;
    --r.bottom;
    HBRUSH face = CreateSolidBrush(button_face());
    FillRect(dc, &r, face);
    DeleteObject(face);

    Selected font(dc, make_font(BUTTON_FONT));
    SetTextColor(dc, INK);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, label, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void draw_clue_cell(HDC dc, int cursor_flag, int cx, int cy)
{
    const Rect cell = cell_interior(cx, cy);
    fill(dc, cell, cursor_flag == 1 ? CURSOR_CELL : CLUE_CELL);
    const i32 value = clue_entry(cx, cy);
    if (value <= 0)
        return;
    char number[16];
    wsprintfA(number, "%2d", value);
    text(dc, CLUE_FONT, INK, {cell.left + CLUE_TEXT_INSET, cell.top + CLUE_TEXT_INSET}, number);
}

void draw_clue_sums(HDC dc)
{
    fill(dc, SUMS_STRIP, button_face());
    char number[16];
    wsprintfA(number, "%5d", solver_state.col_clue_sum);
    text(dc, CLUE_FONT, RED_INK, COLUMN_SUM_TEXT, number);
    wsprintfA(number, "%5d", solver_state.row_clue_sum);
    text(dc, CLUE_FONT, RED_INK, ROW_SUM_TEXT, number);
}

void draw_status(HDC dc)
{
    fill(dc, STATUS_STRIP, button_face());
    const i32 status = solver_state.status;
    if (status == STATUS_NONE)
        return;
    const char* string = status >= STATUS_SEARCHING && status <= STATUS_SEVERAL ? STATUS_TEXTS[status] : "";
    text(dc, STATUS_FONT, status <= STATUS_FINISHED ? INK : RED_INK, STATUS_TEXT, string);
}

void draw_result_grid(HDC dc)
{
    for (int r = 1; r <= MAX_LINES; ++r)
        for (int c = 1; c <= MAX_LINES; ++c) {
            const Rect cell = result_cell(r, c);
            fill(dc, cell, RESULT_CELL);
            draw_mark(dc, cell, solver_state.result_grid[r - 1][c - 1]);
        }
}
