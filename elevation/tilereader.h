#pragma once
// What places an elevation tile: the name test, the geographic frame from
// the name or the file, the render parameters and start view it gives, and
// what a load tells its listener. The load itself is in landscapeload.h.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// A substitution a load made (LoadNoteMessage gives its text).
struct LoadNote {
    LoadNoteKind kind;
    int cell;  // of the 3 x 3 around the opened tile, row-major from the north-west
    std::string file;
    TileError why = TileError::None;  // the file's refusal, where one made the note
};

// What a load found besides its result, for the viewer's status line and
// the tool's messages.
struct LoadReport {
    // Samples of the tiles read that are voids: the products' markers, a
    // file's own no-data value, and values out of any land's range or no
    // number at all (voidrule.h).
    uint64_t voidSamples = 0;
    std::vector<LoadNote> notes;
};

// What the loading window hears of a load.
struct LoadListener {
    virtual ~LoadListener() = default;
    virtual void Started() { }  // the name passed; the work begins
    virtual void Progressed(int) { }  // the progress counter's new value
    // Asked at every step of a load (pieces of each read, stretches of rows
    // of each pass); true stops the load. The load may be on a thread of
    // its own.
    virtual bool Cancelled() { return false; }

    // Filled in by the load, from empty: read it once the load has returned.
    LoadReport report;
};

struct TileCell;
class ProductFile;
// Where `file` (opened from `path`) lies: from its georeferencing where it
// has one, otherwise from the name; or why it is refused.
TileError LocateTile(const std::string& path, const ProductFile& file, TileCell& cell);
GeoCentre CentreOf(const TileCell& cell);
// The render parameters of the grid in tileInfo as one tile centred on `centre`.
void FillRenderParams(RenderParams& params, const GeoCentre& centre, const TileInfo& tileInfo);
