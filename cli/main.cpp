// ombrasel-solve: solves the puzzles of nonogram files and reports each one's verdict.
//
// This file owns the command line, the files, the words printed for each verdict and the
// exit codes; the readers only turn bytes into puzzles, the solver only solves, in worker
// processes (workers.h) that each have a solver state of their own.
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "packed_clues.h"
#include "progress.h"
#include "readers.h"
#include "any_size.h"
#include "workers.h"
#include "writers.h"

namespace {

constexpr int EXIT_ALL_SOLVED = 0;
constexpr int EXIT_SOLVER_FAILURE = 1;  // a status other than a verdict: a fault of ours
constexpr int EXIT_BAD_INPUT = 2;       // bad usage, or a file or puzzle that could not be read
constexpr int EXIT_OUT_OF_TIME = 3;     // some puzzle used up its processor time

constexpr int MAX_JOBS = 256;
constexpr double MAX_TIMEOUT = 1e6;  // seconds, over eleven days

constexpr std::size_t MAX_FILE_BYTES = 64u << 20;

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
                (decimals allowed; default: no limit) and report it as out of
                time; the other puzzles are still solved
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
time ran out, the first solution, one text line a row:
  #  filled                  .  empty
  X  filled here, empty in another solution
  x  empty here, filled in another solution
With --uniqueness the solution follows only for "unique"; for "several
solutions" two solutions that differ follow one after the other: the first
with X and x where the second differs, then the second with # and . alone.
The difficulty is the stage after which the answer was known:
  line      line propagation alone decided every cell (or the clue sums
            differ)
  probing   also trying both values of single cells against their lines
  guessing  also trying both values of cells next to decided ones, each
            followed through the whole grid
  search    also the last stage; always so for several solutions
For "no solution" it is the stage that found the contradiction.
--json prints instead "file", "index", "name", "status" (2 unique, 3 no
solution, 4 several, 1 out of time: stopped while searching, and then without
counters), "verdict", "difficulty" (not when out of time), "height", "width",
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

struct Options {
    std::optional<Format> format;
    bool json = false;
    bool stats = false;
    SolverOptions solver;  // sent to the workers with each puzzle
    int jobs = 0;        // 0: one a processor
    double timeout = 0;  // processor seconds a puzzle; 0: no limit
    std::string clues_dir;  // --clues, when given
    std::string svg_dir;    // --svg, when given
    std::vector<std::string> files;
};

// The folders that --clues and --svg write into, when asked for.
struct Outputs {
    std::optional<OutputFolder> clues;
    std::optional<OutputFolder> svg;
    int failures() const { return (clues ? clues->failures() : 0) + (svg ? svg->failures() : 0); }
};

// A puzzle stopped at its time limit is reported with the status the solver had then.
constexpr i32 STATUS_OUT_OF_TIME = STATUS_SEARCHING;

const char* verdict_text(i32 status)
{
    if (status == STATUS_FINISHED) return "unique";
    if (status == STATUS_INVALID) return "no solution";
    if (status == STATUS_SEVERAL) return "several solutions";
    return nullptr;
}

const char* difficulty_text(i32 difficulty)
{
    if (difficulty == DIFFICULTY_LINE) return "line";
    if (difficulty == DIFFICULTY_PROBING) return "probing";
    if (difficulty == DIFFICULTY_GUESSING) return "guessing";
    if (difficulty == DIFFICULTY_SEARCH) return "search";
    return nullptr;
}

char mark_char(i32 mark)
{
    if (mark == MARK_FILLED) return '#';
    if (mark == MARK_FILLED_DIFFERS) return 'X';
    if (mark == MARK_EMPTY_DIFFERS) return 'x';
    return '.';
}

// Whether a cell is filled in the first (0) or the second (1) of the two solutions that a
// uniqueness answer carries in its marks: the second differs from the first where they differ.
bool filled_in(i32 mark, int solution)
{
    if (mark == MARK_FILLED) return true;
    if (mark == MARK_FILLED_DIFFERS) return solution == 0;
    if (mark == MARK_EMPTY_DIFFERS) return solution == 1;
    return false;
}

std::optional<Format> format_named(std::string_view name)
{
    if (name == "non") return Format::non;
    if (name == "xml") return Format::xml;
    if (name == "taai") return Format::taai;
    if (name == "png") return Format::png;
    if (name == "pbm") return Format::pbm;
    return std::nullopt;
}

void usage_error(const std::string& what)
{
    std::fprintf(stderr, "ombrasel-solve: %s (see --help)\n", what.c_str());
}

// When arg is the option `name`, or `letter` if there is one, stores its value and returns
// true. The value is the next argument, or follows "=" (or, after the letter, comes right
// after it); when it is missing, value is empty.
bool option_value(const std::string& arg, std::string_view name, std::string_view letter, int& i,
                  int argc, char** argv, std::string& value)
{
    value.clear();
    if (arg == name || (!letter.empty() && arg == letter)) {
        if (i + 1 < argc) value = argv[++i];
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

// Returns an exit code when the command line asks for nothing to be solved.
std::optional<int> parse_options(int argc, char** argv, Options& options)
{
    bool only_files = false;
    std::string value;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
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
        } else if (option_value(arg, "--engine", "", i, argc, argv, value)) {
            if (value == "learning") {
                options.solver.engine = ENGINE_LEARNING;
            } else if (value == "exhaustive") {
                options.solver.engine = ENGINE_EXHAUSTIVE;
            } else {
                usage_error("--engine needs learning or exhaustive, not '" + value + "'");
                return EXIT_BAD_INPUT;
            }
        } else if (option_value(arg, "--jobs", "-j", i, argc, argv, value)) {
            const auto jobs = parse_jobs(value);
            if (!jobs) {
                usage_error("-j needs a whole number of puzzles at a time from 1 to 256, not '" +
                            value + "'");
                return EXIT_BAD_INPUT;
            }
            options.jobs = *jobs;
        } else if (option_value(arg, "--timeout", "", i, argc, argv, value)) {
            const auto seconds = parse_seconds(value);
            if (!seconds) {
                usage_error("--timeout needs a number of seconds above 0 such as 10 or 0.5, not '" +
                            value + "'");
                return EXIT_BAD_INPUT;
            }
            options.timeout = *seconds;
        } else if (option_value(arg, "--clues", "", i, argc, argv, value) ||
                   option_value(arg, "--svg", "", i, argc, argv, value)) {
            const bool clues = arg.rfind("--clues", 0) == 0;
            if (value.empty()) {
                usage_error(std::string(clues ? "--clues" : "--svg") + " needs a folder");
                return EXIT_BAD_INPUT;
            }
            (clues ? options.clues_dir : options.svg_dir) = value;
        } else if (arg == "--format" || arg.rfind("--format=", 0) == 0) {
            std::string name;
            if (arg == "--format") {
                if (i + 1 == argc) {
                    usage_error("--format needs non, xml, taai, png or pbm");
                    return EXIT_BAD_INPUT;
                }
                name = argv[++i];
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

// Reads a whole file, or standard input for "-"; on failure returns why.
std::optional<std::string> read_bytes(const std::string& file, std::string& bytes)
{
    const bool is_stdin = file == "-";
    std::FILE* in = is_stdin ? stdin : std::fopen(file.c_str(), "rb");
    if (!in) return std::string("cannot open: ") + std::strerror(errno);
    bytes.clear();
    char buffer[1 << 16];
    std::optional<std::string> error;
    while (true) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        bytes.append(buffer, got);
        if (bytes.size() > MAX_FILE_BYTES) {
            error = "file too large (more than 64 MiB)";
            break;
        }
        if (got < sizeof buffer) {
            if (std::ferror(in)) error = std::string("cannot read: ") + std::strerror(errno);
            break;
        }
    }
    if (!is_stdin) std::fclose(in);
    return error;
}

void append_json_string(std::string& out, std::string_view s)
{
    out += '"';
    for (const char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (b < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
            out += escaped;
        } else {
            out += ch;
        }
    }
    out += '"';
}

// Processor seconds used by this thread, which is the one the solver runs on. The
// thread's clock stays exact where the process's is sampled coarsely (under a CPU
// time limit, for one).
double cpu_now()
{
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
#else
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

// ---- one puzzle, solved in a worker -------------------------------------------------

// What a worker is sent: the options, then the packed clues.
static_assert(std::is_trivially_copyable_v<SolverOptions>, "options travel as their bytes");

std::string request_for(const SolverOptions& solver, const Puzzle& puzzle)
{
    return std::string(reinterpret_cast<const char*>(&solver), sizeof solver) + pack_clues(puzzle);
}

// What a worker sends back: the verdict, the counters and the times, then the picture's marks,
// a byte a cell, row by row.
struct AnswerHead {
    i32 status;
    i32 difficulty;
    SolverStats stats;
    double seconds;      // the solver's wall time
    double cpu_seconds;  // and its processor time
};
static_assert(std::is_trivially_copyable_v<AnswerHead>, "an answer travels as its bytes");

struct Answer {
    AnswerHead head{};
    std::vector<i32> marks;  // the puzzle's height times its width, MARK_NONE when out of time

    i32 mark(int r, int c, int width) const { return marks[static_cast<std::size_t>(r * width + c)]; }
};

// Runs in a worker: solves the puzzle of a request and packs the answer.
std::string solve_request(std::string_view request)
{
    SolverOptions solver;
    std::memcpy(&solver, request.data(), sizeof solver);
    const Puzzle puzzle = unpack_clues(request.substr(sizeof solver));
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_now();
    const SolvedPuzzle solved = solve_any_size(puzzle, solver);
    AnswerHead head{};
    head.cpu_seconds = cpu_now() - cpu_start;
    head.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    head.status = solved.status;
    head.difficulty = solved.difficulty;
    head.stats = solved.stats;
    std::string bytes(reinterpret_cast<const char*>(&head), sizeof head);
    for (const i32 mark : solved.marks) bytes += static_cast<char>(mark);
    return bytes;
}

// ---- the batch ----------------------------------------------------------------------

// A puzzle of the input, or a problem met in reading it, in input order.
struct Entry {
    std::string error;  // a bad input's message, without the line end; else a puzzle:
    std::string file;
    int index = 0;
    std::string name;
    int height = 0;
    int width = 0;
    std::string request;  // the options and its clues, for a worker
    bool done = false;   // what is to be written is ready:
    std::string out;     // for standard output
    std::string err;     // for standard error
};

std::vector<Entry> read_entries(const Options& options, Outputs& outputs)
{
    std::vector<Entry> entries;
    std::string bytes;
    for (const std::string& file : options.files) {
        if (const auto error = read_bytes(file, bytes)) {
            entries.push_back({});
            entries.back().error = file + ":0: " + *error;
            continue;
        }
        for (const ReadItem& item : read_puzzles(bytes, file, options.format)) {
            Entry& e = entries.emplace_back();
            if (const auto* error = std::get_if<ReadError>(&item)) {
                e.error = error_text(file, *error);
                continue;
            }
            const Puzzle& puzzle = std::get<Puzzle>(item);
            e.file = puzzle.file;
            e.index = puzzle.index;
            e.name = puzzle.name;
            e.height = static_cast<int>(puzzle.rows.size());
            e.width = static_cast<int>(puzzle.cols.size());
            e.request = request_for(options.solver, puzzle);
            if (outputs.clues)
                if (const auto problem = outputs.clues->write(puzzle.name, non_text(puzzle)))
                    e.err += *problem + "\n";
        }
    }
    return entries;
}

// What a report of one puzzle needs to know, worked out once for both forms.
struct ReportFacts {
    bool out_of_time;
    const char* verdict;
    const char* difficulty;  // none when out of time
    bool stats;              // a stopped worker leaves no counters
    bool uniqueness;
    int solutions;           // shown by a uniqueness answer: the solution, or two that differ
};

ReportFacts facts_of(const Answer& answer, const Options& options)
{
    ReportFacts f{};
    f.out_of_time = answer.head.status == STATUS_OUT_OF_TIME;
    f.verdict = f.out_of_time ? "out of time" : verdict_text(answer.head.status);
    f.difficulty = f.out_of_time ? nullptr : difficulty_text(answer.head.difficulty);
    f.stats = options.stats && !f.out_of_time;
    f.uniqueness = options.solver.question == QUESTION_UNIQUENESS;
    f.solutions = !f.uniqueness || f.out_of_time || answer.head.status == STATUS_INVALID ? 0
                  : answer.head.status == STATUS_SEVERAL                                 ? 2
                                                                                    : 1;
    return f;
}

std::string json_report(const Entry& puzzle, const Answer& answer, const ReportFacts& f)
{
    const int height = puzzle.height;
    const int width = puzzle.width;
    char number[64];
    std::string out = "{\"file\":";
    append_json_string(out, puzzle.file);
    out += ",\"index\":" + std::to_string(puzzle.index) + ",\"name\":";
    append_json_string(out, puzzle.name);
    out += ",\"status\":" + std::to_string(answer.head.status) + ",\"verdict\":";
    append_json_string(out, f.verdict);
    if (f.difficulty) out += std::string(",\"difficulty\":\"") + f.difficulty + '"';
    out += ",\"height\":" + std::to_string(height) + ",\"width\":" + std::to_string(width);
    if (f.uniqueness) {
        out += ",\"solutions\":[";
        for (int k = 0; k < f.solutions; ++k) {
            out += k ? ",[" : "[";
            for (int r = 0; r < height; ++r) {
                out += r ? ",\"" : "\"";
                for (int c = 0; c < width; ++c) out += filled_in(answer.mark(r, c, width), k) ? '#' : '.';
                out += '"';
            }
            out += ']';
        }
    } else {
        out += ",\"result_grid\":[";
        for (int r = 0; r < height; ++r) {
            out += r ? ",\"" : "\"";
            for (int c = 0; c < width; ++c) out += static_cast<char>('0' + answer.mark(r, c, width));
            out += '"';
        }
    }
    std::snprintf(number, sizeof number, "%.6f", answer.head.seconds);
    out += std::string("],\"seconds\":") + number;
    std::snprintf(number, sizeof number, "%.6f", answer.head.cpu_seconds);
    out += std::string(",\"cpu_seconds\":") + number;
    if (f.stats) {
        for (int i = 0; i < solver_stat_field_count; ++i)
            out += std::string(",\"") + solver_stat_fields[i].name +
                   "\":" + std::to_string(answer.head.stats.*solver_stat_fields[i].field);
    }
    out += "}\n";
    return out;
}

std::string text_report(const Entry& puzzle, const Answer& answer, const ReportFacts& f)
{
    const int height = puzzle.height;
    const int width = puzzle.width;
    char number[64];
    std::snprintf(number, sizeof number, "%.6f", answer.head.seconds);
    std::string out = puzzle.name + " (" + puzzle.file + "): " + f.verdict;
    if (f.difficulty) out += std::string(", difficulty ") + f.difficulty;
    out += std::string(", ") + number + " s\n";
    if (f.stats) {
        out += "stats:";
        for (int i = 0; i < solver_stat_field_count; ++i)
            out += std::string(i ? ", " : " ") + solver_stat_fields[i].name + " " +
                   std::to_string(answer.head.stats.*solver_stat_fields[i].field);
        out += '\n';
    }
    if (f.uniqueness) {
        // The first solution with the cells that the second one differs in marked, then the
        // second one plain.
        for (int k = 0; k < f.solutions; ++k)
            for (int r = 0; r < height; ++r) {
                for (int c = 0; c < width; ++c) {
                    const i32 mark = answer.mark(r, c, width);
                    out += k == 0 ? mark_char(mark) : filled_in(mark, k) ? '#' : '.';
                }
                out += '\n';
            }
    } else if (answer.head.status != STATUS_INVALID && !f.out_of_time) {
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) out += mark_char(answer.mark(r, c, width));
            out += '\n';
        }
    }
    out += '\n';
    return out;
}

std::string report(const Entry& puzzle, const Answer& answer, const Options& options)
{
    const ReportFacts f = facts_of(answer, options);
    return options.json ? json_report(puzzle, answer, f) : text_report(puzzle, answer, f);
}

struct Tally {
    int puzzles = 0;  // read and to be solved
    int bad_inputs = 0;
    int unwritten = 0;  // files of --clues and --svg
    int unique = 0;
    int none = 0;
    int several = 0;
    int out_of_time = 0;
    int failed = 0;
    int done() const { return unique + none + several + out_of_time + failed; }
};

std::string counted(int n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string tally_text(const Tally& t)
{
    std::string text = std::to_string(t.unique) + " unique, " + std::to_string(t.none) +
                       " no solution, " + std::to_string(t.several) + " several solutions, " +
                       std::to_string(t.out_of_time) + " out of time, " +
                       counted(t.bad_inputs, "bad input", "bad inputs");
    if (t.failed) text += ", " + counted(t.failed, "solver failure", "solver failures");
    if (t.unwritten) text += ", " + counted(t.unwritten, "file not written", "files not written");
    return text;
}

// The picture of an answer: the first solution, or for no solution the clues alone; for the
// uniqueness question with several solutions, the two solutions side by side, the cells in
// which they differ red in both.
std::string answer_picture(const Entry& e, const Answer& answer, const Options& options)
{
    const bool two = options.solver.question == QUESTION_UNIQUENESS && answer.head.status == STATUS_SEVERAL;
    std::vector<SvgGrid> grids(two ? 2 : 1);
    if (answer.head.status != STATUS_INVALID) grids[0].marks = answer.marks;
    if (two) {
        grids[0].caption = "first solution";
        grids[1].caption = "second solution";
        for (const i32 mark : answer.marks) {
            const i32 plain = filled_in(mark, 1) ? MARK_FILLED : MARK_EMPTY;
            const i32 second = mark_differs(mark) ? differing_mark(plain) : plain;
            grids[1].marks.push_back(mark == MARK_NONE ? MARK_NONE : second);
        }
    }
    return answer_svg(unpack_clues(std::string_view(e.request).substr(sizeof(SolverOptions))), e.name,
                      verdict_text(answer.head.status), grids);
}

// Turns a worker's reply into what is written for the puzzle, and counts it.
void settle(Entry& e, WorkerReply&& reply, const Options& options, Outputs& outputs, Tally& tally)
{
    Answer answer{};
    std::string failure;
    if (reply.kind == WorkerReply::Kind::out_of_time) {
        answer.head.status = STATUS_OUT_OF_TIME;
        answer.head.seconds = reply.wall_seconds;
        answer.head.cpu_seconds = reply.cpu_seconds;
        answer.marks.assign(static_cast<std::size_t>(e.height * e.width), MARK_NONE);
    } else if (reply.kind == WorkerReply::Kind::failed) {
        failure = "solver failed: " + reply.why;
    } else if (reply.bytes.size() != sizeof(AnswerHead) + static_cast<std::size_t>(e.height * e.width)) {
        failure = "solver failed: an answer of " + std::to_string(reply.bytes.size()) + " bytes";
    } else {
        std::memcpy(&answer.head, reply.bytes.data(), sizeof answer.head);
        for (std::size_t i = sizeof answer.head; i < reply.bytes.size(); ++i)
            answer.marks.push_back(static_cast<unsigned char>(reply.bytes[i]));
        if (!verdict_text(answer.head.status))
            failure = "solver ended with status " + std::to_string(answer.head.status) + ", not a verdict";
    }
    e.done = true;
    if (!failure.empty()) {
        e.err += e.file + ": puzzle " + e.name + ": " + failure + "\n";
        ++tally.failed;
        return;
    }
    e.out = report(e, answer, options);
    if (outputs.svg && answer.head.status != STATUS_OUT_OF_TIME)
        if (const auto problem = outputs.svg->write(e.name, answer_picture(e, answer, options)))
            e.err += *problem + "\n";
    if (answer.head.status == STATUS_FINISHED) ++tally.unique;
    else if (answer.head.status == STATUS_INVALID) ++tally.none;
    else if (answer.head.status == STATUS_SEVERAL) ++tally.several;
    else ++tally.out_of_time;
}

int processors()
{
    long n = 0;
#ifdef CPU_COUNT
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0) n = CPU_COUNT(&usable);
#endif
    if (n < 1) n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : n > MAX_JOBS ? MAX_JOBS : static_cast<int>(n);
}

double seconds_of(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

// Processor time of this process and of its workers that have ended.
double processor_seconds()
{
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        if (getrusage(who, &usage) == 0) total += seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
    }
    return total;
}

// The progress line: short, and what matters first, since a narrow terminal cuts it at the end.
std::string progress_text(const Tally& t, double seconds)
{
    char number[64];
    std::snprintf(number, sizeof number, "%.1f", seconds);
    std::string text = std::to_string(t.done()) + " of " + std::to_string(t.puzzles) + " done, " + number +
                       " s: " + std::to_string(t.unique) + " unique, " + std::to_string(t.none) + " none, " +
                       std::to_string(t.several) + " several, " + std::to_string(t.out_of_time) +
                       " out of time, " + std::to_string(t.bad_inputs) + " bad";
    if (t.failed) text += ", " + std::to_string(t.failed) + " failed";
    return text;
}

// Puzzles go to the workers in input order and are written in input order, each once it and
// all before it are done; a bad input is done as soon as it is reached. A single puzzle without
// a time limit gains nothing from a worker and is solved here, so that a limit the caller sets
// on this process (ulimit -t) ends it as it did before workers. Throws when the workers fail.
template <typename Clock>
void answer_all(std::vector<Entry>& entries, const Options& options, Outputs& outputs, Tally& tally,
                ProgressLine& progress, const Clock& elapsed)
{
    const bool here = tally.puzzles == 1 && options.timeout == 0;
    const bool out_on_terminal = isatty(STDOUT_FILENO) == 1;
    std::size_t next_to_start = 0;
    std::size_t next_to_write = 0;
    WorkerPool pool(options.jobs ? options.jobs : processors(), options.timeout, solve_request);
    while (next_to_write < entries.size()) {
        for (; next_to_start < entries.size(); ++next_to_start) {
            Entry& e = entries[next_to_start];
            if (!e.error.empty()) {
                e.err = e.error + "\n";
                e.done = true;
            } else if (here) {
                WorkerReply reply;
                reply.kind = WorkerReply::Kind::answered;
                reply.bytes = solve_request(e.request);
                settle(e, std::move(reply), options, outputs, tally);
            } else if (pool.can_take()) {
                pool.submit(next_to_start, e.request);
            } else {
                break;
            }
        }
        for (; next_to_write < entries.size() && entries[next_to_write].done; ++next_to_write) {
            Entry& e = entries[next_to_write];
            if (!e.err.empty() || out_on_terminal) progress.hide();
            std::fwrite(e.out.data(), 1, e.out.size(), stdout);
            std::fflush(stdout);
            std::fputs(e.err.c_str(), stderr);
            e = Entry{};
        }
        progress.show(progress_text(tally, elapsed()));
        pool.collect(progress.on() ? 250 : -1, [&](std::size_t id, WorkerReply&& reply) {
            settle(entries[id], std::move(reply), options, outputs, tally);
        });
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const auto started = std::chrono::steady_clock::now();
    const auto elapsed = [&]() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    Options options;
    if (const auto done = parse_options(argc, argv, options)) return *done;
    Outputs outputs;
    if (!options.clues_dir.empty()) outputs.clues.emplace(options.clues_dir, ".non");
    if (!options.svg_dir.empty()) outputs.svg.emplace(options.svg_dir, ".svg");
    for (const auto* folder : {&outputs.clues, &outputs.svg})
        if (*folder)
            if (const auto problem = (*folder)->prepare()) {
                usage_error(*problem);
                return EXIT_BAD_INPUT;
            }

    std::vector<Entry> entries = read_entries(options, outputs);
    Tally tally;
    for (const Entry& e : entries) ++(e.error.empty() ? tally.puzzles : tally.bad_inputs);
    const bool several = entries.size() > 1;
    ProgressLine progress(several);
    try {
        answer_all(entries, options, outputs, tally, progress, elapsed);
    } catch (const std::runtime_error& error) {
        progress.hide();
        std::fprintf(stderr, "ombrasel-solve: %s\n", error.what());
        return EXIT_SOLVER_FAILURE;
    }
    progress.hide();

    tally.unwritten = outputs.failures();
    if (several) {
        const double processor = processor_seconds();
        char number[64];
        std::snprintf(number, sizeof number, "processor time %.3f s, wall time %.3f s", processor, elapsed());
        std::fprintf(stderr, "ombrasel-solve: %s: %s; %s\n",
                     counted(tally.puzzles, "puzzle", "puzzles").c_str(), tally_text(tally).c_str(), number);
    }
    if (tally.failed) return EXIT_SOLVER_FAILURE;
    if (tally.bad_inputs || tally.unwritten) return EXIT_BAD_INPUT;
    if (tally.out_of_time) return EXIT_OUT_OF_TIME;
    return EXIT_ALL_SOLVED;
}
