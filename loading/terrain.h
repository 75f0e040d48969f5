#pragma once
// Every large buffer of the run: created once at start-up, reused by every
// load and every frame, never resized.

#include "mygraphics.h"
#include "raster.h"

struct Terrain {
    Terrain();

    Bitmap32 reliefBitmap{kTileSamples, kTileSamples};
    std::array<Bitmap32, 3> levelBitmaps{{{1801, 1801}, {901, 901}, {451, 451}}};
    Bitmap32 mapBitmap{360, 360};

    SampleGrid sourceGrid;  // samples exactly as read from the file
    SampleGrid resampledGrid;  // after the east-west resampling
    SampleGrid heightGrid;  // final heights used by the whole system
    // A read lands here first and is swapped into sourceGrid only once the
    // whole file has been read, so a refused file leaves every grid as it was.
    SampleGrid incomingGrid;

    HeightPalette heightPalette{};
    TileInfo tileInfo;  // over reliefBitmap
    ReliefLevels reliefLevels;  // over levelBitmaps
};
