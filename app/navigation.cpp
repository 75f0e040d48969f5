#include "app/navigation.h"

#include <algorithm>
#include <cmath>

double LongitudeScale(const RenderParams& grid)
{
    return std::max(std::cos(grid.centreLat * kDegToRad), kNavigationMinCosine);
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
