// GPX files as people have them, and as they should not be.

#include <gtest/gtest.h>

#include <atomic>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "overlays/gpx.h"

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

}  // namespace
