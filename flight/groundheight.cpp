#include "flight/groundheight.h"

#include <cmath>

#include "elevation/terrain.h"

double DrawnGroundAt(const Terrain& terrain, const RenderParams& params, int32_t heightQuarters, const GeoPoint& point)
{
    const GridPosition g = GeoToGrid(params, point.latitude, point.longitude);
    const double column = std::floor(g.gx / kGeoUnitsPerCell);
    const double row = std::floor(g.gy / kGeoUnitsPerCell);
    if (!(column >= 0 && row >= 0 && column < terrain.tileInfo.width && row < terrain.tileInfo.height))
        return 0;
    const int16_t height = terrain.heightGrid.rows()[int(row)][int(column)];
    return double(height) * heightQuarters / 4;
}

GroundHeights DrawnGround(const Terrain& terrain, const RenderParams& params, int32_t heightQuarters)
{
    return [&terrain, &params, heightQuarters](
               const GeoPoint& point) { return DrawnGroundAt(terrain, params, heightQuarters, point); };
}
