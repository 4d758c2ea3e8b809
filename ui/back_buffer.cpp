// The back buffer, its window and the refresh.
#include "back_buffer.h"

#include "layout.h"

HWND main_window;
RECT client_rect;
HBITMAP back_bitmap;
HDC back_dc;

bool create_back_buffer(HWND window)
{
    client_rect = {CLIENT.left, CLIENT.top, CLIENT.right, CLIENT.bottom};

    HDC window_dc = GetDC(window);
    back_bitmap = CreateCompatibleBitmap(window_dc, client_rect.right - client_rect.left,
                                         client_rect.bottom - client_rect.top);
    back_dc = CreateCompatibleDC(window_dc);
    ReleaseDC(window, window_dc);
    if (!back_bitmap || !back_dc) {
        if (back_dc)
            DeleteDC(back_dc);
        if (back_bitmap)
            DeleteObject(back_bitmap);
        back_dc = nullptr;
        back_bitmap = nullptr;
        return false;
    }
    SelectObject(back_dc, back_bitmap);
    return true;
}

void release_back_buffer()
{
    DeleteDC(back_dc);
    DeleteObject(back_bitmap);
    back_dc = nullptr;
    back_bitmap = nullptr;
}

void refresh()
{
    InvalidateRect(main_window, &client_rect, FALSE);
    UpdateWindow(main_window);
}
