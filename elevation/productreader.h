#pragma once
// Opens the elevation products besides ASTER's (SRTM and NASADEM .hgt, plain
// or zipped; Copernicus DEM; ALOS World 3D; any GeoTIFF of one whole cell)
// and brings their samples onto the one-arc-second grid the passes read.
// Plain ASTER tiles go to the fast reader in asterreader.cpp untouched.

#include <memory>
#include <string>

#include "elevation/asterreader.h"
#include "elevation/tilename.h"

class ProductFile {
public:
    // Looks at the file's type, contents and georeferencing without reading
    // its samples: cheap enough to come before the loading window shows.
    // `stop` is asked while a zip's directory is read; true leaves the file
    // refused as Cancelled.
    explicit ProductFile(const std::string& path, const StopRequest& stop = {});
    ~ProductFile();
    ProductFile(const ProductFile&) = delete;
    ProductFile& operator=(const ProductFile&) = delete;

    // Neither a layout the reader knows nor a name that says ASTER.
    bool Unrecognised() const;
    // Opened, but refused (or not yet readable): the reason.
    TileError Error() const;
    // The cell from the file's georeferencing, when it has one.
    bool Located() const;
    const TileCell& Cell() const;
    // A GeoTIFF with neither georeferencing nor a usable name has no position
    // to be given; a file whose name alone is wrong is not a tile at all.
    bool IsRaster() const;
    // The name of the elevation file inside a zip, for a position from it.
    const std::string& InnerName() const;

    // Fills rows 0..3600 with one sample every arc-second from the cell's
    // north-west corner, voids as voidrule.h has them. A file without one
    // valid height is refused as NoValidHeights.
    TileError Read(SampleGrid& grid, const StopRequest& stop);
    // The samples of the last read that were voids, the file's own markers
    // among them: counted in the file's samples, before any interpolation.
    uint64_t VoidSamples() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};
