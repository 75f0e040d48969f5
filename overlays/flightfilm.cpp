#include "overlays/flightfilm.h"

#include <vector>

#include <QPainter>

#include "elevation/terrain.h"
#include "overlays/bitmapimage.h"
#include "overlays/gpx.h"
#include "overlays/gpxoverlay.h"
#include "render/frame.h"
#include "render/viewstrips.h"

TrackPath PathOf(const GpxLine& line)
{
    std::vector<GeoPoint> points;
    points.reserve(line.points.size());
    for (const GpxPoint& p : line.points)
        points.push_back({p.latitude, p.longitude});
    return TrackPath(std::move(points));
}

FlightFilm::FlightFilm(const FlightScene& scene, const FrameSettings& settings, VideoWriter& writer) :
    scene_(scene), writer_(writer), bitmap_(writer.width(), writer.height()), renderer_(bitmap_)
{
    renderer_.settings = settings;
}

bool FlightFilm::Shoot(Flight& flight, Viewpoint& eye)
{
    // The first step takes no time: it puts the eye where the flight
    // starts (a chase behind the track's start).
    flight.Step(shot_ > 0 ? 1.0 / kVideoFramesPerSecond : 0.0, eye);
    const int width = bitmap_.width();
    const int height = bitmap_.height();
    const int16_t* const* heights = scene_.terrain->heightGrid.rows();
    eye.renderAzimuth = eye.azimuth;
    BuildViewStrips(renderer_, width, height, *scene_.relief, *scene_.levels, heights, scene_.params, eye);
    RasteriseFrame(renderer_, *scene_.relief, heights, scene_.params, eye);
    if (scene_.gpx && !scene_.gpx->empty()) {
        QImage image = ImageOverBitmap(bitmap_, QSize(width, height));
        QPainter painter(&image);
        scene_.gpx->DrawInFrame(renderer_, bitmap_, painter, *scene_.terrain, scene_.params);
    }
    ++shot_;
    return writer_.Write(renderer_.Buffers().ColourRows);
}
