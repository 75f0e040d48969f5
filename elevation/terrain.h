#pragma once
// Every large buffer of a loaded landscape: created before the load, reused
// by every frame, never resized. One tile's buffers are created once at
// start-up and reused by every load of a single tile; a tile joined with its
// neighbours gets buffers of its own size, which a later set of the same
// size may take over (terrainarena.h).

#include "core/raster.h"
#include "elevation/sourcetops.h"
#include "relief/relief.h"

// A height grid's size: rows, and samples in use in each row.
struct GridShape {
    int rows = kTileSamples;
    int columns = kGridRowSlots;
};

struct Terrain {
    Terrain();  // one tile, with the grids its load passes through
    // A joined set: the final heights and the pictures; its sources are read
    // a band at a time into bandGrids, which the load makes.
    explicit Terrain(GridShape shape);

    Bitmap32 reliefBitmap;
    std::array<Bitmap32, 3> levelBitmaps;
    Bitmap32 mapBitmap{360, 360};

    SampleGrid sourceGrid;  // samples exactly as read from the file
    SampleGrid heightGrid;  // final heights used by the whole system
    // A read lands here first and is swapped into sourceGrid only once the
    // whole file has been read, so a refused file leaves every grid as it was.
    SampleGrid incomingGrid;
    // A joined set's tiles are read a band at a time into these. Kept with
    // the set, so that buffers given back to an arena (terrainarena.h) are
    // not mapped afresh for the next load.
    std::vector<SampleGrid> bandGrids;
    SourceTops sourceTops;  // the highest source samples, for summits' heights

    HeightPalette heightPalette{};
    TileInfo tileInfo;  // over reliefBitmap
    ReliefLevels reliefLevels;  // over levelBitmaps

    // True for buffers of one tile, which a single load fills in place.
    bool holdsOneTile() const { return sourceGrid.rowCount() != 0; }
};
