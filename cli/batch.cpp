// The batch of ombrasel-solve: the puzzles of every file read in input order, each solved
// in a worker and reported in input order, and the summary of the run.
#include "batch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "any_size.h"
#include "deadline.h"
#include "packed_clues.h"
#include "progress.h"
#include "readers.h"
#include "report.h"
#include "system.h"
#include "workers.h"
#include "writers.h"

namespace {

constexpr std::size_t MAX_FILE_BYTES = 64u << 20;

// The folders that --clues and --svg write into, when asked for.
struct Outputs {
    std::optional<OutputFolder> clues;
    std::optional<OutputFolder> svg;
    int failures() const { return (clues ? clues->failures() : 0) + (svg ? svg->failures() : 0); }
};

// Reads a whole file, or standard input for "-"; on failure returns why.
std::optional<std::string> read_bytes(const std::string& file, std::string& bytes)
{
    const bool is_stdin = file == "-";
    std::FILE* in = is_stdin ? stdin : open_file(file, "rb");
    if (!in) return std::string("cannot open: ") + std::strerror(errno);
    bytes.clear();
    char buffer[1 << 16];
    std::optional<std::string> error;
    while (true) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        bytes.append(buffer, got);
        if (bytes.size() > MAX_FILE_BYTES) {
            error = "file too large (more than 64 MiB)";
            break;
        }
        if (got < sizeof buffer) {
            if (std::ferror(in)) error = std::string("cannot read: ") + std::strerror(errno);
            break;
        }
    }
    if (!is_stdin) std::fclose(in);
    return error;
}

// ---- one puzzle, solved in a worker -------------------------------------------------

// What a worker is sent: the options, then the packed clues.
static_assert(std::is_trivially_copyable_v<SolverOptions>, "options travel as their bytes");

std::string request_for(const SolverOptions& solver, const Puzzle& puzzle)
{
    return std::string(reinterpret_cast<const char*>(&solver), sizeof solver) + pack_clues(puzzle);
}

// The clues of a request.
Puzzle clues_of(std::string_view request) { return unpack_clues(request.substr(sizeof(SolverOptions))); }

// Runs in a worker: solves the puzzle of a request and packs the answer.
std::string solve_request(std::string_view request)
{
    solver_processor_clock = cpu_now;  // this thread's time, which clock() is not on Windows
    SolverOptions solver;
    std::memcpy(&solver, request.data(), sizeof solver);
    const Puzzle puzzle = unpack_clues(request.substr(sizeof solver));
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_now();
    const SolvedPuzzle solved = solve_any_size(puzzle, solver);
    AnswerHead head{};
    head.cpu_seconds = cpu_now() - cpu_start;
    head.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    head.status = solved.status;
    head.difficulty = solved.difficulty;
    head.complete = solved.complete;
    head.unsorted = solved.unsorted_count;
    head.stats = solved.stats;
    std::string bytes(reinterpret_cast<const char*>(&head), sizeof head);
    for (std::size_t i = 0; i < solved.marks.size(); ++i)
        bytes += static_cast<char>(static_cast<unsigned>(solved.marks[i]) |
                                   (!solved.complete && solved.unsorted[i] ? UNSORTED_BIT : 0u));
    return bytes;
}

// ---- the batch ----------------------------------------------------------------------

// A puzzle of the input, or a problem met in reading it, in input order.
struct Entry : ReportedPuzzle {
    std::string error;    // a bad input's message, without the line end; else a puzzle
    std::string request;  // the options and its clues, for a worker
    bool done = false;   // what is to be written is ready:
    std::string out;     // for standard output
    std::string err;     // for standard error
};

std::vector<Entry> read_entries(const Options& options, Outputs& outputs)
{
    std::vector<Entry> entries;
    std::string bytes;
    for (const std::string& file : options.files) {
        if (const auto error = read_bytes(file, bytes)) {
            entries.push_back({});
            entries.back().error = file + ":0: " + *error;
            continue;
        }
        for (const ReadItem& item : read_puzzles(bytes, file, options.format)) {
            Entry& e = entries.emplace_back();
            if (const auto* error = std::get_if<ReadError>(&item)) {
                e.error = error_text(file, *error);
                continue;
            }
            const Puzzle& puzzle = std::get<Puzzle>(item);
            e.file = puzzle.file;
            e.index = puzzle.index;
            e.name = puzzle.name;
            e.height = static_cast<int>(puzzle.rows.size());
            e.width = static_cast<int>(puzzle.cols.size());
            e.request = request_for(options.solver, puzzle);
            if (outputs.clues)
                if (const auto problem = outputs.clues->write(puzzle.name, non_text(puzzle)))
                    e.err += *problem + "\n";
        }
    }
    return entries;
}

// Turns a worker's reply into what is written for the puzzle, and counts it.
void settle(Entry& e, WorkerReply&& reply, const Options& options, Outputs& outputs, Tally& tally)
{
    Answer answer{};
    std::string failure;
    if (reply.kind == WorkerReply::Kind::out_of_time) {
        answer.head.status = STATUS_OUT_OF_TIME;
        answer.head.seconds = reply.wall_seconds;
        answer.head.cpu_seconds = reply.cpu_seconds;
        answer.marks.assign(static_cast<std::size_t>(e.height * e.width), MARK_NONE);
        answer.killed = true;
    } else if (reply.kind == WorkerReply::Kind::failed) {
        failure = "solver failed: " + reply.why;
    } else if (reply.bytes.size() != sizeof(AnswerHead) + static_cast<std::size_t>(e.height * e.width)) {
        failure = "solver failed: an answer of " + std::to_string(reply.bytes.size()) + " bytes";
    } else {
        std::memcpy(&answer.head, reply.bytes.data(), sizeof answer.head);
        for (std::size_t i = sizeof answer.head; i < reply.bytes.size(); ++i) {
            const unsigned byte = static_cast<unsigned char>(reply.bytes[i]);
            answer.marks.push_back(static_cast<i32>(byte & ~UNSORTED_BIT));
            answer.unsorted.push_back((byte & UNSORTED_BIT) != 0);
        }
        if (!verdict_text(answer.head.status) && (answer.head.complete || answer.head.status != STATUS_OUT_OF_TIME))
            failure = "solver ended with status " + std::to_string(answer.head.status) + ", not a verdict";
    }
    e.done = true;
    if (!failure.empty()) {
        e.err += e.file + ": puzzle " + e.name + ": " + failure + "\n";
        ++tally.failed;
        return;
    }
    e.out = report(e, answer, options);
    // A picture needs a verdict, or a solution found before the time ran out.
    if (outputs.svg && (answer.head.status != STATUS_OUT_OF_TIME || answer.shows_solution()))
        if (const auto problem =
                outputs.svg->write(e.name, answer_picture(clues_of(e.request), e.name, answer, options)))
            e.err += *problem + "\n";
    if (!answer.head.complete) ++tally.out_of_time;
    else if (answer.head.status == STATUS_FINISHED) ++tally.unique;
    else if (answer.head.status == STATUS_INVALID) ++tally.none;
    else if (answer.head.status == STATUS_SEVERAL) ++tally.several;
    else ++tally.out_of_time;
}

// Puzzles go to the workers in input order and are written in input order, each once it and
// all before it are done; a bad input is done as soon as it is reached. A single puzzle without
// a time limit gains nothing from a worker and is solved here, so that a limit the caller sets
// on this process (ulimit -t) ends it as it did before workers. Throws when the workers fail.
void answer_all(std::vector<Entry>& entries, const Options& options, Outputs& outputs, Tally& tally,
                ProgressLine& progress, const std::function<double()>& elapsed)
{
    const bool here = tally.puzzles == 1 && options.timeout == 0;
    std::size_t next_to_start = 0;
    std::size_t next_to_write = 0;
    // The solver stops itself at the limit; the workers' own limit, a little later, is there for
    // a run that would not.
    const double backstop = options.timeout > 0 ? options.timeout * 1.25 + 1 : 0;
    WorkerPool pool(options.jobs ? options.jobs : std::min(processors(), MAX_JOBS), backstop, solve_request);
    while (next_to_write < entries.size()) {
        for (; next_to_start < entries.size(); ++next_to_start) {
            Entry& e = entries[next_to_start];
            if (!e.error.empty()) {
                e.err = e.error + "\n";
                e.done = true;
            } else if (here) {
                WorkerReply reply;
                reply.kind = WorkerReply::Kind::answered;
                reply.bytes = solve_request(e.request);
                settle(e, std::move(reply), options, outputs, tally);
            } else if (pool.can_take()) {
                pool.submit(next_to_start, e.request);
            } else {
                break;
            }
        }
        for (; next_to_write < entries.size() && entries[next_to_write].done; ++next_to_write) {
            Entry& e = entries[next_to_write];
            progress.make_way(!e.err.empty());
            std::fwrite(e.out.data(), 1, e.out.size(), stdout);
            std::fflush(stdout);
            std::fputs(e.err.c_str(), stderr);
            e = Entry{};
        }
        progress.show(progress_text(tally, elapsed()));
        pool.collect(progress.on() ? 250 : -1, [&](std::size_t id, WorkerReply&& reply) {
            settle(entries[id], std::move(reply), options, outputs, tally);
        });
    }
}

}  // namespace

int solve_batch(const Options& options, std::chrono::steady_clock::time_point started)
{
    const auto elapsed = [&]() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    Outputs outputs;
    if (!options.clues_dir.empty()) outputs.clues.emplace(options.clues_dir, ".non");
    if (!options.svg_dir.empty()) outputs.svg.emplace(options.svg_dir, ".svg");
    for (const auto* folder : {&outputs.clues, &outputs.svg})
        if (*folder)
            if (const auto problem = (*folder)->prepare()) {
                usage_error(*problem);
                return EXIT_BAD_INPUT;
            }

    std::vector<Entry> entries = read_entries(options, outputs);
    Tally tally;
    for (const Entry& e : entries) ++(e.error.empty() ? tally.puzzles : tally.bad_inputs);
    const bool several = entries.size() > 1;
    ProgressLine progress(several);
    try {
        answer_all(entries, options, outputs, tally, progress, elapsed);
    } catch (const std::runtime_error& error) {
        progress.hide();
        std::fprintf(stderr, "ombrasel-solve: %s\n", error.what());
        return EXIT_SOLVER_FAILURE;
    }
    progress.hide();

    tally.unwritten = outputs.failures();
    if (several) {
        const double processor = processor_seconds();
        char number[64];
        std::snprintf(number, sizeof number, "processor time %.3f s, wall time %.3f s", processor, elapsed());
        std::fprintf(stderr, "ombrasel-solve: %s: %s; %s\n",
                     counted(tally.puzzles, "puzzle", "puzzles").c_str(), tally_text(tally).c_str(), number);
    }
    if (tally.failed) return EXIT_SOLVER_FAILURE;
    if (tally.bad_inputs || tally.unwritten) return EXIT_BAD_INPUT;
    if (tally.out_of_time) return EXIT_OUT_OF_TIME;
    return EXIT_ALL_SOLVED;
}

int serve_batch_requests() { return serve_as_worker(solve_request); }
