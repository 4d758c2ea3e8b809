// Prints the layout's places for the end-to-end test, which reads the screen and clicks as a
// user would: one line a place, its name and then left, top, right and bottom (the right and
// bottom edges left out, as in the layout).
//   client | button I | status | column-sum | row-sum | slot col|row LINE SLOT | result R C
#include <cstdio>

#include "layout.h"

namespace {

void print(const char* name, const Rect& r)
{
    std::printf("%s %d %d %d %d\n", name, r.left, r.top, r.right, r.bottom);
}

// The clue slot that band cell (cx, cy) shows, found through the layout's own mapping.
void print_slot(int cx, int cy)
{
    const i32* entry = &clue_entry(cx, cy);
    const bool column = in_column_band(cy);
    const i32* table = column ? &solver_state.col_clue_input[0][0] : &solver_state.row_clue_input[0][0];
    const int index = static_cast<int>(entry - table);
    char name[32];
    std::snprintf(name, sizeof name, "slot %s %d %d", column ? "col" : "row", index / MAX_CLUES + 1,
                  index % MAX_CLUES);
    print(name, cell_interior(cx, cy));
}

}  // namespace

int main()
{
    print("client", CLIENT);
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "button %d", i);
        print(name, BUTTON_RECTS[i]);
    }
    print("status", STATUS_STRIP);
    print("column-sum", COLUMN_SUM);
    print("row-sum", ROW_SUM);
    for (int cy = 0; cy <= LAST_CELL; ++cy)
        for (int cx = 0; cx <= LAST_CELL; ++cx)
            if (COLUMN_BAND.contains(cell_to_pixel(cx), cell_to_pixel(cy)) ||
                ROW_BAND.contains(cell_to_pixel(cx), cell_to_pixel(cy)))
                print_slot(cx, cy);
    for (int r = 1; r <= MAX_LINES; ++r)
        for (int c = 1; c <= MAX_LINES; ++c) {
            char name[32];
            std::snprintf(name, sizeof name, "result %d %d", r, c);
            print(name, result_cell(r, c));
        }
    return 0;
}
