// Prints the clue entries the program starts with, one line per row and per column, for the
// end-to-end test: "row R" or "col C" and then slots 0 to 12.
#include <cstdio>

#include "state.h"

int main()
{
    for (int line = 0; line < MAX_LINES; ++line) {
        std::printf("row %d", line + 1);
        for (i32 entry : solver_state.row_clue_input[line])
            std::printf(" %d", static_cast<int>(entry));
        std::printf("\ncol %d", line + 1);
        for (i32 entry : solver_state.col_clue_input[line])
            std::printf(" %d", static_cast<int>(entry));
        std::printf("\n");
    }
    return 0;
}
