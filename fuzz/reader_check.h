// Feeds one input to every reader and checks what comes back, and what the .non writer makes
// of every puzzle read; shared by the fuzzer and the regression tests that replay its findings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "readers.h"
#include "size_limits.h"
#include "writers.h"

// Whether every line's runs, with a cell between each two, fit in its length.
inline bool clues_fit(const Puzzle& p)
{
    for (const auto* lines : {&p.rows, &p.cols}) {
        const std::size_t length = lines == &p.rows ? p.cols.size() : p.rows.size();
        for (const auto& line : *lines) {
            std::size_t needed = line.empty() ? 0 : line.size() - 1;
            for (const int v : line) needed += static_cast<std::size_t>(v);
            if (needed > length) return false;
        }
    }
    return true;
}

// Whether the row and column clues fill as many cells, as a picture's do.
inline bool totals_agree(const Puzzle& p)
{
    long row_total = 0;
    long col_total = 0;
    for (const auto& line : p.rows)
        for (const int v : line) row_total += v;
    for (const auto& line : p.cols)
        for (const int v : line) col_total += v;
    return row_total == col_total;
}

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
                {"input", Format::taai},
                {"input.png", std::nullopt},
                {"input.pbm", std::nullopt},
                {"input", Format::png},
                {"input", Format::pbm}};

    for (const auto& run : runs) {
        const auto items = read_puzzles(bytes, run.file, run.format);
        const std::string where = std::string(run.file) + (run.format ? " (forced format)" : "");
        const auto format = run.format ? run.format : format_from_name(run.file);
        const bool picture = format == Format::png || format == Format::pbm;
        if (items.empty()) return where + ": no puzzle and no error";
        for (const ReadItem& item : items) {
            if (const auto* error = std::get_if<ReadError>(&item)) {
                if (error->line && *error->line < 0) return where + ": negative line number";
                if (error->what.empty()) return where + ": error without a message";
                if (format == Format::png && error->line) return where + ": a PNG error with a line";
                continue;
            }
            const Puzzle& p = std::get<Puzzle>(item);
            const auto most = static_cast<std::size_t>(TOOL_MAX_LINES);
            if (p.rows.empty() || p.rows.size() > most || p.cols.empty() || p.cols.size() > most)
                return where + ": puzzle " + p.name + " has a size outside the tool's";
            if (p.file != run.file) return where + ": puzzle lost its file name";
            for (const auto* lines : {&p.rows, &p.cols})
                for (const auto& line : *lines) {
                    if (line.size() > static_cast<std::size_t>(TOOL_MAX_CLUES))
                        return where + ": more numbers in a line than the tool takes";
                    for (const int v : line)
                        if (v < 1 || v > TOOL_MAX_LINES) return where + ": clue number outside the tool's";
                }
            if (!clues_fit(p)) return where + ": puzzle " + p.name + " has a clue that cannot fit its line";
            if (picture && (items.size() != 1 || p.name != "input" || !totals_agree(p)))
                return where + ": a picture's puzzle is not one that can be drawn";
            const auto written = read_puzzles(non_text(p), "written.non", Format::non);
            const auto* back = written.size() == 1 ? std::get_if<Puzzle>(&written[0]) : nullptr;
            if (!back || back->rows != p.rows || back->cols != p.cols)
                return where + ": puzzle " + p.name + " does not read back from its .non text";
        }
    }
    return {};
}
