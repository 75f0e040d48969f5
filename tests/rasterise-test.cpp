// Strip rasteriser: projection, segments, column spans and the feedback,
// on hand-made strips and hand-worked numbers.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "render-test-support.h"
#include "render/columnrule.h"
#include "render/projection.h"
#include "render/rasterise.h"
#include "tests/support/referencefill.h"

using namespace rendertest;

namespace {

constexpr uint32_t kPlaced = 0xABCDEF;  // marks pixels the test put there

// A W x H frame looking north, level, from the grid origin at height 0.
void LevelFrame(Renderer& renderer, int32_t W, int32_t H, int32_t focal = 1000)
{
    renderer.SetFrameSize(W, H);
    renderer.last.projection = {};
    renderer.last.projection.cosAz = 1024;
    renderer.last.projection.cosPitch = -1024;  // pitch 0 with the 180 degree offset
    renderer.last.projection.focalX = focal;
    renderer.last.projection.focalY = focal;
    renderer.last.projection.metresPerCell = kMetresPerCell;
}

// Columns as RasteriseStrips leaves them before its first strip, with every
// pixel of the frame marked.
void FreshColumns(Renderer& renderer, ReferenceRows& rows, int32_t W, int32_t H)
{
    std::fill_n(renderer.Buffers().ColumnTop, W, H - 1);
    std::fill_n(renderer.Buffers().ColumnColour, W, kUntouchedColumn);
    for (int32_t r = 0; r < H; ++r) {
        std::fill_n(renderer.Buffers().ColourRows[r], W, kPlaced);
        renderer.Buffers().SkyRowColours[r] = 0x2020FF + uint32_t(r);
    }
    rows.Mark(7, -7);
}

uint32_t Pixel(Renderer& renderer, int32_t x, int32_t y)
{
    return renderer.Buffers().ColourRows[y][x];
}

// Puts strip s's samples in place, terminated.
void PutStrip(Renderer& renderer, int32_t s, std::initializer_list<StripSample> samples)
{
    StripSample* slot = renderer.Buffers().SampleStrips + std::size_t(s) * renderer.last.StripSlotPitch();
    for (const StripSample& sample : samples)
        *slot++ = sample;
    slot->colour = kStripTerminator;
}

class RasteriserTest : public RendererTest {
protected:
    // Where (dx, dy, dz) from the eye lands in the frame.
    ScreenPoint Project(int32_t dx, int32_t dy, int32_t dz) const
    {
        const FrameBufferSet& fb = renderer.Buffers();
        return ProjectOffsets(renderer.last.projection, fb.frameWidth, fb.frameHeight, dx, dy, dz);
    }
};
class ProjectPoint : public RasteriserTest { };
// The reference fill's own tests: its depths and heights in rows of its own.
class ReferenceFillTest : public RasteriserTest {
protected:
    ReferenceRows rows{renderer, 7, -7};
};
class ColumnRule : public ReferenceFillTest { };
class SegmentRun : public ReferenceFillTest { };
class StripRasteriser : public RasteriserTest { };

}  // namespace

TEST_F(ProjectPoint, TenCellsNorthAtEyeHeightHitsTheCentre)
{
    LevelFrame(renderer, 800, 400);
    const ScreenPoint p = Project(0, -2560, 0);
    EXPECT_EQ(p.sx, 400);
    EXPECT_EQ(p.sy, 200);
    EXPECT_EQ(p.depth, 2560);
}

TEST_F(ProjectPoint, OneCellAheadProjectsNormally)
{
    LevelFrame(renderer, 800, 400, 300);
    // One cell ahead and one cell below: 45 degrees down, focal 300 rows.
    const ScreenPoint p = Project(128, -256, -256);
    EXPECT_EQ(p.depth, 256);
    EXPECT_EQ(p.sx, 400 + 150);
    EXPECT_EQ(p.sy, 200 + 300);
}

TEST_F(ProjectPoint, JustUnderOneCellGoesBelowTheFrame)
{
    LevelFrame(renderer, 800, 400, 300);
    const int32_t spread = 32 * 255;
    ScreenPoint p = Project(10000, -255, -256);
    EXPECT_EQ(p.depth, 255);
    EXPECT_EQ(p.sx, 400 + 300 * spread / 255);  // |u| limited to 32 w
    EXPECT_EQ(p.sy, 200 + 300 * spread / 255);  // h = 32 w, whatever the height
    p = Project(-10000, -255, 0);
    EXPECT_EQ(p.sx, 400 - 300 * 32);
    EXPECT_EQ(p.sy, 200 + 300 * 32);
    p = Project(100, -255, 0);
    EXPECT_EQ(p.sx, 400 + 300 * 100 / 255);  // within the spread: kept
}

TEST_F(ProjectPoint, BehindTheEyeIsOneUnitAhead)
{
    LevelFrame(renderer, 800, 400, 300);
    const ScreenPoint p = Project(0, 2560, 0);
    EXPECT_EQ(p.depth, 1);
    EXPECT_EQ(p.sx, 400);
    EXPECT_EQ(p.sy, 200 + 300 * 32);
}

TEST_F(ProjectPoint, WideNarrowViewsNeedSixtyFourBitProducts)
{
    // A 5 degree view on a 3840-wide frame: focalX = trunc(1920 / tan 2.5 deg)
    // = 43974. 781 cells east at 10000 cells ahead: 43974 * 200000 overflows
    // 32 bits; 8794800000 / 2560000 = 3435.47.
    LevelFrame(renderer, 3840, 2160, 43974);
    const ScreenPoint p = Project(200000, -2560000, 0);
    EXPECT_EQ(p.sx, 1920 + 3435);
    EXPECT_EQ(p.sy, 1080);
    // The eye a degree or more outside the tile: rotation products beyond 32 bits.
    renderer.last.projection.cosAz = 724;  // 45 degrees
    renderer.last.projection.sinAz = -724;
    const ScreenPoint q = Project(1 << 27, -(1 << 27), 0);
    // u = (2^27 * 724 - 2^27 * 724) >> 10 = 0; v = -2^27 * 1448 >> 10.
    EXPECT_EQ(q.sx, 1920);
    EXPECT_EQ(q.depth, int32_t((int64_t(1) << 27) * 1448 >> 10));
}

TEST_F(ColumnRule, SpanRisesAtMost128Rows)
{
    LevelFrame(renderer, 100, 400);
    FreshColumns(renderer, rows, 100, 400);
    renderer.Buffers().ColumnTop[5] = 350;
    renderer.Buffers().ColumnColour[5] = 0x000000;
    FillColumnSpan(renderer, rows, 5, 50, 0x00FF00, 900, 1234);
    EXPECT_EQ(renderer.Buffers().ColumnTop[5], 350 - 128);
    for (int32_t r = 349; r >= 222; --r) {
        EXPECT_EQ(rows.Depth(5, r), 900u) << r;
        EXPECT_EQ(rows.Height(5, r), 1234) << r;
    }
    EXPECT_EQ(Pixel(renderer, 5, 222), 0x00FF00u);
    EXPECT_EQ(Pixel(renderer, 5, 221), kPlaced) << "nothing above the 128 rows";
    EXPECT_EQ(rows.Depth(5, 221), 7u);
}

TEST_F(ColumnRule, GradientChangesEverySecondRow)
{
    LevelFrame(renderer, 100, 400);
    FreshColumns(renderer, rows, 100, 400);
    renderer.Buffers().ColumnTop[9] = 300;
    renderer.Buffers().ColumnColour[9] = 0x000000;
    renderer.Buffers().ColourRows[300][9] = 0x202020;
    FillColumnSpan(renderer, rows, 9, 290, 0x0000FF, 1, 1);
    // count 10: blue of row 300 - k is 255 k / 10 on odd k, held on even k.
    const uint32_t expected[] = {25, 25, 76, 76, 127, 127, 178, 178, 229};
    for (int32_t k = 1; k <= 9; ++k)
        EXPECT_EQ(Pixel(renderer, 9, 300 - k), expected[k - 1]) << k;
    EXPECT_EQ(Pixel(renderer, 9, 290), 0x0000FFu);
    // The old top is blended half and half with the column's previous colour.
    EXPECT_EQ(Pixel(renderer, 9, 300), 0x101010u);
}

TEST_F(ColumnRule, HiddenPointOnlyLeavesItsColour)
{
    LevelFrame(renderer, 100, 400);
    FreshColumns(renderer, rows, 100, 400);
    renderer.Buffers().ColumnTop[3] = 200;
    FillColumnSpan(renderer, rows, 3, 250, 0x123456, 5, 5);
    EXPECT_EQ(renderer.Buffers().ColumnTop[3], 200);
    EXPECT_EQ(renderer.Buffers().ColumnColour[3], 0x123456u);
    for (int32_t r = 0; r < 400; ++r)
        ASSERT_EQ(Pixel(renderer, 3, r), kPlaced) << r;
}

TEST_F(ColumnRule, UntouchedColumnShowsSkyBelowItsFirstTerrain)
{
    LevelFrame(renderer, 100, 400);
    FreshColumns(renderer, rows, 100, 400);
    FillColumnSpan(renderer, rows, 4, 300, 0x00C000, 2000, 800);
    EXPECT_EQ(renderer.Buffers().ColumnTop[4], 300);
    for (int32_t r = 301; r < 400; ++r) {
        EXPECT_EQ(Pixel(renderer, 4, r), renderer.Buffers().SkyRowColours[r]) << r;
        EXPECT_EQ(rows.Depth(4, r), kSkyDepth) << r;
    }
    // The sample's own row: its sky blended half and half with the white of
    // the untouched marker; its colour waits for the next higher sample.
    const uint32_t sky = renderer.Buffers().SkyRowColours[300];
    EXPECT_EQ(Pixel(renderer, 4, 300), ((sky & 0xFEFEFE) + 0xFEFEFE) >> 1);
    EXPECT_EQ(renderer.Buffers().ColumnColour[4], 0x00C000u);
    EXPECT_EQ(Pixel(renderer, 4, 299), kPlaced);
}

TEST_F(SegmentRun, ColourChangesOnOddColumnsOnly)
{
    LevelFrame(renderer, 100, 400);
    FreshColumns(renderer, rows, 100, 400);
    // Two samples 10 columns apart on one row; every column is fresh, so
    // each span paints exactly its own row.
    std::fill_n(renderer.Buffers().ColumnTop, 100, 390);
    std::fill_n(renderer.Buffers().ColumnColour, 100, 0u);
    DrawSegment(renderer, rows, 20, 380, 0x000000, 30, 380, 0x0000FF, 1, 1);
    const uint32_t expected[] = {25, 25, 76, 76, 127, 127, 178, 178, 229};
    for (int32_t k = 1; k <= 9; ++k)
        EXPECT_EQ(Pixel(renderer, 20 + k, 380), expected[k - 1]) << k;
    EXPECT_EQ(Pixel(renderer, 30, 380), 0x0000FFu);
    EXPECT_EQ(Pixel(renderer, 20, 380), kPlaced) << "the first column belongs to the previous segment";
}

TEST_F(SegmentRun, RowsFollowTheLine)
{
    LevelFrame(renderer, 100, 400);
    FreshColumns(renderer, rows, 100, 400);
    std::fill_n(renderer.Buffers().ColumnTop, 100, 390);
    std::fill_n(renderer.Buffers().ColumnColour, 100, 0u);
    DrawSegment(renderer, rows, 0, 380, 0x111111, 4, 372, 0x111111, 1, 1);
    // n = 4, e = 8, err starts at 2: the row falls by 2 per column.
    EXPECT_EQ(renderer.Buffers().ColumnTop[1], 378);
    EXPECT_EQ(renderer.Buffers().ColumnTop[2], 376);
    EXPECT_EQ(renderer.Buffers().ColumnTop[3], 374);
    EXPECT_EQ(renderer.Buffers().ColumnTop[4], 372);
}

TEST_F(SegmentRun, RightToLeftDrawsNothing)
{
    LevelFrame(renderer, 100, 400);
    FreshColumns(renderer, rows, 100, 400);
    DrawSegment(renderer, rows, 50, 100, 0x00FF00, 40, 100, 0x00FF00, 1, 1);
    DrawSegment(renderer, rows, 50, 100, 0x00FF00, 50, 90, 0x00FF00, 1, 1);
    for (int32_t x = 0; x < 100; ++x)
        ASSERT_EQ(renderer.Buffers().ColumnTop[x], 399) << x;
}

TEST_F(SegmentRun, SegmentsLongerThanTheTableDivideExactly)
{
    LevelFrame(renderer, 3840, 400);
    FreshColumns(renderer, rows, 3840, 400);
    std::fill_n(renderer.Buffers().ColumnTop, 3840, 390);
    std::fill_n(renderer.Buffers().ColumnColour, 3840, 0u);
    DrawSegment(renderer, rows, 0, 300, 0x000000, 3000, 300, 0x0000FF, 1, 1);
    for (int32_t k : {1, 11, 1001, 2047, 2049, 2999})
        EXPECT_EQ(Pixel(renderer, k, 300), uint32_t(255 * k / 3000)) << k;
    EXPECT_EQ(Pixel(renderer, 2050, 300), Pixel(renderer, 2049, 300));
}

TEST_F(StripRasteriser, NearestStripOnlyColoursTheBottomRow)
{
    LevelFrame(renderer, 200, 100, 100);
    renderer.last.projection.eyeZ = 0;
    renderer.last.stripCount = 1;
    // Strip 0 well ahead and above the eye: it would project high in the frame.
    PutStrip(renderer, 0, {{-5, -20, 500, 0x00FF00}, {0, -20, 500, 0x00FF00}, {5, -20, 500, 0x00FF00}});
    RasteriseStrips(renderer);
    for (int32_t x = 0; x < 200; ++x)
        ASSERT_EQ(renderer.Buffers().ColumnTop[x], 99) << x;
    EXPECT_EQ(renderer.carried.rasterFeedback, 2);
    EXPECT_EQ(Pixel(renderer, 100, 99), kBottomRowColour);
}

TEST_F(StripRasteriser, FeedbackTellsWhichNearStripsReachedTheFrame)
{
    LevelFrame(renderer, 200, 100, 100);
    const StripSample visible{0, -20, 0, 0x00FF00};  // 20 cells ahead at eye height
    const StripSample below{0, -20, -30000, 0x00FF00};  // far below the eye: below the frame
    renderer.last.stripCount = 12;
    for (int32_t s = 0; s < 12; ++s)
        PutStrip(renderer, s, {below});
    PutStrip(renderer, 7, {visible});
    RasteriseStrips(renderer);
    EXPECT_EQ(renderer.carried.rasterFeedback, 1);
    PutStrip(renderer, 7, {below});
    PutStrip(renderer, 11, {visible});
    RasteriseStrips(renderer);
    EXPECT_EQ(renderer.carried.rasterFeedback, 0) << "strips from 10 on give no feedback";
    PutStrip(renderer, 3, {visible});
    PutStrip(renderer, 6, {visible});
    RasteriseStrips(renderer);
    EXPECT_EQ(renderer.carried.rasterFeedback, 3);
}

TEST_F(StripRasteriser, NearerTerrainHidesFartherTerrain)
{
    LevelFrame(renderer, 200, 100, 100);
    renderer.last.projection.eyeZ = 0;
    renderer.last.stripCount = 3;
    PutStrip(renderer, 0, {{-50, -1, -1000, 0x0000AA}, {50, -1, -1000, 0x0000AA}});
    // A high wall near the eye, then lower ground farther away.
    PutStrip(renderer, 1, {{-50, -20, 200, 0x00AA00}, {50, -20, 200, 0x00AA00}});
    PutStrip(renderer, 2, {{-50, -40, 100, 0xAA0000}, {50, -40, 100, 0xAA0000}});
    RasteriseStrips(renderer);
    for (int32_t x = 60; x < 140; ++x)
        for (int32_t y = renderer.Buffers().ColumnTop[x]; y < 99; ++y)
            ASSERT_NE(Pixel(renderer, x, y) & 0xFF0000, 0xAA0000u) << x << "," << y;
}

namespace {

// The column tops, the frame's colours within W x H, and from each column's
// top down its depths and heights, in one list: above the tops a frame
// without sky has no depth. Column 0's depth is column 1's, so depths start
// at column 1.
template <class DepthOf, class HeightOf>
std::vector<uint32_t> FrameContents(Renderer& renderer, int32_t W, int32_t H, DepthOf depthOf, HeightOf heightOf)
{
    const int32_t* tops = renderer.Buffers().ColumnTop;
    std::vector<uint32_t> out(tops, tops + W);
    for (int32_t r = 0; r < H; ++r) {
        out.insert(out.end(), renderer.Buffers().ColourRows[r], renderer.Buffers().ColourRows[r] + W);
        for (int32_t x = 0; x < W; ++x) {
            if (r < tops[x])
                continue;
            if (x > 0)
                out.push_back(depthOf(x, r));
            out.push_back(uint32_t(heightOf(x, r)));
        }
    }
    return out;
}

void MarkFrame(Renderer& renderer, int32_t W, int32_t H)
{
    for (int32_t r = 0; r < H; ++r)
        std::fill_n(renderer.Buffers().ColourRows[r], W, kPlaced);
}

}  // namespace

// RasteriseStrips fills tiles of 64 columns x 16 rows and copies them into
// the rows, four rows at a time where it can, in bands that start on a tile.
// Frames that end part way through a tile, a group of rows and a band must
// still get exactly the pixels that drawing every segment straight into the
// rows gives, and keep the marks above every column's top.
TEST_F(StripRasteriser, SameAsDrawingEverySegmentIntoTheRows)
{
    static const SyntheticTile hills(
        801, [](int32_t c, int32_t r) { return int16_t((c * 37 + r * 91) % 500 + ((c / 30 + r / 30) % 2) * 700); });
    renderer.settings.bandLimit = 3;
    for (auto [W, H] : {std::pair{1000, 333}, std::pair{130, 37}, std::pair{1283, 201}}) {
        for (auto [azimuth, pitch] : {std::pair{0.0, -3.0}, std::pair{140.0, -20.0}}) {
            Viewpoint v = hills.ViewOver(400, 400);
            v.azimuth = v.renderAzimuth = azimuth;
            v.pitch = pitch;
            v.minAltitude = 2500;  // above the highest hill
            hills.Build(renderer, W, H, v);
            hills.Rasterise(renderer, v);  // the projection and the sky rows of this view
            MarkFrame(renderer, W, H);
            RasteriseStrips(renderer);
            const FrameBufferSet& fb = renderer.Buffers();
            const std::vector<uint32_t> tiled = FrameContents(
                renderer, W, H, [&](int32_t x, int32_t r) { return fb.DepthAt(x, r); },
                [&](int32_t x, int32_t r) { return fb.HeightAt(x, r); });
            if (pitch > -5) {
                // Terrain under sky, so that the marks above the tops count.
                const int32_t* tops = renderer.Buffers().ColumnTop;
                EXPECT_TRUE(std::any_of(tops, tops + W, [H = H](int32_t t) { return t > 0 && t < H - 1; }))
                    << W << "x" << H;
            }

            MarkFrame(renderer, W, H);
            std::fill_n(renderer.Buffers().ColumnTop, W, H - 1);
            std::fill_n(renderer.Buffers().ColumnColour, W, kUntouchedColumn);
            std::fill_n(renderer.Buffers().ColourRows[H - 1], W, kBottomRowColour);
            ReferenceRows rows(renderer, 7, -7);
            for (int32_t x = 0; x < W; ++x) {
                rows.Depth(x, H - 1) = 0;
                rows.Height(x, H - 1) = 0;
            }
            // The samples as RasteriseStrips projected them, at most 1024 a strip.
            const int32_t samples = std::min(renderer.last.StripSlotPitch(), 1024);
            for (int32_t s = 0; s < renderer.last.stripCount; ++s) {
                const std::size_t first = std::size_t(s) * std::size_t(renderer.last.StripSlotPitch());
                const StripSample* slot = renderer.Buffers().SampleStrips + first;
                const ScreenPoint* sp = renderer.Buffers().ProjectedSamples + first;
                for (int32_t j = 0; j < samples && slot[j].colour != kStripTerminator; ++j) {
                    const int32_t prev = std::max(j - 1, 0);
                    DrawSegment(renderer, rows, sp[prev].sx, sp[prev].sy, slot[prev].colour, sp[j].sx, sp[j].sy,
                        slot[j].colour, sp[j].depth, slot[j].height);
                }
            }
            const std::vector<uint32_t> direct = FrameContents(
                renderer, W, H, [&](int32_t x, int32_t r) { return rows.Depth(x, r); },
                [&](int32_t x, int32_t r) { return rows.Height(x, r); });
            ASSERT_EQ(tiled.size(), direct.size());
            const auto mismatch = std::mismatch(tiled.begin(), tiled.end(), direct.begin());
            EXPECT_TRUE(mismatch.first == tiled.end())
                << W << "x" << H << " azimuth " << azimuth << ": first difference at element "
                << (mismatch.first - tiled.begin()) << " of " << tiled.size();
        }
    }
}

// Most strips are projected four samples at a time in doubles, which must
// give ProjectGridSample's integers for every sample: a floor or a quotient off
// by one moves a point by a pixel or a depth unit that few frames show.
// Steep views put samples next to and behind the eye, high ones make large
// offsets, and the curved earth lowers the far samples.
TEST_F(StripRasteriser, ProjectsEverySampleAsProjectPointDoes)
{
    static const SyntheticTile hills(
        801, [](int32_t c, int32_t r) { return int16_t((c * 37 + r * 91) % 500 + ((c / 30 + r / 30) % 2) * 700); });
    const int32_t W = 1000, H = 333;
    for (const bool curved : {false, true}) {
        renderer.settings.earthCurvature = curved;
        for (auto [azimuth, pitch, altitude] : {std::tuple{0.0, -3.0, 1000.0}, std::tuple{140.0, -75.0, 300.0},
                 std::tuple{45.0, -10.0, 20000.0}, std::tuple{300.0, -20.0, 2500.0}}) {
            Viewpoint v = hills.ViewOver(400, 400);
            v.azimuth = v.renderAzimuth = azimuth;
            v.pitch = pitch;
            v.minAltitude = altitude;
            hills.Build(renderer, W, H, v);
            hills.Rasterise(renderer, v);
            int64_t compared = 0;
            for (int32_t s = 1; s < renderer.last.stripCount; ++s) {
                const std::vector<StripSample> samples = StripSamples(renderer, s);
                const ScreenPoint* sp =
                    renderer.Buffers().ProjectedSamples + std::size_t(s) * renderer.last.StripSlotPitch();
                for (std::size_t j = 0; j < samples.size(); ++j, ++compared) {
                    const ScreenPoint p =
                        ProjectGridSample(renderer, samples[j].col, samples[j].row, samples[j].height);
                    const ScreenPoint expected{std::clamp(p.sx, 0, W - 1), std::clamp(p.sy, 0, H - 1), p.depth};
                    ASSERT_TRUE(sp[j].sx == expected.sx && sp[j].sy == expected.sy && sp[j].depth == expected.depth)
                        << "azimuth " << azimuth << " pitch " << pitch << " curved " << curved << ": strip " << s
                        << " sample " << j << " (" << sp[j].sx << ", " << sp[j].sy << ", " << sp[j].depth << "), not ("
                        << expected.sx << ", " << expected.sy << ", " << expected.depth << ")";
                }
            }
            EXPECT_GT(compared, 500);
        }
    }
}
