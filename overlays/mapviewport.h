#pragma once
// What part of the map's square a map box shows: the box shows the whole
// square at zoom 1, and a part of it, centred on `centre`, when zoomed in.
// The part shown never leaves the square, so the map stays within the
// loaded set however far it is panned.
//
// Positions on the map's square are MapFractions (core/geometry.h): 0 at its
// west and north edges, 1 at its east and south edges. Box pixels count from
// the box's top-left corner.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "core/geometry.h"
#include "core/viewrecords.h"

class MapViewport {
public:
    static constexpr double kMaxZoom = 64;

    // The box's size in pixels; the zoom and centre are kept.
    void SetBox(QSizeF box);
    QSizeF box() const { return box_; }
    double zoom() const { return zoom_; }
    MapFraction centre() const { return centre_; }
    // Back to the whole square.
    void Reset();
    // Shows `centre` at `zoom`, as near as the square's edges allow.
    void Show(MapFraction centre, double zoom);

    QPointF PixelOf(MapFraction at) const;
    MapFraction FractionOf(QPointF pixel) const;
    // Where the whole square lies in box pixels.
    QRectF SquareRect() const;

    // Zooms by `factor` about `pixel`, which keeps the place under it where
    // the square's edges allow; the zoom stays within [1, kMaxZoom].
    void ZoomAt(QPointF pixel, double factor);
    // Moves the picture by `pixels`: the place under the cursor follows it.
    void PanBy(QPointF pixels);

private:
    void Clamp();

    QSizeF box_{1, 1};
    double zoom_ = 1;
    MapFraction centre_{0.5, 0.5};
};

// The same, with the square placed on the earth by the landscape's
// parameters: latitude and longitude to box pixels and back.
QPointF PixelOfPlace(const MapViewport& viewport, const RenderParams& params, double latitude, double longitude);
struct MapPlace {
    double latitude;
    double longitude;
};
MapPlace PlaceOfPixel(const MapViewport& viewport, const RenderParams& params, QPointF pixel);
// Box pixels per degree of longitude (x) and of latitude (y).
QSizeF PixelsPerDegree(const MapViewport& viewport, const RenderParams& params);
