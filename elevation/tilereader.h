#pragma once
// Turns one elevation tile file into the terrain: name test, geographic
// frame from the name, then the whole load (samples, east-west resampling,
// sharpening, relief pictures, render parameters and the start view).

#include <string>
#include <string_view>

#include "core/viewrecords.h"
#include "elevation/terrain.h"
#include "elevation/tileerror.h"
#include "relief/relief.h"

// ASTER's marker, "_dem.tif", anywhere in the path, in any case. The loader
// takes more products (IsSupportedTileName in tilename.h).
bool PassesNameTest(std::string_view path);

struct GeoCentre {
    double centreLat;
    double centreLon;
};
// The centre of the one-degree cell whose south-west corner the name gives:
// the first latitude-longitude group anywhere in the file name, or else
// whatever stands after the first underscore.
GeoCentre GeoCentreFromName(std::string_view path);

// The start view of a tile: a quarter degree south of its centre, looking
// north, 1000 m up.
void ResetViewpoint(Viewpoint& view, const GeoCentre& centre);

// What the loading window hears of a load.
struct LoadListener {
    virtual ~LoadListener() = default;
    virtual void started() { }  // the name passed; the work begins
    virtual void progressed(int) { }  // the progress counter's new value
    // Asked while the file is read, the one part of a load that can take
    // long (a slow disk, a heavily compressed file); true stops the load.
    virtual bool cancelled() { return false; }
};

struct TileCell;
class ProductFile;
// Where `file` (opened from `path`) lies: from its georeferencing where it
// has one, otherwise from the name; or why it is refused.
TileError LocateTile(const std::string& path, const ProductFile& file, TileCell& cell);
GeoCentre CentreOf(const TileCell& cell);
// The render parameters of the grid in tileInfo as one tile centred on `centre`.
void FillRenderParams(RenderParams& params, const GeoCentre& centre, const TileInfo& tileInfo);
// The relief pictures of one tile's terrain.heightGrid: colours, shading, the
// three reduced levels and the map. passStep follows each whole pass, rowStep
// runs within the shading.
void BuildRelief(Terrain& terrain, const ProgressStep& passStep, const ProgressStep& rowStep);
// The three reduced levels alone, from the relief.
void BuildReliefLevels(Terrain& terrain, const ProgressStep& passStep);

// The whole load of `file`, of any product ProductFile opens, opened and
// placed by LocateTile. On any refusal nothing of terrain, params or view
// changes.
TileError LoadLocatedTile(ProductFile& file, const TileCell& cell, Terrain& terrain, RenderParams& params,
    Viewpoint& view, LoadListener& listener);
