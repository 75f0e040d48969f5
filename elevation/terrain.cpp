#include "elevation/terrain.h"

namespace {

// Each relief level halves the one above, rounding up.
int Halved(int size)
{
    return (size + 1) / 2;
}

std::array<Bitmap32, 3> LevelBitmapsFor(int width, int height)
{
    return {{{Halved(width), Halved(height)}, {Halved(Halved(width)), Halved(Halved(height))},
        {Halved(Halved(Halved(width))), Halved(Halved(Halved(height)))}}};
}

}  // namespace

Terrain::Terrain() : reliefBitmap(kTileSamples, kTileSamples), levelBitmaps(LevelBitmapsFor(kTileSamples, kTileSamples))
{
    AttachRaster(tileInfo, reliefBitmap);
    for (std::size_t level = 0; level < reliefLevels.size(); ++level)
        AttachRaster(reliefLevels[level], levelBitmaps[level]);
}

Terrain::Terrain(GridShape shape) :
    reliefBitmap(shape.columns, shape.rows), levelBitmaps(LevelBitmapsFor(shape.columns, shape.rows)), sourceGrid(0, 0),
    heightGrid(shape.rows, shape.columns), incomingGrid(0, 0)
{
    AttachRaster(tileInfo, reliefBitmap);
    for (std::size_t level = 0; level < reliefLevels.size(); ++level)
        AttachRaster(reliefLevels[level], levelBitmaps[level]);
}
