#pragma once
// The geometry every part of the viewer agrees on: π, how a latitude and
// longitude become a place on the height grid, the east-west scale and its
// floors near the poles, the range of the view angle, and the one way a floating
// value becomes an integer without undefined behaviour.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/viewrecords.h"

inline constexpr long double kPiLong = 3.14159265358979323846L;
inline constexpr double kPi = double(kPiLong);

inline constexpr double kDegToRad = kPi / 180;
inline constexpr double kRadToDeg = 180 / kPi;

// Grid cells per degree of latitude: one sample every second of arc.
inline constexpr int32_t kCellsPerDegree = 3600;

// A degree of longitude is shorter on the ground than a degree of latitude
// by cos(latitude).
inline double EastWestScale(double latitude)
{
    return std::cos(latitude * kPi / 180);
}

// The one east-west rule of the grid: the resampler shortens each row of a
// tile to kCellsPerDegree x GridEastWestScale(centre latitude) cells per
// degree east, and every position is mapped to and from the grid by the same
// scale. The floor only keeps the scale away from 0: tiles stop half a
// degree short of the poles, where the scale is still 0.0087.
inline constexpr double kGridMinEastWestScale = 0.001;
inline double GridEastWestScale(double latitude)
{
    const double k = EastWestScale(latitude);
    return k <= kGridMinEastWestScale ? kGridMinEastWestScale : k;
}
inline double GridCellsPerDegreeEast(double latitude)
{
    return kCellsPerDegree * GridEastWestScale(latitude);
}

// The eye's moves on the ground (the demo's and the keys') are a
// policy of their own: a step east is scaled by cos(latitude) only down to
// this floor, so that near a pole a step does not sweep round it. They never
// map to the grid, and keep their own arithmetic (x kDegToRad), which differs
// from EastWestScale's in the last bit at some latitudes.
inline constexpr double kNavigationMinCosine = 0.1;
inline double NavigationLongitudeScale(double latitude)
{
    return std::max(std::cos(latitude * kDegToRad), kNavigationMinCosine);
}

// The horizontal angle of view the renderer draws, degrees.
inline constexpr double kMinViewAngle = 5;
inline constexpr double kMaxViewAngle = 160;

// Truncates toward zero like a plain conversion, but holds the result within
// [-limit, limit] and takes NaN to 0. Degenerate views (an eye far beyond the
// tile, an edge angle next to the horizontal, a view box of extreme aspect)
// give infinite or huge values, whose plain conversion would be undefined.
inline int32_t TruncWithin(double value, int32_t limit)
{
    if (!(value == value))
        return 0;
    if (value >= double(limit))
        return limit;
    if (value <= -double(limit))
        return -limit;
    return int32_t(value);
}

// Truncates toward zero into [lo, hi]; NaN takes the value of the range
// nearest 0.
inline int32_t TruncInto(double value, int32_t lo, int32_t hi)
{
    if (!(value == value))
        return std::clamp(0, lo, hi);
    if (value <= double(lo))
        return lo;
    if (value >= double(hi))
        return hi;
    return int32_t(value);
}

// The grid cell of the opened tile's centre, which (centreLat, centreLon) names.
inline double CentreColumn(const RenderParams& params)
{
    return params.columns / 2 + params.centreColumnShift;
}
inline double CentreRow(const RenderParams& params)
{
    return params.rows / 2 + params.centreRowShift;
}

// A longitude brought into (-180, 180]. The core's functions take any
// longitude and give wrapped ones, so that a landscape across the 180th
// meridian is one place on both sides of it.
inline double WrapLongitude(double longitude)
{
    if (longitude > -180 && longitude <= 180)
        return longitude;
    double east = std::fmod(longitude + 180, 360);  // (-360, 360)
    if (east <= 0)
        east += 360;
    return east - 180;
}

// How far east of `from` a longitude lies, the short way round: (-180, 180].
inline double LongitudeEastOf(double longitude, double from)
{
    return WrapLongitude(longitude - from);
}

// The north-west corner of the map's square.
inline double AreaNorthLat(const RenderParams& params)
{
    return params.northLat + (params.areaDegrees - 1) / 2;
}
inline double AreaWestLon(const RenderParams& params)
{
    return params.westLon - (params.areaDegrees - 1) / 2;
}
// Where a latitude and longitude lie on the map's square: 0 at its west and
// north edges, 1 at its east and south edges.
struct MapFraction {
    double x;
    double y;
};
inline MapFraction MapFractionOf(const RenderParams& params, double latitude, double longitude)
{
    return {LongitudeEastOf(longitude, AreaWestLon(params)) / params.areaDegrees,
        (AreaNorthLat(params) - latitude) / params.areaDegrees};
}

// Offset of a latitude and longitude from the grid's centre, in cells east
// and north.
struct CellOffset {
    double east;
    double north;
};
inline CellOffset GeoToCellOffset(const RenderParams& params, double latitude, double longitude)
{
    const double k = GridEastWestScale(params.centreLat);
    return {LongitudeEastOf(longitude, params.centreLon) / (params.metresPerCell / kMetresPerMinute / (60 * k)),
        (latitude - params.centreLat) / (params.metresPerCell / kMetresPerMinute / 60)};
}

// The latitude and longitude of grid cell (column, row): the inverse of
// GeoToCellOffset, from the centre GeoToGrid uses.
struct GeoPoint {
    double latitude;
    double longitude;
};
inline GeoPoint GridToGeo(const RenderParams& params, double column, double row)
{
    const double k = GridEastWestScale(params.centreLat);
    const double east = column - CentreColumn(params);
    const double north = CentreRow(params) - row;
    return {params.centreLat + north * (params.metresPerCell / kMetresPerMinute / 60),
        WrapLongitude(params.centreLon + east * (params.metresPerCell / kMetresPerMinute / (60 * k)))};
}

// A grid position in 1/32 cell, from the grid's north-west corner.
inline constexpr int32_t kGeoUnitsPerCell = 32;
struct GridPosition {
    double gx;  // 1/32 cell, east
    double gy;  // 1/32 cell, south
};
inline GridPosition GeoToGrid(const RenderParams& params, double latitude, double longitude)
{
    const CellOffset d = GeoToCellOffset(params, latitude, longitude);
    return {(CentreColumn(params) + d.east) * kGeoUnitsPerCell, (CentreRow(params) - d.north) * kGeoUnitsPerCell};
}
