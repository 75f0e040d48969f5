#pragma once
// Long work on a thread of its own, whose result the GUI thread takes once
// it is done. The GUI thread never waits for the thread: a job stopped or
// replaced is left to end by itself, and what it hands over is dropped. A
// job's thread shares nothing with its owner but its stop flag and whether
// the owner still takes deliveries, so an owner may go first.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <QObject>

class BackgroundJob : public QObject {
public:
    // Runs on the GUI thread with what a job hands over.
    using Delivery = std::function<void()>;
    // Runs on the job's thread; `stop` is set once the job is no longer
    // wanted. An empty delivery hands nothing over.
    using Work = std::function<Delivery(const std::atomic<bool>& stop)>;

    // How long the owner's end waits for its jobs to see their stop flag
    // before it lets them finish alone.
    static constexpr std::chrono::milliseconds kEndWait{500};

    BackgroundJob() = default;
    ~BackgroundJob() override;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts `work` on a thread of its own; the job running already, if
    // any, is stopped first.
    void Start(Work work);
    // Stops the current job, without waiting: its delivery never runs.
    void Stop();
    // Whether the current job has yet to deliver.
    bool Running() const { return current_ != nullptr; }
    // Whether any job's thread, a stopped one's too, is still at work, or
    // the current job's delivery has yet to run.
    bool Busy();

private:
    struct Run;
    void Deliver(const std::shared_ptr<Run>& run, const Delivery& delivery);
    void ForgetEnded();

    std::shared_ptr<Run> current_;
    std::vector<std::shared_ptr<Run>> runs_;  // every job not known to have ended
};
