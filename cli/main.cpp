// ombrasel-solve: solves the puzzles of nonogram files and reports each one's verdict.
//
// The command line is read in options.cpp, the puzzles are read and solved in batch.cpp, in
// worker processes (workers.cpp) that each have a solver state of their own, and what is
// printed for each is worded in report.cpp. The readers only turn bytes into puzzles, the
// solver only solves.
#include <chrono>

#include "batch.h"
#include "options.h"

int main(int argc, char** argv)
{
    const auto started = std::chrono::steady_clock::now();
    Options options;
    if (const auto done = parse_options(argc, argv, options)) return *done;
    return solve_batch(options, started);
}
