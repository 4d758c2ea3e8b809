// Drawing of the screen into the back buffer.
#pragma once

#include <windows.h>

void draw_screen();
void draw_button(HDC dc, int x, int y, int width, const char* label);
void draw_clue_cell(HDC dc, int cursor_flag, int cx, int cy);
void draw_clue_sums(HDC dc);
void draw_status(HDC dc);
void draw_result_grid(HDC dc);
