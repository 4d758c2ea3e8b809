// The solver run behind START: compile, check the sums, run the stages, set the verdict.
#include "deadline.h"
#include "state.h"

inline namespace OMBRASEL_CORE {

namespace {

bool any_open_cell()
{
    const SolverState& s = solver_state;
    for (i32 r = 1; r <= s.height; ++r)
        for (i32 c = 1; c <= s.width; ++c)
            if (s.grid[r][c] == CELL_UNKNOWN) return true;
    return false;
}

static_assert(DIFFICULTY_PROBING == DIFFICULTY_LINE + 1 && DIFFICULTY_GUESSING == DIFFICULTY_PROBING + 1 &&
                  DIFFICULTY_SEARCH == DIFFICULTY_GUESSING + 1,
              "each stage's difficulty follows the one before it");

// Moves the difficulty on to `stage` when the stage before it has left cells open.
void needs(i32 stage)
{
    SolverState& s = solver_state;
    if (s.difficulty == stage - 1 && any_open_cell()) s.difficulty = stage;
}

// The verdict of a run stopped at its limit, and the open cells it left unsorted: those the
// stages before the engine left open, less those found to vary and those the engine sorted.
void stopped(bool (*sorted)(i32 r, i32 c))
{
    SolverState& s = solver_state;
    SolverUnsorted& u = solver_unsorted;
    u.count = 0;
    for (i32 r = 1; r <= MAX_LINES; ++r)
        for (i32 c = 1; c <= MAX_LINES; ++c) {
            bool& open = u.cell[r - 1][c - 1];
            open = r <= s.height && c <= s.width && s.grid[r][c] == CELL_UNKNOWN &&
                   !mark_differs(s.result_grid[r - 1][c - 1]) && !(sorted && sorted(r, c));
            u.count += open;
        }
    // A solution found with every open cell sorted and none varying is the only one.
    s.status = s.solution_state == 2                      ? STATUS_SEVERAL
               : s.solution_state == 1 && u.count == 0 ? STATUS_FINISHED
                                                       : STATUS_SEARCHING;
}

}  // namespace

SolverDeadline solver_deadline;
SolverUnsorted solver_unsorted;

void start_deadline(double seconds)
{
    SolverDeadline& d = solver_deadline;
    d.set = seconds > 0;
    d.passed = false;
    d.countdown = 0;
    d.at = solver_processor_seconds() + seconds;
}

void solve(const SolverOptions& options)
{
    SolverState& s = solver_state;
    solver_stats = SolverStats{};
    start_deadline(options.cpu_limit);
    solver_unsorted.count = 0;
    compile_clues();
    s.difficulty = DIFFICULTY_LINE;
    // Propagation runs once on its own, so that a puzzle it settles is told from one that needs
    // probing; probe starts with propagation and then finds no line pending.
    if (s.col_clue_sum != s.row_clue_sum || propagate()) {
        s.status = STATUS_INVALID;
        return;
    }
    needs(DIFFICULTY_PROBING);
    if (probe()) {
        s.status = STATUS_INVALID;
        return;
    }
    solver_stats.probe_fixed = s.trail_len;
    needs(DIFFICULTY_GUESSING);
    if (guess_probe()) {
        s.status = STATUS_INVALID;
        return;
    }
    solver_stats.guess_fixed = s.trail_len - solver_stats.probe_fixed;
    if (solver_deadline.passed && any_open_cell()) {
        stopped(nullptr);
        return;
    }
    needs(DIFFICULTY_SEARCH);
    const bool to_second = options.question == QUESTION_UNIQUENESS;
    if (options.engine == ENGINE_EXHAUSTIVE) {
        if (to_second) search_to_second();
        else search();
    } else {
        if (to_second) learning_to_second();
        else learning_search(options.walk_budget);
    }
    if (solver_deadline.passed) {
        stopped(options.engine == ENGINE_LEARNING && !to_second ? learning_sorted : nullptr);
        return;
    }
    s.status = s.solution_state == 0 ? STATUS_INVALID : s.solution_state == 1 ? STATUS_FINISHED : STATUS_SEVERAL;
}

void solve() { solve(SolverOptions{}); }

}  // namespace OMBRASEL_CORE
