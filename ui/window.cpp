// The program entry, the main window's procedure and the message loop.
#include "window.h"

#include "back_buffer.h"
#include "draw.h"
#include "input.h"
#include "layout.h"
#include "state.h"

namespace {

constexpr int SAMPLE_CLUE_SUM = 38;  // both totals of the sample puzzle loaded at start

// Sizes the window to a 761 x 761 client area, centres it on the desktop and makes the
// back buffer. Returns false when the back buffer cannot be made.
bool on_create(HWND window)
{
    main_window = window;

    RECT outer;
    RECT inner;
    GetWindowRect(window, &outer);
    GetClientRect(window, &inner);
    const int cx = (outer.right - outer.left) - (inner.right - inner.left) + CLIENT_SIZE;
    const int cy = (outer.bottom - outer.top) - (inner.bottom - inner.top) + CLIENT_SIZE;

    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    SetWindowPos(window, HWND_TOP, (desktop.right - cx) / 2, (desktop.bottom - cy) / 2, cx, cy,
                 SWP_SHOWWINDOW);

    if (!create_back_buffer(window))
        return false;

    SolverState& s = solver_state;
    s.cursor_x = CURSOR_START_X;
    s.cursor_y = CURSOR_START_Y;
    s.row_clue_sum = SAMPLE_CLUE_SUM;
    s.col_clue_sum = SAMPLE_CLUE_SUM;

    draw_screen();
    return true;
}

void on_paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    BitBlt(dc, client_rect.left, client_rect.top, client_rect.right - client_rect.left,
           client_rect.bottom - client_rect.top, back_dc, 0, 0, SRCCOPY);
    EndPaint(window, &paint);
}

void on_destroy()
{
    release_back_buffer();
    PostQuitMessage(0);
}

bool is_cursor_key(WPARAM key)
{
    return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN;
}

}  // namespace

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        // A window without a back buffer is not made: CreateWindowExA then fails.
        return on_create(window) ? 0 : -1;
    case WM_PAINT:
        on_paint(window);
        return 0;
    case WM_DESTROY:
        on_destroy();
        return 0;
    case WM_KEYDOWN:
        if (is_cursor_key(wparam)) {
            on_cursor_key(static_cast<int>(wparam));
            return 0;
        }
        if (wparam == VK_DELETE) {
            enter_clue_value(-1);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wparam >= '0' && wparam <= '9') {
            enter_clue_value(static_cast<int>(wparam - '0'));
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        on_left_click(LOWORD(lparam), HIWORD(lparam));
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

ATOM register_main_class(HINSTANCE instance)
{
    WNDCLASSEXA window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = main_window_proc;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(MAIN_ICON_ID));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = MAIN_CLASS_NAME;
    window_class.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(MAIN_ICON_ID));
    return RegisterClassExA(&window_class);
}

HWND create_main_window(HINSTANCE instance)
{
    return CreateWindowExA(0, MAIN_CLASS_NAME, MAIN_CAPTION, WS_CAPTION | WS_SYSMENU,
                           CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, instance,
                           nullptr);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    if (!register_main_class(instance))
        return EXIT_NO_CLASS;
    HWND window = create_main_window(instance);
    if (!window)
        return EXIT_NO_WINDOW;
    ShowWindow(window, show_command);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
