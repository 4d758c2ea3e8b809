// Entering a read puzzle into the clue tables, the same way the clue editor does.
#include "puzzle.h"

#include <cassert>

#include "state.h"

namespace {

void enter_lines(const std::vector<std::vector<int>>& lines, i32 (&input)[MAX_LINES][MAX_CLUES],
                 i32& sum)
{
    assert(lines.size() <= MAX_LINES);
    for (auto& line : input)
        for (i32& slot : line) slot = 0;
    sum = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& clue = lines[i];
        assert(clue.size() <= MAX_CLUES);
        const std::size_t first = MAX_CLUES - clue.size();
        for (std::size_t k = 0; k < clue.size(); ++k) {
            input[i][first + k] = clue[k];
            sum += clue[k];
        }
    }
}

}  // namespace

void enter_puzzle(const Puzzle& puzzle)
{
    SolverState& s = solver_state;
    enter_lines(puzzle.rows, s.row_clue_input, s.row_clue_sum);
    enter_lines(puzzle.cols, s.col_clue_input, s.col_clue_sum);
}

// Packed: the number of rows and of columns, then for each line its count and its numbers,
// a byte each (the readers keep them to 25 lines and 13 numbers from 1 to 99 a line).
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
