#include "app/namelists.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>
#include <QFile>
#include <QProgressBar>
#include <QSettings>
#include <QTimer>

#include "elevation/checkedfile.h"
#include "overlays/usermessages.h"
#include "places/placefiles.h"

namespace {

constexpr int kProgressIntervalMs = 100;
constexpr int kProgressScale = 1000;
const char* const kFilesKey = "names/files";
constexpr int kGeoNamesColumns = 19;
constexpr qint64 kLongestFirstLine = 65536;

// Every list of `files` read for `area` into one PlaceList, in order.
NameReading ReadLists(
    const QByteArrayList& files, const GeoArea& area, const std::atomic<bool>& stop, std::atomic<int>& progress)
{
    auto lists = std::make_shared<std::vector<ListReading>>();
    NameReading reading;
    reading.area = area;
    for (qsizetype i = 0; i < files.size(); ++i) {
        ReadControl control;
        control.stop = &stop;
        control.progress = [&progress, i, count = files.size()](int64_t done, int64_t total) {
            const double share = total > 0 ? double(done) / double(total) : 0;
            progress.store(int((double(i) + share) / double(count) * kProgressScale), std::memory_order_relaxed);
        };
        ListReading one = ReadPlaceFile(files[i].toStdString(), area, control);
        if (one.outcome == ListOutcome::Cancelled)
            return {};
        if (one.outcome == ListOutcome::Refused && !one.problems.empty())
            reading.problems.append(ListProblemText(ShownFileName(one.source.file), one.problems.front()));
        else
            lists->push_back(std::move(one));
    }
    reading.lists = std::move(lists);
    return reading;
}

bool SameArea(const GeoArea& a, const GeoArea& b)
{
    return a.south == b.south && a.north == b.north && a.west == b.west && a.east == b.east;
}

}  // namespace

bool IsNameListFile(const QString& fileName)
{
    const ListFormat format = ListFormatOfName(QFile::encodeName(fileName).toStdString());
    if (format != ListFormat::GeoNames)
        return format != ListFormat::Unknown;
    // Opened as tiles are: a FIFO or a device is never waited on, and is left
    // to the tile intake to refuse.
    const CheckedFile file(QFile::encodeName(fileName).toStdString());
    if (file.Error() != TileError::None)
        return false;
    QByteArray head(kLongestFirstLine, Qt::Uninitialized);
    const ssize_t read = ReadAt(file.Descriptor(), head.data(), std::size_t(head.size()), 0);
    head.truncate(qsizetype(std::max<ssize_t>(read, 0)));
    const qsizetype lineEnd = head.indexOf('\n');
    return head.first(lineEnd < 0 ? head.size() : lineEnd).count('\t') + 1 >= kGeoNamesColumns;
}

NameLists::NameLists(std::function<void(NameReading)> read) : read_(std::move(read))
{
}

void NameLists::ShowProgressIn(QWidget* parent, QRect place)
{
    bar_ = new QProgressBar(parent);
    bar_->setObjectName(QStringLiteral("namesProgress"));
    bar_->setGeometry(place);
    bar_->setRange(0, kProgressScale);
    //: The bar under the map while the lists of names are read; %p is the percentage read.
    bar_->setFormat(QCoreApplication::translate("NameLists", "名前リストを読み込み中 %p%（Escで中止）"));
    bar_->hide();
    timer_ = new QTimer(bar_);
    timer_->setInterval(kProgressIntervalMs);
    QObject::connect(timer_, &QTimer::timeout, bar_, [this] { ShowProgress(); });
}

QByteArrayList NameLists::Files() const
{
    QByteArrayList files;
    for (const QVariant& file : QSettings().value(QLatin1String(kFilesKey)).toList())
        files.append(file.toByteArray());
    return files;
}

void NameLists::SaveFiles(const QByteArrayList& files) const
{
    QVariantList values;
    for (const QByteArray& file : files)
        values.append(file);
    QSettings().setValue(QLatin1String(kFilesKey), values);
}

void NameLists::Add(const QByteArray& nativePath)
{
    QByteArrayList files = Files();
    if (!files.contains(nativePath))
        files.append(nativePath);
    SaveFiles(files);
}

void NameLists::Remove(const QByteArray& nativePath)
{
    QByteArrayList files = Files();
    files.removeAll(nativePath);
    SaveFiles(files);
}

void NameLists::ReadFor(const GeoArea& area)
{
    const QByteArrayList files = Files();
    if (last_.lists && !job_.Running() && files == lastFiles_ && SameArea(last_.area, area))
        return;
    progress_ = std::make_shared<std::atomic<int>>(0);
    job_.Start([this, files, area, progress = progress_](const std::atomic<bool>& stop) -> BackgroundJob::Delivery {
        auto reading = std::make_shared<NameReading>(ReadLists(files, area, stop, *progress));
        if (!reading->lists)
            return {};
        // Runs on the GUI thread, where the job, and so `this`, is alive.
        return [this, reading, files] {
            last_ = *reading;
            lastFiles_ = files;
            if (bar_) {
                timer_->stop();
                bar_->hide();
            }
            read_(std::move(*reading));
        };
    });
    if (bar_ && !files.isEmpty()) {
        bar_->setValue(0);
        bar_->show();
        bar_->raise();
        timer_->start();
    }
}

const std::vector<ListReading>& NameLists::lists() const
{
    static const std::vector<ListReading> kNone;
    return last_.lists ? *last_.lists : kNone;
}

bool NameLists::Stop()
{
    const bool reading = job_.Running();
    job_.Stop();
    if (bar_) {
        timer_->stop();
        bar_->hide();
    }
    return reading;
}

void NameLists::ShowProgress()
{
    if (progress_)
        bar_->setValue(progress_->load(std::memory_order_relaxed));
}
