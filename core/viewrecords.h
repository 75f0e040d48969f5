#pragma once
// The viewer's position and the loaded tile's frame: plain records that the
// renderer copies whole every frame, so they hold no pointers or resources.

#include <cstdint>

struct Viewpoint {
    double latitude = 0;  // degrees, north positive
    double longitude = 0;  // degrees, east positive
    double minAltitude = 0;  // metres: floor of the eye altitude
    double azimuth = 0;  // degrees clockwise from north, [0, 360)
    double renderAzimuth = 0;  // azimuth of the frame being drawn
    double pitch = 0;  // degrees, negative looking down
    double viewAngle = 0;  // degrees, horizontal angle of view
};

// The grid drawn is the opened tile alone, or the opened tile joined with the
// neighbours found beside it; latitudes and longitudes here are the opened
// tile's.
struct RenderParams {
    int32_t columns = 0;  // of the grid; 0 while no tile is loaded
    int32_t rows = 0;
    double metresPerCell = 0;
    double northLat = 0;
    double westLon = 0;
    double centreLat = 0;
    double centreLon = 0;
    // Where the opened tile's centre lies, in cells from the grid's middle
    // (columns / 2, rows / 2): 0 when the tile is alone.
    double centreColumnShift = 0;
    double centreRowShift = 0;
    // The opened tile's own size on the grid when joined; 0 when it is alone
    // and the whole grid. The view reaches as far over a joined set as over
    // one tile, so that the strips keep their detail.
    int32_t tileColumns = 0;
    int32_t tileRows = 0;
    // The side in degrees of the square the map shows, centred on the
    // opened tile: 1 for the tile alone, 3 for the cells around it.
    int32_t areaDegrees = 1;

    bool operator==(const RenderParams&) const = default;
};

inline constexpr double kMetresPerMinute = 1852;  // one minute of latitude
inline constexpr double MetresPerDegree = 60 * kMetresPerMinute;  // one degree of latitude
