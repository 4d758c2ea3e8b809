// The command line of ombrasel-solve: its options, their checks, --help and the exit codes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "codes.h"
#include "readers.h"

constexpr int EXIT_ALL_SOLVED = 0;
constexpr int EXIT_SOLVER_FAILURE = 1;  // a status other than a verdict: a fault of ours
constexpr int EXIT_BAD_INPUT = 2;       // bad usage, or a file or puzzle that could not be read
constexpr int EXIT_OUT_OF_TIME = 3;     // some puzzle used up its processor time

constexpr int MAX_JOBS = 256;

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

// Reads the arguments after the program's name. Returns an exit code when the command line asks for nothing to be solved: --help,
// --version, or a mistake, which it reports.
std::optional<int> parse_options(const std::vector<std::string>& arguments, Options& options);

// Reports a mistake of the caller's on standard error.
void usage_error(const std::string& what);
