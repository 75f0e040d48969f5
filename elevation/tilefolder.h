#pragma once
// A folder given where a tile is expected (dropped, on the command line):
// the tile of it to open.

#include <string>
#include <vector>

#include "elevation/tilename.h"

struct FolderTile {
    std::string path;
    TileCell cell;
};
// The regular files in `folder` whose names give a cell on the globe and
// name a product the reader takes, sorted by path. Names only: nothing is
// opened.
std::vector<FolderTile> TilesInFolder(const std::string& folder);

// Of the tiles in `folder` whose names give their cell, the one nearest the
// middle of all their cells (ties to the first name) that opens without a
// refusal, or the nearest when none does; empty when the folder holds none.
std::string TileNearestFolderMiddle(const std::string& folder);

// `path` itself, or for a folder the tile TileNearestFolderMiddle picks
// (the folder itself when it holds none, to be refused as it is).
std::string TileToOpen(const std::string& path);
