// Frame buffers: set-up once, sizes and row tables, the reciprocal table, and
// a frame stage that never draws beyond what was prepared. A program of its
// own, because the buffers can be prepared only once per process.

#include <gtest/gtest.h>

#include <algorithm>

#include "render/make3dpicture.h"

namespace {

constexpr int32_t kW0 = 800;
constexpr int32_t kH0 = 600;

Bitmap32& Screen()
{
    static Bitmap32 bitmap(kW0, kH0);
    return bitmap;
}

template <typename T>
bool AllZero(const T* p, std::size_t n)
{
    return std::all_of(p, p + n, [](const T& v) { return v == T{}; });
}

}  // namespace

// The tests of this file run in order: the first sees the buffers unprepared.
TEST(FrameBuffers, NothingBeforeSetUp)
{
    EXPECT_FALSE(FrameBuffersPrepared());
    EXPECT_EQ(FrameBuffersView().ColourRows, nullptr);
    EXPECT_EQ(FrameBuffers.ReciprocalTable[1], 65536) << "the table needs no set-up";
    StripCount = 5;
    const TileInfo none;
    BuildViewStrips(656, 400, none, ReliefLevels{}, nullptr, RenderParams{}, Viewpoint{});
    EXPECT_EQ(StripCount, 0) << "no strips without a strip buffer";
}

TEST(FrameBuffers, SetUpTakesTheBitmapRows)
{
    PrepareFrameBuffers(Screen());
    ASSERT_TRUE(FrameBuffersPrepared());
    const FrameBuffersRecord& view = FrameBuffersView();
    EXPECT_EQ(view.width, kW0);
    EXPECT_EQ(view.height, kH0);
    for (int32_t y : {0, 1, 299, kH0 - 1})
        EXPECT_EQ(view.ColourRows[y], Screen().scanLine(y)) << y;
    EXPECT_EQ(view.DepthRows[1] - view.DepthRows[0], kW0);
    EXPECT_EQ(view.HeightRows[1] - view.HeightRows[0], kW0);
    // One block each: 800 x 600 x 4 and x 2 bytes.
    EXPECT_EQ((view.DepthRows[kH0 - 1] + kW0 - view.DepthRows[0]) * sizeof(uint32_t), 1920000u);
    EXPECT_EQ((view.HeightRows[kH0 - 1] + kW0 - view.HeightRows[0]) * sizeof(int16_t), 960000u);
}

TEST(FrameBuffers, FrameSizeReadsTenTwentyFourSquareUntilTheFirstFrame)
{
    EXPECT_EQ(FrameBuffers.frameWidth, 1024);
    EXPECT_EQ(FrameBuffers.frameHeight, 1024);
}

TEST(FrameBuffers, EverythingStartsCleared)
{
    EXPECT_TRUE(AllZero(FrameBuffers.DepthRows[0], std::size_t(kW0) * kH0));
    EXPECT_TRUE(AllZero(FrameBuffers.HeightRows[0], std::size_t(kW0) * kH0));
    EXPECT_TRUE(AllZero(FrameBuffers.ColumnTop, kW0));
    EXPECT_TRUE(AllZero(FrameBuffers.ColumnColour, kW0));
    EXPECT_TRUE(AllZero(FrameBuffers.SkyRowColours, kH0));
    const StripSample* s = FrameBuffers.SampleStrips;
    EXPECT_TRUE(std::all_of(s, s + kSampleStripSlots,
                            [](const StripSample& v) { return v.col == 0 && v.row == 0 && v.colour == 0; }));
}

TEST(FrameBuffers, ReciprocalTable)
{
    const int32_t* table = FrameBuffers.ReciprocalTable;
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 65536);
    EXPECT_EQ(table[2], 32768);
    EXPECT_EQ(table[3], 21845);
    EXPECT_EQ(table[2047], 32);
}

TEST(FrameBuffers, SecondSetUpChangesNothing)
{
    const FrameBufferSet before = FrameBuffers;
    Bitmap32 other(1920, 1080);
    PrepareFrameBuffers(other);
    EXPECT_EQ(FrameBuffers.width, before.width);
    EXPECT_EQ(FrameBuffers.height, before.height);
    EXPECT_EQ(FrameBuffers.ColourRows, before.ColourRows);
    EXPECT_EQ(FrameBuffers.ColourRows[0], Screen().scanLine(0));
    EXPECT_EQ(FrameBuffers.DepthRows, before.DepthRows);
    EXPECT_EQ(FrameBuffers.SampleStrips, before.SampleStrips);
    EXPECT_EQ(FrameBuffers.frameWidth, 1024);
    EXPECT_EQ(FrameBuffersView().width, kW0);
}

TEST(FrameBuffers, FrameBeforeAnyStripsStaysWithinTheBuffers)
{
    // The pair still reads 1024 x 1024, more than the 800 x 600 prepared:
    // the frame stage clips it and draws sky only (no strips yet).
    RenderParams params;
    params.metresPerCell = 1852.0 / 60;
    Viewpoint view;
    view.viewAngle = 40;
    view.minAltitude = 1000;
    const TileInfo none;
    StripCount = 0;
    EXPECT_EQ(RasteriseFrame(none, nullptr, params, view), 1000);
    EXPECT_EQ(FrameBuffers.frameWidth, kW0);
    EXPECT_EQ(FrameBuffers.frameHeight, kH0);
    EXPECT_EQ(FrameBuffers.DepthRows[0][kW0 - 1], kSkyDepth);
}
