// The solver run behind START: compile, check the sums, run the stages, set the verdict.
#include "state.h"

void solve()
{
    SolverState& s = solver_state;
    solver_stats = SolverStats{};
    compile_clues();
    if (s.col_clue_sum != s.row_clue_sum) {
        s.status = STATUS_INVALID;
        return;
    }
    if (probe()) {
        s.status = STATUS_INVALID;
        return;
    }
    solver_stats.probe_fixed = s.trail_len;
    if (guess_probe()) {
        s.status = STATUS_INVALID;
        return;
    }
    solver_stats.guess_fixed = s.trail_len - solver_stats.probe_fixed;
    if (solver_engine == ENGINE_EXHAUSTIVE)
        search();
    else
        learning_search();
    s.status = s.solution_state == 0 ? STATUS_INVALID : s.solution_state == 1 ? STATUS_FINISHED : STATUS_SEVERAL;
}
