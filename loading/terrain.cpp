#include "terrain.h"

Terrain::Terrain()
{
    AttachRaster(tileInfo, reliefBitmap);
    for (std::size_t level = 0; level < reliefLevels.size(); ++level)
        AttachRaster(reliefLevels[level], levelBitmaps[level]);
}
