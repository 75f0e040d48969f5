#include "overlays/gpxprofile.h"

#include <QPainter>
#include <QPolygonF>

#include "elevation/terrain.h"
#include "flight/groundheight.h"
#include "overlays/flightfilm.h"
#include "overlays/gpx.h"
#include "render/fixedpoint.h"
#include "render/frame.h"

const QColor kProfileMarkColour(255, 230, 0);

namespace {

constexpr double kMarkRadius = 7;  // pixels from the diamond's centre to its corners

void DrawDiamond(QPainter& painter, QPointF pixel)
{
    const double r = kMarkRadius;
    painter.drawPolygon(
        QPolygonF({pixel + QPointF(0, -r), pixel + QPointF(r, 0), pixel + QPointF(0, r), pixel + QPointF(-r, 0)}));
}

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
    DrawDiamond(painter, pixel);
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
    const int32_t height = std::max<int32_t>(terrain.heightGrid[r][c], 0);
    ScreenPoint seen;
    if (GridTopSeen(renderer, c, r, height, seen)) {
        DrawProfileMarkOnMap(painter, QPointF(seen.sx, seen.sy));
        return true;
    }
    // Behind nearer ground: the diamond's outline, where the place would show.
    const ScreenPoint hidden = ProjectGridSample(renderer, c, r, height);
    const FrameBufferSet& buffers = renderer.Buffers();
    if (hidden.depth < kCellUnits || hidden.sx < 0 || hidden.sy < 0 || hidden.sx >= buffers.frameWidth ||
        hidden.sy >= buffers.frameHeight)
        return false;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kProfileMarkColour, 2));
    painter.setBrush(Qt::NoBrush);
    DrawDiamond(painter, QPointF(hidden.sx, hidden.sy));
    painter.restore();
    return true;
}
