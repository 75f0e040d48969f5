#include "overlays/gpx.h"

#include <cerrno>
#include <cmath>

#include <QCoreApplication>
#include <QFile>
#include <QTextBoundaryFinder>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kProgressEvery = 1024;  // elements read between reports of the progress

// `name` cut to kGpxMaxNameLength characters with an ellipsis, on the edge
// of a whole character as the reader sees it (a grapheme: an emoji, a
// letter with its accents), never inside one.
QString CutName(const QString& name)
{
    if (name.size() <= kGpxMaxNameLength)
        return name;
    // The edges before the cut depend only on the characters near it.
    const QString head = name.left(kGpxMaxNameLength + 8);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, head);
    graphemes.setPosition(kGpxMaxNameLength - 1);
    qsizetype cut = graphemes.isAtBoundary() ? graphemes.position() : graphemes.toPreviousBoundary();
    if (cut <= 0) {
        // One grapheme longer than a name: cut between code points.
        cut = kGpxMaxNameLength - 1;
        if (head[cut].isLowSurrogate())
            --cut;
    }
    return head.left(cut) + QChar(0x2026);
}

class GpxParser {
public:
    GpxParser(QXmlStreamReader& xml, const GpxReadControl& control) : xml_(xml), control_(control) { }

    GpxReading Read()
    {
        GpxReading reading;
        if (!xml_.readNextStartElement() || xml_.name() != QLatin1String("gpx")) {
            reading.error = xml_.hasError()
                ? QCoreApplication::translate("Gpx", "GPXファイルではありません（XMLとして読めません）．")
                : QCoreApplication::translate("Gpx", "GPXファイルではありません（gpx要素がありません）．");
            return reading;
        }
        while (Going() && xml_.readNextStartElement()) {
            const auto name = xml_.name();
            if (name == QLatin1String("wpt"))
                ReadWaypoint();
            else if (name == QLatin1String("trk"))
                ReadLines(QStringLiteral("trkseg"), QStringLiteral("trkpt"));
            else if (name == QLatin1String("rte"))
                ReadRoute();
            else
                xml_.skipCurrentElement();
        }
        if (stopped_) {
            reading.stopped = true;
            reading.error = QCoreApplication::translate("Gpx", "GPXファイルの読み込みを中止しました．");
            return reading;
        }
        if (xml_.hasError() && data_.waypoints.empty() && data_.lines.empty()) {
            reading.error = QCoreApplication::translate("Gpx", "GPXファイルが壊れています：%1").arg(xml_.errorString());
            return reading;
        }
        if (xml_.hasError())
            data_.notes << QCoreApplication::translate("Gpx", "ファイルの途中が壊れていたため，そこまでを表示します．");
        if (skippedPoints_ > 0)
            data_.notes << QCoreApplication::translate("Gpx", "範囲外の座標 %1 点を除きました．").arg(skippedPoints_);
        if (singlePointLines_ > 0)
            data_.notes << QCoreApplication::translate("Gpx", "点が1つしかない経路やトラック %1 本を除きました．")
                               .arg(singlePointLines_);
        if (clippedPoints_)
            data_.notes << QCoreApplication::translate("Gpx", "点が多すぎるため，最初の %1 点だけを表示します．")
                               .arg(kGpxMaxPoints);
        reading.ok = true;
        reading.data = std::move(data_);
        return reading;
    }

private:
    // A point's latitude and longitude, if both are numbers on the globe.
    bool ReadPoint(GpxPoint& point)
    {
        bool latOk = false, lonOk = false;
        const auto attributes = xml_.attributes();
        point.latitude = attributes.value(QLatin1String("lat")).toDouble(&latOk);
        point.longitude = attributes.value(QLatin1String("lon")).toDouble(&lonOk);
        const bool onGlobe = latOk && lonOk && std::fabs(point.latitude) <= 90 && std::fabs(point.longitude) <= 180;
        if (!onGlobe)
            ++skippedPoints_;
        return onGlobe;
    }

    // Reads a point's children up to its end, keeping its <ele> when it is a
    // finite number; a point without one has no height from the file.
    void ReadElevation(GpxPoint& point)
    {
        while (xml_.readNextStartElement()) {
            if (xml_.name() != QLatin1String("ele")) {
                xml_.skipCurrentElement();
                continue;
            }
            bool ok = false;
            const double metres = xml_.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toDouble(&ok);
            if (ok && std::isfinite(metres))
                point.elevation = metres;
        }
    }

    // Once the points are full nothing more is read: the rest of a large
    // file would only be skipped.
    bool Room()
    {
        if (points_ < kGpxMaxPoints)
            return true;
        clippedPoints_ = true;
        return false;
    }

    // Whether to read on: not once full or stopped. Tells the progress now
    // and then.
    bool Going()
    {
        if (clippedPoints_ || stopped_)
            return false;
        if (control_.stop && control_.stop->load(std::memory_order_relaxed)) {
            stopped_ = true;
            return false;
        }
        if (control_.progress && ++elements_ % kProgressEvery == 0)
            TellProgress();
        return true;
    }

    void TellProgress()
    {
        const QIODevice* device = xml_.device();
        if (!device || device->size() <= 0)
            return;
        const qint64 share = device->pos() * kGpxProgressScale / device->size();
        control_.progress->store(int(std::min<qint64>(share, kGpxProgressScale)), std::memory_order_relaxed);
    }

    QString ReadName() { return CutName(xml_.readElementText(QXmlStreamReader::SkipChildElements).simplified()); }

    void ReadWaypoint()
    {
        GpxWaypoint waypoint;
        const bool onGlobe = ReadPoint(waypoint.at);
        while (Going() && xml_.readNextStartElement()) {
            if (xml_.name() == QLatin1String("name"))
                waypoint.name = ReadName();
            else
                xml_.skipCurrentElement();
        }
        if (onGlobe && Room()) {
            data_.waypoints.push_back(waypoint);
            ++points_;
        }
    }

    // Reads points named `pointName` into `line` until the element ends.
    void ReadPoints(const QString& pointName, GpxLine& line)
    {
        while (Going() && xml_.readNextStartElement()) {
            if (xml_.name() == pointName) {
                GpxPoint point;
                const bool onGlobe = ReadPoint(point);
                ReadElevation(point);
                if (onGlobe && Room()) {
                    line.points.push_back(point);
                    ++points_;
                }
            } else if (xml_.name() == QLatin1String("name")) {
                line.name = ReadName();
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    // A line needs two points; one cut short by the cap is said by its own note.
    void Keep(GpxLine&& line)
    {
        if (line.points.size() >= 2)
            data_.lines.push_back(std::move(line));
        else if (line.points.size() == 1 && !clippedPoints_)
            ++singlePointLines_;
    }

    void ReadLines(const QString& segmentName, const QString& pointName)
    {
        QString trackName;
        while (Going() && xml_.readNextStartElement()) {
            if (xml_.name() == segmentName) {
                GpxLine line;
                ReadPoints(pointName, line);
                line.name = trackName;
                Keep(std::move(line));
            } else if (xml_.name() == QLatin1String("name")) {
                trackName = ReadName();
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void ReadRoute()
    {
        GpxLine line;
        ReadPoints(QStringLiteral("rtept"), line);
        Keep(std::move(line));
    }

    QXmlStreamReader& xml_;
    const GpxReadControl& control_;
    GpxData data_;
    int points_ = 0;
    int skippedPoints_ = 0;
    int singlePointLines_ = 0;
    int elements_ = 0;
    bool clippedPoints_ = false;
    bool stopped_ = false;
};

// Opens a regular file by its bytes; -1 otherwise. Without waiting: a FIFO's
// open would wait for a writer forever.
int OpenRegularFile(const QByteArray& nativePath)
{
    const int fd = open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info { };
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

// Why a GPX file did not open: told apart so that a mistyped name is not
// taken for a file the program cannot read.
QString WhyNotOpened(const QByteArray& nativePath)
{
    struct stat info { };
    if (stat(nativePath.constData(), &info) != 0 && errno == ENOENT)
        return QCoreApplication::translate("Gpx", "ファイルがありません．");
    if (stat(nativePath.constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return QCoreApplication::translate("Gpx", "通常のファイルではありません．");
    return QCoreApplication::translate("Gpx", "GPXファイルを読む権限がないか，読めないファイルです．");
}

}  // namespace

GpxReading ReadGpx(const QByteArray& text)
{
    QXmlStreamReader xml(text);
    return GpxParser(xml, {}).Read();
}

GpxReading ReadGpxFile(const QByteArray& nativePath, const GpxReadControl& control)
{
    GpxReading reading;
    const int fd = OpenRegularFile(nativePath);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            close(fd);
        reading.error = WhyNotOpened(nativePath);
        return reading;
    }
    if (file.size() > kGpxMaxFileBytes) {
        reading.error = QCoreApplication::translate("Gpx", "GPXファイルが大きすぎます．");
        return reading;
    }
    QXmlStreamReader xml(&file);
    return GpxParser(xml, control).Read();
}

std::vector<UserPlace> WaypointPlaces(const GpxData& data)
{
    std::vector<UserPlace> places;
    for (const GpxWaypoint& waypoint : data.waypoints)
        if (!waypoint.name.isEmpty())
            places.push_back({waypoint.name.toStdString(), waypoint.at.latitude, waypoint.at.longitude, {}});
    return places;
}

bool IsGpxName(const QString& path)
{
    return path.endsWith(QLatin1String(".gpx"), Qt::CaseInsensitive);
}
