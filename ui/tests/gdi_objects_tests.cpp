// Drawing and editing many times over must not leave GDI objects behind.
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "draw.h"
#include "input.h"
#include "screen_test.h"

namespace {

// The live GDI objects of this process. Wine's GetGuiResources is a stub that returns 0
// (ERROR_CALL_NOT_IMPLEMENTED); there the process's GDI handle table, which the PEB
// points to as on Windows, is counted instead: 65536 entries of 24 bytes, the entry's
// object type at byte 14, 0 for a free entry.
long gdi_objects()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
        return static_cast<long>(reported);

    constexpr std::size_t PEB_GDI_HANDLE_TABLE = 0xf8;
    constexpr std::size_t ENTRY_SIZE = 24;
    constexpr std::size_t ENTRY_TYPE = 14;
    constexpr std::size_t ENTRIES = 0x10000;
    PROCESS_BASIC_INFORMATION process = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof process, nullptr) != 0)
        return -1;
    const auto* peb = reinterpret_cast<const unsigned char*>(process.PebBaseAddress);
    const unsigned char* table = nullptr;
    std::memcpy(&table, peb + PEB_GDI_HANDLE_TABLE, sizeof table);
    if (!table)
        return -1;
    long live = 0;
    for (std::size_t i = 0; i < ENTRIES; ++i)
        live += table[i * ENTRY_SIZE + ENTRY_TYPE] != 0;
    return live;
}

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
        on_left_click(60, 10);    // value button 1
        on_left_click(300, 100);  // a slot
        on_left_click(200, 200);  // START
        on_left_click(500, 500);
    }
    on_left_click(100, 200);  // CLEAR
    EXPECT_EQ(gdi_objects(), before);
}

}  // namespace
