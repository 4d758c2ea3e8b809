// Runs a program as a child and reports the child's resource use, as wait4 gives it: user and
// system time from the fork to the exit, start included, and the peak resident memory.
//
//   ombrasel-measure REPORT_FD CPU_SECONDS WALL_SECONDS PROGRAM [ARGUMENT...]
//
// The child inherits standard input, output and error. CPU_SECONDS (whole, 0: none) becomes its
// RLIMIT_CPU, so SIGXCPU ends it; past WALL_SECONDS (0: none) it is killed. One line goes to
// REPORT_FD: "exit N" or "signal N", then user s, system s, peak resident kB, wall s, and 1 when
// the wall limit killed it.
//
// Linux counts the memory of the image an exec replaces in the process's peak, so a child that
// a large process (the Python harness) starts carries that process's size; one started from this
// small process carries only this one's.
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

volatile std::sig_atomic_t wall_passed = 0;

void on_alarm(int) { wall_passed = 1; }

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

bool number(const char* text, double& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0' && value >= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    double report_fd = 0;
    double cpu = 0;
    double wall = 0;
    if (argc < 5 || !number(argv[1], report_fd) || !number(argv[2], cpu) || !number(argv[3], wall)) {
        std::fputs("usage: ombrasel-measure REPORT_FD CPU_SECONDS WALL_SECONDS PROGRAM [ARGUMENT...]\n", stderr);
        return 2;
    }
    const int report = static_cast<int>(report_fd);
    const pid_t parent = getpid();
    const double start = now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("ombrasel-measure: fork");
        return 2;
    }
    if (pid == 0) {
        // Ends with this process, should the harness kill it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        if (cpu > 0) {
            const auto whole = static_cast<rlim_t>(cpu);
            const rlimit limit{whole, whole + 1};
            setrlimit(RLIMIT_CPU, &limit);
        }
        close(report);
        execvp(argv[4], argv + 4);
        std::fprintf(stderr, "ombrasel-measure: %s: %s\n", argv[4], std::strerror(errno));
        _exit(127);
    }

    struct sigaction action {};
    action.sa_handler = on_alarm;
    sigaction(SIGALRM, &action, nullptr);  // without SA_RESTART: the wait below returns EINTR
    if (wall > 0) {
        itimerval timer{};
        timer.it_value.tv_sec = static_cast<time_t>(wall);
        timer.it_value.tv_usec = static_cast<suseconds_t>((wall - static_cast<double>(timer.it_value.tv_sec)) * 1e6);
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
    // Waits without reaping, so that the kill cannot reach another process that took the id.
    bool killed = false;
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0) {
        if (errno != EINTR) {
            std::perror("ombrasel-measure: waitid");
            return 2;
        }
        if (wall_passed && !killed) {
            kill(pid, SIGKILL);
            killed = true;
        }
    }
    const itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::perror("ombrasel-measure: wait4");
            return 2;
        }
    }
    const double elapsed = now() - start;
    const bool exited = WIFEXITED(status);
    dprintf(report, "%s %d %.6f %.6f %ld %.6f %d\n", exited ? "exit" : "signal",
            exited ? WEXITSTATUS(status) : WTERMSIG(status), seconds(usage.ru_utime), seconds(usage.ru_stime),
            usage.ru_maxrss, elapsed, killed ? 1 : 0);
    return 0;
}
