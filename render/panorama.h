#pragma once
// A panorama from the eye: column x of a W-wide panorama covering FROM..TO
// degrees clockwise is centred on the azimuth FROM + (x + 0.5)(TO - FROM)/W.
// Drawn by the strip renderer in slices a few degrees wide, each a frame
// whose columns stand a near-constant angle apart (the slices are narrow), on
// a curved earth with the standard refraction.

#include <cstdint>
#include <functional>
#include <vector>

#include "core/raster.h"
#include "core/viewrecords.h"
#include "render/framestate.h"

struct PanoramaRequest {
    double fromAzimuth = 0;  // degrees clockwise from north
    double toAzimuth = 360;  // greater than fromAzimuth, at most a turn beyond it
    // The eye (latitude, longitude, minimum altitude) and the pitch of the
    // middle row; viewAngle is the vertical angle of view, 0 for square
    // pixels (H times the degrees of one column).
    Viewpoint eye;
};

// A grid point whose top the panorama shows, where it shows it.
struct PanoramaTop {
    int32_t index;  // into the points asked about
    int32_t x;  // panorama column and row
    int32_t y;
    int32_t depth;  // 1/256 cell
};

struct PanoramaPoint {
    int32_t column;
    int32_t row;
    int32_t height;  // metres
};

// What the panorama needs of the landscape: the grid, the relief it is
// coloured from, and where it lies.
struct PanoramaScene {
    const TileInfo& relief;
    const ReliefLevels& levels;
    const int16_t* const* heights;
    const RenderParams& params;
};

// Draws the panorama into the whole of `out`, with `settings` (the look,
// the sun; curvature is always on), and tells which of `points` it shows.
// `progress` (0 .. 1) follows the slices; returning false from it stops the
// drawing, which then returns false. Throws std::bad_alloc.
bool RenderPanorama(Bitmap32& out, const PanoramaScene& scene, const PanoramaRequest& request,
    const FrameSettings& settings, const std::vector<PanoramaPoint>& points, std::vector<PanoramaTop>& seen,
    const std::function<bool(double)>& progress = {});

// The azimuth at the centre of column x of a `width`-wide panorama.
double PanoramaAzimuth(const PanoramaRequest& request, int32_t width, double x);
