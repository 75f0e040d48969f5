#pragma once
// Where an elevation tile lies: its cell from its georeferencing or its
// name, and the render parameters and start view a tile there gives.

#include <string>

#include "core/viewrecords.h"
#include "elevation/tileerror.h"
#include "relief/relief.h"

struct GeoCentre {
    double centreLat;
    double centreLon;
};

// The start view of a tile: a quarter degree south of its centre, looking
// north, 1000 m up.
void ResetViewpoint(Viewpoint& view, const GeoCentre& centre);

struct TileCell;
class ProductFile;
// Where `file` (opened from `path`) lies: from its georeferencing where it
// has one, otherwise from the name; or why it is refused.
TileError LocateTile(const std::string& path, const ProductFile& file, TileCell& cell);
GeoCentre CentreOf(const TileCell& cell);
// The render parameters of the grid in tileInfo as one tile centred on `centre`.
void FillRenderParams(RenderParams& params, const GeoCentre& centre, const TileInfo& tileInfo);
