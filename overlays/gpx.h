#pragma once
// GPX files (1.0 and 1.1): the user's own waypoints, tracks and routes.
// Read with Qt's stream reader, so a file of any size is read in one pass
// and no more of it is kept than the limits below allow.

#include <vector>

#include <QString>
#include <QStringList>

struct GpxPoint {
    double latitude = 0;
    double longitude = 0;
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
    QString error;  // why nothing could be read, when !ok
    GpxData data;
};

inline constexpr int kGpxMaxPoints = 200000;  // over all lines and waypoints of a file
inline constexpr int kGpxMaxNameLength = 80;
inline constexpr qint64 kGpxMaxFileBytes = qint64(256) << 20;

GpxReading ReadGpxFile(const QString& path);
GpxReading ReadGpx(const QByteArray& text);

// True for a file name ending in .gpx, in any case.
bool IsGpxName(const QString& path);
