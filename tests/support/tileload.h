#pragma once
// One file loaded by its name alone, as the viewer loads a tile without its
// neighbours: for the tests, benchmarks and fuzzers that want a tile and
// nothing more.

#include <string>

#include "elevation/landscapeload.h"

// The whole load, of any product ProductFile opens. The position comes from
// the file's georeferencing where it has one, otherwise from the name. On
// any refusal nothing of terrain, params or view changes.
TileError LoadTileInto(
    const std::string& path, Terrain& terrain, RenderParams& params, Viewpoint& view, LoadListener& listener);
