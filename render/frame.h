#pragma once
// The frame stage: the second stage of every frame, after BuildViewStrips
// (viewstrips.h) has gathered the visible grid samples. RasteriseFrame places
// the eye, sets the projection, paints the sky colours and rasterises the
// strips; GridTopSeen and ProjectGridSample tell the frame's readers where a
// grid point landed.

#include <cstdint>
#include <optional>

#include "core/raster.h"
#include "core/viewrecords.h"
#include "render/framebuffers.h"
#include "render/renderer.h"

// Draws the strips of the renderer's last BuildViewStrips. Returns the eye
// altitude of this frame in whole metres.
int32_t RasteriseFrame(Renderer& renderer, const TileInfo& tileInfo, const int16_t* const* heightGrid,
    const RenderParams& params, const Viewpoint& view);

// Where a frame's eye stands: its grid position in 1/256 cell, the ground
// follow after this frame and the eye altitude in whole metres.
struct EyePlacement {
    int32_t eyeX = 0;
    int32_t eyeY = 0;
    int32_t groundFollow = 0;
    double altitude = 0;
};
// The placement a frame draws `view` from, given the ground follow so far
// (none: the ground under the eye) and the heights drawn heightQuarters
// quarters as high. Changes nothing.
EyePlacement PlaceEye(const TileInfo& tileInfo, const int16_t* const* heightGrid, const RenderParams& params,
    const Viewpoint& view, std::optional<int32_t> groundFollow, int32_t heightQuarters);

// Where the top of grid point (column, row), `height` metres high, lands in
// the renderer's last frame, exactly as that frame placed its samples; depth
// is in 1/256 cell like the depth buffer's, below kCellUnits behind the eye.
ScreenPoint ProjectGridSample(const Renderer& renderer, int32_t column, int32_t row, int32_t height);

// Where ProjectGridSample puts the top of grid point (column, row), if the
// last frame shows it: inside the frame, in front of the eye, and not hidden
// by nearer ground according to the frame's depth buffer (the ground drawn
// just below it is its own flank or lies farther).
bool GridTopSeen(const Renderer& renderer, int32_t column, int32_t row, int32_t height, ScreenPoint& where);

// The drop of a point `metres` away on the curved earth, metres.
double CurvatureDrop(double metres);
