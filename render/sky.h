#pragma once
// The sky: a colour per frame row, deep blue high up and brightening towards
// the horizon, painted above every column's terrain; and the skyline, where
// a column's top row is blended half and half with the sky above it.

#include <cstdint>

#include "core/raster.h"
#include "render/framebuffers.h"

// SkyRowColours[0 .. H-1] of `fb` for a frame of W x H: deep blue high up,
// brightening over the 200 rows above the horizon.
void FillSkyRowColours(const FrameBufferSet& fb, int32_t W, int32_t H, double viewAngle, double pitch);

// The colour of row `row` of a column whose terrain starts at row `top`, its
// ground colour being `ground`: the top row is the skyline, half and half
// with the sky above it, except on the frame's first and last rows.
inline uint32_t SkylinePixel(const uint32_t* skyRowColours, int32_t row, int32_t top, int32_t H, uint32_t ground)
{
    return row == top && top > 0 && top < H - 1 ? AveragePixels(skyRowColours[row - 1], ground) : ground;
}
