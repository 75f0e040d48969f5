#pragma once
// GPX files (1.0 and 1.1): the user's own waypoints, tracks and routes.
// Read with Qt's stream reader, so a file of any size is read in one pass
// and no more of it is kept than the limits below allow.

#include <atomic>
#include <limits>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "places/place.h"

struct GpxPoint {
    double latitude = 0;
    double longitude = 0;
    // The file's <ele> in metres where a track or route point has one, else NaN.
    double elevation = std::numeric_limits<double>::quiet_NaN();
};

struct GpxWaypoint {
    GpxPoint at;
    QString name;
};

// A track segment or a route: a line through its points, in order.
struct GpxLine {
    QString name;
    std::vector<GpxPoint> points;
};

struct GpxData {
    std::vector<GpxWaypoint> waypoints;
    std::vector<GpxLine> lines;
    QStringList notes;  // what was left out or clipped, for the user
};

struct GpxReading {
    bool ok = false;
    bool stopped = false;  // stopped by its control before the end, !ok
    QString error;  // why nothing could be read, when !ok
    GpxData data;
};

// A reading on a worker thread is watched and stopped through these, when set.
struct GpxReadControl {
    const std::atomic<bool>* stop = nullptr;  // set by another thread to stop the reading
    std::atomic<int>* progress = nullptr;  // per mille of the file read so far
};

inline constexpr int kGpxMaxPoints = 200000;  // over all lines and waypoints of a file
inline constexpr int kGpxMaxNameLength = 80;
inline constexpr qint64 kGpxMaxFileBytes = qint64(256) << 20;

inline constexpr int kGpxProgressScale = 1000;

// The file at `nativePath`, the file system's bytes: a name that is not
// UTF-8 opens as it is. Reading ends at kGpxMaxPoints, with a note.
GpxReading ReadGpxFile(const QByteArray& nativePath, const GpxReadControl& control = {});
GpxReading ReadGpx(const QByteArray& text);

// The file's named waypoints, as a list of places the user gives.
std::vector<UserPlace> WaypointPlaces(const GpxData& data);

// True for a file name ending in .gpx, in any case.
bool IsGpxName(const QString& path);
