// The natural look: the relief's tints, light and cast shadows on a cone of
// known shape, the sky by the sun, the haze with distance, and classic frames
// left as they are.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "elevation/terrain.h"
#include "relief/naturalrelief.h"
#include "render-test-support.h"
#include "render/naturallook.h"
#include "tests/support/referencerelief.h"
#include "tests/support/tileload.h"

using namespace rendertest;

namespace {

int Brightness(uint32_t c)
{
    return int(c >> 16 & 0xFF) + int(c >> 8 & 0xFF) + int(c & 0xFF);
}

// A cone 1,000 m high and 20 cells (617 m) in radius, its apex at (100, 100),
// on a plain 100 m high, in a 201 x 201 grid of 30.87 m cells.
struct Cone {
    static constexpr int kSide = 201;
    static constexpr int kApex = 100;
    static constexpr double kHeight = 1000;
    static constexpr double kRadius = 20;
    std::vector<int16_t> heights = std::vector<int16_t>(kSide * kSide);
    std::vector<const int16_t*> rows = std::vector<const int16_t*>(kSide);

    Cone()
    {
        for (int r = 0; r < kSide; ++r) {
            for (int c = 0; c < kSide; ++c) {
                const double d = std::hypot(c - kApex, r - kApex);
                heights[std::size_t(r * kSide + c)] = int16_t(100 + std::max(0.0, kHeight * (1 - d / kRadius)));
            }
            rows[std::size_t(r)] = heights.data() + r * kSide;
        }
    }
};

}  // namespace

TEST(NaturalRelief, AConeCastsItsShadowAwayFromTheSunAsFarAsItsHeightAllows)
{
    // The sun in the east, 20 degrees up: the apex's shadow reaches
    // 1,000 m / tan 20 = 2,747 m, 89 cells, west of it.
    const Cone cone;
    NaturalRelief relief(Cone::kSide, Cone::kSide);
    relief.Build(cone.rows.data(), kMetresPerCell, {{90, 20}, kDefaultSnowLine});
    const int reach = int(Cone::kHeight / std::tan(20 * 3.141592653589793 / 180) / kMetresPerCell);
    ASSERT_EQ(reach, 89);
    const int row = Cone::kApex;
    for (int c = Cone::kApex - reach + 3; c <= Cone::kApex - int(Cone::kRadius) - 1; ++c)
        EXPECT_TRUE(relief.InShadow(c, row)) << "west of the cone, within the shadow: column " << c;
    for (int c = Cone::kApex - reach - 3; c >= 0; --c)
        EXPECT_FALSE(relief.InShadow(c, row)) << "west, beyond the shadow: column " << c;
    for (int c = Cone::kApex; c < Cone::kSide; ++c)
        EXPECT_FALSE(relief.InShadow(c, row)) << "the sunny side: column " << c;
    // North and south of the shadow's width, the plain is lit.
    EXPECT_FALSE(relief.InShadow(Cone::kApex - 50, Cone::kApex - 30));
    EXPECT_FALSE(relief.InShadow(Cone::kApex - 50, Cone::kApex + 30));

    // The shadowed plain is darker than the lit plain, the slope facing the
    // sun brighter than either, and the one facing away darker.
    const uint32_t* pixels = relief.Relief().scanLines[row];
    const int shadowed = Brightness(pixels[Cone::kApex - 50]);
    const int lit = Brightness(pixels[10]);
    EXPECT_LT(shadowed, lit);
    EXPECT_GT(Brightness(pixels[Cone::kApex + 10]), lit);
    EXPECT_LT(Brightness(pixels[Cone::kApex - 10]), lit);

    // The sun behind the horizon: nothing is lit directly, so the plain in
    // the cone's shadow and beyond it look alike; dusk, not black.
    relief.Build(cone.rows.data(), kMetresPerCell, {{90, -4}, kDefaultSnowLine});
    const uint32_t* dusk = relief.Relief().scanLines[row];
    EXPECT_EQ(dusk[Cone::kApex - 50], dusk[Cone::kApex + 50]);
    EXPECT_LT(Brightness(dusk[10]), lit);
    EXPECT_GT(Brightness(dusk[10]), 60);
}

// The fast build against the plain one on real ground, the sun's rays along
// the rows and down the columns, both ways and slanting both ways, low and
// high, and the sun below the horizon: the same shadows, and colours within
// a rounding.
TEST(NaturalRelief, BuildsWhatThePlainSweepAndLightingBuildOnTheSampleTile)
{
    Terrain terrain;
    RenderParams params;
    Viewpoint view;
    LoadListener quiet;
    ASSERT_EQ(LoadTileInto(VANTOREL_SAMPLE_TILE, terrain, params, view, quiet), TileError::None);
    const int width = terrain.tileInfo.width;
    const int height = terrain.tileInfo.height;
    NaturalRelief relief(width, height);
    for (const SunLight sun : {SunLight{180, 60}, SunLight{20, 8}, SunLight{210, 12}, SunLight{100, 10},
             SunLight{300, 40}, SunLight{90, -3}}) {
        const NaturalReliefStyle style{sun, 2000};
        relief.Build(terrain.heightGrid.rows(), params.metresPerCell, style);
        const ReferenceRelief reference =
            BuildReferenceRelief(terrain.heightGrid.rows(), width, height, params.metresPerCell, style);
        int shadowMismatches = 0, colourMismatches = 0, shaded = 0;
        for (int row = 0; row < height; ++row) {
            const uint32_t* fast = relief.Relief().scanLines[row];
            const uint32_t* plain = reference.colours.scanLine(row);
            for (int column = 0; column < width; ++column) {
                const bool inShadow = reference.shadow[std::size_t(row) * std::size_t(width) + std::size_t(column)];
                shaded += inShadow;
                shadowMismatches += relief.InShadow(column, row) != inShadow;
                for (int shift : {0, 8, 16})
                    colourMismatches +=
                        std::abs(int(fast[column] >> shift & 0xFF) - int(plain[column] >> shift & 0xFF)) > 1;
            }
        }
        EXPECT_EQ(shadowMismatches, 0) << "sun " << sun.azimuth << ", " << sun.elevation;
        EXPECT_EQ(colourMismatches, 0) << "sun " << sun.azimuth << ", " << sun.elevation;
        if (sun.elevation > 0 && sun.elevation < 15) {
            EXPECT_GT(shaded, width * height / 100) << "a low sun casts shadows: " << sun.azimuth;
        }
    }
}

TEST(NaturalRelief, TintsRiseFromGreenToRockAndSnow)
{
    const auto green = [](uint32_t c) { return int(c >> 8 & 0xFF) - int(c >> 16 & 0xFF); };
    EXPECT_GT(green(HypsometricTint(300, kDefaultSnowLine)), 20);
    EXPECT_GT(green(HypsometricTint(900, kDefaultSnowLine)), 20);
    EXPECT_LE(green(HypsometricTint(2600, kDefaultSnowLine)), 0) << "rock is grey, not green";
    EXPECT_GT(Brightness(HypsometricTint(3000, 2800)), 3 * 230) << "snow above the snow line";
    EXPECT_LT(Brightness(HypsometricTint(3000, 3500)), 3 * 200) << "and not below it";
    const uint32_t water = HypsometricTint(0, kDefaultSnowLine);
    EXPECT_GT(water & 0xFF, water >> 16 & 0xFF) << "water is blue";
}

TEST(NaturalSky, FollowsTheSun)
{
    const auto red = [](uint32_t c) { return int(c >> 16 & 0xFF); };
    const auto blue = [](uint32_t c) { return int(c & 0xFF); };
    const NaturalSkyColours noon = NaturalSkyFor({180, 60});
    const NaturalSkyColours sunset = NaturalSkyFor({270, 1});
    const NaturalSkyColours night = NaturalSkyFor({0, -30});
    EXPECT_GT(blue(noon.horizon), red(noon.horizon));
    EXPECT_GT(blue(noon.zenith), blue(noon.horizon) - 100);
    EXPECT_GT(red(sunset.horizon), blue(sunset.horizon)) << "warm near a low sun";
    EXPECT_LT(Brightness(noon.zenith), Brightness(noon.horizon)) << "paler at the horizon";
    EXPECT_LT(Brightness(night.horizon), Brightness(noon.horizon) / 3);
    EXPECT_GT(Brightness(night.horizon), 0) << "dark, not black";
}

TEST(NaturalLook, HazeGrowsWithDistance)
{
    EXPECT_NEAR(HazeTransmittance(60000, 0), 0.5, 1e-9);
    EXPECT_NEAR(HazeTransmittance(10000, 1), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(HazeTransmittance(0, 0.5), 1);
    for (double d = 0; d < 200000; d += 5000)
        EXPECT_GT(HazeTransmittance(d, 0.3), HazeTransmittance(d + 5000, 0.3)) << d;

    // One colour at growing depths across a row: each pixel nearer the
    // haze's colour than the one before; the sky stays as it was.
    Bitmap32 bitmap(512, 4);
    Renderer renderer(bitmap);
    renderer.SetFrameSize(512, 2);
    const FrameBufferSet& fb = renderer.Buffers();
    FrameSettings settings;
    settings.look = Look::Natural;
    settings.sun = {180, 40};
    constexpr uint32_t kGround = 0x306020;
    for (int x = 0; x < 512; ++x) {
        fb.ColourRows[0][x] = kGround;
        // 16 cells further each from column 1; column 0 takes column 1's depth, as in a frame.
        PutDrawnPixel(fb, x, 0, uint32_t(std::max(x - 1, 0)) * 4096, 500);
        fb.ColourRows[1][x] = 0x123456;
        PutDrawnPixel(fb, x, 1, kSkyDepth, 0);
    }
    ApplyAerialPerspective(fb, 512, 2, kMetresPerCell, settings);
    const uint32_t haze = NaturalSkyFor(settings.sun).horizon;
    const auto distance = [haze](uint32_t c) {
        return std::abs(int(c >> 16 & 0xFF) - int(haze >> 16 & 0xFF)) +
            std::abs(int(c >> 8 & 0xFF) - int(haze >> 8 & 0xFF)) + std::abs(int(c & 0xFF) - int(haze & 0xFF));
    };
    EXPECT_EQ(fb.ColourRows[0][0], kGround);
    for (int x = 1; x < 512; ++x) {
        EXPECT_LE(distance(fb.ColourRows[0][x]), distance(fb.ColourRows[0][x - 1])) << x;
        EXPECT_EQ(fb.ColourRows[1][x], 0x123456u) << x;
    }
    EXPECT_LT(distance(fb.ColourRows[0][511]), distance(kGround) / 2) << "250 km away, mostly haze";
}

TEST(NaturalLook, ClassicFramesAreUnchangedByNaturalOnes)
{
    const SyntheticTile hills(
        401, [](int32_t c, int32_t r) { return int16_t(300 + 200 * std::sin(c / 20.0) * std::cos(r / 30.0)); });
    Viewpoint view = hills.ViewOver(200, 380);
    view.renderAzimuth = view.azimuth;
    const auto draw = [&](Renderer& renderer) {
        for (int k = 0; k < 3; ++k) {
            hills.Build(renderer, 320, 200, view);
            hills.Rasterise(renderer, view);
        }
        std::vector<uint32_t> pixels;
        for (int r = 0; r < 200; ++r)
            pixels.insert(pixels.end(), renderer.Buffers().ColourRows[r], renderer.Buffers().ColourRows[r] + 320);
        return pixels;
    };
    TestRenderer fresh;
    const std::vector<uint32_t> classic = draw(fresh.renderer);
    TestRenderer switched;
    switched.renderer.settings.look = Look::Natural;
    const std::vector<uint32_t> natural = draw(switched.renderer);
    EXPECT_FALSE(natural == classic);
    switched.renderer.settings.look = Look::Classic;
    EXPECT_TRUE(draw(switched.renderer) == classic);
}
