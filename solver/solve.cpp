// The solver run behind START: compile, check the sums, run the stages, set the verdict.
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

}  // namespace

void solve(const SolverOptions& options)
{
    SolverState& s = solver_state;
    solver_stats = SolverStats{};
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
    needs(DIFFICULTY_SEARCH);
    const bool to_second = options.question == QUESTION_UNIQUENESS;
    if (options.engine == ENGINE_EXHAUSTIVE) {
        if (to_second) search_to_second();
        else search();
    } else {
        if (to_second) learning_to_second();
        else learning_search(options.walk_budget);
    }
    s.status = s.solution_state == 0 ? STATUS_INVALID : s.solution_state == 1 ? STATUS_FINISHED : STATUS_SEVERAL;
}

void solve() { solve(SolverOptions{}); }

}  // namespace OMBRASEL_CORE
