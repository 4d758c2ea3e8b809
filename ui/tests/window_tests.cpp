// The main window: class, creation, back buffer, painting, message dispatch and WinMain's exits.
#include <windows.h>

#include <gtest/gtest.h>

#include "screen_test.h"

namespace {

class Window : public MainWindow {};

TEST_F(Window, ClientAreaIs761By761AndCentred)
{
    RECT client;
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right - client.left, CLIENT_SIZE);
    EXPECT_EQ(client.bottom - client.top, CLIENT_SIZE);

    RECT outer;
    RECT desktop;
    GetWindowRect(window_, &outer);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int cx = outer.right - outer.left;
    const int cy = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (desktop.right - cx) / 2);
    EXPECT_EQ(outer.top, (desktop.bottom - cy) / 2);
    EXPECT_TRUE(IsWindowVisible(window_)) << "creation shows the window";
}

TEST_F(Window, ClassAndStyle)
{
    EXPECT_EQ(GetClassLongPtrA(window_, GCL_STYLE), static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(window_, GCLP_HBRBACKGROUND)), GetStockObject(WHITE_BRUSH));
    const LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(GetMenu(window_), nullptr);
    char caption[64] = {};
    GetWindowTextA(window_, caption, sizeof caption);
    EXPECT_STREQ(caption, "Ombrasel(Ver2) by Dremvik");
    char name[64] = {};
    GetClassNameA(window_, name, sizeof name);
    EXPECT_STREQ(name, "Quorvane");
}

TEST_F(Window, CreationSetsCursorSumsAndDrawsTheBackBuffer)
{
    EXPECT_EQ(main_window, window_);
    EXPECT_EQ(solver_state.cursor_x, 13);
    EXPECT_EQ(solver_state.cursor_y, 12);
    EXPECT_EQ(solver_state.row_clue_sum, 38);
    EXPECT_EQ(solver_state.col_clue_sum, 38);
    EXPECT_EQ(client_rect.left, CLIENT.left);
    EXPECT_EQ(client_rect.top, CLIENT.top);
    EXPECT_EQ(client_rect.right, CLIENT.right);
    EXPECT_EQ(client_rect.bottom, CLIENT.bottom);

    BITMAP bitmap = {};
    ASSERT_NE(GetObjectA(back_bitmap, sizeof bitmap, &bitmap), 0);
    EXPECT_EQ(bitmap.bmWidth, CLIENT_SIZE);
    EXPECT_EQ(bitmap.bmHeight, CLIENT_SIZE);
    EXPECT_EQ(GetCurrentObject(back_dc, OBJ_BITMAP), back_bitmap);

    const Rect cursor = cell_interior(CURSOR_START_X, CURSOR_START_Y);
    const Point grid = centre(result_cell(13, 13));
    EXPECT_EQ(pixel(cursor.left, cursor.top), CURSOR_BACKGROUND);
    EXPECT_EQ(pixel(COLUMN_FRAME.left, 100), RED);
    EXPECT_EQ(pixel(grid.x, grid.y), WHITE);
    EXPECT_GT(count_other_than(cell_interior(12, 13), CLUE_BACKGROUND), 0) << "the sample's clues";
}

TEST_F(Window, SumsAreSetAsConstantsNotCounted)
{
    // Whatever the tables hold, creation starts both sums at 38.
    DestroyWindow(window_);
    UnregisterClassA(MAIN_CLASS_NAME, instance_);
    clear_clue_tables();
    ASSERT_NE(register_main_class(instance_), 0);
    window_ = create_main_window(instance_);
    ASSERT_NE(window_, nullptr);
    EXPECT_EQ(solver_state.row_clue_sum, 38);
    EXPECT_EQ(solver_state.col_clue_sum, 38);
}

TEST_F(Window, PaintCopiesTheWholeBackBuffer)
{
    const COLORREF marker = RGB(1, 2, 3);
    const POINT corners_and_bands[] = {{0, 0}, {LAST_PIXEL, LAST_PIXEL}, {380, 5}, {5, 700}};
    for (POINT p : corners_and_bands)
        SetPixel(back_dc, p.x, p.y, marker);
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);

    HDC screen = GetDC(window_);
    for (POINT p : corners_and_bands)
        EXPECT_EQ(GetPixel(screen, p.x, p.y) & 0xffffff, marker) << p.x << ", " << p.y;
    const Rect cursor = cell_interior(CURSOR_START_X, CURSOR_START_Y);
    const Point grid = centre(result_cell(1, 1));
    EXPECT_EQ(GetPixel(screen, cursor.left, cursor.top) & 0xffffff, CURSOR_BACKGROUND);
    EXPECT_EQ(GetPixel(screen, grid.x, grid.y) & 0xffffff, WHITE);
    ReleaseDC(window_, screen);
    EXPECT_EQ(pixel(LAST_PIXEL, LAST_PIXEL), marker) << "painting draws nothing into the back buffer";
}

TEST_F(Window, InputRefreshesTheWindowAtOnce)
{
    send(WM_CHAR, '9');
    HDC screen = GetDC(window_);
    const Rect cell = cell_interior(CURSOR_START_X, CURSOR_START_Y);
    int ink = 0;
    for (int y = cell.top; y < cell.bottom; ++y)
        for (int x = cell.left; x < cell.right; ++x)
            ink += (GetPixel(screen, x, y) & 0xffffff) != (GetPixel(back_dc, x, y) & 0xffffff);
    EXPECT_EQ(ink, 0) << "the window shows the back buffer after the edit";
    EXPECT_EQ(solver_state.col_clue_input[0][12], 9);
    ReleaseDC(window_, screen);
}

TEST_F(Window, DigitsDeleteArrowsAndClicksReachTheirHandlers)
{
    EXPECT_EQ(send(WM_CHAR, '7'), 0);
    EXPECT_EQ(solver_state.col_clue_input[0][12], 7);
    EXPECT_EQ(send(WM_CHAR, '0'), 0);
    EXPECT_EQ(solver_state.col_clue_input[0][12], 70);
    EXPECT_EQ(send(WM_KEYDOWN, VK_DELETE), 0);
    EXPECT_EQ(solver_state.col_clue_input[0][12], 0);
    EXPECT_EQ(send(WM_KEYDOWN, VK_UP), 0);
    EXPECT_EQ(solver_state.cursor_y, 11);
    EXPECT_EQ(send(WM_KEYDOWN, VK_RIGHT), 0);
    EXPECT_EQ(solver_state.cursor_x, 14);
    EXPECT_EQ(send(WM_KEYDOWN, VK_DOWN), 0);
    EXPECT_EQ(send(WM_KEYDOWN, VK_LEFT), 0);
    EXPECT_EQ(solver_state.cursor_x, 13);
    EXPECT_EQ(solver_state.cursor_y, 12);
    const Point slot = centre(cell_interior(16, 3));
    EXPECT_EQ(send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(slot.x, slot.y)), 0);
    EXPECT_EQ(solver_state.cursor_x, 16);
    EXPECT_EQ(solver_state.cursor_y, 3);
}

TEST_F(Window, OtherKeysAndCharactersChangeNothing)
{
    send(WM_CHAR, '5');
    const SolverState before = solver_state;
    send(WM_CHAR, 'a');
    send(WM_CHAR, '/');
    send(WM_CHAR, ':');
    send(WM_CHAR, '\b');
    send(WM_KEYDOWN, VK_BACK);
    send(WM_KEYDOWN, VK_HOME);
    send(WM_KEYDOWN, '5');  // a digit arrives as WM_CHAR, not as a key press
    EXPECT_EQ(std::memcmp(&before, &solver_state, sizeof before), 0);
}

TEST_F(Window, DestructionFreesTheBackBufferAndQuits)
{
    HDC dc = back_dc;
    HBITMAP bitmap = back_bitmap;
    ASSERT_NE(GetObjectType(dc), 0u);
    ASSERT_NE(GetObjectType(bitmap), 0u);
    DestroyWindow(window_);
    window_ = nullptr;
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    MSG message;
    bool quit = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message == WM_QUIT) {
            quit = true;
            EXPECT_EQ(message.wParam, 0u);
        }
    EXPECT_TRUE(quit);
}

// ---- WinMain ---------------------------------------------------------------------

HWND seen_window;
RECT seen_client;

void CALLBACK close_main_window(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    seen_window = FindWindowA("Quorvane", "Ombrasel(Ver2) by Dremvik");
    GetClientRect(seen_window, &seen_client);
    PostMessageA(seen_window, WM_CLOSE, 0, 0);
}

// Ends a message loop that should never have started.
void CALLBACK end_stray_loop(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    PostQuitMessage(99);
}

TEST(WinMain, RunsUntilTheWindowIsClosedAndReturnsZero)
{
    reset_solver_state();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    SetTimer(nullptr, 0, 200, close_main_window);
    char command_line[] = "";
    EXPECT_EQ(WinMain(instance, nullptr, command_line, SW_SHOWNORMAL), 0);
    EXPECT_NE(seen_window, nullptr);
    EXPECT_EQ(seen_client.right, CLIENT_SIZE);
    EXPECT_EQ(seen_client.bottom, CLIENT_SIZE);
    EXPECT_FALSE(IsWindow(seen_window));
    UnregisterClassA(MAIN_CLASS_NAME, instance);
}

TEST(WinMain, ReturnsNonZeroWhenTheClassCannotBeRegistered)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA taken = {};
    taken.cbSize = sizeof taken;
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = instance;
    taken.lpszClassName = "Quorvane";
    ASSERT_NE(RegisterClassExA(&taken), 0);
    const UINT_PTR guard = SetTimer(nullptr, 0, 3000, end_stray_loop);
    char command_line[] = "";
    EXPECT_EQ(WinMain(instance, nullptr, command_line, SW_SHOWNORMAL), EXIT_NO_CLASS);
    EXPECT_EQ(FindWindowA("Quorvane", nullptr), nullptr);
    KillTimer(nullptr, guard);
    UnregisterClassA("Quorvane", instance);
}

LRESULT CALLBACK refuse_windows(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HCBT_CREATEWND)
        return 1;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(WinMain, ReturnsNonZeroWhenTheWindowCannotBeCreated)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CBT, refuse_windows, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const UINT_PTR guard = SetTimer(nullptr, 0, 3000, end_stray_loop);
    char command_line[] = "";
    const int code = WinMain(instance, nullptr, command_line, SW_SHOWNORMAL);
    UnhookWindowsHookEx(hook);
    KillTimer(nullptr, guard);
    EXPECT_EQ(code, EXIT_NO_WINDOW);
    UnregisterClassA(MAIN_CLASS_NAME, instance);
}

}  // namespace
