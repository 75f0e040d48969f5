#pragma once
// The one load of a landscape: the tiles of a set (a tile alone being a set
// of one) read band by band, resampled east-west, sharpened and drawn as
// relief, with the render parameters and the start view that go with them.

#include <memory>
#include <string>

#include "elevation/loadreport.h"
#include "elevation/terrain.h"
#include "elevation/tileplace.h"

struct TileSet;
class ProductFile;
class TerrainArena;

// The buffers a set's load fills: one tile's (Terrain()) for a set of one.
GridShape LandscapeShape(const TileSet& set);

// `set`, whose opened tile is `opened`, loaded into `terrain`, which has
// LandscapeShape(set). A set of one fills one tile's buffers in place: its
// read lands in incomingGrid, swapped into sourceGrid once whole, so a
// refused or stopped read leaves everything as it was; from then on the
// load goes to the end. A joined set's buffers are the load's own, and it can
// be stopped at any step. `params` and `view` change only on success. What
// the load finds besides is added to listener.report.
TileError LoadSetInto(const TileSet& set, ProductFile& opened, Terrain& terrain, RenderParams& params, Viewpoint& view,
    LoadListener& listener);

// The whole load of the tile at `path` joined with its neighbours (none when
// `single`), as LoadSetInto: in place when `terrain` holds one tile's buffers
// and the set is of one, otherwise into new buffers that replace `terrain`
// on success. Either way `terrain`, `params`, `view` and `set` change only on
// success. A neighbour that cannot be read stays sea level, like a cell
// without a tile. listener.report starts empty and tells what was found.
// With an `arena`, a joined set's new buffers come from it when it keeps some
// of the same shape, and the buffers replaced go back to it.
TileError LoadTileSetInto(const std::string& path, bool single, std::unique_ptr<Terrain>& terrain, RenderParams& params,
    Viewpoint& view, TileSet& set, LoadListener& listener, TerrainArena* arena = nullptr);
