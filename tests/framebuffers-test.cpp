// Frame buffers: a renderer's buffers over its bitmap, their sizes and row
// tables, the reciprocal table, and a frame stage that never draws beyond
// what was made.

#include <gtest/gtest.h>

#include <algorithm>

#include "render/frame.h"
#include "render/renderer.h"

namespace {

constexpr int32_t kW0 = 800;
constexpr int32_t kH0 = 600;

template <typename T> bool AllZero(const T* p, std::size_t n)
{
    return std::all_of(p, p + n, [](const T& v) { return v == T{}; });
}

class FrameBuffers : public ::testing::Test {
protected:
    Bitmap32 screen{kW0, kH0};
    Renderer renderer{screen};
};

}  // namespace

TEST_F(FrameBuffers, EverythingStartsCleared)
{
    const FrameBufferSet& fb = renderer.Buffers();
    const StripSample* s = fb.SampleStrips;
    EXPECT_TRUE(AllZero(fb.TiledDepths, TiledPixels(kW0, kH0)));
    EXPECT_TRUE(AllZero(fb.TiledHeights, TiledPixels(kW0, kH0)));
    EXPECT_TRUE(AllZero(fb.ColumnTop, kW0));
    EXPECT_TRUE(AllZero(fb.ColumnColour, kW0));
    EXPECT_TRUE(AllZero(fb.SkyRowColours, kH0));
    EXPECT_TRUE(std::all_of(
        s, s + kSampleStripSlots, [](const StripSample& v) { return v.col == 0 && v.row == 0 && v.colour == 0; }));
    EXPECT_EQ(fb.ReciprocalTable[1], 65536);
    EXPECT_EQ(fb.ReciprocalTable[3], 21845);
    EXPECT_EQ(renderer.last.stripCount, 0);
}

TEST_F(FrameBuffers, TakeTheBitmapRows)
{
    const FrameBufferSet& fb = renderer.Buffers();
    EXPECT_EQ(fb.width, kW0);
    EXPECT_EQ(fb.height, kH0);
    for (int32_t y : {0, 1, 299, kH0 - 1})
        EXPECT_EQ(fb.ColourRows[y], screen.scanLine(y)) << y;
}

TEST_F(FrameBuffers, TwoRenderersShareNothing)
{
    Bitmap32 other(kW0, kH0);
    Renderer second(other);
    const FrameBufferSet& a = renderer.Buffers();
    const FrameBufferSet& b = second.Buffers();
    EXPECT_NE(a.ColourRows[0], b.ColourRows[0]);
    EXPECT_NE(a.TiledDepths, b.TiledDepths);
    EXPECT_NE(a.SampleStrips, b.SampleStrips);
    EXPECT_NE(a.TiledColours, b.TiledColours);
    second.SetFrameSize(100, 50);
    EXPECT_EQ(b.frameWidth, 100);
    EXPECT_NE(a.frameWidth, 100);
}

TEST_F(FrameBuffers, FrameSizeIsClippedToTheBuffers)
{
    renderer.SetFrameSize(1024, 1024);
    EXPECT_EQ(renderer.Buffers().frameWidth, kW0);
    EXPECT_EQ(renderer.Buffers().frameHeight, kH0);
    renderer.SetFrameSize(-5, 10);
    EXPECT_EQ(renderer.Buffers().frameWidth, 0);
    EXPECT_EQ(renderer.Buffers().frameHeight, 10);
}

TEST_F(FrameBuffers, FrameBeforeAnyStripsStaysWithinTheBuffers)
{
    // Before the first frame the pair reads 1024 x 1024, more than the
    // 800 x 600 made: the frame stage clips it and draws sky only.
    EXPECT_EQ(renderer.Buffers().frameWidth, 1024);
    RenderParams params;
    params.metresPerCell = 1852.0 / 60;
    Viewpoint view;
    view.viewAngle = 40;
    view.minAltitude = 1000;
    const TileInfo none;
    EXPECT_EQ(RasteriseFrame(renderer, none, nullptr, params, view), 1000);
    EXPECT_EQ(renderer.Buffers().frameWidth, kW0);
    EXPECT_EQ(renderer.Buffers().frameHeight, kH0);
    EXPECT_EQ(renderer.Buffers().DepthAt(kW0 - 1, 0), kSkyDepth);
}
