// Drawing of the grid, the buttons, the clue cells, the sums, the status and the result marks.
#include "draw.h"

#include "layout.h"
#include "state.h"
#include "texts.h"
#include "window.h"

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

constexpr int MAJOR_LINE_EVERY = 5 * CELL_PIXELS;
constexpr int LAST_PIXEL = CLIENT_SIZE - 1;
constexpr int RESULT_INTERIOR = CELL_PIXELS - 1;

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

void fill(HDC dc, int x, int y, int width, int height, COLORREF colour)
{
    Selected brush(dc, CreateSolidBrush(colour));
    PatBlt(dc, x, y, width, height, PATCOPY);
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

void text(HDC dc, int height, COLORREF colour, int x, int y, const char* string)
{
    Selected font(dc, make_font(height));
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, x, y, string, lstrlenA(string));
}

void draw_mark(HDC dc, int x, int y, i32 mark)
{
    switch (mark) {
    case MARK_EMPTY: {
        Selected pen(dc, CreatePen(PS_SOLID, 1, INK));
        line(dc, x, y, x + 19, y + 19);
        line(dc, x + 19, y, x, y + 19);
        break;
    }
    case MARK_FILLED:
        fill(dc, x, y, RESULT_INTERIOR, RESULT_INTERIOR, INK);
        break;
    case MARK_EMPTY_DIFFERS: {
        Selected pen(dc, CreatePen(PS_SOLID, 1, RED_INK));
        line(dc, x + 1, y + 1, x + 17, y + 17);
        line(dc, x + 17, y + 1, x + 1, y + 17);
        break;
    }
    case MARK_FILLED_DIFFERS:
        fill(dc, x + 1, y + 1, RESULT_INTERIOR - 2, RESULT_INTERIOR - 2, RED_INK);
        break;
    default:
        break;
    }
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
        Rectangle(dc, PANEL_EDGE, 0, CLIENT_SIZE, CLIENT_SIZE);
        Rectangle(dc, 0, PANEL_EDGE, CLIENT_SIZE, CLIENT_SIZE);
        SelectObject(dc, previous_brush);
    }
    fill(dc, 0, 0, PANEL_EDGE, PANEL_EDGE, button_face());

    char label[8];
    for (int i = 0; i < VALUE_BUTTONS; ++i) {
        if (i == 0)
            label[0] = '\0';
        else
            wsprintfA(label, "%d", i);
        draw_button(dc, button_x(i), button_y(i), button_width(i), label);
    }
    draw_button(dc, button_x(BUTTON_CLEAR), button_y(BUTTON_CLEAR), button_width(BUTTON_CLEAR),
                "CLEAR");
    draw_button(dc, button_x(BUTTON_START), button_y(BUTTON_START), button_width(BUTTON_START),
                "START");

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
    const int x = cell_to_pixel(cx);
    const int y = cell_to_pixel(cy);
    fill(dc, x + 1, y + 1, CELL_PIXELS - 1, CELL_PIXELS - 1, cursor_flag == 1 ? CURSOR_CELL : CLUE_CELL);
    const i32 value = clue_entry(cx, cy);
    if (value <= 0)
        return;
    char number[16];
    wsprintfA(number, "%2d", value);
    text(dc, CLUE_FONT, INK, x + 2, y + 2, number);
}

void draw_clue_sums(HDC dc)
{
    fill(dc, SUMS_LEFT, STRIP_TOP, PANEL_EDGE - SUMS_LEFT, STRIP_HEIGHT, button_face());
    char number[16];
    wsprintfA(number, "%5d", solver_state.col_clue_sum);
    text(dc, CLUE_FONT, RED_INK, 192, STRIP_TOP, number);
    wsprintfA(number, "%5d", solver_state.row_clue_sum);
    text(dc, CLUE_FONT, RED_INK, 192, STRIP_TOP + CELL_PIXELS, number);
}

void draw_status(HDC dc)
{
    fill(dc, 0, STRIP_TOP, SUMS_LEFT, STRIP_HEIGHT, button_face());
    const i32 status = solver_state.status;
    if (status == STATUS_NONE)
        return;
    const char* string = status >= STATUS_SEARCHING && status <= STATUS_SEVERAL ? STATUS_TEXTS[status] : "";
    text(dc, STATUS_FONT, status <= STATUS_FINISHED ? INK : RED_INK, 10, STRIP_TOP + 8, string);
}

void draw_result_grid(HDC dc)
{
    for (int r = 1; r <= MAX_LINES; ++r) {
        const int y = result_cell_y(r);
        for (int c = 1; c <= MAX_LINES; ++c) {
            const int x = result_cell_x(c);
            fill(dc, x, y, RESULT_INTERIOR, RESULT_INTERIOR, RESULT_CELL);
            draw_mark(dc, x, y, solver_state.result_grid[r - 1][c - 1]);
        }
    }
}
