#pragma once
// Reads ASTER's layouts: 3601 x 3601 16-bit samples as a TIFF (strips,
// tiles, compressed or not) through libtiff, or raw after 8 header bytes;
// and what libtiff alone tells of a TIFF's georeferencing.

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/raster.h"
#include "elevation/checkedfile.h"
#include "elevation/tileerror.h"

// Reads the 3601 x 3601 samples, row 0 north, into grid rows 0..3600, from
// a regular file only. A file with a TIFF signature is read as a TIFF or
// refused; any other file as 8 header bytes and the samples.
// On failure the grid may hold part of the file. `stop` is asked between
// pieces of the read (rows or TIFF tiles); true ends it as Cancelled.
using StopRequest = std::function<bool()>;
TileError ReadSamples(const std::string& path, SampleGrid& grid, const StopRequest& stop = {});
// The same read of a file already opened and checked.
TileError ReadSamples(const CheckedFile& file, SampleGrid& grid, const StopRequest& stop = {});

// The no-data value GDAL writes into a TIFF's GDAL_NODATA tag, if any.
std::optional<double> ReadTiffNoData(const CheckedFile& file);

// The largest block of a TIFF that GDAL is let read.
inline constexpr int kMaxBlockSide = 4096;

// What libtiff alone tells of a TIFF's georeferencing.
struct TiffGeoreferencing {
    enum class Kind {
        None,  // none of the tags a position is taken from
        // One tie point and a pixel scale on WGS 84 latitude and longitude,
        // over one band of 16-bit integers in blocks of at most 4096 a side.
        PlainGeographic,
        Other,  // anything else, or a file libtiff cannot read
    };
    Kind kind = Kind::Other;
    std::array<double, 6> transform{};  // PlainGeographic: as GDAL's geotransform
    int width = 0;
    int height = 0;
};
TiffGeoreferencing ReadTiffGeoreferencing(const CheckedFile& file);
