// Frame stage: sky colours, projection constants, the terrain-following eye
// altitude, and whole frames on synthetic terrain and on the sample tile.

#include <gtest/gtest.h>

#include <cmath>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "elevation/landscapeload.h"
#include "elevation/terrain.h"
#include "render-test-support.h"
#include "render/fixedpoint.h"
#include "render/sky.h"
#include "tests/support/tileload.h"

using namespace rendertest;

namespace {

uint32_t Sky(int32_t lift)
{
    return 0x2020FF + uint32_t(lift) * 0x010100;
}

// Starts every frame from the same carried-over state.
void ResetCarriedState(Renderer& renderer, int32_t groundFollow = 0)
{
    renderer.carried.groundFollow = groundFollow;
    renderer.carried.detailFactor = 0.9;
    renderer.carried.rasterFeedback = 0;
}

int32_t DrawFrame(Renderer& renderer, const SyntheticTile& tile, int32_t W, int32_t H, const Viewpoint& view)
{
    tile.Build(renderer, W, H, view);
    return tile.Rasterise(renderer, view);
}

const SyntheticTile& FlatTile(int16_t height)
{
    static std::map<int16_t, std::unique_ptr<SyntheticTile>> tiles;
    auto& tile = tiles[height];
    if (!tile)
        tile = std::make_unique<SyntheticTile>(401, [height](int32_t, int32_t) { return height; });
    return *tile;
}

// The frame's pixels outside W x H are still `mark`.
void MarkOutside(Renderer& renderer, int32_t W, int32_t H, uint32_t mark)
{
    for (int32_t r = 0; r < kBufferHeight; ++r) {
        const int32_t from = r < H ? W : 0;
        std::fill(renderer.Buffers().ColourRows[r] + from, renderer.Buffers().ColourRows[r] + kBufferWidth, mark);
    }
}
bool OutsideStillMarked(Renderer& renderer, int32_t W, int32_t H, uint32_t mark)
{
    for (int32_t r = 0; r < kBufferHeight; ++r) {
        for (int32_t x = r < H ? W : 0; x < kBufferWidth; ++x) {
            if (renderer.Buffers().ColourRows[r][x] != mark) {
                ADD_FAILURE() << "written outside the frame at " << x << "," << r;
                return false;
            }
        }
    }
    return true;
}

// Every column shows sky above its terrain; within the terrain, depth does
// not fall going up (nearer terrain is drawn lower), and column 0 repeats
// column 1. Depth is the distance along the view axis, so the order holds for
// views towards the horizon, not for a look straight down or a tele view
// whose strips cross a column at several distances.
void ExpectFrameProperties(Renderer& renderer, int32_t W, int32_t H, const char* what, bool depthOrder = true)
{
    const FrameBufferSet& fb = renderer.Buffers();
    int64_t terrainPixels = 0;
    int64_t depthInversions = 0;
    for (int32_t x = 1; x < W; ++x) {
        const int32_t top = fb.ColumnTop[x];
        ASSERT_GE(top, 0) << what;
        ASSERT_LE(top, H - 1) << what;
        for (int32_t r = 0; r < top; ++r) {
            ASSERT_EQ(fb.ColourRows[r][x], fb.SkyRowColours[r]) << what << " sky at " << x << "," << r;
            ASSERT_EQ(fb.DepthAt(x, r), kSkyDepth) << what << " at " << x << "," << r;
            ASSERT_EQ(fb.HeightAt(x, r), 0) << what << " at " << x << "," << r;
        }
        uint32_t below = 0;
        for (int32_t r = H - 2; r >= top; --r) {
            const uint32_t d = fb.DepthAt(x, r);
            if (d == kSkyDepth)
                continue;  // sky below the first terrain of the column
            ++terrainPixels;
            if (d < below)
                ++depthInversions;
            below = std::max(below, d);
        }
    }
    for (int32_t r = 0; r < H && W > 1; ++r) {
        ASSERT_EQ(fb.ColourRows[r][0], fb.ColourRows[r][1]) << what << " row " << r;
        ASSERT_EQ(fb.DepthAt(0, r), fb.DepthAt(1, r)) << what << " row " << r;
    }
    if (depthOrder) {
        EXPECT_EQ(depthInversions, 0) << what << ": of " << terrainPixels << " terrain pixels";
    }
}

class SkyRows : public RendererTest { };
class FrameStage : public RendererTest { };
class EyeAltitudeFollow : public RendererTest { };
class WholeFrame : public RendererTest { };

}  // namespace

TEST_F(SkyRows, LevelViewPutsTheHorizonMidFrame)
{
    // 800 x 400, 40 degrees: f = 20, horizon row 200, band rows 0..199.
    FillSkyRowColours(renderer.Buffers(), 800, 400, 40, 0);
    const uint32_t* sky = renderer.Buffers().SkyRowColours;
    EXPECT_EQ(sky[0], 0x2020FFu);
    EXPECT_EQ(sky[1], 0x2020FFu);
    EXPECT_EQ(sky[2], 0x2121FFu);
    EXPECT_EQ(sky[199], 0x8383FFu);
    for (int32_t r = 0; r < 200; ++r)
        ASSERT_EQ(sky[r], Sky(r / 2)) << r;
    for (int32_t r = 200; r < 400; ++r)
        ASSERT_EQ(sky[r], 0x8484FFu) << r;
}

TEST_F(SkyRows, LookingUpLeavesDeepBlueAboveTheBand)
{
    FillSkyRowColours(renderer.Buffers(), 800, 400, 40, 10);  // horizon row 400
    const uint32_t* sky = renderer.Buffers().SkyRowColours;
    for (int32_t r = 0; r < 200; ++r)
        ASSERT_EQ(sky[r], 0x2020FFu) << r;
    EXPECT_EQ(sky[200], 0x2020FFu);
    EXPECT_EQ(sky[399], Sky(99));
}

TEST_F(SkyRows, HorizonAboveTheFrameStartsTheBandPartWay)
{
    const uint32_t mark = 0x5A5A5A5A;
    renderer.Buffers().SkyRowColours[400] = mark;
    // Pitch -5: horizon row 100, band from row -100, so row 0 has k = 100.
    FillSkyRowColours(renderer.Buffers(), 800, 400, 40, -5);
    EXPECT_EQ(renderer.Buffers().SkyRowColours[0], 0x5252FFu);
    EXPECT_EQ(renderer.Buffers().SkyRowColours[99], 0x8383FFu);
    EXPECT_EQ(renderer.Buffers().SkyRowColours[100], 0x8484FFu);
    // A steep look down: horizon row -1000, no band at all.
    FillSkyRowColours(renderer.Buffers(), 800, 400, 40, -60);
    for (int32_t r = 0; r < 400; ++r)
        ASSERT_EQ(renderer.Buffers().SkyRowColours[r], 0x8484FFu) << r;
    EXPECT_EQ(renderer.Buffers().SkyRowColours[400], mark) << "only rows of the frame";
}

TEST_F(FrameStage, ProjectionConstantsForALevelView)
{
    ResetCarriedState(renderer);
    Viewpoint v = FlatTile(0).ViewOver(200, 200);
    v.pitch = 0;
    v.renderAzimuth = 90;
    DrawFrame(renderer, FlatTile(0), 800, 400, v);
    const ProjectionRecord& p = renderer.last.projection;
    EXPECT_EQ(p.cosPitch, -1024);
    EXPECT_EQ(p.sinPitch, 0);
    EXPECT_EQ(p.cosAz, 0);
    EXPECT_EQ(p.sinAz, -1024);
    EXPECT_EQ(p.focalX, 1098);  // 400 / tan 20 deg = 1098.99
    EXPECT_EQ(p.focalY, 1134);  // 200 / tan 10 deg = 1134.26
    EXPECT_EQ(p.eyeZ, 8293);  // 1000 m * 256 / 30.867 m
    EXPECT_NEAR(p.eyeX, 200 * 256, 1);
    EXPECT_NEAR(p.eyeY, 200 * 256, 1);
}

TEST_F(FrameStage, SkyBandUsesTheUnclampedViewAngle)
{
    ResetCarriedState(renderer);
    Viewpoint v = FlatTile(0).ViewOver(200, 200);
    v.viewAngle = 170;
    DrawFrame(renderer, FlatTile(0), 800, 400, v);
    const int32_t focal170 = renderer.last.projection.focalX;
    // f = 85: horizon row trunc(200 - 23.5) = 176, so row 1 has k = 25.
    EXPECT_EQ(renderer.Buffers().SkyRowColours[1], Sky(12));
    v.viewAngle = 160;
    DrawFrame(renderer, FlatTile(0), 800, 400, v);
    EXPECT_EQ(renderer.last.projection.focalX, focal170) << "the focal length clamps";
    EXPECT_EQ(renderer.Buffers().SkyRowColours[1], Sky(13));  // f = 80: row 1 has k = 26
}

TEST_F(EyeAltitudeFollow, StaysAtTheMinimumOverLowGround)
{
    ResetCarriedState(renderer);
    const Viewpoint v = FlatTile(900).ViewOver(200, 200);
    for (int frame = 0; frame < 6; ++frame)
        EXPECT_EQ(DrawFrame(renderer, FlatTile(900), 64, 48, v), 1000) << frame;
}

TEST_F(EyeAltitudeFollow, ClimbsAQuarterOfTheGapPerFrame)
{
    ResetCarriedState(renderer);
    const Viewpoint v = FlatTile(3000).ViewOver(200, 200);
    // M = 3100: the ground follow 775, 1356, 1792, 2119, ...
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 1000);
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 1356);
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 1792);
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 2119);
    for (int frame = 0; frame < 60; ++frame)
        DrawFrame(renderer, FlatTile(3000), 64, 48, v);
    // The quarter step is zero once the gap is below 4 m.
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 3097);
    EXPECT_EQ(renderer.carried.groundFollow, 3097);

    // Going down, the floored quarter keeps stepping by at least 1 m.
    const Viewpoint low = FlatTile(500).ViewOver(200, 200);
    for (int frame = 0; frame < 60; ++frame)
        DrawFrame(renderer, FlatTile(500), 64, 48, low);
    EXPECT_EQ(DrawFrame(renderer, FlatTile(500), 64, 48, low), 1000) << "the minimum altitude holds";
    EXPECT_EQ(renderer.carried.groundFollow, 600);
}

TEST_F(EyeAltitudeFollow, FirstFrameStartsFromTheGroundUnderTheEye)
{
    // A renderer's first frame over 3000 m ground, 1000 m minimum: drawn from
    // 100 m above the ground at once, not from a follow climbing from 0.
    const Viewpoint v = FlatTile(3000).ViewOver(200, 200);
    EXPECT_FALSE(renderer.carried.groundFollow.has_value());
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 3100);
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 3100) << "and it stays there";
    // Over low ground the minimum altitude holds from the first frame on.
    TestRenderer other;
    EXPECT_EQ(DrawFrame(other.renderer, FlatTile(500), 64, 48, FlatTile(500).ViewOver(200, 200)), 1000);
    EXPECT_EQ(other.renderer.carried.groundFollow, 600);
}

TEST_F(EyeAltitudeFollow, OffTheTileDecaysToTheMinimum)
{
    ResetCarriedState(renderer, 2000);
    Viewpoint v = FlatTile(3000).ViewOver(200, 200);
    v.latitude += 2;
    v.minAltitude = 300;
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 1500);
    for (int frame = 0; frame < 60; ++frame)
        DrawFrame(renderer, FlatTile(3000), 64, 48, v);
    EXPECT_EQ(DrawFrame(renderer, FlatTile(3000), 64, 48, v), 300);
}

TEST_F(WholeFrame, FlatPlaneGivesOneHorizonRow)
{
    // Looking north at the straight north edge of a flat tile: every column's
    // terrain ends on the same row, just below the horizon.
    static const SyntheticTile plane(1601, [](int32_t, int32_t) { return int16_t(0); });
    ResetCarriedState(renderer);
    Viewpoint v = plane.ViewOver(800, 1400);
    v.pitch = 0;
    DrawFrame(renderer, plane, 656, 400, v);
    const int32_t top = renderer.Buffers().ColumnTop[1];
    for (int32_t x = 1; x < 656; ++x)
        ASSERT_EQ(renderer.Buffers().ColumnTop[x], top) << x;
    // 1000 m up, about 1399 cells from the edge: focalY * 8293 / (1399 * 256) rows down.
    const int32_t drop = renderer.last.projection.focalY * 8293 / (1399 * 256);
    EXPECT_NEAR(top, 200 + drop, 1);
    ExpectFrameProperties(renderer, 656, 400, "flat plane");
}

TEST_F(WholeFrame, SpikeHidesWhatIsBehindIt)
{
    // A 2000 m tower 100 cells ahead of the eye on flat ground.
    static const SyntheticTile tower(1601,
        [](int32_t c, int32_t r) { return int16_t(std::abs(c - 800) <= 3 && std::abs(r - 1300) <= 3 ? 2000 : 0); });
    ResetCarriedState(renderer);
    Viewpoint v = tower.ViewOver(800, 1400);
    v.pitch = 0;
    DrawFrame(renderer, tower, 656, 400, v);
    const int32_t mid = 328;
    const int32_t flatTop = renderer.Buffers().ColumnTop[100];
    ASSERT_LT(renderer.Buffers().ColumnTop[mid], flatTop - 50) << "the tower rises above the far edge";
    // Between the tower's top and the far edge only the tower shows: its
    // depth, about 100 cells, not the far ground's 1400.
    for (int32_t r = renderer.Buffers().ColumnTop[mid] + 2; r < flatTop + 2; ++r)
        EXPECT_LT(renderer.Buffers().DepthAt(mid, r), 110u * 256) << r;
    ExpectFrameProperties(renderer, 656, 400, "tower");
}

// Depth and height stay in the rasteriser's tiles: the natural look reads
// them a whole tile at a time, by transpositions, and the other readers a
// pixel at a time. Both must see the same frame, sky and column 0 included,
// in tiles cut by the frame's edges too.
TEST_F(WholeFrame, BlocksOfDepthsAndHeightsAreThePixelsOnes)
{
    static const SyntheticTile hills(
        801, [](int32_t c, int32_t r) { return int16_t((c * 37 + r * 91) % 500 + ((c / 30 + r / 30) % 2) * 700); });
    ResetCarriedState(renderer);
    Viewpoint v = hills.ViewOver(400, 700);
    v.pitch = -2;
    v.minAltitude = 1500;
    const int32_t W = 200, H = 90;  // three whole tiles and a part across, five and a part down
    DrawFrame(renderer, hills, W, H, v);
    const FrameBufferSet& fb = renderer.Buffers();
    ASSERT_TRUE(std::any_of(fb.ColumnTop, fb.ColumnTop + W, [](int32_t t) { return t > 16 && t < 80; }))
        << "columns whose sky ends within a tile";
    std::array<uint32_t, kTilePixels> depths;
    std::array<int16_t, kTilePixels> heights;
    for (int32_t r0 = 0; r0 < H; r0 += kTileRows) {
        for (int32_t x0 = 0; x0 < W; x0 += kTileColumns) {
            const int32_t n = std::min(kTileColumns, W - x0), rows = std::min(kTileRows, H - r0);
            fb.ReadBlock(x0, r0, n, rows, depths.data(), heights.data());
            for (int32_t k = 0; k < rows; ++k)
                for (int32_t i = 0; i < n; ++i) {
                    const std::size_t at = std::size_t(k * kTileColumns + i);
                    ASSERT_EQ(depths[at], fb.DepthAt(x0 + i, r0 + k)) << x0 + i << "," << r0 + k;
                    ASSERT_EQ(heights[at], fb.HeightAt(x0 + i, r0 + k)) << x0 + i << "," << r0 + k;
                }
        }
    }
    ExpectFrameProperties(renderer, W, H, "hills", false);
}

// Summit tops seen by the frame: a top behind a wall is not, one beside the
// wall is, and the wall's own top is.
TEST_F(WholeFrame, TopsBehindAWallAreNotSeen)
{
    const auto cone = [](int32_t c, int32_t r, int32_t col, int32_t row) {
        return std::max(0, 1000 - 30 * int32_t(std::hypot(c - col, r - row)));
    };
    static const SyntheticTile land(801, [&](int32_t c, int32_t r) {
        const int32_t wall = r >= 500 && r < 504 && c >= 340 && c <= 460 ? 1500 : 0;
        return int16_t(std::max({wall, cone(c, r, 400, 300), cone(c, r, 560, 300)}));
    });
    ResetCarriedState(renderer);
    Viewpoint v = land.ViewOver(400, 700);
    v.minAltitude = 500;
    v.pitch = 0;
    v.viewAngle = 60;
    DrawFrame(renderer, land, 656, 400, v);
    ScreenPoint where;
    EXPECT_FALSE(GridTopSeen(renderer, 400, 300, 1000, where)) << "behind the wall";
    ASSERT_TRUE(GridTopSeen(renderer, 560, 300, 1000, where)) << "beside the wall";
    EXPECT_GT(where.sx, 328);
    EXPECT_TRUE(GridTopSeen(renderer, 400, 500, 1500, where)) << "the wall itself";
}

// Curvature with refraction: about 170 m at 50 km, the drop growing with the
// square of the distance; off, nothing drops.
TEST_F(WholeFrame, CurvatureDropsFarGroundOnlyWhenOn)
{
    EXPECT_NEAR(CurvatureDrop(50000), 170.7, 0.1);
    EXPECT_NEAR(CurvatureDrop(10000), 6.83, 0.01);
    const SyntheticTile& flat = FlatTile(0);
    ResetCarriedState(renderer);
    const Viewpoint v = flat.ViewOver(200, 390);
    DrawFrame(renderer, flat, 656, 400, v);
    const int64_t far = int64_t(1000) * kCellUnits;  // 1000 cells, about 30.9 km
    EXPECT_EQ(HeightSeenFromEye(500, far, 0, renderer.last.projection.curvatureDrop), 500);
    renderer.settings.earthCurvature = true;
    DrawFrame(renderer, flat, 656, 400, v);
    const double drop = CurvatureDrop(1000 * kMetresPerCell);
    EXPECT_NEAR(500 - HeightSeenFromEye(500, far, 0, renderer.last.projection.curvatureDrop), drop, 1.0);
    EXPECT_NEAR(500 - HeightSeenFromEye(500, 0, far / 2, renderer.last.projection.curvatureDrop), drop / 4, 1.0);
}

class SampleTileFrames : public RendererTest {
protected:
    static void SetUpTestSuite()
    {
        terrain = std::make_unique<Terrain>();
        LoadListener quiet;
        ASSERT_EQ(LoadTileInto(VANTOREL_SAMPLE_TILE, *terrain, params, start, quiet), TileError::None);
    }
    static void TearDownTestSuite() { terrain.reset(); }

    int32_t Draw(int32_t W, int32_t H, const Viewpoint& v)
    {
        Viewpoint view = v;
        view.renderAzimuth = view.azimuth;
        BuildViewStrips(
            renderer, W, H, terrain->tileInfo, terrain->reliefLevels, terrain->heightGrid.rows(), params, view);
        return RasteriseFrame(renderer, terrain->tileInfo, terrain->heightGrid.rows(), params, view);
    }

    // Colour, depth and height of every pixel of the last frame.
    std::vector<uint32_t> FramePixels(int32_t W, int32_t H)
    {
        return rendertest::FramePixels(renderer.Buffers(), W, H);
    }

    static Viewpoint View(double azimuth, double pitch, double altitude = 1000)
    {
        Viewpoint v = start;
        v.azimuth = azimuth;
        v.pitch = pitch;
        v.minAltitude = altitude;
        return v;
    }

    static inline std::unique_ptr<Terrain> terrain;
    static inline RenderParams params;
    static inline Viewpoint start;
};

TEST_F(SampleTileFrames, SkyAboveTerrainAndDepthGrowingUpward)
{
    for (auto [W, H] : {std::pair{656, 400}, std::pair{1920, 1080}}) {
        for (double azimuth : {0.0, 45.0, 200.0}) {
            for (double pitch : {-5.0, -30.0}) {
                ResetCarriedState(renderer);
                const uint32_t mark = 0xC3C3C3C3;
                MarkOutside(renderer, W, H, mark);
                Draw(W, H, View(azimuth, pitch));
                const std::string what = std::to_string(W) + "x" + std::to_string(H) + " az " +
                    std::to_string(int(azimuth)) + " pitch " + std::to_string(int(pitch));
                ExpectFrameProperties(renderer, W, H, what.c_str());
                EXPECT_TRUE(OutsideStillMarked(renderer, W, H, mark)) << what;
                int32_t terrainColumns = 0;
                for (int32_t x = 1; x < W; ++x)
                    terrainColumns += renderer.Buffers().ColumnTop[x] < H - 1;
                EXPECT_GT(terrainColumns, W / 2) << what;
            }
        }
    }
}

TEST_F(SampleTileFrames, AFrameDependsOnlyOnItsView)
{
    // The same view drawn after two different ones gives the same pixels. The
    // eye is just south of the tile, so the nearest strips are empty and the
    // columns are first touched above the bottom row.
    const int32_t W = 656, H = 400;
    Viewpoint target = View(0, -10, 2000);
    target.latitude -= 0.3;
    auto drawAfter = [&](const Viewpoint& before) {
        ResetCarriedState(renderer);
        Draw(W, H, before);
        ResetCarriedState(renderer);
        Draw(W, H, target);
        return FramePixels(W, H);
    };
    Viewpoint outside = View(0, -80, 50000);
    outside.latitude += 3;
    EXPECT_TRUE(drawAfter(View(300, -5)) == drawAfter(outside));
}

TEST_F(SampleTileFrames, ColumnBandsFillTheSameFrameAsOne)
{
    // Bands of 256 columns or more meet inside long segments and gradients.
    const int32_t W = 1920, H = 1080;
    auto draw = [&](int32_t bands, const Viewpoint& view) {
        renderer.settings.bandLimit = bands;
        ResetCarriedState(renderer);
        Draw(W, H, view);
        std::vector<uint32_t> pixels = FramePixels(W, H);
        pixels.push_back(uint32_t(renderer.carried.rasterFeedback));
        return pixels;
    };
    for (const Viewpoint& view : {View(0, -5), View(45, -30), View(200, -60, 300)}) {
        const std::vector<uint32_t> one = draw(1, view);
        for (int32_t bands : {2, 3, 7})
            EXPECT_TRUE(draw(bands, view) == one) << bands << " bands, azimuth " << view.azimuth;
    }
}

TEST_F(SampleTileFrames, LookingSteeplyDownShowsGroundEverywhere)
{
    // Low over the coast, where the eye follows the hills above the minimum
    // altitude, at every eighth of a lattice cell: once, the strips stopped
    // short of the upper edge and the frame showed sky.
    for (int pitch = -65; pitch >= -90; pitch -= 5) {
        for (int k = 0; k < 8; ++k) {
            Viewpoint view = View(37.0 * k, pitch, 300);
            view.latitude = 35.25 + k * 0.00004;
            view.longitude = 138.5 + k * 0.00005;
            for (int frame = 0; frame < 10; ++frame)
                Draw(656, 400, view);
            int sky = 0;
            for (int32_t r = 0; r < 400; ++r)
                for (int32_t x = 0; x < 656; ++x)
                    sky += renderer.Buffers().DepthAt(x, r) == kSkyDepth ? 1 : 0;
            ASSERT_EQ(sky, 0) << "pitch " << pitch << ", step " << k;
        }
    }
}

TEST_F(SampleTileFrames, ExtremeViewsStayWithinTheFrame)
{
    struct Case {
        const char* what;
        int32_t W, H;
        Viewpoint view;
    };
    Viewpoint faroff = View(30, -5);
    faroff.latitude += 4;
    faroff.longitude -= 7;
    Viewpoint veryFar = View(250, -20, 5000);
    veryFar.latitude -= 60;
    veryFar.longitude += 150;
    Viewpoint narrow = View(80, -5);
    narrow.viewAngle = 5;
    Viewpoint wide = View(80, -5);
    wide.viewAngle = 160;
    const Case cases[] = {
        {"far outside the tile", 656, 400, faroff},
        {"a hemisphere away", 656, 400, veryFar},
        {"100 km up", 1280, 720, View(10, -40, 100000)},
        {"100 km up, level", 656, 400, View(10, 0, 100000)},
        {"straight down", 656, 400, View(0, -90)},
        {"looking up", 656, 400, View(0, 10)},
        {"5 degree view", 1920, 1080, narrow},
        {"160 degree view", 1920, 1080, wide},
        {"one pixel", 1, 1, View(45, -5)},
        {"one column", 1, 500, View(45, -5)},
        {"one row", 700, 1, View(45, -5)},
        {"full buffers", kBufferWidth, kBufferHeight, View(200, -5)},
        {"full buffers, 5 degrees, 2 km", kBufferWidth, kBufferHeight,
            [&] {
                Viewpoint v = narrow;
                v.minAltitude = 2000;
                return v;
            }()},
    };
    const uint32_t mark = 0x3C3C3C3C;
    for (const Case& c : cases) {
        for (int frame = 0; frame < 3; ++frame) {
            MarkOutside(renderer, c.W, c.H, mark);
            const int32_t altitude = Draw(c.W, c.H, c.view);
            EXPECT_GE(altitude, int32_t(c.view.minAltitude)) << c.what;
            ExpectFrameProperties(renderer, c.W, c.H, c.what, false);
            ASSERT_TRUE(OutsideStillMarked(renderer, c.W, c.H, mark)) << c.what;
        }
    }
}
