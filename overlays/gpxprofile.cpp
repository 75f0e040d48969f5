#include "overlays/gpxprofile.h"

#include <QPainter>
#include <QPolygonF>

#include "elevation/terrain.h"
#include "flight/groundheight.h"
#include "overlays/flightfilm.h"
#include "overlays/gpx.h"
#include "render/frame.h"

const QColor kProfileMarkColour(255, 230, 0);

namespace {

constexpr double kMarkRadius = 7;  // pixels from the diamond's centre to its corners

}  // namespace

TrackProfile ProfileOfLine(const GpxLine& line, const Terrain& terrain, const RenderParams& params)
{
    std::vector<double> fileHeights;
    fileHeights.reserve(line.points.size());
    for (const GpxPoint& point : line.points)
        fileHeights.push_back(point.elevation);
    return ProfileOf(PathOf(line), fileHeights,
        [&terrain, &params](const GeoPoint& at) { return GridHeightUnder(terrain, params, at).value_or(kNoHeight); });
}

void DrawProfileMarkOnMap(QPainter& painter, QPointF pixel)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(kProfileMarkColour);
    const double r = kMarkRadius;
    painter.drawPolygon(
        QPolygonF({pixel + QPointF(0, -r), pixel + QPointF(r, 0), pixel + QPointF(0, r), pixel + QPointF(-r, 0)}));
    painter.restore();
}

bool DrawProfileMarkInFrame(
    QPainter& painter, const Renderer& renderer, const Terrain& terrain, const RenderParams& params, GeoPoint place)
{
    const GridPosition at = GeoToGrid(params, place.latitude, place.longitude);
    const double column = at.gx / kGeoUnitsPerCell, row = at.gy / kGeoUnitsPerCell;
    if (!(column >= 0 && row >= 0 && column < terrain.tileInfo.width - 1 && row < terrain.tileInfo.height - 1))
        return false;
    const int32_t c = int32_t(column), r = int32_t(row);
    ScreenPoint seen;
    if (!GridTopSeen(renderer, c, r, std::max<int32_t>(terrain.heightGrid[r][c], 0), seen))
        return false;
    DrawProfileMarkOnMap(painter, QPointF(seen.sx, seen.sy));
    return true;
}
