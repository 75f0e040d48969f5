#pragma once
// Relief pictures of the height grid: a height palette, a slope-lit colour
// image at full resolution, three reduced levels and the small map image.
// All integer; the progress callbacks let the loading window show progress.

#include <array>
#include <cstdint>
#include <functional>

#include "core/raster.h"
#include "core/rowbands.h"

using HeightPalette = std::array<uint32_t, 9000>;  // colour of 0 .. 8999 m

void BuildHeightPalette(HeightPalette& palette);
void AttachRaster(TileInfo& record, const Bitmap32& bitmap);

// Lighting sum of a point from its four neighbours: 64 (steep, facing away)
// to 256 (facing the light); flat ground gives 196.
int32_t SlopeLight(int16_t centre, int16_t south, int16_t north, int16_t east, int16_t west, int16_t gain);
// SlopeLight with gain 66 at (column, row), which lies at least 1 inside the grid.
int32_t ShadeFactor(const int16_t* const* grid, int column, int row);

// Work on a relief's rows while they are still in the cache: run(first) once
// rows [first, first + rows) are coloured and shaded, for every first that is
// a multiple of rows. Runs may come from any thread, and side by side.
struct ReliefFollowUp {
    int rows = 1;
    std::function<void(int first)> run;
};
// One row coloured from the palette, and rows [begin, end) of the slope
// shading (1 <= begin, end <= height - 1), each coloured first where a
// palette is given: the work of one band of rows.
void ColourRow(const HeightPalette& palette, const int16_t* heights, uint32_t* pixels, int width);
void ShadeRows(const int16_t* const* grid, const TileInfo& relief, int begin, int end, const HeightPalette* palette,
    const ReliefFollowUp& followUp);
// Every row coloured and shaded (the border only coloured), a band of rows
// to each core.
void ColourAndShadePass(const HeightPalette& palette, const int16_t* const* grid, const TileInfo& relief,
    const ProgressStep& step, const ReliefFollowUp& followUp = {});
void BuildReducedLevel(const TileInfo& from, TileInfo& to);
// Relief pixels per map pixel of a tile alone, each way.
inline constexpr int kTileMapBlock = 10;
// Where BuildMapPixels puts a relief: each map pixel the mean of block x block
// relief pixels, the relief's first at map pixel (x, y); what would fall
// outside the map's width in use is left out.
struct MapPlacement {
    int block;  // at most 257: the sums keep two channels in one word
    int x;
    int y;
};
void BuildMapPixels(const TileInfo& relief, Bitmap32& map, const MapPlacement& placement, const ProgressStep& step);
// ColourAndShadePass, BuildReducedLevel into `half` and the map of a tile
// alone (BuildMapPixels in blocks of kTileMapBlock from the map's corner),
// with the same pixels, in one pass: the level and the map take up each group of
// rows while it is in the cache. Steps as ColourAndShadePass.
void BuildReliefHalfAndMap(const HeightPalette& palette, const int16_t* const* grid, const TileInfo& relief,
    TileInfo& half, Bitmap32& map, const ProgressStep& step);
