// Feeds one input to every reader and checks what comes back; shared by the fuzzer and
// the regression tests that replay its findings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "puzzle.h"
#include "readers.h"

// Returns what is wrong with the readers' answers to bytes, or an empty string.
inline std::string check_readers(std::string_view bytes)
{
    const struct {
        const char* file;
        std::optional<Format> format;
    } runs[] = {{"input.non", std::nullopt},
                {"input.xml", std::nullopt},
                {"input.txt", std::nullopt},
                {"input", std::nullopt},
                {"input", Format::non},
                {"input", Format::xml},
                {"input", Format::taai}};

    for (const auto& run : runs) {
        const auto items = read_puzzles(bytes, run.file, run.format);
        const std::string where = std::string(run.file) + (run.format ? " (forced format)" : "");
        if (items.empty()) return where + ": no puzzle and no error";
        for (const ReadItem& item : items) {
            if (const auto* error = std::get_if<ReadError>(&item)) {
                if (error->line && *error->line < 0) return where + ": negative line number";
                if (error->what.empty()) return where + ": error without a message";
                continue;
            }
            const Puzzle& p = std::get<Puzzle>(item);
            if (p.rows.empty() || p.rows.size() > 25 || p.cols.empty() || p.cols.size() > 25)
                return where + ": puzzle " + p.name + " has a size outside 1..25";
            if (p.file != run.file) return where + ": puzzle lost its file name";
            for (const auto* lines : {&p.rows, &p.cols})
                for (const auto& line : *lines) {
                    if (line.size() > 13) return where + ": more than 13 numbers in a line";
                    for (const int v : line)
                        if (v < 1 || v > 99) return where + ": clue number outside 1..99";
                }
            enter_puzzle(p);
        }
    }
    return {};
}
