// The main window: its class, creation, back buffer, paint and message loop.
#pragma once

#include <windows.h>

extern HWND main_window;
extern RECT client_rect;     // {0, 0, 761, 761}: the back buffer, the copy on paint, the refresh
extern HBITMAP back_bitmap;  // stays selected into back_dc from creation to destruction
extern HDC back_dc;          // the only drawing target

constexpr int MAIN_ICON_ID = 103;
constexpr const char* MAIN_CLASS_NAME = "Quorvane";
constexpr const char* MAIN_CAPTION = "Ombrasel(Ver2) by Dremvik";

// Exit codes of WinMain besides the quit message's 0.
constexpr int EXIT_NO_CLASS = 1;
constexpr int EXIT_NO_WINDOW = 2;

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The two set-up steps of WinMain: each returns 0 (null) on failure.
ATOM register_main_class(HINSTANCE instance);
HWND create_main_window(HINSTANCE instance);

// Copies the whole back buffer to the window now.
void refresh();
