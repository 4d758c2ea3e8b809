// ombrasel-solve: solves the puzzles of nonogram files and reports each one's verdict.
//
// This file owns the command line, the files, the words printed for each verdict and the
// exit codes; the readers only turn bytes into puzzles, the solver only solves.
#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "puzzle.h"
#include "readers.h"
#include "state.h"

namespace {

constexpr int EXIT_ALL_SOLVED = 0;
constexpr int EXIT_SOLVER_FAILURE = 1;  // a status other than a verdict: a fault of ours
constexpr int EXIT_BAD_INPUT = 2;       // bad usage, or a file or puzzle that could not be read

constexpr std::size_t MAX_FILE_BYTES = 64u << 20;

const char* const VERSION_TEXT = "ombrasel-solve 2.0.0\n";

const char* const HELP_TEXT = R"(Usage: ombrasel-solve [options] FILE...
Solves nonograms of up to 25 x 25 cells and tells for each whether it has one
solution, none or several. FILE "-" reads standard input.

Options:
  --format FMT  read every file as FMT: non, xml or taai (default: by the file
                name's suffix, else by what the file starts with)
  --json        print one JSON object a puzzle, one a line, instead of text
  --stats       add the solver's counters for each puzzle
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
  CRLF and CR line ends and a UTF-8 byte-order mark are accepted.

Output: for each puzzle a line "NAME (FILE): VERDICT, SECONDS s", VERDICT being
"unique", "no solution" or "several solutions", then, unless there is no
solution, the first solution, one text line a row:
  #  filled                  .  empty
  X  filled here, empty in another solution
  x  empty here, filled in another solution
--json prints instead "file", "index", "name", "status" (2 unique, 3 no
solution, 4 several), "verdict", "height", "width", "result_grid" (a string of
digits a row: 1 empty, 2 filled, 3 empty and 4 filled with another solution
differing, 0 unmarked: no solution, or beyond the last row or column with
clues), "seconds" and "cpu_seconds" (the solver's wall and processor time);
with --stats also "probe_fixed", "guess_fixed", "search_calls",
"leftmost_calls" and "completion_calls".

Exit status:
  0  every puzzle got a verdict
  1  the solver failed on a puzzle (a fault of this program)
  2  bad usage, or a file or puzzle could not be read; each such problem is
     reported on standard error as FILE:LINE: message (line 0: the whole file)
     and the other puzzles are still solved
)";

struct Options {
    std::optional<Format> format;
    bool json = false;
    bool stats = false;
    std::vector<std::string> files;
};

const char* verdict_text(i32 status)
{
    if (status == STATUS_FINISHED) return "unique";
    if (status == STATUS_INVALID) return "no solution";
    if (status == STATUS_SEVERAL) return "several solutions";
    return nullptr;
}

char mark_char(i32 mark)
{
    if (mark == MARK_FILLED) return '#';
    if (mark == MARK_FILLED_DIFFERS) return 'X';
    if (mark == MARK_EMPTY_DIFFERS) return 'x';
    return '.';
}

std::optional<Format> format_named(std::string_view name)
{
    if (name == "non") return Format::non;
    if (name == "xml") return Format::xml;
    if (name == "taai") return Format::taai;
    return std::nullopt;
}

void usage_error(const std::string& what)
{
    std::fprintf(stderr, "ombrasel-solve: %s (see --help)\n", what.c_str());
}

// Returns an exit code when the command line asks for nothing to be solved.
std::optional<int> parse_options(int argc, char** argv, Options& options)
{
    bool only_files = false;
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
        } else if (arg == "--format" || arg.rfind("--format=", 0) == 0) {
            std::string name;
            if (arg == "--format") {
                if (i + 1 == argc) {
                    usage_error("--format needs non, xml or taai");
                    return EXIT_BAD_INPUT;
                }
                name = argv[++i];
            } else {
                name = arg.substr(9);
            }
            options.format = format_named(name);
            if (!options.format) {
                usage_error("unknown format '" + name + "'; use non, xml or taai");
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

std::string report(const Puzzle& puzzle, const Options& options, double seconds, double cpu_seconds)
{
    const SolverState& s = solver_state;
    const int height = static_cast<int>(puzzle.rows.size());
    const int width = static_cast<int>(puzzle.cols.size());
    const char* verdict = verdict_text(s.status);
    const SolverStats& st = solver_stats;
    char number[64];
    std::string out;

    if (options.json) {
        out += "{\"file\":";
        append_json_string(out, puzzle.file);
        out += ",\"index\":" + std::to_string(puzzle.index) + ",\"name\":";
        append_json_string(out, puzzle.name);
        out += ",\"status\":" + std::to_string(s.status) + ",\"verdict\":";
        append_json_string(out, verdict);
        out += ",\"height\":" + std::to_string(height) + ",\"width\":" + std::to_string(width);
        out += ",\"result_grid\":[";
        for (int r = 0; r < height; ++r) {
            out += r ? ",\"" : "\"";
            for (int c = 0; c < width; ++c) out += static_cast<char>('0' + s.result_grid[r][c]);
            out += '"';
        }
        std::snprintf(number, sizeof number, "%.6f", seconds);
        out += std::string("],\"seconds\":") + number;
        std::snprintf(number, sizeof number, "%.6f", cpu_seconds);
        out += std::string(",\"cpu_seconds\":") + number;
        if (options.stats) {
            for (int i = 0; i < solver_stat_field_count; ++i)
                out += std::string(",\"") + solver_stat_fields[i].name +
                       "\":" + std::to_string(st.*solver_stat_fields[i].field);
        }
        out += "}\n";
        return out;
    }

    std::snprintf(number, sizeof number, "%.6f", seconds);
    out += puzzle.name + " (" + puzzle.file + "): " + verdict + ", " + number + " s\n";
    if (options.stats) {
        out += "stats:";
        for (int i = 0; i < solver_stat_field_count; ++i)
            out += std::string(i ? ", " : " ") + solver_stat_fields[i].name + " " +
                   std::to_string(st.*solver_stat_fields[i].field);
        out += '\n';
    }
    if (s.status != STATUS_INVALID) {
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) out += mark_char(s.result_grid[r][c]);
            out += '\n';
        }
    }
    out += '\n';
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (const auto done = parse_options(argc, argv, options)) return *done;

    bool bad_input = false;
    bool solver_failed = false;
    std::string bytes;
    for (const std::string& file : options.files) {
        if (const auto error = read_bytes(file, bytes)) {
            std::fprintf(stderr, "%s:0: %s\n", file.c_str(), error->c_str());
            bad_input = true;
            continue;
        }
        for (const ReadItem& item : read_puzzles(bytes, file, options.format)) {
            if (const auto* error = std::get_if<ReadError>(&item)) {
                std::fflush(stdout);
                std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), error->line, error->what.c_str());
                bad_input = true;
                continue;
            }
            const Puzzle& puzzle = std::get<Puzzle>(item);
            enter_puzzle(puzzle);
            solver_state.status = STATUS_SEARCHING;
            const auto start = std::chrono::steady_clock::now();
            const double cpu_start = cpu_now();
            solve();
            const double cpu = cpu_now() - cpu_start;
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            if (!verdict_text(solver_state.status)) {
                std::fflush(stdout);
                std::fprintf(stderr, "%s: puzzle %s: solver ended with status %d, not a verdict\n",
                             file.c_str(), puzzle.name.c_str(), static_cast<int>(solver_state.status));
                solver_failed = true;
                continue;
            }
            const std::string text = report(puzzle, options, took.count(), cpu);
            std::fwrite(text.data(), 1, text.size(), stdout);
            std::fflush(stdout);
        }
    }
    if (solver_failed) return EXIT_SOLVER_FAILURE;
    return bad_input ? EXIT_BAD_INPUT : EXIT_ALL_SOLVED;
}
