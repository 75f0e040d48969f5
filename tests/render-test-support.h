#pragma once
// Shared set-up of the renderer tests: a renderer of the largest frame the
// tests draw, and synthetic terrain whose relief levels say in their colour
// which level a sample came from.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/raster.h"
#include "core/viewrecords.h"
#include "render/frame.h"
#include "render/renderer.h"

namespace rendertest {

inline constexpr int32_t kBufferWidth = 3840;
inline constexpr int32_t kBufferHeight = 2160;
inline constexpr double kMetresPerCell = 1852.0 / 60.0;

// A renderer of 3840 x 2160 frames, as at start-up, with its bitmap.
struct TestRenderer {
    Bitmap32 bitmap{kBufferWidth, kBufferHeight};
    Renderer renderer{bitmap};

    const FrameBufferSet& Buffers() const { return renderer.Buffers(); }
};

// Row r's first W depths and heights, as the frame's readers see them.
inline std::vector<uint32_t> DepthRow(const FrameBufferSet& fb, int32_t r, int32_t W)
{
    std::vector<uint32_t> row(static_cast<std::size_t>(W));
    for (int32_t x = 0; x < W; ++x)
        row[std::size_t(x)] = fb.DepthAt(x, r);
    return row;
}
inline std::vector<int16_t> HeightRow(const FrameBufferSet& fb, int32_t r, int32_t W)
{
    std::vector<int16_t> row(static_cast<std::size_t>(W));
    for (int32_t x = 0; x < W; ++x)
        row[std::size_t(x)] = fb.HeightAt(x, r);
    return row;
}

// Colour, depth and height of every pixel of the last W x H frame, row by
// row, in one list.
inline std::vector<uint32_t> FramePixels(const FrameBufferSet& fb, int32_t W, int32_t H)
{
    std::vector<uint32_t> pixels;
    for (int32_t r = 0; r < H; ++r) {
        pixels.insert(pixels.end(), fb.ColourRows[r], fb.ColourRows[r] + W);
        const std::vector<uint32_t> depths = DepthRow(fb, r, W);
        pixels.insert(pixels.end(), depths.begin(), depths.end());
        for (const int16_t height : HeightRow(fb, r, W))
            pixels.push_back(uint32_t(height));
    }
    return pixels;
}

// Pixel (x, r) made terrain of this depth and height, as a frame would have
// drawn it, for the tests of what reads them.
inline void PutDrawnPixel(const FrameBufferSet& fb, int32_t x, int32_t r, uint32_t depth, int16_t height)
{
    const std::ptrdiff_t at = TiledIndex(TileRowStep(fb.frameWidth), x, r);
    fb.TiledDepths[at] = depth;
    fb.TiledHeights[at] = height;
    fb.ColumnTop[x] = std::min(fb.ColumnTop[x], r);
}

// A test with a renderer of its own, as at start-up.
class RendererTest : public ::testing::Test {
protected:
    TestRenderer owned;
    Renderer& renderer = owned.renderer;
};

// Relief colours carry their level in the red byte: 0x10 for full resolution,
// 0x20, 0x30, 0x40 for the half, quarter and eighth levels.
inline constexpr uint32_t LevelTag(int level)
{
    return uint32_t(level + 1) << 20;
}
inline int LevelOfColour(uint32_t colour)
{
    return int(colour >> 20) - 1;
}

// A square tile of side n with heights from a function of (col, row).
struct SyntheticTile {
    int32_t side;
    std::vector<int16_t> heights;
    std::vector<const int16_t*> rows;
    std::unique_ptr<Bitmap32> relief;
    std::array<std::unique_ptr<Bitmap32>, 3> levels;
    TileInfo tileInfo;
    ReliefLevels reliefLevels;
    RenderParams params;

    SyntheticTile(int32_t n, const std::function<int16_t(int32_t col, int32_t row)>& height) :
        side(n), heights(std::size_t(n) * n), rows(n)
    {
        for (int32_t r = 0; r < n; ++r) {
            for (int32_t c = 0; c < n; ++c)
                heights[std::size_t(r) * n + c] = height(c, r);
            rows[r] = heights.data() + std::size_t(r) * n;
        }
        relief = MakeLevel(n, 0);
        tileInfo = {n, n, relief->scanLines()};
        int32_t levelSide = n;
        for (int k = 0; k < 3; ++k) {
            levelSide = (levelSide + 1) / 2;
            levels[k] = MakeLevel(levelSide, k + 1);
            reliefLevels[k] = {levelSide, levelSide, levels[k]->scanLines()};
        }
        params.columns = n;
        params.rows = n;
        params.metresPerCell = kMetresPerCell;
        params.centreLat = 35.5;
        params.centreLon = 138.5;
        params.northLat = 36;
        params.westLon = 138;
    }

    const int16_t* const* grid() const { return rows.data(); }

    // The eye over cell (col, row) of this tile.
    Viewpoint ViewOver(double col, double row) const
    {
        const double degNS = params.metresPerCell / 1852 / 60;
        const double degEW = degNS / std::cos(params.centreLat * 3.141592653589793 / 180);
        Viewpoint v;
        v.latitude = params.centreLat - (row - side / 2) * degNS;
        v.longitude = params.centreLon + (col - side / 2) * degEW;
        v.minAltitude = 1000;
        v.pitch = -5;
        v.viewAngle = 40;
        return v;
    }

    void Build(Renderer& renderer, int32_t W, int32_t H, const Viewpoint& view) const
    {
        BuildViewStrips(renderer, W, H, tileInfo, reliefLevels, grid(), params, view);
    }
    int32_t Rasterise(Renderer& renderer, const Viewpoint& view) const
    {
        return RasteriseFrame(renderer, tileInfo, grid(), params, view);
    }

private:
    static std::unique_ptr<Bitmap32> MakeLevel(int32_t n, int level)
    {
        auto b = std::make_unique<Bitmap32>(n, n);
        for (int32_t r = 0; r < n; ++r)
            for (int32_t c = 0; c < n; ++c)
                b->scanLine(r)[c] = LevelTag(level) | uint32_t(((c * 5) & 0xFF) << 8) | uint32_t((r * 3) & 0xFF);
        return b;
    }
};

// The samples of strip i of the renderer's last build, up to its terminator.
inline std::vector<StripSample> StripSamples(const Renderer& renderer, int32_t i)
{
    std::vector<StripSample> out;
    const int32_t pitch = renderer.last.StripSlotPitch();
    const StripSample* slot = renderer.Buffers().SampleStrips + std::size_t(i) * std::size_t(pitch);
    for (int32_t k = 0; k < pitch && slot[k].colour != kStripTerminator; ++k)
        out.push_back(slot[k]);
    return out;
}

}  // namespace rendertest
