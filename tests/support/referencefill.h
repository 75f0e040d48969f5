#pragma once
// The reference column fill: the column rule (render/columnrule.h) applied
// straight to the renderer's rows, pixel by pixel, for the tests to compare
// the rasteriser's tiled and vector paths with.

#include <cstdint>

#include "render/renderer.h"

// The column rule for one point of column x at row y of the renderer's frame
// (its frame-size pair); points outside the frame are ignored.
void FillColumnSpan(const Renderer& renderer, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height);
// A run from (x0, y0) to (x1, y1) as the column fill steps it: its columns
// x0 + 1 .. x1 each take FillColumnSpan at the run's row there, with its
// gradient colour. Only runs that advance to the right draw anything.
void DrawSegment(const Renderer& renderer, int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1,
    int32_t depth, int32_t height);
