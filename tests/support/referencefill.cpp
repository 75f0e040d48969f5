// The column rule in the frame's rows, one pixel at a time: the plain form
// of what the column fill does in tiles and in vectors, which the tests hold
// the fast paths to.

#include "tests/support/referencefill.h"

#include <algorithm>
#include <cstdlib>

#include "render/columnrule.h"
#include "render/gradient.h"
#include "render/runrows.h"

namespace {

// The frame buffers as one frame uses them, within the clipped frame size:
// the renderer's colour rows, the reference's depths and heights.
struct Target {
    uint32_t* const* colourRows;
    uint32_t* depths;
    int16_t* heights;
    int32_t* columnTop;
    uint32_t* columnColour;
    const uint32_t* skyRowColours;
    const int32_t* reciprocals;
    int32_t W;
    int32_t H;
    int32_t xLo;  // the columns this target fills: [xLo, xHi)
    int32_t xHi;
    std::ptrdiff_t colourStep;  // elements from one row to the next
    std::ptrdiff_t depthStep;  // of the depths and of the heights

    uint32_t& Colour(int32_t x, int32_t r) const { return colourRows[r][x]; }
    uint32_t& Depth(int32_t x, int32_t r) const { return depths[r * depthStep + x]; }
    int16_t& Height(int32_t x, int32_t r) const { return heights[r * depthStep + x]; }
    class ColumnWriter Writer(int32_t x, int32_t row) const;
};

Target TargetOf(const FrameBufferSet& fb, ReferenceRows& rows)
{
    const bool twoRows = fb.height > 1;
    return {fb.ColourRows, rows.Depths(), rows.Heights(), fb.ColumnTop, fb.ColumnColour, fb.SkyRowColours,
        fb.ReciprocalTable, fb.frameWidth, fb.frameHeight, 0, fb.frameWidth,
        twoRows ? fb.ColourRows[1] - fb.ColourRows[0] : 0, std::ptrdiff_t(rows.Width())};
}

// Walks up one column of the three buffers. Their rows are evenly spaced
// (each buffer is one block), so a row up is a fixed step back in memory.
class ColumnWriter {
public:
    ColumnWriter(const Target& tg, int32_t x, int32_t row) :
        colour_(&tg.Colour(x, row)), depth_(&tg.Depth(x, row)), height_(&tg.Height(x, row)), colourStep_(tg.colourStep),
        depthStep_(tg.depthStep)
    {
    }
    void PutAndRise(uint32_t colour, int32_t depth, int32_t height)
    {
        *colour_ = colour;
        *depth_ = uint32_t(depth);
        *height_ = int16_t(height);
        colour_ -= colourStep_;
        depth_ -= depthStep_;
        height_ -= depthStep_;
    }

private:
    uint32_t* colour_;
    uint32_t* depth_;
    int16_t* height_;
    std::ptrdiff_t colourStep_, depthStep_;  // depthStep_ for the heights too
};

ColumnWriter Target::Writer(int32_t x, int32_t row) const
{
    return ColumnWriter(*this, x, row);
}

void PutSky(const Target& tg, int32_t x, int32_t r)
{
    tg.Colour(x, r) = tg.skyRowColours[r];
    tg.Depth(x, r) = kSkyDepth;
    tg.Height(x, r) = 0;
}

// FillColumnSpan for a point at or above the column's top.
void RaiseColumn(const Target& tg, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    const int32_t bottom = tg.H - 1;
    const RiseStart rise = StartRise(tg.columnTop[x], tg.columnColour[x], y, colour, bottom);
    if (rise.firstTouch && y < bottom)
        for (int32_t r = bottom; r >= y; --r)
            PutSky(tg, x, r);
    const int32_t t = rise.t, count = rise.count;
    const uint32_t prev = rise.prev;
    if (t < bottom)
        tg.Colour(x, t) = AveragePixels(tg.Colour(x, t), prev);
    if (count <= 0)
        return;

    // Vertical gradient from prev to colour below row y; the colour changes
    // every second row. Most spans of distant terrain are one row high and
    // need no gradient at all.
    auto column = tg.Writer(x, t - 1);
    if (count > 1 && prev == colour) {
        for (int32_t k = 1; k < count; ++k)
            column.PutAndRise(prev, depth, height);
    } else if (count > 1) {
        GradientStepper gradient(prev, colour, count, tg.reciprocals);
        uint32_t g = prev;
        for (int32_t k = 1; k < count; ++k) {
            if (k & 1)
                g = gradient.Next();
            column.PutAndRise(g, depth, height);
        }
    }
    column.PutAndRise(colour, depth, height);
}

void FillSpan(const Target& tg, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    const int32_t t = tg.columnTop[x];
    if (t < y) {
        // Hidden by nearer terrain; the colour starts the column's next gradient.
        tg.columnColour[x] = colour;
        return;
    }
    if (t - y > 1 || t >= tg.H - 1) {
        RaiseColumn(tg, x, y, colour, depth, height);
        return;
    }
    // The top met, or risen by one row: its blend, and the one row.
    const uint32_t prev = tg.columnColour[x] & kRgbMask;
    tg.columnColour[x] = colour;
    uint32_t& topPixel = tg.Colour(x, t);
    topPixel = AveragePixels(topPixel, prev);
    if (t > y) {
        tg.columnTop[x] = y;
        tg.Colour(x, y) = colour;
        tg.Depth(x, y) = uint32_t(depth);
        tg.Height(x, y) = int16_t(height);
    }
}

void DrawSpanRun(const Target& tg, int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1,
    int32_t depth, int32_t height)
{
    if (x1 <= x0)
        return;  // only segments that advance to the right; x0 belongs to the previous one
    // Columns x0 + 1 .. x1; nothing to do where none of them is the target's.
    if (x1 < tg.xLo || x0 + 1 >= tg.xHi)
        return;
    if (x1 == x0 + 1) {
        FillSpan(tg, x1, y1, c1, depth, height);
        return;
    }
    const int32_t n = x1 - x0;
    BresenhamRows rows(y0, n, std::abs(y1 - y0), y0 < y1 ? 1 : -1);
    const bool blend = c0 != c1;
    GradientStepper gradient(c0, c1, n, tg.reciprocals);
    const uint32_t topByte = c0 & ~kRgbMask;
    int32_t y = y0;
    uint32_t cur = c0;
    auto advance = [&](int32_t k) {
        y = rows.Next();
        if (blend && (k & 1))
            cur = topByte | gradient.Next();
    };
    // Rows and colours are stepped through columns left of the target too,
    // so that its first column gets exactly what a whole run gives; columns
    // from the target's right edge on are not needed at all.
    const int32_t end = std::min(n, tg.xHi - x0);
    const int32_t first = std::min(std::max(1, tg.xLo - x0), end);
    int32_t k = 1;
    for (; k < first; ++k)
        advance(k);
    for (; k < end; ++k) {
        advance(k);
        FillSpan(tg, x0 + k, y, cur, depth, height);
    }
    if (x1 < tg.xHi)
        FillSpan(tg, x1, y1, c1, depth, height);
}

}  // namespace

ReferenceRows::ReferenceRows(const Renderer& renderer, uint32_t depthMark, int16_t heightMark) :
    width_(std::size_t(renderer.Buffers().width)), depths_(width_ * std::size_t(renderer.Buffers().height), depthMark),
    heights_(width_ * std::size_t(renderer.Buffers().height), heightMark)
{
}

void ReferenceRows::Mark(uint32_t depthMark, int16_t heightMark)
{
    std::fill(depths_.begin(), depths_.end(), depthMark);
    std::fill(heights_.begin(), heights_.end(), heightMark);
}

void FillColumnSpan(
    const Renderer& renderer, ReferenceRows& rows, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    const Target tg = TargetOf(renderer.Buffers(), rows);
    if (x < 0 || x >= tg.W || y < 0 || y >= tg.H)
        return;
    FillSpan(tg, x, y, colour, depth, height);
}

void DrawSegment(const Renderer& renderer, ReferenceRows& rows, int32_t x0, int32_t y0, uint32_t c0, int32_t x1,
    int32_t y1, uint32_t c1, int32_t depth, int32_t height)
{
    const Target tg = TargetOf(renderer.Buffers(), rows);
    if (tg.W <= 0 || tg.H <= 0)
        return;
    auto clampX = [&](int32_t x) { return std::clamp(x, -1, tg.W - 1); };
    auto clampY = [&](int32_t y) { return std::clamp(y, 0, tg.H - 1); };
    DrawSpanRun(tg, clampX(x0), clampY(y0), c0, clampX(x1), clampY(y1), c1, depth, height);
}
