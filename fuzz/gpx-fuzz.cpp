// The GPX reader on any bytes: it never fails, and what it keeps is what it
// promises: points on the globe and within the cap, lines of two points or
// more, names no longer than the limit and cut between whole characters.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>

#include "overlays/gpx.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool OnGlobe(const GpxPoint& p)
{
    return std::fabs(p.latitude) <= 90 && std::fabs(p.longitude) <= 180;
}

// At most the limit, and no half of a surrogate pair left alone.
bool WellCut(const QString& name)
{
    if (name.size() > kGpxMaxNameLength)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i].isHighSurrogate() && (i + 1 == name.size() || !name[i + 1].isLowSurrogate()))
            return false;
        if (name[i].isLowSurrogate() && (i == 0 || !name[i - 1].isHighSurrogate()))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const GpxReading reading = ReadGpx(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!reading.ok) {
        Require(!reading.error.isEmpty(), "refused without a reason");
        return 0;
    }
    std::size_t points = reading.data.waypoints.size();
    for (const GpxWaypoint& waypoint : reading.data.waypoints) {
        Require(OnGlobe(waypoint.at), "a waypoint off the globe");
        Require(WellCut(waypoint.name), "a waypoint's name badly cut");
    }
    for (const GpxLine& line : reading.data.lines) {
        Require(line.points.size() >= 2, "a line of fewer than two points");
        Require(WellCut(line.name), "a line's name badly cut");
        for (const GpxPoint& point : line.points)
            Require(OnGlobe(point), "a line's point off the globe");
        points += line.points.size();
    }
    Require(points <= std::size_t(kGpxMaxPoints), "more points than the cap");
    return 0;
}
