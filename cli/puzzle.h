// A puzzle as read from a file, and its entry into the clue tables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct Puzzle {
    std::string file;   // the file it came from, "-" for standard input
    int index = 1;      // its number within the file (the "$N" number for the tournament format)
    std::string name;   // what reports call it
    std::vector<std::vector<int>> rows;  // top to bottom, each left to right
    std::vector<std::vector<int>> cols;  // left to right, each top to bottom
};

// Types the puzzle into the clue entry tables as a user would (every number in the
// slots nearest the grid), blanks the rest and sets both sums to the tables' totals.
// The caller has checked the limits: at most 25 rows and columns, 13 numbers a line.
void enter_puzzle(const Puzzle& puzzle);

// The clues alone, packed into a few bytes to be sent to a worker process, and unpacked there.
std::string pack_clues(const Puzzle& puzzle);
Puzzle unpack_clues(std::string_view packed);
