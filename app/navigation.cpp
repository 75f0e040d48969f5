#include "app/navigation.h"

#include <algorithm>
#include <cmath>

double LongitudeScale(const RenderParams& grid)
{
    return NavigationLongitudeScale(grid.centreLat);
}

void MoveEye(Viewpoint& view, const RenderParams& grid, double heading, double degrees)
{
    view.latitude += std::cos(heading * kDegToRad) * degrees;
    view.longitude = WrapLongitude(view.longitude + std::sin(heading * kDegToRad) * degrees / LongitudeScale(grid));
}

double WrapAzimuth(double azimuth)
{
    azimuth = std::fmod(azimuth, 360.0);
    return azimuth < 0 ? azimuth + 360 : azimuth;
}

int32_t GroundBelow(const Viewpoint& view, const RenderParams& grid, const int16_t* const* heights)
{
    const GridPosition at = GeoToGrid(grid, view.latitude, view.longitude);
    const double column = std::floor(at.gx / kGeoUnitsPerCell), row = std::floor(at.gy / kGeoUnitsPerCell);
    if (!heights || !(column >= 0 && column < grid.columns && row >= 0 && row < grid.rows))
        return 0;
    return std::max<int32_t>(heights[int(row)][int(column)], 0);
}

double AltitudeForExaggeration(double minAltitude, int32_t ground, int32_t fromQuarters, int32_t toQuarters)
{
    return std::max(minAltitude + ground * double(toQuarters - fromQuarters) / 4, kAltitudeFloor);
}
