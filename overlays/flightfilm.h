#pragma once
// The frames of a flight for a video: a renderer of its own steps the
// flight one frame's time, draws the view, the GPX files over it, and hands
// the frame to a video writer. vantorel-render's --video and the viewer's
// "Record flight" film the same way, so a flight looks alike in both.

#include <memory>

#include "core/raster.h"
#include "core/viewrecords.h"
#include "flight/flight.h"
#include "flight/trackpath.h"
#include "render/framestate.h"
#include "render/renderer.h"
#include "video/videowriter.h"

class GpxOverlay;
struct GpxLine;
struct Terrain;

// A GPX line as a path to fly.
TrackPath PathOf(const GpxLine& line);

// What the frames are drawn from; all of it must outlive the film.
struct FlightScene {
    const Terrain* terrain = nullptr;
    const TileInfo* relief = nullptr;  // the ground's colours: the terrain's own or a natural relief
    const ReliefLevels* levels = nullptr;
    RenderParams params;
    const GpxOverlay* gpx = nullptr;  // drawn over every frame when set
};

class FlightFilm {
public:
    // Frames of the writer's size drawn with `settings` (look, curvature,
    // exaggeration). Throws std::bad_alloc.
    FlightFilm(const FlightScene& scene, const FrameSettings& settings, VideoWriter& writer);

    // Draws and writes the next frame: the first where `flight` starts,
    // each one after that a frame's time further along it. False once the
    // writer has failed (its error says why).
    bool Shoot(Flight& flight, Viewpoint& eye);
    int shot() const { return shot_; }
    const Bitmap32& frame() const { return bitmap_; }

private:
    FlightScene scene_;
    VideoWriter& writer_;
    Bitmap32 bitmap_;
    Renderer renderer_;
    int shot_ = 0;
};
