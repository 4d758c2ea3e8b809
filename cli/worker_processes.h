// The processes behind a WorkerPool, one kind a platform: forks of the program on POSIX
// (workers_posix.cpp), the program started again on Windows (workers_windows.cpp). A request
// and a reply travel as a fixed header and the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "workers.h"

struct RequestHeader {
    std::uint32_t length;
};

struct ReplyHeader {
    std::uint32_t kind;  // a WorkerReply::Kind
    std::uint32_t length;
    double cpu_seconds;   // out_of_time: processor time the request had used; answered,
                          // on Windows: the worker's processor time so far
    double wall_seconds;  // out_of_time: the time since the request began
};

// Exit codes of a worker that ends by itself.
constexpr int EXIT_WORKER_SETUP = 70;   // it could not set up its time limit
constexpr int EXIT_WORKER_THREW = 71;   // the work threw an exception

class WorkerProcesses {
public:
    virtual ~WorkerProcesses() = default;  // ends the workers, killing busy ones

    // Sends a request (its header included) for `id` to an idle worker, started when none is
    // idle and fewer than the pool's size run. False when no worker can take it, with why.
    virtual bool send(std::size_t id, const std::string& framed, std::string& why) = 0;

    virtual int running() const = 0;

    // Waits at most timeout_ms (-1: as long as it takes) for busy workers to finish, and
    // calls done(id, reply) for each that has.
    virtual void receive(int timeout_ms, const std::function<void(std::size_t, WorkerReply&&)>& done) = 0;
};

std::unique_ptr<WorkerProcesses> start_worker_processes(int size, double cpu_limit, const WorkerPool::Work& work);

// The header and bytes of a worker's answer.
std::string framed_answer(std::string answer, double cpu_seconds = 0);
