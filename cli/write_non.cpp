// Writing a puzzle's clues as a .non file.
#include "writers.h"

std::string non_text(const Puzzle& puzzle)
{
    std::string text = "width " + std::to_string(puzzle.cols.size()) + "\nheight " +
                       std::to_string(puzzle.rows.size()) + "\n";
    for (const auto& [key, lines] : {std::pair{"rows", &puzzle.rows}, std::pair{"columns", &puzzle.cols}}) {
        text += '\n';
        text += key;
        text += '\n';
        for (const auto& clue : *lines) {
            if (clue.empty()) text += '0';
            for (std::size_t k = 0; k < clue.size(); ++k) {
                if (k) text += ',';
                text += std::to_string(clue[k]);
            }
            text += '\n';
        }
    }
    return text;
}
