#include "overlays/mapbase.h"

#include <cmath>

#include <QPainter>

#include "elevation/terrain.h"
#include "overlays/bitmapimage.h"

namespace {

// Relief pixels to one map image pixel: the map's blocks are at least this.
constexpr double kMapBlockRelief = kTileMapBlock;

// Where the relief's pixels lie in box pixels: its grid's corners placed on
// the earth, then on the box.
QRectF ReliefRect(const MapViewport& viewport, const RenderParams& params, double columns, double rows)
{
    const GeoPoint northWest = GridToGeo(params, -0.5, -0.5);
    const GeoPoint southEast = GridToGeo(params, columns - 0.5, rows - 0.5);
    const MapFraction from = MapFractionOf(params, northWest.latitude, northWest.longitude);
    // East of the west edge unwrapped, across the 180th meridian too.
    const MapFraction to{from.x + LongitudeEastOf(southEast.longitude, northWest.longitude) / params.areaDegrees,
        MapFractionOf(params, southEast.latitude, southEast.longitude).y};
    const QPointF a = viewport.PixelOf(from);
    const QPointF b = viewport.PixelOf(to);
    return QRectF(a, b);
}

// The relief picture whose pixels come nearest to the box's without being
// smaller: the full relief, or one of its halved levels.
QImage ReliefLevelFor(const Terrain& terrain, double reliefPerBoxPixel, int& reduction)
{
    reduction = 1;
    const TileInfo* info = &terrain.tileInfo;
    const Bitmap32* bitmap = &terrain.reliefBitmap;
    for (std::size_t level = 0; level < terrain.reliefLevels.size(); ++level) {
        if (reliefPerBoxPixel < 2 * reduction || terrain.reliefLevels[level].width <= 0)
            break;
        reduction *= 2;
        info = &terrain.reliefLevels[level];
        bitmap = &terrain.levelBitmaps[level];
    }
    return ImageOverBitmap(*bitmap, QSize(info->width, info->height));
}

}  // namespace

bool MapShownAsIs(const MapViewport& viewport, const Terrain& terrain)
{
    return viewport.zoom() == 1 &&
        viewport.box().toSize() == QSize(terrain.mapBitmap.width(), terrain.mapBitmap.height());
}

void DrawMapBase(QPainter& painter, const MapViewport& viewport, const Terrain& terrain, const RenderParams& params)
{
    const Bitmap32& map = terrain.mapBitmap;
    const QImage mapImage = ImageOverBitmap(map, QSize(map.width(), map.height()));
    if (MapShownAsIs(viewport, terrain)) {
        painter.drawImage(0, 0, mapImage);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF square = viewport.SquareRect();
    painter.drawImage(square, mapImage);
    const TileInfo& relief = terrain.tileInfo;
    const double boxPixelsPerMapPixel = square.width() / std::max(map.width(), 1);
    // Where the map image is shown larger than its own pixels, the relief
    // draws the landscape's part again, finer.
    if (relief.width > 0 && relief.height > 0 && boxPixelsPerMapPixel > 1) {
        const QRectF whole = ReliefRect(viewport, params, relief.width, relief.height);
        const double reliefPerBoxPixel = relief.width / std::max(whole.width(), 1.0);
        if (reliefPerBoxPixel < kMapBlockRelief) {
            int reduction = 1;
            const QImage level = ReliefLevelFor(terrain, reliefPerBoxPixel, reduction);
            // The level covers its own whole pixels of the relief.
            const QRectF target(whole.topLeft(),
                QSizeF(whole.width() * level.width() * reduction / relief.width,
                    whole.height() * level.height() * reduction / relief.height));
            // Only the part in the box is scaled.
            const QRectF shown = target.intersected(QRectF(QPointF(0, 0), viewport.box()));
            if (!shown.isEmpty()) {
                const double sx = level.width() / target.width(), sy = level.height() / target.height();
                const QRectF source((shown.left() - target.left()) * sx, (shown.top() - target.top()) * sy,
                    shown.width() * sx, shown.height() * sy);
                painter.drawImage(shown, level, source);
            }
        }
    }
    painter.restore();
}
