#pragma once
// A tile joined with the neighbours found beside it in its folder: up to
// 3 x 3 one-degree cells drawn as one landscape.

#include <array>
#include <memory>
#include <string>
#include <vector>

// The load of a set (LoadTileSetInto), for the callers of both.
#include "elevation/asterreader.h"
#include "elevation/landscapeload.h"
#include "elevation/loadreport.h"
#include "elevation/tilename.h"
#include "elevation/tileplace.h"

// The 3 x 3 cells around an opened tile, row-major from the north-west; the
// opened tile is cell 4.
struct TileSet {
    static constexpr int kSide = 3;
    static constexpr int kOpened = 4;

    TileCell opened;
    std::array<std::string, kSide * kSide> files;  // empty where no tile was found

    // The smallest rectangle of cells that holds every file, in cells of the 3 x 3.
    int firstRow = 1, lastRow = 1, firstColumn = 1, lastColumn = 1;

    bool joined() const { return firstRow != lastRow || firstColumn != lastColumn; }
    // The cell of the 3 x 3 that holds a latitude and longitude, or -1.
    int CellAt(double latitude, double longitude) const;
};

// Where the opened tile lies on `grid`, drawn with `params`: all of it when
// the tile is alone.
struct GridRect {
    int column = 0;
    int row = 0;
    int columns = 0;
    int rows = 0;
};
GridRect OpenedTileRect(const RenderParams& params, const TileInfo& grid);

// `path` as the opened tile at `cell`, and the tiles beside it in the same
// folder: found by name, and kept only where their georeferencing (if any)
// agrees. The first by path wins where a folder holds two for one cell.
// `stop` is asked while the neighbours' zips are looked into. A neighbour
// refused when opened leaves its cell empty, with a note in `notes`.
TileSet FindTileSet(const std::string& path, const TileCell& cell, const StopRequest& stop = {},
    std::vector<LoadNote>* notes = nullptr);

// `path` as the opened tile at `cell`, alone: a set of one.
TileSet LoneTileSet(const std::string& path, const TileCell& cell);
