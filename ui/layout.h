// Screen geometry: the one place that maps cells, buttons and clue entries to pixels and back.
#pragma once

#include "state.h"

constexpr int CLIENT_SIZE = 761;  // the client area, pixels 0 to 760 each way
constexpr int CELL_PIXELS = 20;
constexpr int LAST_CELL = 37;     // cells 0 to 37 each way
constexpr int BAND_CELLS = 13;    // clue slots across a band; the grid starts at cell 13
constexpr int PANEL_EDGE = BAND_CELLS * CELL_PIXELS;  // 260: first pixel of the bands and the grid

constexpr int BUTTON_WIDTH = 52;
constexpr int BUTTON_HEIGHT = 37;
constexpr int BUTTONS_PER_ROW = 5;
constexpr int VALUE_BUTTONS = 26;  // "" and "1" to "25"
constexpr int BUTTON_CLEAR = 26;
constexpr int BUTTON_START = 27;
constexpr int STRIP_TOP = 6 * BUTTON_HEIGHT;  // 222: the status and sums strips
constexpr int STRIP_HEIGHT = PANEL_EDGE - STRIP_TOP;
constexpr int SUMS_LEFT = 156;

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

// Interior corner of the result cell of puzzle cell (r, c), r and c from 1.
constexpr int result_cell_x(int c)
{
    return cell_to_pixel(BAND_CELLS - 1 + c) + 1;
}
constexpr int result_cell_y(int r)
{
    return cell_to_pixel(BAND_CELLS - 1 + r) + 1;
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

constexpr int button_x(int index)
{
    return index == BUTTON_START ? SUMS_LEFT : BUTTON_WIDTH * (index % BUTTONS_PER_ROW);
}
constexpr int button_y(int index)
{
    return BUTTON_HEIGHT * (index / BUTTONS_PER_ROW);
}
constexpr int button_width(int index)
{
    return index >= BUTTON_CLEAR ? 2 * BUTTON_WIDTH : BUTTON_WIDTH;
}

// Hit index of a panel pixel (x and y below 260): 0 to 25 value buttons, 26 and 27
// CLEAR, 28 and 29 START, 30 and above the strips.
constexpr int button_at(int x, int y)
{
    return (y / BUTTON_HEIGHT) * BUTTONS_PER_ROW + x / BUTTON_WIDTH;
}
