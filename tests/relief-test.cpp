// Relief pictures: palette, slope lighting, shading, reduced levels and map.

#include <gtest/gtest.h>

#include <random>

#include "relief/relief.h"
#include "tests/support/reliefpasses.h"

namespace {

uint32_t rgb(uint32_t red, uint32_t green, uint32_t blue)
{
    return red << 16 | green << 8 | blue;
}

// A small bitmap with its record attached, like the loader's images.
struct Image {
    Image(int width, int height) : bitmap(width, height) { AttachRaster(info, bitmap); }
    Bitmap32 bitmap;
    TileInfo info;
    uint32_t& at(int r, int c) { return info.scanLines[r][c]; }
};

TEST(HeightPalette, RunsFromWaterThroughTheStopsToSnow)
{
    HeightPalette palette{};
    BuildHeightPalette(palette);
    EXPECT_EQ(palette[0], 0x000090u);
    EXPECT_EQ(palette[1], rgb(0, 160, 0));
    EXPECT_EQ(palette[125], rgb(40, 164, 0));  // halfway between the first two stops
    EXPECT_EQ(palette[250], rgb(80, 168, 0));
    EXPECT_EQ(palette[2750], rgb(205, 120, 0));
    for (int h : {4750, 6000, 7999})
        EXPECT_EQ(palette[h], rgb(120, 75, 0)) << h;
    for (int h : {8000, 8999})
        EXPECT_EQ(palette[h], rgb(254, 254, 254)) << h;
    for (uint32_t colour : palette)
        ASSERT_EQ(colour >> 24, 0u);
}

TEST(SlopeLight, FlatSunlitAndShadowedSlopes)
{
    EXPECT_EQ(SlopeLight(100, 100, 100, 100, 100, 66), 196);
    // Rising to the north-east by 8 .. 20 m: every difference lands in the brightest band.
    for (int rise : {8, 12, 20})
        EXPECT_EQ(
            SlopeLight(100, int16_t(100 - rise), int16_t(100 + rise), int16_t(100 + rise), int16_t(100 - rise), 66),
            256)
            << rise;
    // Falling to the north-east by 12 m or more: all four in the darkest band.
    for (int fall : {12, 100, 3000})
        EXPECT_EQ(
            SlopeLight(100, int16_t(100 + fall), int16_t(100 - fall), int16_t(100 - fall), int16_t(100 + fall), 66), 64)
            << fall;
    // Band edges of one difference (east), the others flat (3 x 704):
    // d = 1 is still 704, d = 2 is 768; a cliff beyond 48176 drops to 735.
    EXPECT_EQ(SlopeLight(0, 0, 0, 1, 0, 1), (4 * 704 * 6 + 8192) >> 7);
    EXPECT_EQ(SlopeLight(0, 0, 0, 2, 0, 1), ((3 * 704 + 768) * 6 + 8192) >> 7);
    EXPECT_EQ(SlopeLight(0, 0, 0, 729, 0, 66), ((3 * 704 + 768) * 6 + 8192) >> 7);  // d = 48114
    EXPECT_EQ(SlopeLight(0, 0, 0, 730, 0, 66), ((3 * 704 + 735) * 6 + 8192) >> 7);  // d = 48180
}

TEST(ShadePass, MatchesShadeFactorEverywhereButTheBorder)
{
    // Tall enough to be shaded in several bands at once.
    constexpr int kW = 64, kH = 700;
    SampleGrid grid;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> height(-50, 4000);
    std::uniform_int_distribution<int> jitter(-40, 40);
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            // Mostly gentle slopes with some cliffs, so that every band is met.
            grid[r][c] = int16_t((r * c) % 7 == 0 ? height(random) : 1000 + 5 * r + jitter(random));
    HeightPalette palette{};
    BuildHeightPalette(palette);
    Image relief(kW, kH);
    ColourPass(palette, grid.rows(), relief.info);
    Image unshaded(kW, kH);
    ColourPass(palette, grid.rows(), unshaded.info);

    int steps = 0;
    ShadePass(grid.rows(), relief.info, [&] { ++steps; });
    EXPECT_EQ(steps, 1);
    for (int r = 0; r < kH; ++r) {
        for (int c = 0; c < kW; ++c) {
            const uint32_t before = unshaded.at(r, c);
            if (r == 0 || c == 0 || r == kH - 1 || c == kW - 1) {
                ASSERT_EQ(relief.at(r, c), before);
                continue;
            }
            const uint32_t f = uint32_t(ShadeFactor(grid.rows(), c, r));
            const uint32_t expected =
                rgb((before >> 16 & 0xFF) * f >> 8, (before >> 8 & 0xFF) * f >> 8, (before & 0xFF) * f >> 8);
            ASSERT_EQ(relief.at(r, c), expected) << r << "," << c;
        }
    }

    // Both passes at once, row by row, give the very same pixels.
    Image fused(kW, kH);
    ColourAndShadePass(palette, grid.rows(), fused.info, [] {});
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            ASSERT_EQ(fused.at(r, c), relief.at(r, c)) << r << "," << c;
}

TEST(ColourPass, ClampsHeightsIntoThePalette)
{
    SampleGrid grid;
    const int16_t heights[] = {-9999, 0, 1, 125, 8999, 20000};
    for (int c = 0; c < 6; ++c)
        grid[0][c] = heights[c];
    HeightPalette palette{};
    BuildHeightPalette(palette);
    Image relief(6, 1);
    ColourPass(palette, grid.rows(), relief.info);
    EXPECT_EQ(relief.at(0, 0), 0x000090u);
    EXPECT_EQ(relief.at(0, 1), 0x000090u);
    EXPECT_EQ(relief.at(0, 2), rgb(0, 160, 0));
    EXPECT_EQ(relief.at(0, 3), rgb(40, 164, 0));
    EXPECT_EQ(relief.at(0, 4), rgb(254, 254, 254));
    EXPECT_EQ(relief.at(0, 5), rgb(254, 254, 254));
}

TEST(ReducedLevel, AveragesBlocksAndCarriesOddEdges)
{
    Image level0(5, 3);
    // Columns 0..3 pair up; column 4 and row 2 are the odd edges.
    const uint32_t rows[3][5] = {
        {rgb(4, 8, 12), rgb(8, 8, 12), rgb(100, 0, 0), rgb(0, 0, 0), rgb(10, 20, 30)},
        {rgb(4, 8, 12), rgb(8, 8, 12), rgb(0, 0, 0), rgb(0, 0, 0), rgb(30, 40, 50)},
        {rgb(2, 2, 2), rgb(4, 4, 4), rgb(6, 6, 6), rgb(9, 9, 9), rgb(200, 200, 200)},
    };
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            level0.at(r, c) = rows[r][c];
    Image level1(3, 2);
    level1.info.width = level1.info.height = 0;
    BuildReducedLevel(level0.info, level1.info);
    EXPECT_EQ(level1.info.width, 3);
    EXPECT_EQ(level1.info.height, 2);
    EXPECT_EQ(level1.at(0, 0), rgb(6, 8, 12));
    EXPECT_EQ(level1.at(0, 1), rgb(25, 0, 0));
    EXPECT_EQ(level1.at(0, 2), rgb(20, 30, 40));  // odd column: two rows averaged
    EXPECT_EQ(level1.at(1, 0), rgb(3, 3, 3));  // odd row: two columns averaged
    EXPECT_EQ(level1.at(1, 1), rgb(7, 7, 7));  // 6 and 9 with their low bits dropped
    EXPECT_EQ(level1.at(1, 2), rgb(200, 200, 200));  // the corner pairs column 4 with itself
}

TEST(ReducedLevel, WidthsOfRealTiles)
{
    for (auto [w0, w1, w2, w3] : {std::array{2931, 1466, 733, 367}, std::array{3600, 1800, 900, 450}}) {
        TileInfo levels[4] = {{w0, 3601, nullptr}, {}, {}, {}};
        // Sizes only: level bitmaps big enough for any tile.
        static Bitmap32 bitmaps[4] = {{3601, 3601}, {1801, 1801}, {901, 901}, {451, 451}};
        for (int i = 0; i < 4; ++i) {
            const int width = levels[i].width;
            AttachRaster(levels[i], bitmaps[i]);
            if (i == 0)
                levels[0].width = width;
        }
        for (int i = 0; i < 3; ++i)
            BuildReducedLevel(levels[i], levels[i + 1]);
        EXPECT_EQ(levels[1].width, w1);
        EXPECT_EQ(levels[2].width, w2);
        EXPECT_EQ(levels[3].width, w3);
        EXPECT_EQ(levels[3].height, 451);
    }
}

TEST(ReliefHalfAndMap, SameAsTheSeparatePasses)
{
    // Heights that are and are not whole groups of map rows, widths odd and
    // even, tall enough for several bands and progress steps.
    for (const auto& [w, h] : {std::pair{64, 2100}, std::pair{63, 1095}}) {
        SampleGrid grid;
        std::mt19937 random{uint32_t(h)};
        std::uniform_int_distribution<int> height(-50, 4000);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                grid[r][c] = int16_t(height(random));
        HeightPalette palette{};
        BuildHeightPalette(palette);

        Image relief(w, h), half(w, h);
        Bitmap32 map(360, 360);
        int steps = 0;
        ColourAndShadePass(palette, grid.rows(), relief.info, [&] { ++steps; });
        BuildReducedLevel(relief.info, half.info);
        BuildMapImage(relief.info, map, [] {});

        Image fusedRelief(w, h), fusedHalf(w, h);
        Bitmap32 fusedMap(360, 360);
        int fusedSteps = 0;
        BuildReliefHalfAndMap(palette, grid.rows(), fusedRelief.info, fusedHalf.info, fusedMap, [&] { ++fusedSteps; });
        EXPECT_EQ(fusedSteps, steps);
        ASSERT_EQ(fusedHalf.info.width, half.info.width);
        ASSERT_EQ(fusedHalf.info.height, half.info.height);
        ASSERT_EQ(fusedMap.width(), map.width());
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                ASSERT_EQ(fusedRelief.at(r, c), relief.at(r, c)) << r << "," << c;
        for (int r = 0; r < half.info.height; ++r)
            for (int c = 0; c < half.info.width; ++c)
                ASSERT_EQ(fusedHalf.at(r, c), half.at(r, c)) << h << ": " << r << "," << c;
        for (int y = 0; y < h / 10; ++y)
            for (int x = 0; x < map.width(); ++x)
                ASSERT_EQ(fusedMap.scanLine(y)[x], map.scanLine(y)[x]) << h << ": " << y << "," << x;
    }
}

TEST(MapImage, AveragesTenByTenBlocks)
{
    static Image relief(3601, 3601);
    relief.info.width = 2931;
    for (int r = 0; r < 3601; ++r)
        for (int c = 0; c < 2931; ++c)
            relief.at(r, c) = rgb(uint32_t(c % 10) * 20, uint32_t(r % 10), c < 10 ? 255u : 0u);
    Bitmap32 map(360, 360);
    int steps = 0;
    BuildMapImage(relief.info, map, [&] { ++steps; });
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(map.width(), 293);
    EXPECT_EQ(map.height(), 360);
    // Red: (0 + 20 + ... + 180) / 10 = 90; green: (0 + ... + 9) / 10 = 4 (truncated); blue only in column 0.
    EXPECT_EQ(map.scanLine(0)[0], rgb(90, 4, 255));
    EXPECT_EQ(map.scanLine(359)[292], rgb(90, 4, 0));
}

}  // namespace
