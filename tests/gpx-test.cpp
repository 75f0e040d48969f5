// GPX files as people have them, and as they should not be.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

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

}  // namespace
