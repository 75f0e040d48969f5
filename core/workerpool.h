#pragma once
// One set of worker threads for the whole run, started on first use and kept:
// the load passes and every frame share their work out over the cores without
// starting a thread. A job is split into numbered tasks; the calling thread
// works on them too and returns when all are done.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// For as long as one lives, the jobs its thread starts run on that thread
// alone and leave the pool's threads to others: a load in the background then
// never holds the pool while frames want it.
class WorkAloneOnThisThread {
public:
    WorkAloneOnThisThread();
    ~WorkAloneOnThisThread();
    WorkAloneOnThisThread(const WorkAloneOnThisThread&) = delete;
    WorkAloneOnThisThread& operator=(const WorkAloneOnThisThread&) = delete;

private:
    bool before_;
};

// Most pieces a pass is split into: more bring nothing on the machines the
// viewer runs on, and fixed-size per-band results can be kept on the stack.
inline constexpr int kMaxBands = 8;

class WorkerPool {
public:
    // The pool of the process, with one thread per core beyond the caller's,
    // at most kMaxBands - 1.
    static WorkerPool& Shared();

    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The threads a job runs on, the caller's included.
    int threads() const { return int(workers_.size()) + 1; }

    // Runs task(i) for every i in [0, tasks) and returns when all are done.
    // Which thread runs which task is not fixed, so tasks must not depend on
    // it. While another job holds the pool, the caller runs its tasks alone.
    template <class Task> void Run(int tasks, const Task& task)
    {
        RunErased(
            tasks, [](const void* t, int i) { (*static_cast<const Task*>(t))(i); }, &task);
    }

private:
    using TaskCall = void (*)(const void* task, int index);

    explicit WorkerPool(int workers);
    void RunErased(int tasks, TaskCall call, const void* task);
    void WorkOn();
    void WorkerLoop();

    std::mutex jobMutex_;  // held by the caller of the job in progress
    std::mutex mutex_;  // guards the fields below
    std::condition_variable wake_;
    std::condition_variable finished_;
    uint64_t generation_ = 0;  // counts jobs, so a worker takes each once
    int busyWorkers_ = 0;
    bool stopping_ = false;
    TaskCall call_ = nullptr;
    const void* task_ = nullptr;
    int tasks_ = 0;
    std::atomic<int> nextTask_{0};
    std::vector<std::thread> workers_;
};
