// GPX files as people have them, and as they should not be, and drawn on
// the map.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTemporaryDir>

#include "overlays/gpx.h"
#include "overlays/gpxoverlay.h"

namespace {

QByteArray Points(const char* element, int count, double lat = 35.5)
{
    QByteArray points;
    for (int i = 0; i < count; ++i)
        points += QStringLiteral("<%1 lat=\"%2\" lon=\"138.5\"/>").arg(QLatin1String(element)).arg(lat).toUtf8();
    return points;
}

TEST(Gpx, ReadsWaypointsTracksAndRoutesOfBothVersions)
{
    // GPX 1.1 with a namespace, two segments and a waypoint with extras.
    const GpxReading v11 =
        ReadGpx("<?xml version=\"1.0\"?><gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
                "<metadata><name>not a track</name></metadata>"
                "<wpt lat=\"35.3\" lon=\"138.7\"><ele>1200</ele><name> Hut </name></wpt>"
                "<trk><name>Walk</name><trkseg>" +
            Points("trkpt", 3) + "</trkseg><trkseg>" + Points("trkpt", 2) + "</trkseg></trk></gpx>");
    ASSERT_TRUE(v11.ok) << v11.error.toStdString();
    ASSERT_EQ(v11.data.waypoints.size(), 1u);
    EXPECT_EQ(v11.data.waypoints[0].name, QStringLiteral("Hut"));
    EXPECT_DOUBLE_EQ(v11.data.waypoints[0].at.longitude, 138.7);
    ASSERT_EQ(v11.data.lines.size(), 2u);
    EXPECT_EQ(v11.data.lines[0].points.size(), 3u);
    EXPECT_EQ(v11.data.lines[1].name, QStringLiteral("Walk"));
    EXPECT_TRUE(v11.data.notes.isEmpty());

    // GPX 1.0 without a namespace: a route.
    const GpxReading v10 = ReadGpx("<gpx version=\"1.0\"><rte><name>R</name>" + Points("rtept", 4) + "</rte></gpx>");
    ASSERT_TRUE(v10.ok);
    ASSERT_EQ(v10.data.lines.size(), 1u);
    EXPECT_EQ(v10.data.lines[0].points.size(), 4u);
}

TEST(Gpx, RefusesOrClipsBadFilesWithAReason)
{
    EXPECT_FALSE(ReadGpx("not xml at all").ok);
    const GpxReading wrongRoot = ReadGpx("<kml><Placemark/></kml>");
    EXPECT_FALSE(wrongRoot.ok);
    EXPECT_FALSE(wrongRoot.error.isEmpty());

    // Off the globe: left out, and said so.
    const GpxReading outside = ReadGpx("<gpx><trk><trkseg>" + Points("trkpt", 2) + Points("trkpt", 1, 95) +
        "<trkpt lat=\"x\" lon=\"1\"/>" + "</trkseg></trk></gpx>");
    ASSERT_TRUE(outside.ok);
    EXPECT_EQ(outside.data.lines[0].points.size(), 2u);
    EXPECT_EQ(outside.data.notes.size(), 1);

    // Too many points: the first kGpxMaxPoints, and a note.
    const GpxReading many =
        ReadGpx("<gpx><trk><trkseg>" + Points("trkpt", kGpxMaxPoints + 5) + "</trkseg></trk></gpx>");
    ASSERT_TRUE(many.ok);
    EXPECT_EQ(many.data.lines[0].points.size(), std::size_t(kGpxMaxPoints));
    EXPECT_EQ(many.data.notes.size(), 1);

    // A huge name is cut; a file broken part way keeps what came before.
    const GpxReading broken = ReadGpx("<gpx><wpt lat=\"1\" lon=\"2\"><name>" + QByteArray(100000, 'a') +
        "</name></wpt><trk><trkseg>" + Points("trkpt", 2) + "<trkpt lat=");
    ASSERT_TRUE(broken.ok);
    EXPECT_EQ(broken.data.waypoints[0].name.size(), kGpxMaxNameLength);
    EXPECT_FALSE(broken.data.notes.isEmpty());
}

TEST(Gpx, ReadingEndsAtTheCapWithoutReadingTheRest)
{
    // What follows the cap is broken: read on, it would add a second note.
    const GpxReading many = ReadGpx("<gpx><trk><trkseg>" + Points("trkpt", kGpxMaxPoints + 5) +
        "</trkseg></trk><wpt lat=\"1\" lon=\"2\"/><trk><trkseg><trkpt lat=");
    ASSERT_TRUE(many.ok);
    ASSERT_EQ(many.data.lines.size(), 1u);
    EXPECT_EQ(many.data.lines[0].points.size(), std::size_t(kGpxMaxPoints));
    EXPECT_TRUE(many.data.waypoints.empty());
    EXPECT_EQ(many.data.notes.size(), 1) << many.data.notes.join(QStringLiteral(" | ")).toStdString();
}

TEST(Gpx, AFileIsReadByItsBytesWithProgressAndCanBeStopped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.path()) + "/\xff\xfe track.gpx";
    {
        QFile file;
        const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_TRUE(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        file.write("<gpx><trk><trkseg>" + Points("trkpt", 20000) + "</trkseg></trk></gpx>");
    }
    std::atomic<bool> stop{false};
    std::atomic<int> progress{0};
    const GpxReading reading = ReadGpxFile(path, {&stop, &progress});
    ASSERT_TRUE(reading.ok) << reading.error.toStdString();
    EXPECT_EQ(reading.data.lines[0].points.size(), 20000u);
    EXPECT_GT(progress.load(), 0);
    EXPECT_LE(progress.load(), kGpxProgressScale);

    stop = true;
    const GpxReading stopped = ReadGpxFile(path, {&stop, nullptr});
    EXPECT_FALSE(stopped.ok);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_TRUE(stopped.data.lines.empty());
    unlink(path.constData());  // QTemporaryDir cannot name it

    // Only regular files: a FIFO would wait for a writer forever.
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("fifo.gpx")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    EXPECT_FALSE(ReadGpxFile(fifo).ok);
}

TEST(Gpx, LongNamesAreCutBetweenWholeCharacters)
{
    const auto nameOf = [](const QString& name) {
        const GpxReading reading =
            ReadGpx("<gpx><wpt lat=\"1\" lon=\"2\"><name>" + name.toUtf8() + "</name></wpt></gpx>");
        return reading.ok && !reading.data.waypoints.empty() ? reading.data.waypoints[0].name : QString();
    };
    const QString before(kGpxMaxNameLength - 2, QLatin1Char('a'));
    const QString ellipsis(QChar(0x2026));
    // A face (two UTF-16 units) and a letter with its accent (two code
    // points) across the cut: each is left out whole.
    EXPECT_EQ(nameOf(before + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("bbbb")), before + ellipsis);
    EXPECT_EQ(nameOf(before + QString::fromUtf8("e\xCC\x81") + QStringLiteral("bbbb")), before + ellipsis);
    // Just before the cut, a face is kept whole.
    const QString shorter(kGpxMaxNameLength - 3, QLatin1Char('a'));
    const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(nameOf(shorter + face + QStringLiteral("bbbb")), shorter + face + ellipsis);
}

TEST(Gpx, LinesOfOnePointAreLeftOutWithANote)
{
    const GpxReading route = ReadGpx("<gpx><rte><name>R</name>" + Points("rtept", 1) + "</rte></gpx>");
    ASSERT_TRUE(route.ok);
    EXPECT_TRUE(route.data.lines.empty());
    EXPECT_EQ(route.data.notes.size(), 1);
    const GpxReading segments = ReadGpx("<gpx><trk><trkseg>" + Points("trkpt", 1) + "</trkseg><trkseg>" +
        Points("trkpt", 2) + "</trkseg></trk><rte>" + Points("rtept", 1) + "</rte></gpx>");
    ASSERT_TRUE(segments.ok);
    EXPECT_EQ(segments.data.lines.size(), 1u);
    ASSERT_EQ(segments.data.notes.size(), 1);
    EXPECT_TRUE(segments.data.notes[0].contains(QLatin1Char('2'))) << segments.data.notes[0].toStdString();
}

// The map of a joined set around N35E138: latitudes 37 to 34 and longitudes
// 137 to 140 on 360 x 360 pixels.
constexpr int kMapSide = 360;
RenderParams MapParams()
{
    RenderParams params;
    params.northLat = 36;
    params.westLon = 138;
    params.areaDegrees = 3;
    return params;
}

GpxData Track(const std::vector<GpxPoint>& points)
{
    GpxData data;
    data.lines.push_back({QString(), points});
    return data;
}

// Draws the overlay on a map as the main window does; the map's picture.
QImage DrawnMap(const GpxOverlay& overlay, const RenderParams& params, int side = kMapSide)
{
    QImage map(side, side, QImage::Format_RGB32);
    map.fill(Qt::white);
    QPainter painter(&map);
    overlay.DrawOnMap(painter, side, side, params);
    return map;
}

TEST(GpxMap, LinesAndWaypointsAreDrawnWhereTheyLieAndNowhereElse)
{
    GpxData data = Track({{35.5, 138.0}, {35.5, 139.0}});
    data.waypoints.push_back({{36.0, 139.5}, QStringLiteral("Hut")});
    GpxOverlay overlay;
    overlay.Add(std::move(data));
    const QImage map = DrawnMap(overlay, MapParams());
    const QRgb line = map.pixel(180, 180), dot = map.pixel(300, 120);
    EXPECT_GT(qRed(line), 200);
    EXPECT_LT(qGreen(line), 150) << "the first file's colour, red";
    EXPECT_LT(qGreen(dot), 150);
    for (const QPoint& away : {QPoint(180, 100), QPoint(60, 180), QPoint(260, 180), QPoint(300, 140)})
        EXPECT_EQ(map.pixel(away), qRgb(255, 255, 255)) << away.x() << "," << away.y();
    EXPECT_EQ(overlay.mapLayer().strokes(), 2);
}

// However many points a file holds and wherever they lie, it adds at most
// one stroke per pixel of the map: the files that took minutes to draw.
TEST(GpxMap, StrokesStayWithinTheMapsPixelsWhateverTheFileHolds)
{
    constexpr int kMapPixels = kMapSide * kMapSide;
    uint32_t state = 2024;
    const auto random = [&state] { return (state = state * 1664525u + 1013904223u) / 4294967296.0; };

    // Back and forth across one tile, 200,000 times.
    std::vector<GpxPoint> zigzag;
    for (int i = 0; i < kGpxMaxPoints; ++i)
        zigzag.push_back({35.5 - 1e-7 * i, i % 2 ? 138.8 : 138.2});
    // Over the whole globe.
    std::vector<GpxPoint> globe;
    for (int i = 0; i < 20000; ++i)
        globe.push_back({random() * 180 - 90, random() * 360 - 180});
    // A long meander of small steps over the map.
    std::vector<GpxPoint> meander{{35.5, 138.5}};
    for (int i = 1; i < kGpxMaxPoints; ++i) {
        const GpxPoint& last = meander.back();
        meander.push_back({std::clamp(last.latitude + (random() - 0.5) * 2e-3, 34.0, 37.0),
            std::clamp(last.longitude + (random() - 0.5) * 2e-3, 137.0, 140.0)});
    }

    // Each with a pixel it crosses, where one is known.
    const QPoint nowhere(-1, -1);
    for (const auto& [name, points, most, crossed] : {std::tuple{"zigzag", &zigzag, 1000, QPoint(180, 181)},
             {"globe", &globe, kMapPixels, nowhere}, {"meander", &meander, kMapPixels, QPoint(180, 180)}}) {
        GpxOverlay overlay;
        overlay.Add(Track(*points));
        const QImage map = DrawnMap(overlay, MapParams());
        EXPECT_LE(overlay.mapLayer().strokes(), most) << name;
        EXPECT_LT(overlay.mapLayer().strokes(), int(points->size()) / 5) << name;
        if (crossed != nowhere) {
            EXPECT_NE(map.pixel(crossed), qRgb(255, 255, 255)) << name << ": the line is drawn";
        }
    }
}

TEST(GpxMap, TheLayerIsDrawnAgainOnlyWhenTheMapOrTheFilesChange)
{
    GpxOverlay overlay;
    overlay.Add(Track({{35.5, 138.0}, {35.5, 139.0}}));
    RenderParams params = MapParams();
    const auto builds = [&overlay] { return overlay.mapLayer().builds(); };
    DrawnMap(overlay, params);
    DrawnMap(overlay, params);
    EXPECT_EQ(builds(), 1);

    DrawnMap(overlay, params, 300);
    EXPECT_EQ(builds(), 2);
    params.westLon = 139;  // a set around the neighbour
    DrawnMap(overlay, params, 300);
    EXPECT_EQ(builds(), 3);
    overlay.Add(Track({{35.6, 138.0}, {35.6, 139.0}}));
    const QImage both = DrawnMap(overlay, params, 300);
    EXPECT_EQ(builds(), 4);
    overlay.Clear();
    const QImage none = DrawnMap(overlay, params, 300);
    EXPECT_EQ(builds(), 5);
    EXPECT_NE(both, none);
    EXPECT_EQ(overlay.mapLayer().strokes(), 0);
}

}  // namespace
