// The puzzle file readers: Simpson's .non, webpbn XML and the tournament "$" format.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "puzzle.h"

enum class Format { non, xml, taai };

// Why a puzzle (or a whole file) could not be read; line 0 stands for the file as a whole.
struct ReadError {
    int line = 0;
    std::string what;
};

// One entry per puzzle found, in file order: the puzzle or why it was skipped.
using ReadItem = std::variant<Puzzle, ReadError>;

std::optional<Format> format_from_name(std::string_view file);  // by suffix
std::optional<Format> format_from_text(std::string_view text);  // by the first thing in it

// Reads every puzzle of a file's bytes. The format is the given one, else the one the
// file name's suffix says, else the one the content shows. Every puzzle returned has
// 1 to 25 rows and columns and at most 13 numbers from 1 to 99 in each line.
std::vector<ReadItem> read_puzzles(std::string_view bytes, const std::string& file,
                                   std::optional<Format> format);

// The single readers, on text already checked for binary bytes and without a byte-order mark.
std::vector<ReadItem> read_non(std::string_view text, const std::string& file);
std::vector<ReadItem> read_xml(std::string_view text, const std::string& file);
std::vector<ReadItem> read_taai(std::string_view text, const std::string& file);
