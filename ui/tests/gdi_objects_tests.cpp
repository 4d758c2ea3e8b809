// Drawing and editing many times over must not leave GDI objects behind.
#include <windows.h>

#include <gtest/gtest.h>

#include "draw.h"
#include "gdi_count.h"
#include "input.h"
#include "screen_test.h"

namespace {

class GdiObjects : public MainWindow {};

TEST_F(GdiObjects, CounterSeesObjectsComeAndGo)
{
    const long before = gdi_objects();
    ASSERT_GT(before, 0);
    HBRUSH brushes[10];
    for (HBRUSH& b : brushes)
        b = CreateSolidBrush(RGB(1, 2, 3));
    HFONT font = CreateFontA(18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 2, 49, nullptr);
    EXPECT_EQ(gdi_objects(), before + 11);
    for (HBRUSH b : brushes)
        DeleteObject(b);
    DeleteObject(font);
    EXPECT_EQ(gdi_objects(), before);
}

TEST_F(GdiObjects, FullRedrawsDoNotGrowTheCount)
{
    solver_state.result_grid[0][0] = MARK_EMPTY;
    solver_state.result_grid[0][1] = MARK_FILLED;
    solver_state.result_grid[0][2] = MARK_EMPTY_DIFFERS;
    solver_state.result_grid[0][3] = MARK_FILLED_DIFFERS;
    solver_state.status = STATUS_SEVERAL;
    draw_screen();
    const long before = gdi_objects();
    for (int i = 0; i < 100; ++i) {
        solver_state.status = 1 + i % 4;
        draw_screen();
        refresh();
    }
    EXPECT_EQ(gdi_objects(), before);
}

TEST_F(GdiObjects, EditsClearAndStartDoNotGrowTheCount)
{
    send(WM_CHAR, '1');
    const long before = gdi_objects();
    for (int i = 0; i < 20; ++i) {
        send(WM_CHAR, '2');
        send(WM_KEYDOWN, VK_UP);
        send(WM_KEYDOWN, VK_DELETE);
        send(WM_KEYDOWN, VK_DOWN);
        click(centre(BUTTON_RECTS[1]));
        click(centre(cell_interior(15, 5)));  // a slot
        click(centre(BUTTON_RECTS[BUTTON_START]));
        click(centre(RESULT_GRID));
    }
    click(centre(BUTTON_RECTS[BUTTON_CLEAR]));
    EXPECT_EQ(gdi_objects(), before);
}

}  // namespace
