#pragma once
// Frames of any size drawn away from the screen, by a renderer of their own:
// the screen's renderer is only read, so the next frame on the screen is the
// one it would have been.

#include <cstdint>
#include <functional>

#include "core/raster.h"
#include "core/viewrecords.h"

class Renderer;
struct Terrain;

// Draws `view` into the whole of `bitmap`, `frames` times (at least once) so
// that the detail feedback settles at this size, with the screen renderer's
// settings and from the state its next frame would start from, every time
// from the eye altitude that frame would have. Returns that altitude in
// metres. An allocation failure throws std::bad_alloc.
int32_t RenderOffscreen(const Renderer& screen, Bitmap32& bitmap, int frames, const Terrain& terrain,
    const RenderParams& params, const Viewpoint& view);
// What is drawn over the last frame, by the renderer that drew it.
using OffscreenOverlay = std::function<void(const Renderer& renderer)>;
// The same, with the ground's colours from `relief` and `levels` (a natural
// relief of the terrain's grid) in place of the terrain's own, and `over`
// drawn over the last frame.
int32_t RenderOffscreen(const Renderer& screen, Bitmap32& bitmap, int frames, const Terrain& terrain,
    const TileInfo& relief, const ReliefLevels& levels, const RenderParams& params, const Viewpoint& view,
    const OffscreenOverlay& over = {});
