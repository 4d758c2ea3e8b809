// ombrasel-solve: solves the puzzles of nonogram files and reports each one's verdict.
//
// The command line is read in options.cpp, the puzzles are read and solved in batch.cpp, in
// worker processes (workers*.cpp) that each have a solver state of their own, and what is
// printed for each is worded in report.cpp. The readers only turn bytes into puzzles, the
// solver only solves; what differs between POSIX and Windows sits in system_*.cpp and
// workers_*.cpp.
#include <chrono>

#include "batch.h"
#include "options.h"
#include "system.h"
#include "workers.h"

int main(int argc, char** argv)
{
    const auto started = std::chrono::steady_clock::now();
    if (started_as_worker(argc, argv)) return serve_batch_requests();
    set_up_standard_streams();
    std::vector<std::string> arguments = program_arguments(argc, argv);
    Options options;
    if (const auto done = parse_options(arguments, options)) return *done;
    expand_wildcards(options.files);
    return solve_batch(options, started);
}
