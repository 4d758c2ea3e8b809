// The puzzle file readers: Simpson's .non, webpbn XML and the tournament "$" format, and
// black-and-white pictures (PNG, PBM) whose clues are derived from their pixels.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "puzzle.h"

enum class Format { non, xml, taai, png, pbm };

// Why a puzzle (or a whole file) could not be read; line 0 stands for the file as a whole,
// no line for a place in a format without lines (a PNG, the bytes of a raw PBM).
struct ReadError {
    std::optional<int> line = 0;
    std::string what;
};

// "FILE:LINE: what", or "FILE: what" without a line.
std::string error_text(const std::string& file, const ReadError& error);

// One entry per puzzle found, in file order: the puzzle or why it was skipped.
using ReadItem = std::variant<Puzzle, ReadError>;

std::optional<Format> format_from_name(std::string_view file);       // by suffix
std::optional<Format> format_from_signature(std::string_view bytes);  // a picture's magic bytes
std::optional<Format> format_from_text(std::string_view text);       // by the first thing in it

// Reads every puzzle of a file's bytes. The format is the given one, else the one the
// file name's suffix says, else the one the content shows. Every puzzle returned has
// 1 to TOOL_MAX_LINES rows and columns and at most TOOL_MAX_CLUES numbers from 1 to
// TOOL_MAX_LINES in each line, and each clue fits its line; one read from a picture has that
// picture as a solution.
std::vector<ReadItem> read_puzzles(std::string_view bytes, const std::string& file,
                                   std::optional<Format> format);

// The single readers, on text already checked for binary bytes and without a byte-order mark.
std::vector<ReadItem> read_non(std::string_view text, const std::string& file);
std::vector<ReadItem> read_xml(std::string_view text, const std::string& file);
std::vector<ReadItem> read_taai(std::string_view text, const std::string& file);

// ---- pictures -------------------------------------------------------------------------

// A black-and-white drawing, one pixel a cell, each true for a dark pixel.
struct Picture {
    int width;
    int height;
    std::vector<bool> filled;  // row by row, the pixel (row, column) at cell(row, column)

    Picture(int w, int h) : width(w), height(h), filled(static_cast<std::size_t>(w * h)) {}
    std::size_t cell(int row, int column) const { return static_cast<std::size_t>(row * width + column); }
};

// The picture readers, on a file's bytes as they are; each gives one puzzle or one error.
std::vector<ReadItem> read_png(std::string_view bytes, const std::string& file);
std::vector<ReadItem> read_pbm(std::string_view bytes, const std::string& file);

// Why a picture of this size cannot be a puzzle (no pixels, or wider or taller than
// TOOL_MAX_LINES), if it cannot.
std::optional<std::string> picture_size_problem(long long width, long long height);

// The puzzle whose clues are the runs of the picture's filled pixels, named after the file.
Puzzle puzzle_of_picture(const Picture& picture, const std::string& file);
