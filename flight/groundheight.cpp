#include "flight/groundheight.h"

#include <cmath>

#include "elevation/terrain.h"

std::optional<double> GridHeightUnder(const Terrain& terrain, const RenderParams& params, const GeoPoint& point)
{
    const GridPosition g = GeoToGrid(params, point.latitude, point.longitude);
    const double column = std::floor(g.gx / kGeoUnitsPerCell);
    const double row = std::floor(g.gy / kGeoUnitsPerCell);
    if (!(column >= 0 && row >= 0 && column < terrain.tileInfo.width && row < terrain.tileInfo.height))
        return std::nullopt;
    return double(terrain.heightGrid.rows()[int(row)][int(column)]);
}

double DrawnGroundAt(const Terrain& terrain, const RenderParams& params, int32_t heightQuarters, const GeoPoint& point)
{
    return GridHeightUnder(terrain, params, point).value_or(0) * heightQuarters / 4;
}

GroundHeights DrawnGround(const Terrain& terrain, const RenderParams& params, int32_t heightQuarters)
{
    return [&terrain, &params, heightQuarters](
               const GeoPoint& point) { return DrawnGroundAt(terrain, params, heightQuarters, point); };
}
