#include "app/backgroundjob.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include <QMetaObject>

struct BackgroundJob::Run {
    std::atomic<bool> stop{false};
    std::mutex mutex;  // guards the fields below
    std::condition_variable endedSignal;
    BackgroundJob* owner = nullptr;  // cleared when the owner goes
    bool posted = false;  // its delivery waits for the owner's thread
    bool ended = false;
};

BackgroundJob::~BackgroundJob()
{
    // Nothing more is posted to this object, and every job is told to stop.
    for (const std::shared_ptr<Run>& run : runs_) {
        run->stop = true;
        const std::lock_guard lock(run->mutex);
        run->owner = nullptr;
    }
    // A moment for them to see it, so that at exit none runs on past the
    // program's end; one stuck in a long step is left to finish alone.
    const auto deadline = std::chrono::steady_clock::now() + kEndWait;
    for (const std::shared_ptr<Run>& run : runs_) {
        std::unique_lock lock(run->mutex);
        run->endedSignal.wait_until(lock, deadline, [&run] { return run->ended; });
    }
}

void BackgroundJob::Start(Work work)
{
    Stop();
    ForgetEnded();
    auto run = std::make_shared<Run>();
    run->owner = this;
    current_ = run;
    runs_.push_back(run);
    std::thread([run, work = std::move(work)]() mutable {
        {
            Delivery delivery = work(run->stop);
            work = nullptr;  // what it holds goes before the job counts as ended
            const std::lock_guard lock(run->mutex);
            if (run->owner && delivery) {
                run->posted = true;
                BackgroundJob* owner = run->owner;
                QMetaObject::invokeMethod(
                    owner, [owner, run, delivery = std::move(delivery)] { owner->Deliver(run, delivery); },
                    Qt::QueuedConnection);
            }
        }
        const std::lock_guard lock(run->mutex);
        run->ended = true;
        run->endedSignal.notify_all();
    }).detach();
}

void BackgroundJob::Stop()
{
    if (current_)
        current_->stop = true;
    current_.reset();
}

bool BackgroundJob::Busy()
{
    ForgetEnded();
    if (!runs_.empty())
        return true;
    // Ended, but what it hands over is still on its way: a job started now
    // would make it stale, and it would be dropped.
    if (!current_)
        return false;
    const std::lock_guard lock(current_->mutex);
    return current_->posted;
}

void BackgroundJob::Deliver(const std::shared_ptr<Run>& run, const Delivery& delivery)
{
    if (run != current_)
        return;  // stopped or replaced after it finished
    current_.reset();
    ForgetEnded();
    delivery();
}

void BackgroundJob::ForgetEnded()
{
    std::erase_if(runs_, [](const std::shared_ptr<Run>& run) {
        const std::lock_guard lock(run->mutex);
        return run->ended;
    });
}
