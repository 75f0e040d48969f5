#include "app/gpxloading.h"

#include <utility>

#include <QCoreApplication>
#include <QProgressBar>
#include <QTimer>

namespace {

constexpr int kProgressIntervalMs = 100;

}  // namespace

GpxLoading::GpxLoading(std::function<void(const QByteArray&, GpxReading)> read) : read_(std::move(read))
{
}

void GpxLoading::ShowProgressIn(QWidget* parent, QRect place)
{
    bar_ = new QProgressBar(parent);
    bar_->setObjectName(QStringLiteral("gpxProgress"));
    bar_->setGeometry(place);
    bar_->setRange(0, kGpxProgressScale);
    //: The bar under the map while a GPX file is read; %p is the percentage read.
    bar_->setFormat(QCoreApplication::translate("GpxLoading", "GPXを読み込み中 %p%（Escで中止）"));
    bar_->hide();
    timer_ = new QTimer(bar_);
    timer_->setInterval(kProgressIntervalMs);
    QObject::connect(timer_, &QTimer::timeout, bar_, [this] { ShowProgress(); });
}

void GpxLoading::Add(const QByteArray& nativePath)
{
    waiting_.push_back(nativePath);
    if (!job_.Running())
        StartNext();
}

bool GpxLoading::Stop()
{
    const bool reading = job_.Running();
    waiting_.clear();
    job_.Stop();
    StartNext();  // nothing waits: puts the bar away
    return reading;
}

void GpxLoading::StartNext()
{
    if (waiting_.empty()) {
        if (bar_) {
            timer_->stop();
            bar_->hide();
        }
        return;
    }
    const QByteArray path = waiting_.front();
    waiting_.pop_front();
    progress_ = std::make_shared<std::atomic<int>>(0);
    job_.Start([this, path, progress = progress_](const std::atomic<bool>& stop) -> BackgroundJob::Delivery {
        auto reading = std::make_shared<GpxReading>(ReadGpxFile(path, {&stop, progress.get()}));
        // Runs on the GUI thread, where the job, and so `this`, is alive.
        return [this, path, reading] {
            read_(path, std::move(*reading));
            if (!job_.Running())
                StartNext();
        };
    });
    if (bar_) {
        bar_->setValue(0);
        bar_->show();
        bar_->raise();
        timer_->start();
    }
}

void GpxLoading::ShowProgress()
{
    if (progress_)
        bar_->setValue(progress_->load(std::memory_order_relaxed));
}
