// What ombrasel-solve says about a puzzle: its report in text or JSON, the picture of its
// answer, and the counts of a run.
#pragma once

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "codes.h"
#include "options.h"
#include "puzzle.h"

// A puzzle stopped at its time limit before its verdict was known is reported with the status
// the solver had then.
constexpr i32 STATUS_OUT_OF_TIME = STATUS_SEARCHING;

// What a worker sends back: the verdict, the counters and the times, then the picture's marks,
// a byte a cell, row by row, with UNSORTED_BIT set on the cells an answer cut short left unsorted.
struct AnswerHead {
    i32 status;
    i32 difficulty;
    i32 complete;        // 0: the solver stopped at the time limit
    i32 unsorted;        // and left this many open cells unsorted
    SolverStats stats;
    double seconds;      // the solver's wall time
    double cpu_seconds;  // and its processor time
};
static_assert(std::is_trivially_copyable_v<AnswerHead>, "an answer travels as its bytes");
constexpr unsigned UNSORTED_BIT = 8;

struct Answer {
    AnswerHead head{};
    std::vector<i32> marks;  // the puzzle's height times its width, MARK_NONE where nothing is known
    std::vector<bool> unsorted;  // the same cells: left unsorted by an answer cut short
    bool killed = false;     // its worker was stopped from outside: nothing is known

    i32 mark(int r, int c, int width) const { return marks[static_cast<std::size_t>(r * width + c)]; }
    // Whether the marks hold a solution: always but for no solution, and for a puzzle stopped
    // before its first solution was found.
    bool shows_solution() const
    {
        return std::find_if(marks.begin(), marks.end(), [](i32 m) { return m != MARK_NONE; }) != marks.end();
    }
};

// What a report tells of a puzzle besides its answer.
struct ReportedPuzzle {
    std::string file;
    int index = 0;
    std::string name;
    int height = 0;
    int width = 0;
};

// The words of a verdict; none for a status that is not one.
const char* verdict_text(i32 status);

// The report of one puzzle's answer, text or a JSON line as the options say.
std::string report(const ReportedPuzzle& puzzle, const Answer& answer, const Options& options);

// The picture of an answer (--svg): the first solution, or for no solution the clues alone;
// for the uniqueness question with several solutions, the two solutions side by side, the
// cells in which they differ red in both.
std::string answer_picture(const Puzzle& clues, const std::string& name, const Answer& answer,
                           const Options& options);

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

// "1 puzzle", "2 puzzles".
std::string counted(int n, const char* one, const char* many);

// The counts of the summary at the end of a run.
std::string tally_text(const Tally& t);

// The progress line, after `seconds` of the run.
std::string progress_text(const Tally& t, double seconds);
