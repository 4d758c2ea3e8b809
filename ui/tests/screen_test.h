// Helpers for the window program's tests: a real GDI back buffer, pixel reading and the window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "back_buffer.h"
#include "input.h"
#include "layout.h"
#include "state.h"
#include "window.h"

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF RED = RGB(255, 0, 0);
constexpr COLORREF GRAY = RGB(128, 128, 128);  // the stock gray brush
constexpr COLORREF MINOR = RGB(192, 192, 192);
constexpr COLORREF CLUE_BACKGROUND = RGB(255, 255, 220);
constexpr COLORREF CURSOR_BACKGROUND = RGB(100, 255, 255);

inline COLORREF face_colour()
{
    return GetSysColor(COLOR_BTNFACE);
}

// The tables as the program starts them: the sample puzzle, sums 38, cursor on (13, 12).
inline void reset_solver_state()
{
    std::memset(&solver_state, 0, sizeof solver_state);
    load_sample_puzzle();
    solver_state.row_clue_sum = 38;
    solver_state.col_clue_sum = 38;
    solver_state.cursor_x = CURSOR_START_X;
    solver_state.cursor_y = CURSOR_START_Y;
}

inline void clear_clue_tables()
{
    std::memset(solver_state.row_clue_input, 0, sizeof solver_state.row_clue_input);
    std::memset(solver_state.col_clue_input, 0, sizeof solver_state.col_clue_input);
    solver_state.row_clue_sum = 0;
    solver_state.col_clue_sum = 0;
}

inline COLORREF pixel(int x, int y)
{
    return GetPixel(back_dc, x, y) & 0xffffff;
}

// The pixel at the middle of r (for an even size, the one right of and below the middle).
inline Point centre(const Rect& r)
{
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline void click(Point p)
{
    on_left_click(p.x, p.y);
}

template <typename Test>
int count_pixels(const Rect& a, Test test)
{
    int n = 0;
    for (int y = a.top; y < a.bottom; ++y)
        for (int x = a.left; x < a.right; ++x)
            if (test(pixel(x, y)))
                ++n;
    return n;
}

inline int count_other_than(const Rect& a, COLORREF background)
{
    return count_pixels(a, [background](COLORREF c) { return c != background; });
}

inline int count_exactly(const Rect& a, COLORREF colour)
{
    return count_pixels(a, [colour](COLORREF c) { return c == colour; });
}

// Text ink, possibly smoothed against its background: gray for black text, reddish for red.
inline bool is_black_ink(COLORREF c, COLORREF background)
{
    return c != background && GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c);
}
inline bool is_red_ink(COLORREF c, COLORREF background)
{
    return c != background && GetRValue(c) > GetGValue(c) && GetGValue(c) == GetBValue(c);
}

// The columns of an area that hold any pixel other than the background, as a bit mask string.
inline std::string ink_columns(const Rect& a, COLORREF background)
{
    std::string s;
    for (int x = a.left; x < a.right; ++x) {
        bool ink = false;
        for (int y = a.top; y < a.bottom && !ink; ++y)
            ink = pixel(x, y) != background;
        s += ink ? '#' : '.';
    }
    return s;
}

// The ink of an area as rows of '#' and '.', for comparing two drawings of the same text.
inline std::string ink_mask(const Rect& a, COLORREF background)
{
    std::string s;
    for (int y = a.top; y < a.bottom; ++y) {
        for (int x = a.left; x < a.right; ++x)
            s += pixel(x, y) != background ? '#' : '.';
        s += '\n';
    }
    return s;
}

// A top-down 32-bit bitmap of the client area's size, for memory device contexts.
inline HBITMAP create_screen_bitmap(HDC dc, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = CLIENT_SIZE;
    info.bmiHeader.biHeight = -CLIENT_SIZE;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// A 761 x 761, 32-bit memory device context standing in for the window's back buffer.
class MemoryBackBuffer : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_solver_state();
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = create_screen_bitmap(dc_, &bits_);
        ASSERT_NE(bitmap_, nullptr);
        previous_ = SelectObject(dc_, bitmap_);
        back_dc = dc_;
    }

    void TearDown() override
    {
        back_dc = nullptr;
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }

    // Paints every pixel with a colour that no drawing uses.
    void fill_with(COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all = {0, 0, CLIENT_SIZE, CLIENT_SIZE};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

// The real main window, created as WinMain creates it; input then draws into its back buffer.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_solver_state();
        instance_ = GetModuleHandleA(nullptr);
        ASSERT_NE(register_main_class(instance_), 0);
        window_ = create_main_window(instance_);
        ASSERT_NE(window_, nullptr);
        UpdateWindow(window_);
    }

    void TearDown() override
    {
        if (window_)
            DestroyWindow(window_);
        UnregisterClassA(MAIN_CLASS_NAME, instance_);
    }

    LRESULT send(UINT message, WPARAM wparam, LPARAM lparam = 0)
    {
        return SendMessageA(window_, message, wparam, lparam);
    }

    void type(const char* digits)
    {
        for (const char* p = digits; *p; ++p)
            send(WM_CHAR, static_cast<WPARAM>(*p));
    }

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
};
