#pragma once
// The GPX files shown over the landscape: lines and waypoints on the map, and
// in the 3D view draped on the ground and hidden where nearer ground stands
// in front, by the frame's depth buffer. Drawn after the renderer, over the
// finished frame.

#include <cstdint>
#include <vector>

#include <QColor>
#include <QFont>

#include "core/viewrecords.h"
#include "overlays/gpx.h"
#include "overlays/gpxmaplayer.h"

class QPainter;
class Bitmap32;
class Renderer;
struct Terrain;

class GpxOverlay {
public:
    void Add(GpxData data);
    void Clear();
    bool empty() const { return files_.empty(); }
    const std::vector<GpxData>& files() const { return files_; }
    // Changes whenever the files do.
    uint64_t filesSerial() const { return filesSerial_; }
    // The line a flight follows: the longest of the file added last.
    const GpxLine* FlightLine() const;

    // Over a map of width x height pixels showing the area of `params`,
    // from a layer kept while neither changes (gpxmaplayer.h).
    void DrawOnMap(QPainter& painter, int width, int height, const RenderParams& params) const;
    // Over a map box of `viewport`, waypoints named in `font`.
    void DrawOnMap(QPainter& painter, const MapViewport& viewport, const RenderParams& params, const QFont& font) const;
    const GpxMapLayer& mapLayer() const { return mapLayer_; }
    // Into the frame bitmap's first frame.width() x frame.height() pixels,
    // over the frame the renderer has just drawn from `terrain`.
    void DrawInFrame(const Renderer& renderer, Bitmap32& frame, QPainter& painter, const Terrain& terrain,
        const RenderParams& params) const;

private:
    std::vector<GpxData> files_;
    uint64_t filesSerial_ = 0;  // counts the changes of files_
    mutable GpxMapLayer mapLayer_;  // a cache: drawing on the map leaves the files as they are
};

// Metres over the ground between two points (an equirectangular measure,
// close enough over the few kilometres between a track's points).
double GroundMetres(const GpxPoint& a, const GpxPoint& b);
// Degrees clockwise from north from a to b.
double BearingDegrees(const GpxPoint& a, const GpxPoint& b);
