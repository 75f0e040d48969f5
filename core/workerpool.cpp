#include "core/workerpool.h"

#include <algorithm>
#include <utility>

WorkerPool& WorkerPool::Shared()
{
    static WorkerPool pool(int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(kMaxBands))) - 1);
    return pool;
}

WorkerPool::WorkerPool(int workers)
{
    workers_.reserve(std::size_t(workers));
    for (int i = 0; i < workers; ++i)
        workers_.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

// Takes tasks of the current job until none is left.
void WorkerPool::WorkOn()
{
    for (int i = nextTask_.fetch_add(1); i < tasks_; i = nextTask_.fetch_add(1))
        call_(task_, i);
}

void WorkerPool::WorkerLoop()
{
    uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_)
                return;
            seen = generation_;
        }
        WorkOn();
        {
            std::lock_guard lock(mutex_);
            --busyWorkers_;
        }
        finished_.notify_one();
    }
}

namespace {

thread_local bool tWorkAlone = false;

}  // namespace

WorkAloneOnThisThread::WorkAloneOnThisThread() : before_(std::exchange(tWorkAlone, true))
{
}

WorkAloneOnThisThread::~WorkAloneOnThisThread()
{
    tWorkAlone = before_;
}

void WorkerPool::RunErased(int tasks, TaskCall call, const void* task)
{
    std::unique_lock job(jobMutex_, std::defer_lock);
    if (tWorkAlone || !job.try_lock() || tasks <= 1 || workers_.empty()) {
        for (int i = 0; i < tasks; ++i)
            call(task, i);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        call_ = call;
        task_ = task;
        tasks_ = tasks;
        nextTask_.store(0);
        busyWorkers_ = int(workers_.size());
        ++generation_;
    }
    wake_.notify_all();
    WorkOn();
    // Every worker must be out of WorkOn before the job's task goes away.
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return busyWorkers_ == 0; });
}
