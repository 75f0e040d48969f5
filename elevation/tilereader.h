#pragma once
// Turns one elevation tile file into the terrain: name test, samples,
// geographic frame from the name, east-west resampling, sharpening, relief
// pictures, render parameters and the start view.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/viewrecords.h"
#include "elevation/checkedfile.h"
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

// Reads the 3601 x 3601 samples, row 0 north, into grid rows 0..3600, from
// a regular file only. A file with a TIFF signature is read as a TIFF or
// refused; any other file as 8 header bytes and the samples.
// On failure the grid may hold part of the file. `stop` is asked between
// pieces of the read (rows or TIFF tiles); true ends it as Cancelled.
using StopRequest = std::function<bool()>;
TileError ReadSamples(const std::string& path, SampleGrid& grid, const StopRequest& stop = {});
// The same read of a file already opened and checked.
TileError ReadSamples(const CheckedFile& file, SampleGrid& grid, const StopRequest& stop = {});

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

// Resampling positions, and the spline's fraction, carry 10 fraction bits.
inline constexpr int kSplineFractionBits = 10;

// The Catmull-Rom spline through p0..p3 at t / 1024 (0 <= t < 1024) between
// p1 and p2, in integers (not yet limited to the 16-bit range). The taps are
// 16-bit heights: |a t + b| <= 48 x 32768 at any t, so every intermediate
// below fits 32 bits. Value is int32_t, or a vector of them that evaluates
// several splines at once.
template <class Value> constexpr Value CatmullRom(Value p0, Value p1, Value p2, Value p3, Value t)
{
    const Value a = 4 * (-p0 + 3 * p1 - 3 * p2 + p3);
    const Value b = 4 * (2 * p0 - 5 * p1 + 4 * p2 - p3);
    const Value c = 4 * (p2 - p0);
    Value v = (a * t) >> kSplineFractionBits;
    v = ((v + b) * t) >> kSplineFractionBits;
    v = ((v + c) * t) >> kSplineFractionBits;
    return (v + 8 * p1) >> 3;
}

// n = trunc(3600 cos(centreLat)): a resampled row's last column.
int32_t ResampledLastColumn(double centreLat);
// Resamples every row to width n + 1 into both grids. Returns the new width.
int32_t ResampleEastWest(
    double centreLat, const SampleGrid& source, SampleGrid& resampled, SampleGrid& height, const ProgressStep& step);
// The same resampling across a band of tiles side by side, west to east (null
// where a cell has no tile): n + 1 samples per tile, written into rows
// row .. row + 3600 of `out`. The positions run on across the tiles' edges,
// so that a ridge crossing one keeps its shape.
void ResampleBandInto(double centreLat, const std::vector<const SampleGrid*>& band, SampleGrid& out, int row);
void Sharpen(const SampleGrid& resampled, SampleGrid& height, int32_t width, int32_t rows, const ProgressStep& step);
// Sharpen with `grid` as both input and output, needing no second grid.
void SharpenInPlace(SampleGrid& grid, int32_t width, int32_t rows);

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
