// A limit on the processor time of a solve run. The long stages look at it now and then and,
// once it has passed, stop where they stand, leaving what they know.
#pragma once

#include <ctime>

#include "state.h"

// The clock of the limit and of the solver's timing counters: processor seconds of the running
// thread. clock() counts that on POSIX; where it counts elapsed time instead (Windows), the front
// end sets a clock of its own. Shared by both builds of the core.
inline double (*solver_processor_clock)() = nullptr;

inline double solver_processor_seconds()
{
    if (solver_processor_clock) return solver_processor_clock();
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

inline namespace OMBRASEL_CORE {

struct SolverDeadline {
    bool set;            // a limit was given
    bool passed;         // and the run has reached it
    double at;           // on solver_processor_seconds()
    i32 countdown;       // looks left before the clock is read again
};

extern SolverDeadline solver_deadline;

// Starts the run's clock: `seconds` of processor time from now, none when 0.
void start_deadline(double seconds);

// What a run that reached its limit had not yet sorted: the open cells not known to vary nor
// known to be the same in every solution.
struct SolverUnsorted {
    i32 count;
    bool cell[MAX_LINES][MAX_LINES];  // cell (r, c) at [r - 1][c - 1]
};

extern SolverUnsorted solver_unsorted;

// Whether the limit has passed; reads the clock every 64th time it is asked.
inline bool deadline_passed()
{
    SolverDeadline& d = solver_deadline;
    if (!d.set || d.passed) return d.passed;
    if (--d.countdown > 0) return false;
    d.countdown = 64;
    d.passed = solver_processor_seconds() >= d.at;
    return d.passed;
}

}  // namespace OMBRASEL_CORE
