// Worker processes, each with the solver's static state to itself, answering requests one at
// a time, with an optional limit on processor time; and the processors and clocks that the
// batch takes its measures from. On POSIX a worker is a fork of this program; on Windows it is
// this program started again, which main() hands to serve_as_worker().
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class WorkerProcesses;

struct WorkerReply {
    enum class Kind {
        answered,     // bytes holds what the work returned
        out_of_time,  // the request used up its processor time; the worker is gone
        failed,       // the worker ended without an answer; why says how
    };
    Kind kind = Kind::failed;
    std::string bytes;
    double cpu_seconds = 0;   // out_of_time: processor time the request had used
    double wall_seconds = 0;  // out_of_time: time from the request's start to the end
    std::string why;
};

class WorkerPool {
public:
    // Runs in a worker on each request and returns the answer. It must not exit.
    using Work = std::function<std::string(std::string_view request)>;

    // At most `size` workers, started when a request finds none idle. cpu_limit > 0 is the
    // processor time in seconds that one request may use; 0 sets no limit. Workers inherit
    // everything the program has set up before the first request (options, for one).
    WorkerPool(int size, double cpu_limit, Work work);
    ~WorkerPool();  // ends the workers and waits for them
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    bool can_take() const { return busy_ < size_; }
    int busy() const { return busy_; }  // requests submitted and not yet collected

    // Hands a request to an idle worker, starting one if needed. Requires can_take(). When
    // no more workers can be started, the pool goes on with the ones it has; it throws
    // std::runtime_error when it has none.
    void submit(std::size_t id, std::string_view request);

    // Waits at most timeout_ms (-1: as long as it takes) for busy workers to finish, and
    // calls done(id, reply) for each that has; returns at once when none is busy.
    void collect(int timeout_ms, const std::function<void(std::size_t, WorkerReply&&)>& done);

private:
    struct Request {
        std::size_t id;
        std::string bytes;  // with its header
    };

    void dispatch();  // hands waiting requests to idle workers

    int size_;
    std::unique_ptr<WorkerProcesses> processes_;
    std::deque<Request> waiting_;
    int busy_ = 0;
};

// Whether this process was started by a pool as a worker (Windows); then main() has it serve
// the pool's requests with serve_as_worker() until the pool ends it, and return what that
// returns.
bool started_as_worker(int argc, char** argv);
int serve_as_worker(const WorkerPool::Work& work);

// ---- the processors and clocks of this process ------------------------------------------

// The processors this process may run on; at least one.
int processors();

// Processor seconds used by this process and by its workers that have ended.
double processor_seconds();

// Processor seconds used by the calling thread. The thread's clock stays exact where the
// process's is sampled coarsely (under a CPU time limit, for one).
double cpu_now();
