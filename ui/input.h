// Clue editing: typed digits, Delete, the arrow keys and left clicks.
#pragma once

// value: -1 for Delete, 0 to 9 for a typed digit, 0 to 25 for a value button.
void enter_clue_value(int value);
void on_left_click(int x, int y);
// key: VK_LEFT, VK_UP, VK_RIGHT or VK_DOWN.
void on_cursor_key(int key);
