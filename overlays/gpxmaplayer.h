#pragma once
// The GPX files drawn on the map, as a layer kept between paints and drawn
// again only when the map (its size or the area it shows) or the files
// change. However many points a file holds, the layer's drawing stays within
// the map's pixels: each line is clipped to the map, points less than a
// pixel from the last one drawn are passed over, and a segment is stroked
// only where it covers a pixel its file has not covered yet, so a file adds
// at most one stroke per pixel of the map. Named waypoints have their names
// written beside them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include "core/viewrecords.h"
#include "overlays/gpx.h"
#include "overlays/mapviewport.h"

// The colour of the `file`th file, on the map and in the 3D view.
QColor GpxFileColour(std::size_t file);

class GpxMapLayer {
public:
    // The layer of `files` for a map box of `viewport` showing the area of
    // `params`, waypoints named in `font` unless it is null; `filesSerial`
    // changes whenever the files do.
    const QImage& Layer(const std::vector<GpxData>& files, uint64_t filesSerial, const MapViewport& viewport,
        const RenderParams& params, const QFont* font);
    // The whole area on a map of width x height pixels, without names.
    const QImage& Layer(
        const std::vector<GpxData>& files, uint64_t filesSerial, int width, int height, const RenderParams& params);

    // How often the layer has been drawn, and the strokes (line segments
    // and waypoint dots) of the last drawing.
    int builds() const { return builds_; }
    int strokes() const { return strokes_; }

private:
    struct Key {
        uint64_t filesSerial = 0;
        int width = 0;
        int height = 0;
        double northLat = 0;
        double westLon = 0;
        double areaDegrees = 0;
        double zoom = 1;
        double centreX = 0;
        double centreY = 0;
        QString font;
        bool operator==(const Key&) const = default;
    };
    void Build(
        const std::vector<GpxData>& files, const MapViewport& viewport, const RenderParams& params, const QFont* font);

    QImage layer_;
    Key key_;
    bool built_ = false;
    int builds_ = 0;
    int strokes_ = 0;
};
