#pragma once
// A tile joined with the neighbours found beside it in its folder: up to
// 3 x 3 one-degree cells drawn as one landscape.

#include <array>
#include <memory>
#include <string>

#include "elevation/tilename.h"
#include "elevation/tilereader.h"

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
    int cellAt(double latitude, double longitude) const;
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
TileSet FindTileSet(const std::string& path, const TileCell& cell);

// The whole load of the tile at `path` joined with its neighbours (none when
// `single`). A tile alone loads as LoadLocatedTile does, in place when `terrain`
// holds one tile's buffers; a joined set loads into new buffers. Either way
// `terrain`, `params`, `view` and `set` change only on success. A neighbour
// that cannot be read stays sea level, like a cell without a tile.
// With `levelsLater`, a joined set's reduced levels are left for
// BuildReliefLevels: untouched, their pages take no memory, so a set loaded
// while another is drawn need not hold both sets' levels at once.
TileError LoadTileSetInto(const std::string& path, bool single, std::unique_ptr<Terrain>& terrain, RenderParams& params,
    Viewpoint& view, TileSet& set, LoadListener& listener, bool levelsLater = false);
