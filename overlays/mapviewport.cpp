#include "overlays/mapviewport.h"

#include <algorithm>

void MapViewport::SetBox(QSizeF box)
{
    box_ = QSizeF(std::max(box.width(), 1.0), std::max(box.height(), 1.0));
}

void MapViewport::Reset()
{
    zoom_ = 1;
    centre_ = {0.5, 0.5};
}

void MapViewport::Show(MapFraction centre, double zoom)
{
    zoom_ = std::clamp(zoom, 1.0, kMaxZoom);
    centre_ = centre;
    Clamp();
}

QPointF MapViewport::PixelOf(MapFraction at) const
{
    // The whole square: exactly the arithmetic the box always had.
    if (zoom_ == 1)
        return {box_.width() * at.x, box_.height() * at.y};
    return {box_.width() * (0.5 + (at.x - centre_.x) * zoom_), box_.height() * (0.5 + (at.y - centre_.y) * zoom_)};
}

MapFraction MapViewport::FractionOf(QPointF pixel) const
{
    if (zoom_ == 1)
        return {pixel.x() / box_.width(), pixel.y() / box_.height()};
    return {
        centre_.x + (pixel.x() / box_.width() - 0.5) / zoom_, centre_.y + (pixel.y() / box_.height() - 0.5) / zoom_};
}

QRectF MapViewport::SquareRect() const
{
    return QRectF(PixelOf({0, 0}), PixelOf({1, 1}));
}

void MapViewport::ZoomAt(QPointF pixel, double factor)
{
    const MapFraction held = FractionOf(pixel);
    zoom_ = std::clamp(zoom_ * factor, 1.0, kMaxZoom);
    // The held place goes back under the pixel: solve PixelOf(held) == pixel
    // for the centre.
    centre_ = {held.x - (pixel.x() / box_.width() - 0.5) / zoom_, held.y - (pixel.y() / box_.height() - 0.5) / zoom_};
    Clamp();
}

void MapViewport::PanBy(QPointF pixels)
{
    centre_.x -= pixels.x() / (box_.width() * zoom_);
    centre_.y -= pixels.y() / (box_.height() * zoom_);
    Clamp();
}

void MapViewport::Clamp()
{
    // Half the part shown on each side of the centre stays on the square.
    const double half = 0.5 / zoom_;
    centre_.x = std::clamp(centre_.x, half, 1 - half);
    centre_.y = std::clamp(centre_.y, half, 1 - half);
}

QPointF PixelOfPlace(const MapViewport& viewport, const RenderParams& params, double latitude, double longitude)
{
    return viewport.PixelOf(MapFractionOf(params, latitude, longitude));
}

MapPlace PlaceOfPixel(const MapViewport& viewport, const RenderParams& params, QPointF pixel)
{
    const MapFraction at = viewport.FractionOf(pixel);
    return {AreaNorthLat(params) - at.y * params.areaDegrees,
        WrapLongitude(AreaWestLon(params) + at.x * params.areaDegrees)};
}

QSizeF PixelsPerDegree(const MapViewport& viewport, const RenderParams& params)
{
    const double degrees = std::max(params.areaDegrees, 1);
    return viewport.box() * viewport.zoom() / degrees;
}
