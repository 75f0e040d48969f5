#pragma once
// GPX files read on a thread of their own: a large one takes seconds, in
// which the window keeps answering and the landscape stays. Files are read
// one after another in the order given, with the progress in a bar under the
// map; Esc stops them. Each reading arrives on the GUI thread.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

#include <QByteArray>
#include <QRect>

#include "app/backgroundjob.h"
#include "overlays/gpx.h"

class QProgressBar;
class QTimer;
class QWidget;

class GpxLoading {
public:
    // `read` runs on the GUI thread with each file's path (the system's
    // bytes) and what was read from it.
    explicit GpxLoading(std::function<void(const QByteArray&, GpxReading)> read);

    // The bar, made once the window's components are.
    void ShowProgressIn(QWidget* parent, QRect place);
    // Reads the file at `nativePath` after those given before it.
    void Add(const QByteArray& nativePath);
    // Stops the file being read and drops those waiting, without waiting
    // for the reading thread. Whether any was being read.
    bool Stop();
    bool Running() const { return job_.Running(); }
    const QProgressBar* bar() const { return bar_; }

private:
    void StartNext();
    void ShowProgress();

    std::function<void(const QByteArray&, GpxReading)> read_;
    BackgroundJob job_;
    std::deque<QByteArray> waiting_;
    // Per mille of the file being read; shared with its thread, which may
    // outlive this object when stopped.
    std::shared_ptr<std::atomic<int>> progress_;
    QProgressBar* bar_ = nullptr;
    QTimer* timer_ = nullptr;
};
