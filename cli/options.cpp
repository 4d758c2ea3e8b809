// The command line of ombrasel-solve: its options, their checks, --help and the exit codes.
#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr double MAX_TIMEOUT = 1e6;  // seconds, over eleven days

const char* const VERSION_TEXT = "ombrasel-solve 2.0.0\n";

const char* const HELP_TEXT = R"(Usage: ombrasel-solve [options] FILE...
Solves nonograms of up to 128 x 128 cells and tells for each whether it has one
solution, none or several. FILE "-" reads standard input.

Options:
  --format FMT  read every file as FMT: non, xml, taai, png or pbm (default: by
                the file name's suffix, else by what the file starts with)
  --uniqueness  answer only whether there is no solution, one or several,
                stopping at a second solution: faster; shows two solutions
                that differ instead of every cell that varies (see below)
  --engine ENG  the last stage of the solver: learning (the default) or
                exhaustive; both give the same verdict and full answer
  --json        print one JSON object a puzzle, one a line, instead of text
  --stats       add the solver's counters for each puzzle
  --clues DIR   write the clues of every puzzle read to DIR/NAME.non (NAME as
                on its verdict line); DIR is made if it is missing
  --svg DIR     write a picture of every answer to DIR/NAME.svg: the clues,
                the first solution with the cells that differ in red, and the
                verdict (for no solution, the clues and an empty grid; with
                --uniqueness, the two solutions side by side)
  -j, --jobs N  solve N puzzles at a time, each in a process of its own
                (default: the number of processors); the output is the same
                as with -j 1, in the order of the input
  --timeout S   stop a puzzle once it has used S seconds of processor time
                (decimals allowed; default: no limit) and report what is known
                by then, marked incomplete; the other puzzles are still solved
  -h, --help    print this help and exit
  --version     print the version and exit

Formats:
  non   Simpson's .non: "width" and "height" lines, then a "rows" and a
        "columns" section, one clue line a line, numbers separated by commas,
        0 or a blank line for an empty line; other keys are skipped
  xml   webpbn XML (.xml), black-and-white puzzles only
  taai  tournament "$" format (.txt): "$n", then N column clue lines and N row
        clue lines of an N x N puzzle, numbers separated by tabs or spaces, a
        blank line for an empty line; several puzzles a file
  png   a PNG picture (.png) of at most 128 x 128 pixels, one pixel a cell; a
        pixel is filled when it is dark: luminance (0.2126 R + 0.7152 G +
        0.0722 B) below one half, over white by its alpha, so a transparent
        pixel is empty; the puzzle's clues are the runs of filled pixels and
        its name is the file name without the suffix
  pbm   a PBM bitmap (.pbm), plain (P1) or raw (P4), 1 for a filled cell;
        otherwise as png
  In non, xml and taai, CRLF and CR line ends and a UTF-8 byte-order mark are
  accepted. A puzzle has at most 128 rows and columns and 64 numbers from 1
  to 128 a line, and each clue must fit its line (its numbers with one empty
  cell between each two).

Output: for each puzzle a line "NAME (FILE): VERDICT, difficulty WORD,
SECONDS s", VERDICT being "unique", "no solution", "several solutions" or
"out of time" (without a difficulty), then, unless there is no solution or the
time ran out before one was found, the first solution, one text line a row:
  #  filled                  .  empty
  X  filled here, empty in another solution
  x  empty here, filled in another solution
With --uniqueness the solution follows only for "unique"; for "several
solutions" two solutions that differ follow, a blank line between them: the
first with X and x where the second differs, then the second with # and .
alone.
A puzzle stopped by --timeout says ", incomplete: stopped at the time limit
with N open cells not sorted" after its verdict (the verdict "several
solutions" when two solutions were found, else "out of time"), and shows the
solution found last, not always the first, with the cells found to vary so far.
The difficulty is the stage after which the answer was known:
  line      line propagation alone decided every cell (or the clue sums
            differ)
  probing   also trying both values of single cells against their lines
  guessing  also trying both values of cells next to decided ones, each
            followed through the whole grid
  search    also the last stage; always so for several solutions
For "no solution" it is the stage that found the contradiction.
--json prints instead "file", "index", "name", "status" (2 unique, 3 no
solution, 4 several, 1 out of time: stopped while searching), "verdict",
"complete" (false, only for a puzzle stopped by --timeout), "difficulty" (not
when out of time), "height", "width", "unsorted" (with "complete": the open
cells not yet sorted),
"result_grid" (a string of digits a row: 1 empty, 2 filled, 3 empty and 4
filled with another solution differing, 0 unmarked: no solution, out of time,
or beyond the last row or column with clues), "seconds" and "cpu_seconds"
(the solver's wall and processor time); with --stats also the solver's
counters, as the text output names them. With --uniqueness "solutions"
replaces "result_grid": a list of no grid, one (unique) or two (several),
each a list of row strings of # (filled) and . (empty).

Engines: both run line propagation, probing and guessing first, and both
find the same first solution (row-major, empty before filled) and the same
cells in which another solution differs. With --uniqueness the learning
engine asks for any solution and then for one that differs from it, and the
exhaustive one stops at its second solution, so the two solutions they show
may differ; the verdict never does.
  learning    existence searches with clause learning over the open cells:
              first the first solution cell by cell, then which cells take
              both values over all solutions (that first, when the first
              solution is hard to find); fast on large puzzles
  exhaustive  a depth-first search over every assignment in row-major
              order with probing at every node; can take hours on large
              puzzles with few cells fixed by the first stages

With more than one puzzle (bad ones included), standard error shows a
progress line while they are solved, when it is a terminal, and a summary at
the end: the count of each verdict, bad inputs and time-outs, and the
processor and wall time in all.

Exit status (of 1, 2 and 3, the smallest that applies):
  0  every puzzle got a verdict
  1  the solver failed on a puzzle (a fault of this program)
  2  bad usage, a file or puzzle could not be read, or a file of --clues or
     --svg could not be written; each such problem is reported on standard
     error as FILE:LINE: message (line 0: the whole file; a PNG, or the pixels
     of a raw PBM, as FILE: message) and the other puzzles are still solved
  3  a puzzle ran out of time (--timeout)
)";

std::optional<Format> format_named(std::string_view name)
{
    if (name == "non") return Format::non;
    if (name == "xml") return Format::xml;
    if (name == "taai") return Format::taai;
    if (name == "png") return Format::png;
    if (name == "pbm") return Format::pbm;
    return std::nullopt;
}

// When arg is the option `name`, or `letter` if there is one, stores its value and returns
// true. The value is the next argument, or follows "=" (or, after the letter, comes right
// after it); when it is missing, value is empty.
bool option_value(const std::string& arg, std::string_view name, std::string_view letter, std::size_t& i,
                  const std::vector<std::string>& arguments, std::string& value)
{
    value.clear();
    if (arg == name || (!letter.empty() && arg == letter)) {
        if (i + 1 < arguments.size()) value = arguments[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (!letter.empty() && arg.size() > letter.size() && arg.compare(0, letter.size(), letter) == 0) {
        value = arg.substr(letter.size());
        return true;
    }
    return false;
}

std::optional<int> parse_jobs(const std::string& text)
{
    if (text.empty() || text.size() > 4) return std::nullopt;
    int n = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        n = n * 10 + (ch - '0');
    }
    if (n < 1 || n > MAX_JOBS) return std::nullopt;
    return n;
}

// Digits with at most one decimal point: no sign, exponent, "inf" or "nan".
std::optional<double> parse_seconds(const std::string& text)
{
    int digits = 0;
    int points = 0;
    for (const char ch : text) {
        if (ch >= '0' && ch <= '9') ++digits;
        else if (ch == '.') ++points;
        else return std::nullopt;
    }
    if (digits == 0 || points > 1 || text.size() > 20) return std::nullopt;
    const double seconds = std::strtod(text.c_str(), nullptr);
    if (!(seconds > 0) || seconds > MAX_TIMEOUT) return std::nullopt;
    return seconds;
}

}  // namespace

void usage_error(const std::string& what)
{
    std::fprintf(stderr, "ombrasel-solve: %s (see --help)\n", what.c_str());
}

std::optional<int> parse_options(const std::vector<std::string>& arguments, Options& options)
{
    bool only_files = false;
    std::string value;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (only_files || arg == "-" || arg.empty() || arg[0] != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            only_files = true;
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(HELP_TEXT, stdout);
            return EXIT_ALL_SOLVED;
        } else if (arg == "--version") {
            std::fputs(VERSION_TEXT, stdout);
            return EXIT_ALL_SOLVED;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--stats") {
            options.stats = true;
        } else if (arg == "--uniqueness") {
            options.solver.question = QUESTION_UNIQUENESS;
        } else if (option_value(arg, "--engine", "", i, arguments, value)) {
            if (value == "learning") {
                options.solver.engine = ENGINE_LEARNING;
            } else if (value == "exhaustive") {
                options.solver.engine = ENGINE_EXHAUSTIVE;
            } else {
                usage_error("--engine needs learning or exhaustive, not '" + value + "'");
                return EXIT_BAD_INPUT;
            }
        } else if (option_value(arg, "--jobs", "-j", i, arguments, value)) {
            const auto jobs = parse_jobs(value);
            if (!jobs) {
                usage_error("-j needs a whole number of puzzles at a time from 1 to 256, not '" +
                            value + "'");
                return EXIT_BAD_INPUT;
            }
            options.jobs = *jobs;
        } else if (option_value(arg, "--timeout", "", i, arguments, value)) {
            const auto seconds = parse_seconds(value);
            if (!seconds) {
                usage_error("--timeout needs a number of seconds above 0 such as 10 or 0.5, not '" +
                            value + "'");
                return EXIT_BAD_INPUT;
            }
            options.timeout = *seconds;
            options.solver.cpu_limit = *seconds;
        } else if (option_value(arg, "--clues", "", i, arguments, value) ||
                   option_value(arg, "--svg", "", i, arguments, value)) {
            const bool clues = arg.rfind("--clues", 0) == 0;
            if (value.empty()) {
                usage_error(std::string(clues ? "--clues" : "--svg") + " needs a folder");
                return EXIT_BAD_INPUT;
            }
            (clues ? options.clues_dir : options.svg_dir) = value;
        } else if (arg == "--format" || arg.rfind("--format=", 0) == 0) {
            std::string name;
            if (arg == "--format") {
                if (i + 1 == arguments.size()) {
                    usage_error("--format needs non, xml, taai, png or pbm");
                    return EXIT_BAD_INPUT;
                }
                name = arguments[++i];
            } else {
                name = arg.substr(9);
            }
            options.format = format_named(name);
            if (!options.format) {
                usage_error("unknown format '" + name + "'; use non, xml, taai, png or pbm");
                return EXIT_BAD_INPUT;
            }
        } else {
            usage_error("unknown option '" + arg + "'");
            return EXIT_BAD_INPUT;
        }
    }
    if (options.files.empty()) {
        usage_error("no puzzle file given");
        return EXIT_BAD_INPUT;
    }
    return std::nullopt;
}
