#pragma once
// Frames of any size drawn away from the screen, into buffers of their own.
// Afterwards the screen's buffers and everything the renderer carries from
// one frame to the next are as they were, so the next frame on the screen is
// the one it would have been.

#include <cstdint>

#include "core/raster.h"
#include "core/viewrecords.h"
#include "render/rasterise.h"

struct Terrain;

// The renderer's state between frames: what steers the next frame and what
// the last one left for its readers. LastStripLayout() is not part of it: it
// describes the last frame drawn, wherever that went.
struct RendererState {
    double detailFactor = 0;
    int32_t rasterFeedback = 0;
    int32_t groundFollow = 0;
    double eyeAltitude = 0;
    int32_t stripCount = 0;
    int32_t stripStride = 0;
    ProjectionRecord projection;
};
RendererState SaveRendererState();
void RestoreRendererState(const RendererState& state);

// Draws `view` into the whole of `bitmap`, `frames` times (at least once) so
// that the detail feedback settles at this size, every time from the eye
// altitude the next frame on the screen would have. Returns that altitude in
// metres. An allocation failure throws std::bad_alloc and changes nothing.
int32_t RenderOffscreen(
    Bitmap32& bitmap, int frames, const Terrain& terrain, const RenderParams& params, const Viewpoint& view);
