#pragma once
// The two stages of every 3D frame: BuildViewStrips gathers the visible grid
// samples nearest first into level-of-detail strips, RasteriseFrame projects
// them into the frame buffers and paints the sky.

#include <cstdint>

#include "app/terrainstate.h"
#include "loading/raster.h"

void BuildViewStrips(int32_t W, int32_t H, const TileInfo& tileInfo, const ReliefLevels& reliefLevels,
                     const int16_t* const* heightGrid, const RenderParams& params, const Viewpoint& view);

// Returns the eye altitude of this frame in whole metres.
int32_t RasteriseFrame(const TileInfo& tileInfo, const int16_t* const* heightGrid,
                       const RenderParams& params, const Viewpoint& view);
