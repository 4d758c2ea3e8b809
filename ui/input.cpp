// Clue editing: the cursor, digit entry, the value buttons, CLEAR and START.
#include "input.h"

#include <windows.h>

#include <algorithm>

#include "back_buffer.h"
#include "draw.h"
#include "layout.h"
#include "state.h"

namespace {

void move_cursor(int cx, int cy)
{
    SolverState& s = solver_state;
    s.digit_entry_active = 0;
    draw_clue_cell(back_dc, 0, s.cursor_x, s.cursor_y);
    s.cursor_x = cx;
    s.cursor_y = cy;
    draw_clue_cell(back_dc, 1, cx, cy);
    refresh();
}

void clear_result()
{
    for (auto& row : solver_state.result_grid)
        for (i32& mark : row)
            mark = MARK_NONE;
}

// A value button moves the cursor one slot away from the grid, unless it is on slot 0.
void advance_cursor()
{
    const SolverState& s = solver_state;
    if (in_column_band(s.cursor_y)) {
        if (s.cursor_y > 0)
            move_cursor(s.cursor_x, s.cursor_y - 1);
    } else if (s.cursor_x > 0) {
        move_cursor(s.cursor_x - 1, s.cursor_y);
    }
}

void press_clear()
{
    SolverState& s = solver_state;
    for (auto& line : s.row_clue_input)
        for (i32& entry : line)
            entry = 0;
    for (auto& line : s.col_clue_input)
        for (i32& entry : line)
            entry = 0;
    clear_result();
    s.cursor_x = CURSOR_START_X;
    s.cursor_y = CURSOR_START_Y;
    s.status = STATUS_NONE;
    s.row_clue_sum = 0;
    s.col_clue_sum = 0;
    draw_screen();
    refresh();
}

void press_start()
{
    SolverState& s = solver_state;
    s.status = STATUS_SEARCHING;
    clear_result();
    draw_status(back_dc);
    draw_clue_cell(back_dc, 0, s.cursor_x, s.cursor_y);
    refresh();
    solve();
    draw_screen();
    refresh();
}

}  // namespace

void enter_clue_value(int value)
{
    SolverState& s = solver_state;
    const bool append = value >= 0 && s.digit_entry_active == 1;
    i32 entered = value < 0 ? 0 : value;
    i32& entry = clue_entry(s.cursor_x, s.cursor_y);
    const i32 old = entry;
    if (append)
        entered += (old % 10) * 10;
    entry = entered;
    if (in_column_band(s.cursor_y))
        s.col_clue_sum += entered - old;
    else
        s.row_clue_sum += entered - old;
    s.digit_entry_active = 1;

    draw_clue_cell(back_dc, 1, s.cursor_x, s.cursor_y);
    draw_clue_sums(back_dc);
    if (s.status != STATUS_NONE) {
        s.status = STATUS_NONE;
        clear_result();
        draw_status(back_dc);
        draw_result_grid(back_dc);
    }
    refresh();
}

void on_cursor_key(int key)
{
    const SolverState& s = solver_state;
    const bool column_band = in_column_band(s.cursor_y);
    const int min_x = column_band ? BAND_CELLS : 0;
    const int max_x = column_band ? LAST_CELL : BAND_CELLS - 1;
    const int min_y = column_band ? 0 : BAND_CELLS;
    const int max_y = column_band ? BAND_CELLS - 1 : LAST_CELL;
    switch (key) {
    case VK_LEFT:
        if (s.cursor_x > min_x)
            move_cursor(s.cursor_x - 1, s.cursor_y);
        break;
    case VK_RIGHT:
        if (s.cursor_x < max_x)
            move_cursor(s.cursor_x + 1, s.cursor_y);
        break;
    case VK_UP:
        if (s.cursor_y > min_y)
            move_cursor(s.cursor_x, s.cursor_y - 1);
        break;
    case VK_DOWN:
        if (s.cursor_y < max_y)
            move_cursor(s.cursor_x, s.cursor_y + 1);
        break;
    default:
        break;
    }
}

void on_left_click(int x, int y)
{
    solver_state.digit_entry_active = 0;
    // A click message can carry a point past the client area's last pixel; it counts as that pixel.
    x = std::min(x, LAST_PIXEL);
    y = std::min(y, LAST_PIXEL);
    if (COLUMN_BAND.contains(x, y) || ROW_BAND.contains(x, y)) {
        move_cursor(pixel_to_cell(x), pixel_to_cell(y));
        return;
    }
    const int button = button_at(x, y);
    if (button == BUTTON_CLEAR) {
        press_clear();
    } else if (button == BUTTON_START) {
        press_start();
    } else if (button != NO_BUTTON) {
        enter_clue_value(button);
        advance_cursor();
    } else {  // the result grid, the status and sums strips
        refresh();
    }
}
