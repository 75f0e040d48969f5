#include "relief/relief.h"

#include "core/avx2clone.h"
#include "core/rowbands.h"

#include <algorithm>
#include <vector>

namespace {

struct Rgb {
    uint32_t red, green, blue;
};

// One colour every 250 m, from coastal green through ochre to brown.
// clang-format off
constexpr std::array<Rgb, 20> kColourStops{{
    {0, 160, 0},   {80, 168, 0},  {115, 176, 0}, {130, 182, 0}, {150, 192, 0},
    {165, 192, 0}, {180, 182, 0}, {195, 182, 0}, {210, 172, 0}, {220, 172, 0},
    {230, 160, 0}, {205, 120, 0}, {190, 100, 0}, {180, 95, 0},  {170, 90, 0},
    {160, 85, 0},  {150, 80, 0},  {140, 75, 0},  {130, 75, 0},  {120, 75, 0},
}};
// clang-format on
constexpr int kMetresPerStop = 250;
constexpr uint32_t kWater = 0x000090;
constexpr uint32_t kSnow = 0xFEFEFE;

constexpr uint32_t Pack(uint32_t red, uint32_t green, uint32_t blue)
{
    return red << 16 | green << 8 | blue;
}

// Lighting level of one height difference (already multiplied by the gain):
// brightest for moderate rises, darker for falls and for very steep rises.
struct LevelBand {
    int32_t upTo;  // inclusive upper bound of d
    int32_t level;
};
// clang-format off
constexpr std::array<LevelBand, 21> kLevelBands{{
    {-752, 0},    {-656, 64},   {-576, 128},  {-512, 192},  {-432, 256},  {-368, 320},
    {-304, 384},  {-240, 448},  {-192, 512},  {-128, 576},  {-64, 640},   {1, 704},
    {96, 768},    {176, 832},   {288, 896},   {480, 960},   {1344, 1024}, {2192, 960},
    {3600, 896},  {7168, 832},  {48176, 768},
}};
// clang-format on
constexpr int32_t kSteepestLevel = 735;

int32_t LightLevel(int32_t d)
{
    for (const LevelBand& band : kLevelBands)
        if (d <= band.upTo)
            return band.level;
    return kSteepestLevel;
}

int32_t LightFromLevels(int32_t sum)
{
    return (sum * 6 + 8192) >> 7;
}

// ShadeFactor's gain. Differences beyond +-kDiffReach all fall into the end
// bands (66 x 12 > 752 and 66 x 731 > 48176), so a table over that range
// replaces the threshold search in the shade pass.
constexpr int32_t kShadeGain = 66;
constexpr int32_t kDiffReach = 1024;

struct ShadeLevels {
    std::array<int32_t, 2 * kDiffReach + 1> byDiff;
    ShadeLevels()
    {
        for (int32_t diff = -kDiffReach; diff <= kDiffReach; ++diff)
            byDiff[diff + kDiffReach] = LightLevel(kShadeGain * diff);
    }
    int32_t operator()(int32_t diff) const { return byDiff[std::clamp(diff, -kDiffReach, kDiffReach) + kDiffReach]; }
};

const ShadeLevels& ShadeLevelTable()
{
    static const ShadeLevels table;
    return table;
}

// Scales blue, green and red by f / 256. Red and blue share one multiply:
// 255 x 256 still fits beside the other channel without carrying into it.
uint32_t ScaleRgb(uint32_t pixel, uint32_t f)
{
    const uint32_t redBlue = ((pixel & 0xFF00FF) * f >> 8) & 0xFF00FF;
    const uint32_t green = ((pixel & 0x00FF00) * f >> 8) & 0x00FF00;
    return (pixel & 0xFF000000) | redBlue | green;
}

uint32_t Average4(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    constexpr uint32_t kMask = 0xFCFCFC;  // room for each channel's carry
    return ((a & kMask) + (b & kMask) + (c & kMask) + (d & kMask)) >> 2;
}

}  // namespace

void BuildHeightPalette(HeightPalette& palette)
{
    constexpr int kLastStop = int(kColourStops.size()) - 1;
    for (int i = 0; i < 8000; ++i) {
        const Rgb& a = kColourStops[std::min(i / kMetresPerStop, kLastStop)];
        const Rgb& b = kColourStops[std::min(i / kMetresPerStop + 1, kLastStop)];
        const uint32_t t = i % kMetresPerStop;
        const uint32_t u = kMetresPerStop - t;
        palette[i] = Pack((u * a.red + t * b.red) / kMetresPerStop, (u * a.green + t * b.green) / kMetresPerStop,
            (u * a.blue + t * b.blue) / kMetresPerStop);
    }
    std::fill(palette.begin() + 8000, palette.end(), kSnow);
    palette[0] = kWater;
}

void AttachRaster(TileInfo& record, const Bitmap32& bitmap)
{
    record.width = bitmap.width();
    record.height = bitmap.height();
    record.scanLines = bitmap.scanLines();
}

int32_t SlopeLight(int16_t centre, int16_t south, int16_t north, int16_t east, int16_t west, int16_t gain)
{
    const int32_t sum = LightLevel(gain * (east - centre)) + LightLevel(gain * (centre - south)) +
        LightLevel(gain * (north - centre)) + LightLevel(gain * (centre - west));
    return LightFromLevels(sum);
}

int32_t ShadeFactor(const int16_t* const* grid, int column, int row)
{
    const int16_t* north = grid[row - 1];
    const int16_t* here = grid[row];
    const int16_t* south = grid[row + 1];
    return std::clamp(
        SlopeLight(here[column], south[column], north[column], here[column + 1], here[column - 1], kShadeGain), 0, 256);
}

void ColourRow(const HeightPalette& palette, const int16_t* heights, uint32_t* pixels, int width)
{
    const int last = int(palette.size()) - 1;
    for (int c = 0; c < width; ++c)
        pixels[c] = palette[std::clamp(int(heights[c]), 0, last)];
}

/* The level of a point's east difference is its eastern neighbour's west
 * difference, and its south difference is its southern neighbour's north
 * difference. So each row looks up one level per horizontal and one per
 * vertical pair of points, half the lookups of four per point:
 *   sum(r, c) = across[c] + across[c - 1] + down(r)[c] + down(r - 1)[c].
 * With a palette, each row is coloured just before it is shaded, while its
 * pixels are still in the cache. */
VANTOREL_AVX2_CLONE void ShadeRows(const int16_t* const* grid, const TileInfo& relief, int begin, int end,
    const HeightPalette* palette, const ReliefFollowUp& followUp)
{
    const ShadeLevels& level = ShadeLevelTable();
    const int width = relief.width;
    // One allocation per band and pass: the rows are as wide as the grid.
    std::vector<int32_t> rows(3 * std::size_t(std::max(width, 0)));
    int32_t* downAbove = rows.data();  // level(grid[r - 1][c] - grid[r][c])
    int32_t* downBelow = downAbove + width;  // level(grid[r][c] - grid[r + 1][c])
    int32_t* across = downBelow + width;  // level(grid[r][c + 1] - grid[r][c])
    for (int c = 1; c < width - 1; ++c)
        downAbove[c] = level(grid[begin - 1][c] - grid[begin][c]);
    for (int r = begin; r < end; ++r) {
        const int16_t* here = grid[r];
        const int16_t* south = grid[r + 1];
        for (int c = 0; c < width - 1; ++c)
            across[c] = level(here[c + 1] - here[c]);
        for (int c = 1; c < width - 1; ++c)
            downBelow[c] = level(here[c] - south[c]);
        uint32_t* pixels = relief.scanLines[r];
        if (palette)
            ColourRow(*palette, here, pixels, width);
        for (int c = 1; c < width - 1; ++c) {
            const int32_t sum = across[c] + across[c - 1] + downBelow[c] + downAbove[c];
            pixels[c] = ScaleRgb(pixels[c], uint32_t(std::clamp(LightFromLevels(sum), 0, 256)));
        }
        std::swap(downAbove, downBelow);
        if (followUp.run && (r + 1) % followUp.rows == 0)
            followUp.run(r + 1 - followUp.rows);
    }
}

namespace {

// One row of a reduced level: each pixel the mean of a 2 x 2 block.
VANTOREL_AVX2_CLONE void HalveRow(const uint32_t* upper, const uint32_t* lower, uint32_t* __restrict out, int halfWidth)
{
    for (int c = 0; c < halfWidth; ++c)
        out[c] = Average4(upper[2 * c], upper[2 * c + 1], lower[2 * c], lower[2 * c + 1]);
}

/* Adds one row of relief to per-column channel sums, a loop that vectorises.
 * Red and blue are summed side by side in one word, 16 bits each: a column
 * of a block adds at most 255 x block (block <= 257) to either. */
VANTOREL_AVX2_CLONE void AddColumnSums(
    const uint32_t* pixels, int columns, uint32_t* __restrict redBlue, uint32_t* __restrict green)
{
    for (int c = 0; c < columns; ++c) {
        redBlue[c] += pixels[c] & 0xFF00FF;
        green[c] += (pixels[c] >> 8) & 0xFF;
    }
}

}  // namespace

namespace {

// Rows [begin, end) of a reduced level from the pairs of rows above them.
void HalveLevelRows(const TileInfo& from, const TileInfo& to, int begin, int end)
{
    const int w = from.width;
    for (int r = begin; r < end; ++r) {
        const uint32_t* upper = from.scanLines[2 * r];
        const uint32_t* lower = from.scanLines[2 * r + 1];
        uint32_t* out = to.scanLines[r];
        HalveRow(upper, lower, out, w / 2);
        if (w % 2 != 0)
            out[w / 2] = AveragePixels(upper[w - 1], lower[w - 1]);
    }
}

// A reduced level's last row, from an odd last row alone, and its size.
void FinishReducedLevel(const TileInfo& from, TileInfo& to)
{
    const int w = from.width;
    const int h = from.height;
    const int halfW = (w + 1) / 2;
    if (h % 2 != 0) {
        const uint32_t* last = from.scanLines[h - 1];
        uint32_t* out = to.scanLines[h / 2];
        for (int c = 0; c < halfW; ++c)
            out[c] = AveragePixels(last[2 * c], last[std::min(2 * c + 1, w - 1)]);
    }
    to.width = halfW;
    to.height = (h + 1) / 2;
}

// How many map pixels a placement fills across and down.
struct MapExtent {
    int width;
    int height;
};
MapExtent MapExtentOf(const TileInfo& relief, const Bitmap32& map, const MapPlacement& placement)
{
    return {std::clamp(relief.width / placement.block, 0, map.width() - placement.x),
        std::clamp(relief.height / placement.block, 0, map.height() - placement.y)};
}

// Map row y of a placement (y within its extent): the block's rows summed
// column by column, then each map pixel's columns across, some thousand
// columns at a time.
void BuildMapRow(const TileInfo& relief, Bitmap32& map, const MapPlacement& placement, int width, int y)
{
    constexpr int kColumnsAtOnce = 4096;
    const int block = placement.block;
    const int pixelsAtOnce = std::max(1, kColumnsAtOnce / block);
    const uint32_t area = uint32_t(block * block);
    uint32_t* out = map.scanLine(placement.y + y) + placement.x;
    std::array<uint32_t, kColumnsAtOnce> redBlue, green;
    for (int x0 = 0; x0 < width; x0 += pixelsAtOnce) {
        const int pixels = std::min(pixelsAtOnce, width - x0);
        const int columns = pixels * block;
        std::fill_n(redBlue.begin(), columns, 0);
        std::fill_n(green.begin(), columns, 0);
        for (int r = block * y; r < block * (y + 1); ++r)
            AddColumnSums(relief.scanLines[r] + x0 * block, columns, redBlue.data(), green.data());
        for (int x = 0; x < pixels; ++x) {
            uint32_t red = 0, greenSum = 0, blue = 0;
            for (int c = x * block; c < (x + 1) * block; ++c) {
                red += redBlue[std::size_t(c)] >> 16;
                greenSum += green[std::size_t(c)];
                blue += redBlue[std::size_t(c)] & 0xFFFF;
            }
            out[x0 + x] = Pack(red / area, greenSum / area, blue / area);
        }
    }
}

}  // namespace

void ColourAndShadePass(const HeightPalette& palette, const int16_t* const* grid, const TileInfo& relief,
    const ProgressStep& step, const ReliefFollowUp& followUp)
{
    if (relief.height <= 0)
        return;
    ColourRow(palette, grid[0], relief.scanLines[0], relief.width);
    if (relief.height > 1)
        ColourRow(palette, grid[relief.height - 1], relief.scanLines[relief.height - 1], relief.width);
    ForRowBands(
        1, relief.height - 1, [&](int begin, int end) { ShadeRows(grid, relief, begin, end, &palette, followUp); },
        step, followUp.rows);
    // The shaded rows end one short of the last, which only colouring needs.
    if (followUp.run && relief.height % followUp.rows == 0)
        followUp.run(relief.height - followUp.rows);
    step();
}

void BuildReducedLevel(const TileInfo& from, TileInfo& to)
{
    ForRowBands(0, from.height / 2, [&](int begin, int end) { HalveLevelRows(from, to, begin, end); });
    FinishReducedLevel(from, to);
}

void BuildMapPixels(const TileInfo& relief, Bitmap32& map, const MapPlacement& placement, const ProgressStep& step)
{
    const MapExtent extent = MapExtentOf(relief, map, placement);
    // The map has fewer rows than a progress step covers: one step before
    // them and one after.
    if (extent.height > 0)
        step();
    ForRowBands(0, extent.height, [&](int begin, int end) {
        for (int y = begin; y < end; ++y)
            BuildMapRow(relief, map, placement, extent.width, y);
    });
    step();
}

void BuildReliefHalfAndMap(const HeightPalette& palette, const int16_t* const* grid, const TileInfo& relief,
    TileInfo& half, Bitmap32& map, const ProgressStep& step)
{
    map.SetWidth(relief.width / kTileMapBlock);
    const MapPlacement placement{kTileMapBlock, 0, 0};
    const MapExtent extent = MapExtentOf(relief, map, placement);
    const ReliefFollowUp followUp{kTileMapBlock, [&](int first) {
                                      HalveLevelRows(relief, half, first / 2, (first + kTileMapBlock) / 2);
                                      if (first / kTileMapBlock < extent.height)
                                          BuildMapRow(relief, map, placement, extent.width, first / kTileMapBlock);
                                  }};
    ColourAndShadePass(palette, grid, relief, step, followUp);
    // Rows past the last whole group of kTileMapBlock.
    HalveLevelRows(relief, half, relief.height / kTileMapBlock * kTileMapBlock / 2, relief.height / 2);
    FinishReducedLevel(relief, half);
}
