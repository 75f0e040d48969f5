#pragma once
// The reference column fill: the column rule (render/columnrule.h) applied
// straight to rows, pixel by pixel, for the tests to compare the
// rasteriser's tiled and vector paths with.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/renderer.h"

// Depths and heights in rows, as wide and high as a renderer's buffers: the
// renderer keeps its own in tiles, the reference fill writes these.
class ReferenceRows {
public:
    ReferenceRows(const Renderer& renderer, uint32_t depthMark, int16_t heightMark);

    uint32_t& Depth(int32_t x, int32_t r) { return depths_[Index(x, r)]; }
    int16_t& Height(int32_t x, int32_t r) { return heights_[Index(x, r)]; }
    // Every pixel marked again.
    void Mark(uint32_t depthMark, int16_t heightMark);
    // Row after row, Width() pixels each.
    uint32_t* Depths() { return depths_.data(); }
    int16_t* Heights() { return heights_.data(); }
    std::size_t Width() const { return width_; }

private:
    std::size_t Index(int32_t x, int32_t r) const { return std::size_t(r) * width_ + std::size_t(x); }
    std::size_t width_;
    std::vector<uint32_t> depths_;
    std::vector<int16_t> heights_;
};

// The column rule for one point of column x at row y of the renderer's frame
// (its frame-size pair): colours into the renderer's rows, depths and
// heights into `rows`; points outside the frame are ignored.
void FillColumnSpan(const Renderer& renderer, ReferenceRows& rows, int32_t x, int32_t y, uint32_t colour, int32_t depth,
    int32_t height);
// A run from (x0, y0) to (x1, y1) as the column fill steps it: its columns
// x0 + 1 .. x1 each take FillColumnSpan at the run's row there, with its
// gradient colour. Only runs that advance to the right draw anything.
void DrawSegment(const Renderer& renderer, ReferenceRows& rows, int32_t x0, int32_t y0, uint32_t c0, int32_t x1,
    int32_t y1, uint32_t c1, int32_t depth, int32_t height);
