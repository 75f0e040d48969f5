#include "tests/support/tileload.h"

#include "elevation/productreader.h"
#include "elevation/tilename.h"
#include "elevation/tileset.h"

TileError LoadTileInto(
    const std::string& path, Terrain& terrain, RenderParams& params, Viewpoint& view, LoadListener& listener)
{
    if (!IsSupportedTileName(path))
        return TileError::NotATileName;
    ProductFile file(path);
    TileCell cell;
    if (const TileError error = LocateTile(path, file, cell); error != TileError::None)
        return error;
    listener.report = {};
    return LoadSetInto(LoneTileSet(path, cell), file, terrain, params, view, listener);
}
