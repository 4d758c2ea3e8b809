// ombrasel-solve on batches: worker processes (-j), the processor time limit (--timeout),
// the progress line on a terminal and the closing summary.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tool_run.h"

namespace {

// ---- puzzles made from random boards ------------------------------------------------

struct Lcg {
    std::uint64_t x;
    double next()  // in [0, 1)
    {
        x = x * 6364136223846793005u + 1442695040888963407u;
        return static_cast<double>(x >> 33) / 2147483648.0;
    }
};

std::string clue_of(const std::vector<bool>& line)
{
    std::string clue;
    int run = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i]) {
            ++run;
        } else if (run > 0) {
            if (!clue.empty()) clue += '\t';
            clue += std::to_string(run);
            run = 0;
        }
    }
    return clue;
}

// The clues of an n x n board whose cells are filled with the given density, in the
// tournament format as puzzle $index.
std::string random_puzzle(int index, std::uint64_t seed, int n, double density)
{
    Lcg rng{seed};
    std::vector<std::vector<bool>> rows(n, std::vector<bool>(n));
    for (auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) row[c] = rng.next() < density;
    std::string text = "$";
    text += std::to_string(index);
    text += '\n';
    for (int c = 0; c < n; ++c) {
        std::vector<bool> column;
        for (const auto& row : rows) column.push_back(row[c]);
        text += clue_of(column) + "\n";
    }
    for (const auto& row : rows) text += clue_of(row) + "\n";
    return text;
}

// 25 x 25 and fairly sparse: probing fixes little, and both engines take seconds on it
// (measured: about 26 s for the learning engine, over 10 s for the exhaustive one). The time-out
// tests rely on that.
std::string hard_puzzle(int index) { return random_puzzle(index, 22, 25, 0.4); }
// About 10 ms (learning) to 25 ms (exhaustive), much longer than the small puzzles after it.
std::string slowish_puzzle(int index) { return random_puzzle(index, 32, 25, 0.45); }

// Every time in the output, whatever its number of digits, as "T": "0.25" or "2.5e-05" in
// JSON, which gives a number its shortest form.
std::string without_times(const std::string& text)
{
    static const std::regex seconds("[0-9]+(\\.[0-9]+)?e-[0-9]+|[0-9]+\\.[0-9]+");
    static const std::regex microseconds("(_us\"?[: ])[0-9]+");  // the counters' phase times
    return std::regex_replace(std::regex_replace(text, seconds, "T"), microseconds, "$1T");
}

class Batch : public Tool {
protected:
    // A file with puzzles of every verdict and a bad one among them; the slowest first, so
    // that with several workers later puzzles are done before earlier ones.
    void write_mixed_file()
    {
        std::string text = slowish_puzzle(1) +
                           "$2\n1\n1\n"              // 1 x 1: unique
                           "$3\n1\n1\n1\n1\n"        // 2 x 2: two solutions
                           "$4\n2\n0\n2\n0\n"        // 2 x 2: none
                           "$5\n1\n1\n100\n1\n";     // a clue longer than its row: bad
        for (int k = 0; k < 24; ++k) text += random_puzzle(6 + k, 100 + k, 6 + k % 7, 0.5);
        write("mixed.txt", text);
    }
};

// ---- -j -------------------------------------------------------------------------------

TEST_F(Batch, SeveralJobsWriteWhatOneJobWrites)
{
    write_mixed_file();
    write("unique.non", unique_non);
    for (const char* format : {"", "--json --stats "}) {
        SCOPED_TRACE(format);
        const std::string files = "mixed.txt missing.non unique.non";
        const Output one = run(std::string(format) + "-j 1 " + files);
        EXPECT_EQ(one.exit_code, 2);
        EXPECT_EQ(one.err, "mixed.txt:68: $5 row 1: clue 100 needs 100 cells, the row has 2\n"
                           "missing.non:0: cannot open: No such file or directory\n");
        // Every verdict is there, and the puzzles in input order.
        for (const char* verdict : {"unique", "several solutions", "no solution"})
            EXPECT_NE(one.out.find(verdict), std::string::npos) << verdict;
        std::size_t at = 0;
        for (const char* name : {"1", "2", "3", "4", "6", "17", "29", "unique"}) {
            std::string key = *format ? "\"name\":\"" : "\n";
            key += name;
            key += *format ? "\"" : " (";
            const std::size_t found = ("\n" + one.out).find(key, at);
            ASSERT_NE(found, std::string::npos) << name << " after offset " << at;
            at = found;
        }
        for (const char* jobs : {"-j 2 ", "-j 4 ", "--jobs=3 ", "-j7 "}) {
            const Output many = run(std::string(format) + jobs + files);
            EXPECT_EQ(many.exit_code, one.exit_code) << jobs;
            EXPECT_EQ(without_times(many.out), without_times(one.out)) << jobs;
            EXPECT_EQ(many.err, one.err) << jobs;
            EXPECT_EQ(without_times(many.summary), without_times(one.summary)) << jobs;
        }
    }
}

// ---- --engine ---------------------------------------------------------------------------

TEST_F(Batch, BothEnginesWriteTheSameResults)
{
    write_mixed_file();
    const Output learning = run("--json mixed.txt");
    EXPECT_EQ(learning.exit_code, 2);
    for (const char* other : {"--engine exhaustive", "--engine=exhaustive -j 1", "--engine learning"}) {
        const Output r = run(std::string("--json ") + other + " mixed.txt");
        EXPECT_EQ(r.exit_code, learning.exit_code) << other;
        EXPECT_EQ(without_times(r.out), without_times(learning.out)) << other;
        EXPECT_EQ(r.err, learning.err) << other;
    }
    // The counters tell which engine ran.
    const Output exhaustive = run("--stats --engine exhaustive mixed.txt");
    const Output default_stats = run("--stats mixed.txt");
    EXPECT_NE(exhaustive.out.find(", search_calls 1,"), std::string::npos) << exhaustive.out;
    EXPECT_EQ(default_stats.out.find(", search_calls 1,"), std::string::npos);
    EXPECT_NE(default_stats.out.find(", queries 0,"), std::string::npos);

    for (const char* bad : {"--engine", "--engine fast mixed.txt", "--engine= mixed.txt"}) {
        const Output r = run(bad);
        EXPECT_EQ(r.exit_code, 2) << bad;
        EXPECT_EQ(r.out, "") << bad;
        EXPECT_NE(r.err.find("--engine needs learning or exhaustive"), std::string::npos) << bad << ": " << r.err;
    }
    const Output help = run("--help");
    for (const char* part : {"--engine ENG", "learning", "exhaustive"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
}

TEST_F(Batch, SummaryCountsEveryOutcomeOnlyForMoreThanOnePuzzle)
{
    write_mixed_file();
    write("unique.non", unique_non);
    const Output r = run("-j 2 mixed.txt unique.non missing.non");
    std::size_t unique = 0, several = 0, none = 0;
    for (std::size_t at = 0; (at = r.out.find("): ", at)) != std::string::npos; ++at) {
        unique += r.out.compare(at, 9, "): unique") == 0;
        several += r.out.compare(at, 20, "): several solutions") == 0;
        none += r.out.compare(at, 14, "): no solution") == 0;
    }
    EXPECT_EQ(unique + several + none, 29u) << r.out;
    EXPECT_EQ(none, 1u);
    const std::string counts = std::to_string(unique) + " unique, 1 no solution, " +
                               std::to_string(several) + " several solutions, 0 out of time, 2 bad inputs";
    EXPECT_EQ(without_times(r.summary),
              "ombrasel-solve: 29 puzzles: " + counts + "; processor time T s, wall time T s\n");

    write("set.txt", "$1\n1\n1\n$2\n1\n1\n");
    EXPECT_NE(run("set.txt").summary, "") << "two puzzles";
    const Output single = run("unique.non");
    EXPECT_EQ(single.summary, "");
    EXPECT_EQ(single.err, "");
}

// ---- --uniqueness ---------------------------------------------------------------------

using Lines = std::vector<std::vector<int>>;
struct Clues {
    Lines rows, cols;
};

// The clues of every puzzle of a tournament file that holds N x N puzzles only, by name.
std::map<std::string, Clues> clues_of_file(const std::string& text)
{
    std::map<std::string, Clues> puzzles;
    std::istringstream in(text);
    std::string name;
    Lines lines;
    auto finish = [&]() {
        if (name.empty()) return;
        const auto half = static_cast<std::ptrdiff_t>(lines.size() / 2);
        puzzles[name] = {Lines(lines.begin() + half, lines.end()), Lines(lines.begin(), lines.begin() + half)};
    };
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '$') {
            finish();
            name = line.substr(1);
            lines.clear();
            continue;
        }
        std::istringstream numbers(line);
        lines.emplace_back();
        for (int v; numbers >> v;) lines.back().push_back(v);
    }
    finish();
    return puzzles;
}

std::vector<int> runs_of(const std::string& cells)
{
    std::vector<int> runs;
    int run = 0;
    for (const char ch : cells + ".") {
        if (ch == '#') {
            ++run;
        } else if (run > 0) {
            runs.push_back(run);
            run = 0;
        }
    }
    return runs;
}

// Whether a grid of '#' and '.' rows keeps every clue.
bool keeps_clues(const std::vector<std::string>& grid, const Clues& clues)
{
    if (grid.size() != clues.rows.size()) return false;
    for (std::size_t r = 0; r < grid.size(); ++r)
        if (grid[r].size() != clues.cols.size() || runs_of(grid[r]) != clues.rows[r]) return false;
    for (std::size_t c = 0; c < clues.cols.size(); ++c) {
        std::string column;
        for (const std::string& row : grid) column += row[c];
        if (runs_of(column) != clues.cols[c]) return false;
    }
    return true;
}

TEST_F(Batch, UniquenessGivesTheFullAnswersVerdictsWithJobsAndBadInput)
{
    write_mixed_file();
    const auto clues = clues_of_file(slurp(dir / "mixed.txt"));
    const Output full = run("--json -j 1 mixed.txt");
    const Output one = run("--uniqueness --json -j 1 mixed.txt");
    const Output two = run("--uniqueness --json -j 2 mixed.txt");
    for (const Output* r : {&full, &one, &two}) {
        EXPECT_EQ(r->exit_code, 2);
        EXPECT_EQ(r->err, "mixed.txt:68: $5 row 1: clue 100 needs 100 cells, the row has 2\n");
        EXPECT_EQ(without_times(r->summary), without_times(full.summary));
    }
    EXPECT_EQ(without_times(two.out), without_times(one.out));
    const std::vector<JsonObject> answers = json_lines(full.out), asked = json_lines(one.out);
    ASSERT_EQ(asked.size(), answers.size());
    ASSERT_EQ(asked.size(), 28u);
    int several = 0;
    for (std::size_t k = 0; k < asked.size(); ++k) {
        const std::string name = str_field(asked[k], "name");
        SCOPED_TRACE("puzzle " + name);
        EXPECT_EQ(name, str_field(answers[k], "name"));
        const std::string verdict = str_field(asked[k], "verdict");
        EXPECT_EQ(verdict, str_field(answers[k], "verdict"));
        EXPECT_EQ(str_field(asked[k], "difficulty"), str_field(answers[k], "difficulty"));
        const std::vector<std::vector<std::string>> grids = solutions_of(asked[k]);
        for (std::size_t g = 0; g < grids.size(); ++g)
            EXPECT_TRUE(keeps_clues(grids[g], clues.at(name))) << "solution " << g + 1;
        EXPECT_EQ(grids.size(), verdict == "unique" ? 1u : verdict == "several solutions" ? 2u : 0u);
        if (grids.size() == 2) {
            EXPECT_NE(grids[0], grids[1]);
            ++several;
        }
    }
    EXPECT_GT(several, 10);
}

TEST_F(Batch, UniquenessOutOfTimeShowsNoSolution)
{
    // The exhaustive engine takes minutes to meet this puzzle's second solution.
    write("set.txt", hard_puzzle(1) + "$2\n1\n1\n");
    const Output r = run("--uniqueness --engine exhaustive --json -j 2 --timeout 0.3 set.txt", "", 30);
    EXPECT_EQ(r.exit_code, 3) << r.err;
    const std::vector<JsonObject> objects = json_lines(r.out);
    ASSERT_EQ(objects.size(), 2u) << r.out;
    EXPECT_EQ(str_field(objects[0], "verdict"), "out of time");
    EXPECT_EQ(objects[0].count("difficulty"), 0u);
    EXPECT_EQ(solutions_of(objects[0]).size(), 0u);
    EXPECT_EQ(str_field(objects[1], "verdict"), "unique");
    EXPECT_EQ(without_times(r.summary), "ombrasel-solve: 2 puzzles: 1 unique, 0 no solution, 0 several solutions, "
                                        "1 out of time, 0 bad inputs; processor time T s, wall time T s\n");
    EXPECT_FALSE(std::get<bool>(field(objects[0], "complete").value));
    const Output text = run("--uniqueness --engine exhaustive --timeout 0.3 set.txt", "", 30);
    EXPECT_EQ(without_times(text.out), "1 (set.txt): out of time, T s\n\n2 (set.txt): unique, difficulty line, T s\n#\n\n");
}

// ---- --timeout ------------------------------------------------------------------------

TEST_F(Batch, APuzzleOutOfTimeIsReportedAndTheNextOneIsStillSolved)
{
    write("set.txt", hard_puzzle(1) + "$2\n1\n1\n" + "$3\n1\n1\n1\n1\n");
    const Output text = run("-j 1 --timeout 0.3 --svg pictures set.txt", "", 30);
    EXPECT_EQ(text.exit_code, 3) << text.err;
    EXPECT_EQ(text.err, "");
    // The solver stops itself at the limit and tells what it knows by then: this puzzle's first
    // searches meet two solutions, so its verdict is known; the cells not yet sorted are counted,
    // and drawn in the picture.
    const std::string head = "1 (set.txt): several solutions, difficulty search, incomplete: stopped at the time "
                             "limit with ";
    ASSERT_EQ(text.out.rfind(head, 0), 0u) << text.out;
    const std::size_t end_of_first = text.out.find("\n\n") + 2;
    const std::vector<std::string> first = text_lines(text.out.substr(0, end_of_first - 2));
    ASSERT_EQ(first.size(), 26u);
    EXPECT_NE(first[0].find(" open cells not sorted, "), std::string::npos) << first[0];
    for (std::size_t r = 1; r < first.size(); ++r) EXPECT_EQ(first[r].find_first_not_of("#.Xx"), std::string::npos);
    const std::string svg = slurp(dir / "pictures" / "1.svg");
    EXPECT_NE(svg.find("several solutions (incomplete: stopped at the time limit)"), std::string::npos);
    EXPECT_NE(svg.find("<circle"), std::string::npos);
    EXPECT_EQ(without_times(text.out.substr(end_of_first)), "2 (set.txt): unique, difficulty line, T s\n"
                                       "#\n"
                                       "\n"
                                       "3 (set.txt): several solutions, difficulty search, T s\n"
                                       "xX\n"
                                       "Xx\n"
                                       "\n");
    EXPECT_EQ(without_times(text.summary),
              "ombrasel-solve: 3 puzzles: 1 unique, 0 no solution, 1 several solutions, 1 out of time, "
              "0 bad inputs; processor time T s, wall time T s\n");

    // JSON: marked incomplete, with the verdict, the cells found to vary so far, the count of
    // those not sorted, the counters and the processor time it had.
    const Output json = run("-j 2 --json --stats --timeout=0.3 set.txt", "", 30);
    EXPECT_EQ(json.exit_code, 3) << json.err;
    const std::vector<JsonObject> objects = json_lines(json.out);
    ASSERT_EQ(objects.size(), 3u) << json.out;
    const JsonObject& stopped = objects[0];
    EXPECT_EQ(num_field(stopped, "status"), 4);
    EXPECT_EQ(str_field(stopped, "verdict"), "several solutions");
    EXPECT_FALSE(std::get<bool>(field(stopped, "complete").value));
    EXPECT_GT(num_field(stopped, "unsorted"), 0);
    const auto& grid = std::get<JsonArray>(field(stopped, "result_grid").value);
    ASSERT_EQ(grid.size(), 25u);
    int varying = 0;
    for (const Json& row : grid) {
        const std::string& marks = std::get<std::string>(row.value);
        EXPECT_EQ(marks.find_first_not_of("1234"), std::string::npos) << marks;
        varying += static_cast<int>(std::count_if(marks.begin(), marks.end(), [](char m) { return m > '2'; }));
    }
    EXPECT_GT(varying, 0);
    EXPECT_LE(varying + num_field(stopped, "unsorted"), 625);
    EXPECT_GE(num_field(stopped, "cpu_seconds"), 0.3);
    EXPECT_LT(num_field(stopped, "cpu_seconds"), 0.5);
    EXPECT_GE(num_field(stopped, "seconds"), num_field(stopped, "cpu_seconds") * 0.99);
    EXPECT_EQ(stopped.count("conflicts"), 1u);
    EXPECT_EQ(str_field(objects[1], "verdict"), "unique");
    EXPECT_EQ(objects[1].count("search_calls"), 1u);
    EXPECT_EQ(str_field(objects[2], "verdict"), "several solutions");

    // A limit below a nanosecond is still a limit.
    const Output tiny = run("--timeout 0.0000000001 set.txt", "", 30);
    EXPECT_EQ(tiny.exit_code, 3);
    EXPECT_EQ(tiny.out.rfind("1 (set.txt): out of time, ", 0), 0u) << tiny.out;

    // Bad input outranks a time-out in the exit code.
    write("bad.non", "width 2\n");
    EXPECT_EQ(run("--timeout 0.3 set.txt bad.non", "", 30).exit_code, 2);
}

// A worker that ends without an answer fails its own puzzle only.
TEST_F(Batch, AWorkerKilledFailsItsPuzzleAndTheRestAreSolved)
{
    write("set.txt", hard_puzzle(1) + "$2\n1\n1\n");
    const std::string command = "cd " + quoted(dir.string()) + " && exec " + quoted(OMBRASEL_SOLVE) +
                                " -j 1 set.txt >.stdout 2>.stderr";
    const pid_t tool = fork();
    ASSERT_GE(tool, 0);
    if (tool == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // The worker is the tool's one child; without a limit it would work on for minutes.
    pid_t worker = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (worker < 0 && std::chrono::steady_clock::now() < deadline) {
        if (DIR* proc = opendir("/proc")) {
            while (const dirent* entry = readdir(proc)) {
                const std::string stat = slurp(fs::path("/proc") / entry->d_name / "stat");
                const std::size_t close = stat.rfind(')');
                if (close == std::string::npos) continue;
                int parent = 0;
                if (std::sscanf(stat.c_str() + close + 1, " %*c %d", &parent) == 1 && parent == tool)
                    worker = std::atoi(entry->d_name);
            }
            closedir(proc);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (worker > 0) kill(worker, SIGKILL);
    // Then the tool goes on without it and ends; if not, it is ended here.
    int status = 0;
    pid_t ended = 0;
    const auto given_up = deadline + std::chrono::seconds(20);
    while ((ended = waitpid(tool, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < given_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (ended == 0) {
        kill(tool, SIGKILL);
        waitpid(tool, &status, 0);
        FAIL() << "the tool did not end after its worker was killed";
    }
    ASSERT_GT(worker, 0) << "no worker process found";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    Output r;
    r.out = slurp(dir / ".stdout");
    r.err = slurp(dir / ".stderr");
    split_summary(r);
    EXPECT_EQ(r.err, "set.txt: puzzle 1: solver failed: worker killed by signal 9 (Killed)\n");
    EXPECT_EQ(without_times(r.out), "2 (set.txt): unique, difficulty line, T s\n#\n\n");
    EXPECT_NE(r.summary.find("1 solver failure"), std::string::npos) << r.summary;
}

// ---- progress -------------------------------------------------------------------------

TEST_F(Batch, NoProgressWhenStandardErrorIsNotATerminal)
{
    write("set.txt", hard_puzzle(1) + "$2\n1\n1\n" + "$3\n1\n1\n1\n1\n");
    const Output r = run("--timeout 0.6 set.txt", "", 30);
    EXPECT_EQ(r.exit_code, 3);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.summary, "");
    for (const std::string& text : {r.out, r.summary}) {
        EXPECT_EQ(text.find('\r'), std::string::npos);
        EXPECT_EQ(text.find('\033'), std::string::npos);
        EXPECT_EQ(text.find(" done, "), std::string::npos);
    }
}

// Runs the tool with standard error on a terminal 40 columns wide and standard output in a
// file; returns everything the terminal received.
std::string run_on_terminal(const fs::path& dir, const std::string& arguments, Output& r)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "no terminal";
    const std::string slave_name = ptsname(master);
    const std::string command =
        "exec timeout -s KILL 30 " + std::string(OMBRASEL_SOLVE) + " " + arguments + " >.stdout";
    const pid_t tool = fork();
    if (tool == 0) {
        const int slave = open(slave_name.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);  // bytes as written, no CR added before LF
        tcsetattr(slave, TCSANOW, &raw);
        winsize size{};
        size.ws_col = 40;
        size.ws_row = 24;
        ioctl(slave, TIOCSWINSZ, &size);
        dup2(slave, STDERR_FILENO);
        close(slave);
        close(master);
        if (chdir(dir.c_str()) != 0) _exit(127);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    char buffer[4096];
    ssize_t got;
    while ((got = read(master, buffer, sizeof buffer)) > 0)
        seen.append(buffer, static_cast<std::size_t>(got));
    close(master);
    int status = 0;
    waitpid(tool, &status, 0);
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(dir / ".stdout");
    return seen;
}

TEST_F(Batch, ProgressOnATerminalIsRedrawnInPlaceAndRemoved)
{
    write("set.txt", hard_puzzle(1) + "$2\n1\n1\n" + "$3\n1\n1\n1\n1\n");
    Output r;
    const std::string seen = run_on_terminal(dir, "--timeout 0.6 set.txt", r);
    EXPECT_EQ(r.exit_code, 3) << seen;
    const std::string erase = "\r\033[K";

    // The summary comes last, after the line has been erased.
    const std::size_t summary = seen.rfind("ombrasel-solve: 3 puzzles: ");
    ASSERT_NE(summary, std::string::npos) << seen;
    EXPECT_EQ(seen.compare(summary - erase.size(), erase.size(), erase), 0) << seen;
    EXPECT_EQ(seen.find('\n'), seen.size() - 1) << "only the summary ends a line";

    // Before it, each drawing starts by erasing the line; it fits the 40 columns.
    std::vector<std::string> drawn;
    for (std::size_t at = 0; (at = seen.find(erase, at)) < summary - erase.size();) {
        at += erase.size();
        const std::size_t end = seen.find(erase, at);
        drawn.push_back(seen.substr(at, end - at));
    }
    ASSERT_GE(drawn.size(), 2u) << "the line is redrawn while the first puzzle runs: " << seen;
    EXPECT_EQ(drawn.front(), "0 of 3 done, 0.0 s: 0 unique, 0 none, 0") << "cut to 39 columns";
    // Redrawn while the first puzzle runs: the time goes on.
    const std::string& last = drawn.back();
    ASSERT_EQ(last.find(" of 3 done, "), 1u) << last;
    EXPECT_GE(std::stod(last.substr(12)), 0.2) << last;
    for (const std::string& line : drawn) EXPECT_LE(line.size(), 39u) << line;

    EXPECT_EQ(r.out.find('\033'), std::string::npos) << "nothing of it goes to standard output";
    EXPECT_NE(r.out.find("2 (set.txt): unique"), std::string::npos);
}

// ---- the options ----------------------------------------------------------------------

TEST_F(Batch, RefusesJobsAndTimeoutsThatAreNotNumbersInRange)
{
    write("unique.non", unique_non);
    const struct {
        const char* arguments;
        const char* message;
    } bad[] = {
        {"-j 0 unique.non", "-j needs a whole number of puzzles at a time from 1 to 256, not '0'"},
        {"-j 257 unique.non", "not '257'"},
        {"--jobs two unique.non", "not 'two'"},
        {"-j -1 unique.non", "not '-1'"},
        {"-j", "not ''"},
        {"--jobs= unique.non", "not ''"},
        {"--timeout 0 unique.non", "--timeout needs a number of seconds above 0 such as 10 or 0.5, not '0'"},
        {"--timeout -1 unique.non", "not '-1'"},
        {"--timeout 1e3 unique.non", "not '1e3'"},
        {"--timeout inf unique.non", "not 'inf'"},
        {"--timeout 1.2.3 unique.non", "not '1.2.3'"},
        {"--timeout . unique.non", "not '.'"},
        {"--timeout 9999999 unique.non", "not '9999999'"},
        {"--timeout", "not ''"},
    };
    for (const auto& b : bad) {
        const Output r = run(b.arguments);
        EXPECT_EQ(r.exit_code, 2) << b.arguments;
        EXPECT_EQ(r.out, "") << b.arguments;
        EXPECT_NE(r.err.find(b.message), std::string::npos) << b.arguments << ": " << r.err;
    }
    for (const char* good : {"-j 1", "-j256", "--jobs 2", "--timeout 5", "--timeout .5", "--timeout=10.25"}) {
        const Output r = run(std::string(good) + " unique.non");
        EXPECT_EQ(r.exit_code, 0) << good << ": " << r.err;
        EXPECT_NE(r.out.find(": unique, "), std::string::npos) << good;
    }

    const Output help = run("--help");
    for (const char* part : {"-j, --jobs N", "--timeout S", "processor time", "out of time",
                             "1 out of time", "  3  a puzzle ran out of time", "progress line", "summary"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
}

}  // namespace
