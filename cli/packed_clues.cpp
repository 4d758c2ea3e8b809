// A puzzle's clues packed into a few bytes for a worker process, and unpacked there.
#include "packed_clues.h"

#include <cassert>

// Packed: the number of rows and of columns, then for each line its count and its numbers,
// a byte each (the readers keep them to TOOL_MAX_LINES lines and TOOL_MAX_CLUES numbers from 1
// to TOOL_MAX_LINES a line).
std::string pack_clues(const Puzzle& puzzle)
{
    std::string packed;
    packed += static_cast<char>(puzzle.rows.size());
    packed += static_cast<char>(puzzle.cols.size());
    for (const auto* lines : {&puzzle.rows, &puzzle.cols})
        for (const auto& clue : *lines) {
            packed += static_cast<char>(clue.size());
            for (const int v : clue) packed += static_cast<char>(v);
        }
    return packed;
}

Puzzle unpack_clues(std::string_view packed)
{
    std::size_t at = 0;
    const auto next = [&]() {
        assert(at < packed.size());
        return static_cast<int>(static_cast<unsigned char>(packed[at++]));
    };
    Puzzle puzzle;
    puzzle.rows.resize(static_cast<std::size_t>(next()));
    puzzle.cols.resize(static_cast<std::size_t>(next()));
    for (auto* lines : {&puzzle.rows, &puzzle.cols})
        for (auto& clue : *lines) {
            clue.resize(static_cast<std::size_t>(next()));
            for (int& v : clue) v = next();
        }
    assert(at == packed.size());
    return puzzle;
}
