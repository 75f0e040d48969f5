#include "overlays/gpx.h"

#include <cmath>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace {

class GpxParser {
public:
    explicit GpxParser(QXmlStreamReader& xml) : xml_(xml) { }

    GpxReading Read()
    {
        GpxReading reading;
        if (!xml_.readNextStartElement() || xml_.name() != QLatin1String("gpx")) {
            reading.error = xml_.hasError()
                ? QCoreApplication::translate("Gpx", "GPXファイルではありません（XMLとして読めません）．")
                : QCoreApplication::translate("Gpx", "GPXファイルではありません（gpx要素がありません）．");
            return reading;
        }
        while (xml_.readNextStartElement()) {
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
        if (xml_.hasError() && data_.waypoints.empty() && data_.lines.empty()) {
            reading.error = QCoreApplication::translate("Gpx", "GPXファイルが壊れています：%1").arg(xml_.errorString());
            return reading;
        }
        if (xml_.hasError())
            data_.notes << QCoreApplication::translate("Gpx", "ファイルの途中が壊れていたため，そこまでを表示します．");
        if (skippedPoints_ > 0)
            data_.notes << QCoreApplication::translate("Gpx", "範囲外の座標 %1 点を除きました．").arg(skippedPoints_);
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

    bool Room()
    {
        if (points_ < kGpxMaxPoints)
            return true;
        clippedPoints_ = true;
        return false;
    }

    QString ReadName()
    {
        QString name = xml_.readElementText(QXmlStreamReader::SkipChildElements).simplified();
        if (name.size() > kGpxMaxNameLength)
            name = name.left(kGpxMaxNameLength - 1) + QChar(0x2026);
        return name;
    }

    void ReadWaypoint()
    {
        GpxWaypoint waypoint;
        const bool onGlobe = ReadPoint(waypoint.at);
        while (xml_.readNextStartElement()) {
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
        while (xml_.readNextStartElement()) {
            if (xml_.name() == pointName) {
                GpxPoint point;
                if (ReadPoint(point) && Room()) {
                    line.points.push_back(point);
                    ++points_;
                }
                xml_.skipCurrentElement();
            } else if (xml_.name() == QLatin1String("name")) {
                line.name = ReadName();
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    void Keep(GpxLine&& line)
    {
        if (line.points.size() >= 2)
            data_.lines.push_back(std::move(line));
    }

    void ReadLines(const QString& segmentName, const QString& pointName)
    {
        QString trackName;
        while (xml_.readNextStartElement()) {
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
    GpxData data_;
    int points_ = 0;
    int skippedPoints_ = 0;
    bool clippedPoints_ = false;
};

}  // namespace

GpxReading ReadGpx(const QByteArray& text)
{
    QXmlStreamReader xml(text);
    return GpxParser(xml).Read();
}

GpxReading ReadGpxFile(const QString& path)
{
    GpxReading reading;
    // Only regular files: a FIFO's open would wait for a writer forever.
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        reading.error = QCoreApplication::translate("Gpx", "GPXファイルを開けません．");
        return reading;
    }
    if (file.size() > kGpxMaxFileBytes) {
        reading.error = QCoreApplication::translate("Gpx", "GPXファイルが大きすぎます．");
        return reading;
    }
    QXmlStreamReader xml(&file);
    return GpxParser(xml).Read();
}

bool IsGpxName(const QString& path)
{
    return path.endsWith(QLatin1String(".gpx"), Qt::CaseInsensitive);
}
