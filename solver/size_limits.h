// The sizes of puzzle the solver is built for. The window's clue tables hold 25 rows and columns;
// the command-line tool takes puzzles up to TOOL_MAX_LINES on a side. Both builds run the same
// algorithms: the core is compiled once for each size.
#pragma once

constexpr int WINDOW_MAX_LINES = 25;  // rows, and columns
constexpr int WINDOW_MAX_CLUES = 13;  // clue numbers a line, as the window's tables hold them
constexpr int WINDOW_MAX_CLUE_VALUE = 99;

constexpr int TOOL_MAX_LINES = 128;
constexpr int TOOL_MAX_CLUES = (TOOL_MAX_LINES + 1) / 2;  // as many as a line of that length can hold
