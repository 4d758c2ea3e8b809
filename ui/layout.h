// Screen geometry: the one place that maps cells, buttons, strips and clue entries to pixels
// and back. Drawing, hit-testing and the tests all use these rectangles.
#pragma once

#include <array>

#include "state.h"

// A rectangle of client pixels; like a RECT, it holds its left and top edges but not its
// right and bottom ones.
struct Rect {
    int left, top, right, bottom;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    // The rectangle moved in by n pixels on every side.
    constexpr Rect inset(int n) const { return {left + n, top + n, right - n, bottom - n}; }
};

struct Point {
    int x, y;
};

// ---- cells -------------------------------------------------------------------------

constexpr int CLIENT_SIZE = 761;  // the client area, pixels 0 to 760 each way
constexpr int LAST_PIXEL = CLIENT_SIZE - 1;
constexpr int CELL_PIXELS = 20;
constexpr int LAST_CELL = 37;     // cells 0 to 37 each way
constexpr int BAND_CELLS = 13;    // clue slots across a band; the grid starts at cell 13
constexpr int PANEL_EDGE = BAND_CELLS * CELL_PIXELS;  // 260: first pixel of the bands and the grid

constexpr int CURSOR_START_X = BAND_CELLS;      // the slot next to the grid of column 1
constexpr int CURSOR_START_Y = BAND_CELLS - 1;

// Left (or top) grid line of cell c; its 19-pixel interior follows.
constexpr int cell_to_pixel(int c)
{
    return CELL_PIXELS * c;
}

// The cell under pixel p. The outer frame line at 760 counts as part of cell 37.
constexpr int pixel_to_cell(int p)
{
    return p / CELL_PIXELS > LAST_CELL ? LAST_CELL : p / CELL_PIXELS;
}

// The 19 x 19 interior of cell (cx, cy), between its grid lines.
constexpr Rect cell_interior(int cx, int cy)
{
    return {cell_to_pixel(cx) + 1, cell_to_pixel(cy) + 1, cell_to_pixel(cx + 1), cell_to_pixel(cy + 1)};
}

constexpr int MAJOR_LINE_CELLS = 5;  // a black grid line every 5 cells from the grid's edge

// A clue number starts this far inside its cell's interior, right and down.
constexpr int CLUE_TEXT_INSET = 1;

// Interior of the result cell of puzzle cell (r, c), r and c from 1.
constexpr Rect result_cell(int r, int c)
{
    return cell_interior(BAND_CELLS - 1 + c, BAND_CELLS - 1 + r);
}

constexpr bool in_column_band(int cy)
{
    return cy < BAND_CELLS;
}

// The clue entry shown in clue cell (cx, cy) of either band.
inline i32& clue_entry(int cx, int cy)
{
    if (in_column_band(cy))
        return solver_state.col_clue_input[cx - BAND_CELLS][cy];
    return solver_state.row_clue_input[cy - BAND_CELLS][cx];
}

// ---- the areas of the client area --------------------------------------------------
// The panel of buttons and strips, the two clue bands and the result grid cover the client
// area without overlap; the grid lines at 260 belong to the bands and the grid.

constexpr Rect CLIENT = {0, 0, CLIENT_SIZE, CLIENT_SIZE};
constexpr Rect PANEL = {0, 0, PANEL_EDGE, PANEL_EDGE};
constexpr Rect COLUMN_BAND = {PANEL_EDGE, 0, CLIENT_SIZE, PANEL_EDGE};
constexpr Rect ROW_BAND = {0, PANEL_EDGE, PANEL_EDGE, CLIENT_SIZE};
constexpr Rect RESULT_GRID = {PANEL_EDGE, PANEL_EDGE, CLIENT_SIZE, CLIENT_SIZE};

// The red frames: each clue band together with the result grid.
constexpr Rect COLUMN_FRAME = {COLUMN_BAND.left, COLUMN_BAND.top, RESULT_GRID.right, RESULT_GRID.bottom};
constexpr Rect ROW_FRAME = {ROW_BAND.left, ROW_BAND.top, RESULT_GRID.right, RESULT_GRID.bottom};

// ---- the panel: buttons and strips -------------------------------------------------

constexpr int BUTTON_WIDTH = 52;
constexpr int BUTTON_HEIGHT = 37;
constexpr int BUTTONS_PER_ROW = 5;
constexpr int BUTTON_ROWS = 6;
constexpr int VALUE_BUTTONS = 26;  // "" and "1" to "25": value button i enters i
constexpr int BUTTON_CLEAR = 26;
constexpr int BUTTON_START = 27;
constexpr int BUTTON_COUNT = 28;
constexpr int NO_BUTTON = -1;

// The panel's button places from column `column` of row `row`, `span` places wide.
constexpr Rect button_places(int row, int column, int span)
{
    return {BUTTON_WIDTH * column, BUTTON_HEIGHT * row, BUTTON_WIDTH * (column + span), BUTTON_HEIGHT * (row + 1)};
}

// One rectangle per button, by index: the value buttons five a row from the top left, then
// CLEAR and START, two places wide each, beside "25" in the last row.
inline constexpr std::array<Rect, BUTTON_COUNT> BUTTON_RECTS = [] {
    std::array<Rect, BUTTON_COUNT> rects{};
    for (int i = 0; i < VALUE_BUTTONS; ++i)
        rects[i] = button_places(i / BUTTONS_PER_ROW, i % BUTTONS_PER_ROW, 1);
    rects[BUTTON_CLEAR] = button_places(BUTTON_ROWS - 1, 1, 2);
    rects[BUTTON_START] = button_places(BUTTON_ROWS - 1, 3, 2);
    return rects;
}();

// The button whose rectangle holds pixel (x, y), or NO_BUTTON.
constexpr int button_at(int x, int y)
{
    for (int i = 0; i < BUTTON_COUNT; ++i)
        if (BUTTON_RECTS[i].contains(x, y))
            return i;
    return NO_BUTTON;
}

// Under the buttons: the status strip, and under START the strip of the two clue sums.
constexpr int STRIP_TOP = BUTTON_ROWS * BUTTON_HEIGHT;  // 222
constexpr int SUMS_LEFT = BUTTON_RECTS[BUTTON_START].left;
constexpr Rect STATUS_STRIP = {PANEL.left, STRIP_TOP, SUMS_LEFT, PANEL.bottom};
constexpr Rect SUMS_STRIP = {SUMS_LEFT, STRIP_TOP, PANEL.right, PANEL.bottom};
constexpr Rect COLUMN_SUM = {SUMS_STRIP.left, SUMS_STRIP.top, SUMS_STRIP.right, SUMS_STRIP.top + CELL_PIXELS};
constexpr Rect ROW_SUM = {SUMS_STRIP.left, COLUMN_SUM.bottom, SUMS_STRIP.right, SUMS_STRIP.bottom};

// Where the texts start (their top left corners).
constexpr Point STATUS_TEXT = {STATUS_STRIP.left + 10, STATUS_STRIP.top + 8};
constexpr int SUM_TEXT_LEFT = 192;  // five characters, right-aligned by the format
constexpr Point COLUMN_SUM_TEXT = {SUM_TEXT_LEFT, COLUMN_SUM.top};
constexpr Point ROW_SUM_TEXT = {SUM_TEXT_LEFT, ROW_SUM.top};
