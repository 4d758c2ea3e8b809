// A limit on the processor time of a solve run. The long stages look at it now and then and,
// once it has passed, stop where they stand, leaving what they know.
#pragma once

#include <ctime>

#include "state.h"

inline namespace OMBRASEL_CORE {

struct SolverDeadline {
    bool set;            // a limit was given
    bool passed;         // and the run has reached it
    std::clock_t at;
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
    d.passed = std::clock() >= d.at;
    return d.passed;
}

}  // namespace OMBRASEL_CORE
