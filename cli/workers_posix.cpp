// Worker processes on POSIX: each a fork of this program, so each has the solver's static state
// to itself and everything the program set up before it.
//
// A request and an answer travel over a Unix socket pair.
// The limit is a timer on the worker's processor clock, armed for each request: when it
// fires, its signal handler sends an out-of-time header with the time used and ends the
// worker, whose solver state is then half-way through a search; the next request gets a
// fresh worker.
#include "worker_processes.h"

#include <poll.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>

namespace {

// Writes all of it; false when the other end has gone. Safe in a signal handler.
bool write_all(int fd, const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads exactly size bytes; false at the end of the stream or on an error.
bool read_all(int fd, void* data, std::size_t size)
{
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

double seconds_since(const timespec& start, clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec - start.tv_sec) +
           static_cast<double>(now.tv_nsec - start.tv_nsec) * 1e-9;
}

// ---- inside a worker ----------------------------------------------------------------

int worker_socket = -1;
timespec request_cpu_start;   // the worker's clocks when its current request began
timespec request_wall_start;

void on_cpu_limit(int)
{
    ReplyHeader header{};
    header.kind = static_cast<std::uint32_t>(WorkerReply::Kind::out_of_time);
    header.cpu_seconds = seconds_since(request_cpu_start, CLOCK_THREAD_CPUTIME_ID);
    header.wall_seconds = seconds_since(request_wall_start, CLOCK_MONOTONIC);
    write_all(worker_socket, &header, sizeof header);
    _exit(0);
}

[[noreturn]] void run_worker(int fd, double cpu_limit, const WorkerPool::Work& work)
{
    worker_socket = fd;
    timer_t timer{};
    itimerspec armed{};
    const itimerspec disarmed{};
    if (cpu_limit > 0) {
        struct sigaction action{};
        action.sa_handler = on_cpu_limit;
        sigemptyset(&action.sa_mask);
        sigevent event{};
        event.sigev_notify = SIGEV_SIGNAL;
        event.sigev_signo = SIGXCPU;
        if (sigaction(SIGXCPU, &action, nullptr) != 0 ||
            timer_create(CLOCK_THREAD_CPUTIME_ID, &event, &timer) != 0)
            _exit(EXIT_WORKER_SETUP);
        const double whole = static_cast<double>(static_cast<time_t>(cpu_limit));
        armed.it_value.tv_sec = static_cast<time_t>(whole);
        armed.it_value.tv_nsec = static_cast<long>((cpu_limit - whole) * 1e9);
        if (armed.it_value.tv_sec == 0 && armed.it_value.tv_nsec == 0)
            armed.it_value.tv_nsec = 1;  // all zero would disarm it
    }

    std::string request;
    RequestHeader in{};
    while (read_all(fd, &in, sizeof in)) {
        request.resize(in.length);
        if (!read_all(fd, request.data(), request.size())) break;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &request_cpu_start);
        clock_gettime(CLOCK_MONOTONIC, &request_wall_start);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        if (cpu_limit > 0) timer_settime(timer, 0, &armed, nullptr);
        std::string answer;
        try {
            answer = work(request);
        } catch (...) {
            _exit(EXIT_WORKER_THREW);
        }
        if (cpu_limit > 0) timer_settime(timer, 0, &disarmed, nullptr);
        answer = framed_answer(std::move(answer));  // one send a reply
        if (!write_all(fd, answer.data(), answer.size())) break;
    }
    _exit(0);
}

// ---- the workers -----------------------------------------------------------------------

class ForkedWorkers final : public WorkerProcesses {
public:
    ForkedWorkers(int size, double cpu_limit, WorkerPool::Work work)
        : cpu_limit_(cpu_limit), work_(std::move(work)), workers_(static_cast<std::size_t>(size))
    {
    }
    ~ForkedWorkers() override;

    bool send(std::size_t id, const std::string& framed, std::string& why) override;
    int running() const override;
    void receive(int timeout_ms, const std::function<void(std::size_t, WorkerReply&&)>& done) override;

private:
    struct Worker {
        pid_t pid = -1;
        int fd = -1;           // our end of the worker's socket; -1: no worker in this slot
        bool busy = false;
        std::size_t id = 0;    // the request it is working on
    };

    Worker* idle_worker();     // an idle worker, started if need be; null if none can be
    bool start(Worker& w);
    std::string end_of(Worker& w);  // closes the socket, waits for the process, tells how it ended

    double cpu_limit_;
    WorkerPool::Work work_;
    std::vector<Worker> workers_;
};

ForkedWorkers::~ForkedWorkers()
{
    for (Worker& w : workers_) {
        if (w.fd < 0) continue;
        if (w.busy) kill(w.pid, SIGKILL);  // its answer is no longer wanted
        end_of(w);
    }
}

bool ForkedWorkers::start(Worker& w)
{
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
    std::fflush(nullptr);  // nothing buffered may be written a second time by the worker
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        const int error = errno;
        close(fds[0]);
        close(fds[1]);
        errno = error;
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        for (const Worker& other : workers_)
            if (other.fd >= 0) close(other.fd);
#ifdef __linux__
        // A worker never outlives the program, even one that is killed.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(0);
#endif
        run_worker(fds[1], cpu_limit_, work_);
    }
    close(fds[1]);
    w.pid = pid;
    w.fd = fds[0];
    w.busy = false;
    return true;
}

std::string ForkedWorkers::end_of(Worker& w)
{
    close(w.fd);
    int status = 0;
    pid_t got;
    while ((got = waitpid(w.pid, &status, 0)) < 0 && errno == EINTR) {
    }
    const int error = errno;
    w = Worker{};
    if (got < 0) return std::string("worker lost: ") + std::strerror(error);
    if (WIFSIGNALED(status))
        return "worker killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    if (WEXITSTATUS(status) == EXIT_WORKER_SETUP) return "worker could not set up its processor time limit";
    if (WEXITSTATUS(status) == EXIT_WORKER_THREW) return "worker ended by an exception";
    return "worker ended with exit code " + std::to_string(WEXITSTATUS(status));
}

ForkedWorkers::Worker* ForkedWorkers::idle_worker()
{
    for (Worker& w : workers_)
        if (w.fd >= 0 && !w.busy) return &w;
    for (Worker& w : workers_)
        if (w.fd < 0) return start(w) ? &w : nullptr;
    return nullptr;
}

int ForkedWorkers::running() const
{
    int live = 0;
    for (const Worker& w : workers_) live += w.fd >= 0;
    return live;
}

bool ForkedWorkers::send(std::size_t id, const std::string& framed, std::string& why)
{
    Worker* w = idle_worker();
    if (!w) {
        why = std::strerror(errno);
        return false;
    }
    w->busy = true;
    w->id = id;
    // A worker that has gone meanwhile cannot take it; receive() then tells why.
    write_all(w->fd, framed.data(), framed.size());
    return true;
}

void ForkedWorkers::receive(int timeout_ms, const std::function<void(std::size_t, WorkerReply&&)>& done)
{
    std::vector<pollfd> polled;
    std::vector<Worker*> owners;
    for (Worker& w : workers_)
        if (w.busy) {
            polled.push_back({w.fd, POLLIN, 0});
            owners.push_back(&w);
        }
    if (polled.empty()) return;
    if (poll(polled.data(), polled.size(), timeout_ms) <= 0) return;  // time up, or a signal

    for (std::size_t k = 0; k < polled.size(); ++k) {
        if (polled[k].revents == 0) continue;
        Worker& w = *owners[k];
        const std::size_t id = w.id;
        WorkerReply reply;
        ReplyHeader header{};
        if (!read_all(w.fd, &header, sizeof header)) {
            reply.kind = WorkerReply::Kind::failed;
            reply.why = end_of(w);
        } else if (header.kind == static_cast<std::uint32_t>(WorkerReply::Kind::out_of_time)) {
            reply.kind = WorkerReply::Kind::out_of_time;
            reply.cpu_seconds = header.cpu_seconds;
            reply.wall_seconds = header.wall_seconds;
            end_of(w);
        } else {
            reply.bytes.resize(header.length);
            if (read_all(w.fd, reply.bytes.data(), reply.bytes.size())) {
                reply.kind = WorkerReply::Kind::answered;
                w.busy = false;
            } else {
                reply.kind = WorkerReply::Kind::failed;
                reply.bytes.clear();
                reply.why = end_of(w);
            }
        }
        done(id, std::move(reply));
    }
}

}  // namespace

std::unique_ptr<WorkerProcesses> start_worker_processes(int size, double cpu_limit, const WorkerPool::Work& work)
{
    return std::make_unique<ForkedWorkers>(size, cpu_limit, work);
}

// A forked worker never comes back through main().
bool started_as_worker(int, char**) { return false; }

int serve_as_worker(const WorkerPool::Work&) { return EXIT_WORKER_SETUP; }

// ---- the processors and clocks of this process ------------------------------------------

int processors()
{
    long n = 0;
#ifdef CPU_COUNT
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0) n = CPU_COUNT(&usable);
#endif
    if (n < 1) n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : static_cast<int>(std::min(n, long{INT_MAX}));
}

namespace {

double seconds_of(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

}  // namespace

double processor_seconds()
{
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        if (getrusage(who, &usage) == 0) total += seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
    }
    return total;
}

double cpu_now()
{
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
#else
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}
