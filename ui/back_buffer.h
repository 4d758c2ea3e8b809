// The back buffer that every drawing goes into, the window it is shown in, and the refresh
// that shows it: all that drawing and input need of the window.
#pragma once

#include <windows.h>

extern HWND main_window;
extern RECT client_rect;     // {0, 0, 761, 761}: the back buffer, the copy on paint, the refresh
extern HBITMAP back_bitmap;  // stays selected into back_dc from creation to destruction
extern HDC back_dc;          // the only drawing target

// Makes the back buffer, compatible with the window's device context. Returns false, and
// keeps nothing, when it cannot be made.
bool create_back_buffer(HWND window);
void release_back_buffer();

// Copies the whole back buffer to main_window now.
void refresh();
