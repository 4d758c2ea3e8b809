// The main window: its class, creation, paint and message loop.
#pragma once

#include <windows.h>

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
