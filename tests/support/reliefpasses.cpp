#include "tests/support/reliefpasses.h"

#include "core/rowbands.h"

void ColourPass(const HeightPalette& palette, const int16_t* const* grid, const TileInfo& relief)
{
    ForRowBands(0, relief.height, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            ColourRow(palette, grid[r], relief.scanLines[r], relief.width);
    });
}

void ShadePass(const int16_t* const* grid, const TileInfo& relief, const ProgressStep& step)
{
    ForRowBands(
        1, relief.height - 1, [&](int begin, int end) { ShadeRows(grid, relief, begin, end, nullptr, {}); }, step);
    step();
}

void BuildMapImage(const TileInfo& relief, Bitmap32& map, const ProgressStep& step)
{
    map.SetWidth(relief.width / kTileMapBlock);
    BuildMapPixels(relief, map, {kTileMapBlock, 0, 0}, step);
}
