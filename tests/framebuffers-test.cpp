// Frame buffers: set-up once, sizes and row tables, the reciprocal table, and
// a frame stage that never draws beyond what was prepared. A program of its
// own, because the buffers can be prepared only once per process.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "render/frame.h"

namespace {

constexpr int32_t kW0 = 800;
constexpr int32_t kH0 = 600;

Bitmap32& Screen()
{
    static Bitmap32 bitmap(kW0, kH0);
    return bitmap;
}

template <typename T> bool AllZero(const T* p, std::size_t n)
{
    return std::all_of(p, p + n, [](const T& v) { return v == T{}; });
}

}  // namespace

// Runs `check` in a fresh process of this program, where nothing has been
// prepared or drawn yet, whatever order the tests run in here.
template <typename Check> void InFreshProcess(Check check)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(check() ? 0 : 1), testing::ExitedWithCode(0), "");
}

TEST(FrameBuffersDeathTest, NothingBeforeSetUp)
{
    InFreshProcess([] {
        StripCount = 5;
        const TileInfo none;
        BuildViewStrips(656, 400, none, ReliefLevels{}, nullptr, RenderParams{}, Viewpoint{});
        // No strips without a strip buffer; the reciprocal table needs no set-up.
        return !FrameBuffersPrepared() && FrameBuffersView().ColourRows == nullptr &&
            FrameBuffers.ReciprocalTable[1] == 65536 && StripCount == 0;
    });
}

TEST(FrameBuffersDeathTest, EverythingStartsCleared)
{
    InFreshProcess([] {
        PrepareFrameBuffers(Screen());
        const StripSample* s = FrameBuffers.SampleStrips;
        return AllZero(FrameBuffers.DepthRows[0], std::size_t(kW0) * kH0) &&
            AllZero(FrameBuffers.HeightRows[0], std::size_t(kW0) * kH0) && AllZero(FrameBuffers.ColumnTop, kW0) &&
            AllZero(FrameBuffers.ColumnColour, kW0) && AllZero(FrameBuffers.SkyRowColours, kH0) &&
            std::all_of(s, s + kSampleStripSlots,
                [](const StripSample& v) { return v.col == 0 && v.row == 0 && v.colour == 0; });
    });
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

TEST(FrameBuffers, SecondSetUpChangesNothing)
{
    PrepareFrameBuffers(Screen());
    const FrameBufferSet before = FrameBuffers;
    Bitmap32 other(1920, 1080);
    PrepareFrameBuffers(other);
    EXPECT_EQ(FrameBuffers.width, before.width);
    EXPECT_EQ(FrameBuffers.height, before.height);
    EXPECT_EQ(FrameBuffers.ColourRows, before.ColourRows);
    EXPECT_EQ(FrameBuffers.ColourRows[0], Screen().scanLine(0));
    EXPECT_EQ(FrameBuffers.DepthRows, before.DepthRows);
    EXPECT_EQ(FrameBuffers.SampleStrips, before.SampleStrips);
    EXPECT_EQ(FrameBuffers.frameWidth, before.frameWidth);
    EXPECT_EQ(FrameBuffersView().width, kW0);
}

TEST(FrameBuffers, FrameBeforeAnyStripsStaysWithinTheBuffers)
{
    // Before the first frame the pair reads 1024 x 1024, more than the
    // 800 x 600 prepared: the frame stage clips it and draws sky only.
    PrepareFrameBuffers(Screen());
    FrameBuffers.frameWidth = 1024;
    FrameBuffers.frameHeight = 1024;
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
