// The batch of ombrasel-solve: every puzzle of the files read, solved in worker processes and
// reported in input order, then the summary of the run.
#pragma once

#include <chrono>

#include "options.h"

// Solves and reports every puzzle the options name; returns the exit code. The run's wall
// time, in the summary, counts from `started`.
int solve_batch(const Options& options, std::chrono::steady_clock::time_point started);

// Serves the batch's requests in a worker process started by the batch (Windows).
int serve_batch_requests();
