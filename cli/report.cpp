// What ombrasel-solve says about a puzzle: its report in text or JSON, the picture of its
// answer, and the counts of a run.
#include "report.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include <nlohmann/json.hpp>

#include "writers.h"

namespace {

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

// A time to the microsecond, as the tool has always printed it ("%.6f"); a JSON number shows it
// in its shortest form, the same value.
double to_the_microsecond(double seconds)
{
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "%.6f", seconds);
    return std::strtod(fixed, nullptr);
}

// What a report of one puzzle needs to know, worked out once for both forms.
struct ReportFacts {
    bool out_of_time;        // the verdict is not known
    bool incomplete;         // the solver stopped at the time limit
    bool found;              // a solution is shown
    bool unsorted;           // the count of open cells not yet sorted is told
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
    f.incomplete = !answer.head.complete;
    f.found = answer.shows_solution();
    f.unsorted = f.incomplete && !answer.killed && options.solver.question == QUESTION_FULL;
    f.verdict = f.out_of_time ? "out of time" : verdict_text(answer.head.status);
    f.difficulty = f.out_of_time ? nullptr : difficulty_text(answer.head.difficulty);
    f.stats = options.stats && !answer.killed;
    f.uniqueness = options.solver.question == QUESTION_UNIQUENESS;
    f.solutions = !f.uniqueness || f.out_of_time || answer.head.status == STATUS_INVALID ? 0
                  : answer.head.status == STATUS_SEVERAL                                 ? 2
                                                                                    : 1;
    return f;
}

// One line. A file name need not be UTF-8; its bytes that are not become U+FFFD, so that the
// line is JSON all the same.
std::string json_report(const ReportedPuzzle& puzzle, const Answer& answer, const ReportFacts& f)
{
    using Json = nlohmann::ordered_json;
    const int height = puzzle.height;
    const int width = puzzle.width;
    Json o;
    o["file"] = puzzle.file;
    o["index"] = puzzle.index;
    o["name"] = puzzle.name;
    o["status"] = answer.head.status;
    o["verdict"] = f.verdict;
    if (f.incomplete) o["complete"] = false;
    if (f.difficulty) o["difficulty"] = f.difficulty;
    o["height"] = height;
    o["width"] = width;
    if (f.unsorted) o["unsorted"] = answer.head.unsorted;
    // The rows of a grid as strings, a character a cell.
    const auto rows = [&](auto cell) {
        Json grid = Json::array();
        for (int r = 0; r < height; ++r) {
            std::string row;
            for (int c = 0; c < width; ++c) row += cell(answer.mark(r, c, width));
            grid.push_back(std::move(row));
        }
        return grid;
    };
    if (f.uniqueness) {
        Json& solutions = o["solutions"] = Json::array();
        for (int k = 0; k < f.solutions; ++k)
            solutions.push_back(rows([k](i32 mark) { return filled_in(mark, k) ? '#' : '.'; }));
    } else {
        o["result_grid"] = rows([](i32 mark) { return static_cast<char>('0' + mark); });
    }
    o["seconds"] = to_the_microsecond(answer.head.seconds);
    o["cpu_seconds"] = to_the_microsecond(answer.head.cpu_seconds);
    if (f.stats)
        for (int i = 0; i < solver_stat_field_count; ++i)
            o[solver_stat_fields[i].name] = answer.head.stats.*solver_stat_fields[i].field;
    return o.dump(-1, ' ', false, Json::error_handler_t::replace) + '\n';
}

std::string text_report(const ReportedPuzzle& puzzle, const Answer& answer, const ReportFacts& f)
{
    const int height = puzzle.height;
    const int width = puzzle.width;
    char number[64];
    std::snprintf(number, sizeof number, "%.6f", answer.head.seconds);
    std::string out = puzzle.name + " (" + puzzle.file + "): " + f.verdict;
    if (f.difficulty) out += std::string(", difficulty ") + f.difficulty;
    if (f.unsorted)
        out += ", incomplete: stopped at the time limit with " +
               counted(answer.head.unsorted, "open cell", "open cells") + " not sorted";
    out += std::string(", ") + number + " s\n";
    if (f.stats) {
        out += "stats:";
        for (int i = 0; i < solver_stat_field_count; ++i)
            out += std::string(i ? ", " : " ") + solver_stat_fields[i].name + " " +
                   std::to_string(answer.head.stats.*solver_stat_fields[i].field);
        out += '\n';
    }
    if (f.uniqueness) {
        // The first solution with the cells that the second one differs in marked, then, after
        // a blank line, the second one plain.
        for (int k = 0; k < f.solutions; ++k) {
            if (k) out += '\n';
            for (int r = 0; r < height; ++r) {
                for (int c = 0; c < width; ++c) {
                    const i32 mark = answer.mark(r, c, width);
                    out += k == 0 ? mark_char(mark) : filled_in(mark, k) ? '#' : '.';
                }
                out += '\n';
            }
        }
    } else if (answer.head.status != STATUS_INVALID && (!f.out_of_time || f.found)) {
        for (int r = 0; r < height; ++r) {
            for (int c = 0; c < width; ++c) out += mark_char(answer.mark(r, c, width));
            out += '\n';
        }
    }
    out += '\n';
    return out;
}

}  // namespace

const char* verdict_text(i32 status)
{
    if (status == STATUS_FINISHED) return "unique";
    if (status == STATUS_INVALID) return "no solution";
    if (status == STATUS_SEVERAL) return "several solutions";
    return nullptr;
}

std::string report(const ReportedPuzzle& puzzle, const Answer& answer, const Options& options)
{
    const ReportFacts f = facts_of(answer, options);
    return options.json ? json_report(puzzle, answer, f) : text_report(puzzle, answer, f);
}

std::string answer_picture(const Puzzle& clues, const std::string& name, const Answer& answer,
                           const Options& options)
{
    const bool two = options.solver.question == QUESTION_UNIQUENESS && answer.head.status == STATUS_SEVERAL;
    std::vector<SvgGrid> grids(two ? 2 : 1);
    if (answer.head.status != STATUS_INVALID) grids[0].marks = answer.marks;
    if (!answer.head.complete) grids[0].unsorted = answer.unsorted;
    if (two) {
        grids[0].caption = "first solution";
        grids[1].caption = "second solution";
        for (const i32 mark : answer.marks) {
            const i32 plain = filled_in(mark, 1) ? MARK_FILLED : MARK_EMPTY;
            const i32 second = mark_differs(mark) ? differing_mark(plain) : plain;
            grids[1].marks.push_back(mark == MARK_NONE ? MARK_NONE : second);
        }
    }
    const char* const verdict = verdict_text(answer.head.status);
    const std::string heading = std::string(verdict ? verdict : "out of time") +
                                (answer.head.complete ? "" : " (incomplete: stopped at the time limit)");
    return answer_svg(clues, name, heading, grids);
}

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

// Short, and what matters first, since a narrow terminal cuts the line at its end.
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
