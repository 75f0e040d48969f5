#pragma once
// The two stages of every 3D frame: BuildViewStrips gathers the visible grid
// samples nearest first into level-of-detail strips, RasteriseFrame projects
// them into the frame buffers and paints the sky.

#include <cstdint>

#include "app/terrainstate.h"
#include "loading/raster.h"
#include "render/framebuffers.h"
#include "render/rasterise.h"
#include "render/viewstrips.h"

// W x H is the 3D view's size; it becomes the frame-size pair, clipped to the
// prepared buffers. The relief levels must have a pixel for every
// [row >> k][col >> k] of the tile, k = 1, 2, 3.
void BuildViewStrips(int32_t W, int32_t H, const TileInfo& tileInfo, const ReliefLevels& reliefLevels,
                     const int16_t* const* heightGrid, const RenderParams& params, const Viewpoint& view);

// Returns the eye altitude of this frame in whole metres.
int32_t RasteriseFrame(const TileInfo& tileInfo, const int16_t* const* heightGrid,
                       const RenderParams& params, const Viewpoint& view);

// The smoothed ground height under the viewpoint, metres. Starts at 0 and
// carries over from frame to frame and from tile to tile.
extern int32_t GroundFollow;
// The eye altitude of the last frame, metres (always a whole number).
extern double EyeAltitude;

struct GridPosition {
    double gx;  // 1/32 cell, east
    double gy;  // 1/32 cell, south
};
GridPosition GeoToGrid(const RenderParams& params, double latitude, double longitude);

// SkyRowColours[0 .. H-1] for a frame of W x H: deep blue high up, brightening
// over the 200 rows above the horizon.
void FillSkyRowColours(int32_t W, int32_t H, double viewAngle, double pitch);
