// Worker processes on Windows: this program started again with WORKER_ARGUMENT, each with the
// solver's static state to itself, reading requests on its standard input and writing answers
// on its standard output, both anonymous pipes. A thread of ours waits on each worker's answers.
//
// The workers sit in a job object that ends them when this process ends, however it ends
// (Ctrl-C included). The limit is watched from here: a worker still on a request when the limit
// has passed is terminated and its request reported out of time. This limit, a backstop behind
// the solver's own, counts elapsed time: Wine does not tell one process another's processor time.
// For the same reason each worker tells its own processor time with every answer.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "windows_com.h"
#include "worker_processes.h"

namespace {

const char* const WORKER_ARGUMENT = "--worker-process";
constexpr auto LIMIT_CHECK_EVERY = std::chrono::milliseconds(50);

double seconds_of(const FILETIME& t)
{
    return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + static_cast<double>(t.dwLowDateTime)) * 1e-7;
}

double process_seconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return seconds_of(kernel) + seconds_of(user);
}

double ended_workers_seconds = 0;  // processor time of the workers that have ended

std::string system_message(DWORD error)
{
    const std::string text = system_text(error);
    return text.empty() ? "error " + std::to_string(error) : text;
}

bool write_all(HANDLE h, const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!WriteFile(h, p, chunk, &n, nullptr) || n == 0) return false;
        p += n;
        size -= n;
    }
    return true;
}

bool read_all(HANDLE h, void* data, std::size_t size)
{
    char* p = static_cast<char*>(data);
    while (size > 0) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!ReadFile(h, p, chunk, &n, nullptr) || n == 0) return false;
        p += n;
        size -= n;
    }
    return true;
}

// The job every worker joins; its handle closes when this process ends, and the workers with it.
HANDLE workers_job()
{
    static const HANDLE job = [] {
        const HANDLE h = CreateJobObjectW(nullptr, nullptr);
        if (h) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
        return h;
    }();
    return job;
}

std::wstring program_path()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

class SpawnedWorkers final : public WorkerProcesses {
public:
    SpawnedWorkers(int size, double cpu_limit) : cpu_limit_(cpu_limit), workers_(static_cast<std::size_t>(size)) {}
    ~SpawnedWorkers() override;

    bool send(std::size_t id, const std::string& framed, std::string& why) override;
    int running() const override;
    void receive(int timeout_ms, const std::function<void(std::size_t, WorkerReply&&)>& done) override;

private:
    struct Worker {
        HANDLE process = nullptr;  // null: no worker in this slot
        HANDLE input = nullptr;    // our ends of its standard input and output
        HANDLE output = nullptr;
        std::thread reader;        // reads its answers into arrivals_
        bool busy = false;
        std::size_t id = 0;        // the request it is working on
        double cpu_told = 0;       // the processor time it told with its last answer
        std::chrono::steady_clock::time_point wall_at_request;
    };

    // An answer read by a worker's thread, or the end of its output.
    struct Arrival {
        std::size_t slot;
        bool whole;  // false: the worker's output ended
        std::string bytes;
        double cpu_seconds;
    };

    bool start(Worker& w, std::string& why);
    void read_answers(std::size_t slot);  // a worker's thread
    std::string end_of(Worker& w);       // waits for the worker to end; tells how it ended
    int end_overdue(const std::function<void(std::size_t, WorkerReply&&)>& done);

    double cpu_limit_;
    std::vector<Worker> workers_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Arrival> arrivals_;
};

SpawnedWorkers::~SpawnedWorkers()
{
    for (Worker& w : workers_) {
        if (!w.process) continue;
        if (w.busy) TerminateProcess(w.process, 1);  // its answer is no longer wanted
        end_of(w);
    }
}

bool SpawnedWorkers::start(Worker& w, std::string& why)
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE child_in = nullptr, our_in = nullptr, our_out = nullptr, child_out = nullptr;
    if (!CreatePipe(&child_in, &our_in, &inherited, 0)) {
        why = system_message(GetLastError());
        return false;
    }
    if (!CreatePipe(&our_out, &child_out, &inherited, 0)) {
        why = system_message(GetLastError());
        CloseHandle(child_in);
        CloseHandle(our_in);
        return false;
    }
    // Only the worker's own ends go to it; ours stay here, or a worker's output would not end
    // when the worker does.
    SetHandleInformation(our_in, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(our_out, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = child_in;
    startup.hStdOutput = child_out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const std::wstring path = program_path();
    std::wstring command = L"\"" + path + L"\" ";
    command.append(WORKER_ARGUMENT, WORKER_ARGUMENT + std::strlen(WORKER_ARGUMENT));
    PROCESS_INFORMATION started{};
    const bool ok = !path.empty() && CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, TRUE,
                                                    CREATE_SUSPENDED, nullptr, nullptr, &startup, &started);
    const DWORD error = GetLastError();
    CloseHandle(child_in);
    CloseHandle(child_out);
    if (!ok) {
        why = system_message(error);
        CloseHandle(our_in);
        CloseHandle(our_out);
        return false;
    }
    // Outside a job, or where jobs do not nest, the worker still ends with its input.
    if (const HANDLE job = workers_job()) AssignProcessToJobObject(job, started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);

    w.process = started.hProcess;
    w.input = our_in;
    w.output = our_out;
    w.busy = false;
    const std::size_t slot = static_cast<std::size_t>(&w - workers_.data());
    w.reader = std::thread([this, slot] { read_answers(slot); });
    return true;
}

void SpawnedWorkers::read_answers(std::size_t slot)
{
    const HANDLE output = workers_[slot].output;
    for (;;) {
        Arrival a{slot, false, {}, 0};
        ReplyHeader header{};
        if (read_all(output, &header, sizeof header)) {
            a.cpu_seconds = header.cpu_seconds;
            a.bytes.resize(header.length);
            a.whole = read_all(output, a.bytes.data(), a.bytes.size());
        }
        const bool more = a.whole;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            arrivals_.push_back(std::move(a));
        }
        arrived_.notify_one();
        if (!more) return;
    }
}

std::string SpawnedWorkers::end_of(Worker& w)
{
    CloseHandle(w.input);  // an idle worker ends at the end of its input
    WaitForSingleObject(w.process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(w.process, &code);
    ended_workers_seconds += std::max(w.cpu_told, process_seconds(w.process));
    w.reader.join();  // its output has ended with it
    CloseHandle(w.output);
    CloseHandle(w.process);
    const std::size_t slot = static_cast<std::size_t>(&w - workers_.data());
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::erase_if(arrivals_, [slot](const Arrival& a) { return a.slot == slot; });
    }
    w = Worker{};
    if (code == EXIT_WORKER_THREW) return "worker ended by an exception";
    char text[64];
    std::snprintf(text, sizeof text, code >= 0xC0000000u ? "worker ended by exception 0x%08lX" : "worker ended with exit code %lu",
                  static_cast<unsigned long>(code));
    return text;
}

int SpawnedWorkers::running() const
{
    return static_cast<int>(std::count_if(workers_.begin(), workers_.end(), [](const Worker& w) { return w.process != nullptr; }));
}

bool SpawnedWorkers::send(std::size_t id, const std::string& framed, std::string& why)
{
    auto w = std::find_if(workers_.begin(), workers_.end(), [](const Worker& x) { return x.process && !x.busy; });
    if (w == workers_.end()) {
        w = std::find_if(workers_.begin(), workers_.end(), [](const Worker& x) { return !x.process; });
        if (w == workers_.end()) {
            why = "no worker free";
            return false;
        }
        if (!start(*w, why)) return false;
    }
    w->busy = true;
    w->id = id;
    w->wall_at_request = std::chrono::steady_clock::now();
    // A worker that has gone meanwhile cannot take it; receive() then tells why.
    write_all(w->input, framed.data(), framed.size());
    return true;
}

int SpawnedWorkers::end_overdue(const std::function<void(std::size_t, WorkerReply&&)>& done)
{
    int ended = 0;
    for (Worker& w : workers_) {
        if (!w.busy) continue;
        const double used = std::chrono::duration<double>(std::chrono::steady_clock::now() - w.wall_at_request).count();
        if (used <= cpu_limit_) continue;
        TerminateProcess(w.process, 1);
        WorkerReply reply;
        reply.kind = WorkerReply::Kind::out_of_time;
        reply.cpu_seconds = used;
        reply.wall_seconds = used;
        const std::size_t id = w.id;
        end_of(w);
        done(id, std::move(reply));
        ++ended;
    }
    return ended;
}

void SpawnedWorkers::receive(int timeout_ms, const std::function<void(std::size_t, WorkerReply&&)>& done)
{
    if (std::none_of(workers_.begin(), workers_.end(), [](const Worker& w) { return w.busy; })) return;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    for (;;) {
        std::deque<Arrival> got;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            const auto now = std::chrono::steady_clock::now();
            auto wake = timeout_ms < 0 ? now + std::chrono::hours(24) : until;
            if (cpu_limit_ > 0) wake = std::min(wake, now + LIMIT_CHECK_EVERY);
            arrived_.wait_until(lock, wake, [this] { return !arrivals_.empty(); });
            got.swap(arrivals_);
        }
        int answered = 0;
        for (Arrival& a : got) {
            Worker& w = workers_[a.slot];
            if (!w.busy) continue;
            const std::size_t id = w.id;
            WorkerReply reply;
            if (a.whole) {
                w.cpu_told = a.cpu_seconds;
                reply.kind = WorkerReply::Kind::answered;
                reply.bytes = std::move(a.bytes);
                w.busy = false;
            } else {
                reply.kind = WorkerReply::Kind::failed;
                reply.why = end_of(w);
            }
            done(id, std::move(reply));
            ++answered;
        }
        if (cpu_limit_ > 0) answered += end_overdue(done);
        if (answered > 0 || (timeout_ms >= 0 && std::chrono::steady_clock::now() >= until)) return;
    }
}

}  // namespace

std::unique_ptr<WorkerProcesses> start_worker_processes(int size, double cpu_limit, const WorkerPool::Work&)
{
    return std::make_unique<SpawnedWorkers>(size, cpu_limit);
}

// Started by SpawnedWorkers::start: the one argument, and a pipe for input.
bool started_as_worker(int argc, char** argv)
{
    return argc == 2 && std::strcmp(argv[1], WORKER_ARGUMENT) == 0 &&
           GetFileType(GetStdHandle(STD_INPUT_HANDLE)) == FILE_TYPE_PIPE;
}

int serve_as_worker(const WorkerPool::Work& work)
{
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string request;
    RequestHeader header{};
    while (read_all(in, &header, sizeof header)) {
        request.resize(header.length);
        if (!read_all(in, request.data(), request.size())) break;
        std::string answer;
        try {
            answer = work(request);
        } catch (...) {
            return EXIT_WORKER_THREW;
        }
        answer = framed_answer(std::move(answer), process_seconds(GetCurrentProcess()));
        if (!write_all(out, answer.data(), answer.size())) break;
    }
    return 0;
}

// ---- the processors and clocks of this process ------------------------------------------

int processors()
{
    DWORD_PTR mine = 0, system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &mine, &system) && mine != 0)
        return std::max(1, static_cast<int>(__builtin_popcountll(static_cast<unsigned long long>(mine))));
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::max(1, static_cast<int>(info.dwNumberOfProcessors));
}

double processor_seconds() { return process_seconds(GetCurrentProcess()) + ended_workers_seconds; }

double cpu_now()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    return seconds_of(kernel) + seconds_of(user);
}
