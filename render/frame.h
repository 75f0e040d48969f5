#pragma once
// Second stage of every 3D frame, after BuildViewStrips (viewstrips.h) has
// gathered the visible grid samples: RasteriseFrame places the eye, projects
// the strips into the frame buffers and paints the sky.

#include <cstdint>

#include "core/geometry.h"
#include "core/raster.h"
#include "core/viewrecords.h"
#include "render/framebuffers.h"
#include "render/rasterise.h"
#include "render/viewstrips.h"

// Returns the eye altitude of this frame in whole metres.
int32_t RasteriseFrame(
    const TileInfo& tileInfo, const int16_t* const* heightGrid, const RenderParams& params, const Viewpoint& view);

// Where a frame's eye stands: its grid position in 1/256 cell, the ground
// follow after this frame and the eye altitude in whole metres.
struct EyePlacement {
    int32_t eyeX = 0;
    int32_t eyeY = 0;
    int32_t groundFollow = 0;
    double altitude = 0;
};
// The placement RasteriseFrame will draw `view` from, given the ground
// follow so far. Changes nothing.
EyePlacement PlaceEye(const TileInfo& tileInfo, const int16_t* const* heightGrid, const RenderParams& params,
    const Viewpoint& view, int32_t groundFollow);

// Where ProjectGridSample puts the top of grid point (column, row), if the
// last frame shows it: inside the frame, in front of the eye, and not hidden
// by nearer ground according to the frame's depth buffer (the ground drawn
// just below it is its own flank or lies farther).
bool GridTopSeen(int32_t column, int32_t row, int32_t height, ScreenPoint& where);

// The smoothed ground height under the viewpoint, metres. Starts at 0 and
// carries over from frame to frame and from tile to tile.
extern int32_t GroundFollow;
// The eye altitude of the last frame, metres (always a whole number).
extern double EyeAltitude;
// Heights are drawn this many quarters as high: kTrueHeightQuarters, the
// start value, draws them as they are. The readouts' heights stay true.
extern int32_t HeightExaggeration;
// Far ground drawn where it stands on a curved earth, with the standard
// refraction: off (false) at the start, when frames are drawn on a flat earth.
extern bool EarthCurvature;
// The drop of a point `metres` away on the curved earth, metres.
double CurvatureDrop(double metres);

// SkyRowColours[0 .. H-1] for a frame of W x H: deep blue high up, brightening
// over the 200 rows above the horizon.
void FillSkyRowColours(int32_t W, int32_t H, double viewAngle, double pitch);
