#pragma once
// The render target of the 3D view and the renderer's working memory, set up
// once at start-up from the screen-sized frame bitmap.

#include <cstdint>

#include "loading/raster.h"

struct FrameBuffersRecord {
    int32_t width = 0;   // allocated size W0 x H0
    int32_t height = 0;
    uint32_t* const* ColourRows = nullptr;
    uint32_t* const* DepthRows = nullptr;  // 1/256 cell; sky 999999999
    int16_t* const* HeightRows = nullptr;  // metres; sky 0
};

// Takes the bitmap's rows and allocates every buffer a frame needs. Only the
// first call does anything; later calls, with any bitmap, are ignored.
void PrepareFrameBuffers(Bitmap32& bitmap);
const FrameBuffersRecord& FrameBuffersView();
