// The pool's queue of requests, over the platform's worker processes.
#include "workers.h"

#include <stdexcept>

#include "worker_processes.h"

WorkerPool::WorkerPool(int size, double cpu_limit, Work work)
    : size_(size), processes_(start_worker_processes(size, cpu_limit, std::move(work)))
{
}

WorkerPool::~WorkerPool() = default;

void WorkerPool::submit(std::size_t id, std::string_view request)
{
    ++busy_;
    const RequestHeader header{static_cast<std::uint32_t>(request.size())};
    std::string framed(reinterpret_cast<const char*>(&header), sizeof header);
    framed += request;
    waiting_.push_back({id, std::move(framed)});
    dispatch();
}

void WorkerPool::dispatch()
{
    std::string why;
    while (!waiting_.empty()) {
        const Request& r = waiting_.front();
        if (!processes_->send(r.id, r.bytes, why)) {
            const int live = processes_->running();
            if (live == 0) throw std::runtime_error("cannot start a worker process: " + why);
            size_ = live;
            return;
        }
        waiting_.pop_front();
    }
}

void WorkerPool::collect(int timeout_ms, const std::function<void(std::size_t, WorkerReply&&)>& done)
{
    if (busy_ == static_cast<int>(waiting_.size())) return;  // none is with a worker
    processes_->receive(timeout_ms, [&](std::size_t id, WorkerReply&& reply) {
        --busy_;
        done(id, std::move(reply));
    });
    dispatch();
}

std::string framed_answer(std::string answer, double cpu_seconds)
{
    ReplyHeader header{};
    header.cpu_seconds = cpu_seconds;
    header.kind = static_cast<std::uint32_t>(WorkerReply::Kind::answered);
    header.length = static_cast<std::uint32_t>(answer.size());
    answer.insert(0, reinterpret_cast<const char*>(&header), sizeof header);
    return answer;
}
