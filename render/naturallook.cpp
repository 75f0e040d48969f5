#include "render/naturallook.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/avx2clone.h"
#include "core/colour.h"
#include "core/geometry.h"
#include "core/rowbands.h"
#include "core/workerpool.h"
#include "render/fixedpoint.h"

namespace {

// The sky's zenith and horizon at a few sun elevations, blended between.
struct SkyStop {
    double elevation;
    Rgb zenith;
    Rgb horizon;
};
constexpr SkyStop kSkies[] = {
    {-8, {8, 12, 30}, {24, 30, 56}},  // night
    {0, {30, 44, 92}, {214, 132, 104}},  // sunset
    {8, {56, 96, 170}, {240, 198, 156}},  // golden hour
    {25, {40, 92, 192}, {178, 204, 230}},  // day
    {90, {32, 84, 190}, {170, 198, 228}},
};

constexpr double kClearHalfMetres = 60000;
constexpr double kHazyHalfMetres = 10000;
constexpr double kWaterHalfMetres = 3000;  // distance at which water reflects half the way to full
constexpr double kSkyGradientDegrees = 50;  // the zenith colour from this high up

// Depths in 1/256 cell, four cells to an entry: about 1,000 km in all.
constexpr int kDepthShift = 10;
constexpr int kDepthEntries = 8192;

uint32_t Blend(uint32_t c, uint32_t toward, uint32_t keep)
{
    const uint32_t rb = ((c & 0xFF00FF) * keep + (toward & 0xFF00FF) * (256 - keep)) >> 8;
    const uint32_t g = ((c & 0x00FF00) * keep + (toward & 0x00FF00) * (256 - keep)) >> 8;
    return (rb & 0xFF00FF) | (g & 0x00FF00);
}

// Per depth entry: the share of a pixel's own colour kept (of 256), for
// ground and for water; whole words, which the row pass gathers eight at a
// time.
struct DepthTables {
    std::array<uint32_t, kDepthEntries> ground;
    std::array<uint32_t, kDepthEntries> water;
};

void FillDepthTables(DepthTables& tables, double metresPerCell, double haze)
{
    const double metresPerEntry = double(1 << kDepthShift) / kCellUnits * metresPerCell;
    for (int i = 0; i < kDepthEntries; ++i) {
        const double metres = (i + 0.5) * metresPerEntry;
        const double through = HazeTransmittance(metres, haze);
        // Water shows more sky at grazing angles, so with distance.
        const double reflected = 0.2 + 0.7 * (1 - std::exp2(-metres / kWaterHalfMetres));
        tables.ground[std::size_t(i)] = uint32_t(std::lround(256 * through));
        tables.water[std::size_t(i)] = uint32_t(std::lround(256 * through * (1 - reflected)));
    }
}

// One row of the frame blended towards the haze by depth; sky pixels keep
// all of their colour, which the blend leaves as it was.
VANTOREL_AVX2_CLONE void HazeRow(uint32_t* __restrict colour, const uint32_t* depth, const int16_t* height, int32_t W,
    const DepthTables& tables, uint32_t haze)
{
    const uint32_t* ground = tables.ground.data();
    const uint32_t* water = tables.water.data();
    for (int32_t x = 0; x < W; ++x) {
        const uint32_t entry = std::min<uint32_t>(depth[x] >> kDepthShift, kDepthEntries - 1);
        // Both looked up and one chosen, so that eight pixels go at a time.
        const uint32_t fromGround = ground[entry];
        const uint32_t fromWater = water[entry];
        const uint32_t keep = height[x] == 0 ? fromWater : fromGround;
        colour[x] = Blend(colour[x], haze, depth[x] == kSkyDepth ? 256 : keep);
    }
}

}  // namespace

NaturalSkyColours NaturalSkyFor(const SunLight& sun)
{
    const double e = std::clamp(sun.elevation, kSkies[0].elevation, kSkies[std::size(kSkies) - 1].elevation);
    for (std::size_t i = 1; i < std::size(kSkies); ++i) {
        const SkyStop& low = kSkies[i - 1];
        const SkyStop& high = kSkies[i];
        if (e <= high.elevation) {
            const double t = (e - low.elevation) / (high.elevation - low.elevation);
            return {PackRgb(Mix(low.zenith, high.zenith, t)), PackRgb(Mix(low.horizon, high.horizon, t))};
        }
    }
    return {PackRgb(kSkies[0].zenith), PackRgb(kSkies[0].horizon)};
}

double HazeTransmittance(double metres, double haze)
{
    const double h = std::clamp(haze, 0.0, 1.0);
    const double half = kClearHalfMetres * std::pow(kHazyHalfMetres / kClearHalfMetres, h);
    return std::exp2(-std::max(metres, 0.0) / half);
}

void FillNaturalSkyRowColours(
    const FrameBufferSet& fb, int32_t W, int32_t H, double viewAngle, double pitch, const SunLight& sun)
{
    uint32_t* sky = fb.SkyRowColours;
    H = std::clamp(H, 0, fb.height);
    if (sky == nullptr || H == 0 || W <= 0)
        return;
    const NaturalSkyColours colours = NaturalSkyFor(sun);
    const double f = H * viewAngle / W;  // vertical angle of view, degrees, as the classic sky takes it
    const double horizon = H / 2 + H * pitch / f;
    for (int32_t r = 0; r < H; ++r) {
        const double above = (horizon - r) * f / H;  // degrees above the horizon
        const uint32_t keep = uint32_t(std::lround(256 * std::sqrt(std::clamp(above / kSkyGradientDegrees, 0.0, 1.0))));
        sky[r] = Blend(colours.zenith, colours.horizon, keep);
    }
}

void ApplyAerialPerspective(
    const FrameBufferSet& fb, int32_t W, int32_t H, double metresPerCell, const FrameSettings& settings)
{
    // Depths are read within the frame-size pair only.
    W = std::clamp(W, 0, std::min(fb.width, fb.frameWidth));
    H = std::clamp(H, 0, std::min(fb.height, fb.frameHeight));
    if (W == 0 || H == 0 || fb.TiledDepths == nullptr)
        return;
    DepthTables tables;
    FillDepthTables(tables, metresPerCell, settings.haze);
    const uint32_t haze = NaturalSkyFor(settings.sun).horizon;
    WorkerPool& pool = WorkerPool::Shared();
    const int32_t tileRows = (H + kTileRows - 1) / kTileRows;
    const int bands = std::clamp(tileRows / 4, 1, pool.threads());
    pool.Run(bands, [&](int band) {
        // A tile of depths and heights at a time, out of the tiled copies.
        std::array<uint32_t, kTilePixels> depths;
        std::array<int16_t, kTilePixels> heights;
        for (int32_t t = BandStart(0, tileRows, band, bands); t < BandStart(0, tileRows, band + 1, bands); ++t) {
            const int32_t r0 = t * kTileRows;
            const int32_t rows = std::min(kTileRows, H - r0);
            for (int32_t x = 0; x < W; x += kTileColumns) {
                const int32_t n = std::min(kTileColumns, W - x);
                fb.ReadBlock(x, r0, n, rows, depths.data(), heights.data());
                for (int32_t k = 0; k < rows; ++k)
                    HazeRow(fb.ColourRows[r0 + k] + x, depths.data() + k * kTileColumns,
                        heights.data() + k * kTileColumns, n, tables, haze);
            }
        }
    });
}
