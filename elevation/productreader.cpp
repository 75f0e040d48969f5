#include "elevation/productreader.h"

#include "elevation/cellresample.h"
#include "elevation/gdallibrary.h"
#include "elevation/voidrule.h"
#include "elevation/ziplisting.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kSamples = kTileSamples;
// The 1" and 3" layouts of SRTM and NASADEM .hgt files.
constexpr std::array<int, 2> kHgtSides = {kTileSamples, 1201};
// No product is finer than one arc-second, so nothing larger is a tile; the
// bound keeps GDAL from decoding huge rasters out of damaged or hostile files.
constexpr int kMaxSide = kTileSamples;
constexpr int kRowsPerRead = 256;
// Arc-seconds per degree.
constexpr double kArcSeconds = 3600;

enum class Kind {
    Unrecognised,
    Failed,  // Error() says why
    FastReader,  // ASTER's layouts: asterreader.cpp's ReadSamples
    Hgt,
    ZippedHgt,
    GdalRaster,
};

bool EndsWithNoCase(const std::string& text, const char* ending)
{
    const std::size_t n = std::char_traits<char>::length(ending);
    return text.size() >= n && EQUAL(text.c_str() + text.size() - n, ending);
}

bool IsHgtEntry(std::string_view name)
{
    return EndsWithNoCase(std::string(name), ".hgt");
}

int HgtSide(uint64_t bytes)
{
    for (const int side : kHgtSides)
        if (bytes == uint64_t(side) * uint64_t(side) * 2)
            return side;
    return 0;
}

// The WGS 84 ellipsoid, or GRS 80, which differs from it by a tenth of a
// millimetre: latitudes and longitudes on either mean the same place.
bool GeographicWgs84(const GdalLibrary& gdal, OGRSpatialReferenceH srs)
{
    OGRErr error = OGRERR_NONE;
    return srs && gdal.OSRIsGeographic(srs) && std::abs(gdal.OSRGetSemiMajor(srs, &error) - 6378137.0) < 1 &&
        error == OGRERR_NONE;
}

// One axis of a raster georeferenced from `origin` (an outer edge of the
// first sample) in steps of `step` degrees: the whole-degree edge of the cell
// it covers, nearest the origin, or false when it does not cover one whole
// cell. A raster may overhang the cell by up to one sample on either side:
// ASTER's sample centres lie on the cell's edges.
bool CellEdge(double origin, double step, int count, long& edge)
{
    const double far = origin + step * count;
    const double middle = (origin + far) / 2;
    const double near = step > 0 ? std::round(middle - 0.5) : std::round(middle + 0.5);
    const double reach = std::abs(step) * 1.01;
    if (!(std::abs(origin - near) <= reach && std::abs(far - (near + (step > 0 ? 1 : -1))) <= reach))
        return false;
    edge = long(near);
    return true;
}

// Where a raster's samples stand relative to the cell's edge, in arc-seconds.
SampleAxis AxisFrom(double origin, double step, int count, long edge)
{
    const double first = (origin + step / 2 - double(edge)) * kArcSeconds;
    return {step > 0 ? first : -first, std::abs(step) * kArcSeconds, count};
}

bool IsIdentity(const SampleAxis& axis)
{
    return axis.count == kSamples && std::abs(axis.first) < 1e-3 && std::abs(axis.step - 1) < 1e-6;
}

int16_t BigEndianAt(const unsigned char* bytes)
{
    return static_cast<int16_t>(uint16_t(bytes[0]) << 8 | bytes[1]);
}

}  // namespace

struct ProductFile::State {
    std::string path;
    Kind kind = Kind::Unrecognised;
    TileError error = TileError::None;
    bool located = false;
    TileCell cell;
    std::string innerName;
    std::string innerPath;  // of the .hgt inside a zip, for VSI
    int hgtSide = 0;
    CheckedFile file;
    const GdalLibrary* gdal = nullptr;  // loaded by the products that need it
    GDALDatasetH dataset = nullptr;
    SourceRaster raster;  // where the samples stand; read later
    uint64_t voids = 0;  // in the last read
    bool gdalMissing = false;  // a georeferenced TIFF left to the fast reader for want of GDAL

    void Fail(TileError why)
    {
        kind = Kind::Failed;
        error = why;
    }
    // GDAL opens the checked file through its descriptor: the name could
    // have been swapped for a FIFO since, whose open would wait forever.
    std::string DescriptorPath() const { return "/proc/self/fd/" + std::to_string(file.Descriptor()); }
    void Open(const std::string& name, const StopRequest& stop);
    bool PlacedWithoutGdal();
    TileError PlaceOnCell(const std::array<double, 6>& transform, int width, int height);
    void LookAtTiff();
    void LookAtZip(const StopRequest& stop);
    TileError ReadHgt(SampleGrid& grid, const StopRequest& stop);
    TileError ReadGdal(const StopRequest& stop);
    TileError ReadFast(SampleGrid& grid, const StopRequest& stop);
};

/* The cell a raster covers and where its samples stand in it, from GDAL's
 * geotransform: UnsupportedFormat for a rotated or south-up raster, WrongSize
 * for one that does not cover one whole cell. */
TileError ProductFile::State::PlaceOnCell(const std::array<double, 6>& transform, int width, int height)
{
    if (transform[2] != 0 || transform[4] != 0 || !(transform[1] > 0) || !(transform[5] < 0))
        return TileError::UnsupportedFormat;
    if (width < 2 || height < 2 || width > kMaxSide || height > kMaxSide ||
        !CellEdge(transform[0], transform[1], width, cell.lon) ||
        !CellEdge(transform[3], transform[5], height, cell.lat))
        return TileError::WrongSize;
    cell.lat -= 1;  // the south-west corner: the north edge less one degree
    raster.columns = AxisFrom(transform[0], transform[1], width, cell.lon);
    raster.rows = AxisFrom(transform[3], transform[5], height, cell.lat + 1);
    return TileError::None;
}

/* libtiff alone tells what GDAL would of the commonest tiles: one named for
 * its cell without georeferencing tags (GDAL finds no position in it), and an
 * ASTER tile georeferenced plainly on latitude and longitude. GDAL, and the
 * ninety-odd libraries it brings, is then not loaded. */
bool ProductFile::State::PlacedWithoutGdal()
{
    const TiffGeoreferencing georeferencing = ReadTiffGeoreferencing(file);
    switch (georeferencing.kind) {
    case TiffGeoreferencing::Kind::None: return CellFromName(path).found;
    case TiffGeoreferencing::Kind::Other: return false;
    case TiffGeoreferencing::Kind::PlainGeographic: break;
    }
    if (PlaceOnCell(georeferencing.transform, georeferencing.width, georeferencing.height) != TileError::None ||
        !IsIdentity(raster.columns) || !IsIdentity(raster.rows)) {
        // Left to GDAL, which places the file afresh, or not at all.
        cell = {};
        raster = {};
        return false;
    }
    located = true;
    return true;
}

void ProductFile::State::LookAtTiff()
{
    // Whatever GDAL cannot open or place is left to the fast reader, which
    // tells a cut-short file from a damaged one and reads plain ASTER tiles.
    kind = Kind::FastReader;
    if (PlacedWithoutGdal())
        return;
    gdal = Gdal();
    gdalMissing = !gdal;
    if (!gdal)
        return;
    const char* const drivers[] = {"GTiff", nullptr};
    dataset = gdal->GDALOpenEx(DescriptorPath().c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers, nullptr, nullptr);
    if (!dataset)
        return;
    std::array<double, 6> transform{};
    if (gdal->GDALGetGeoTransform(dataset, transform.data()) != CE_None || !gdal->GDALGetSpatialRef(dataset))
        return;
    located = true;
    if (!GeographicWgs84(*gdal, gdal->GDALGetSpatialRef(dataset)))
        return Fail(TileError::UnsupportedFormat);
    if (const TileError misplaced =
            PlaceOnCell(transform, gdal->GDALGetRasterXSize(dataset), gdal->GDALGetRasterYSize(dataset));
        misplaced != TileError::None)
        return Fail(misplaced);
    if (gdal->GDALGetRasterCount(dataset) != 1)
        return Fail(TileError::UnsupportedFormat);
    GDALRasterBandH band = gdal->GDALGetRasterBand(dataset, 1);
    const GDALDataType type = gdal->GDALGetRasterDataType(band);
    if (type != GDT_Int16 && type != GDT_UInt16 && type != GDT_Float32)
        return Fail(TileError::UnsupportedFormat);
    int blockWidth = 0, blockHeight = 0;
    gdal->GDALGetBlockSize(band, &blockWidth, &blockHeight);
    if (blockWidth < 1 || blockHeight < 1 || blockWidth > kMaxBlockSide || blockHeight > kMaxBlockSide)
        return Fail(TileError::UnsupportedFormat);
    // An ASTER tile with its georeferencing: samples already on the grid.
    const bool aster = type != GDT_Float32 && IsIdentity(raster.columns) && IsIdentity(raster.rows);
    kind = aster ? Kind::FastReader : Kind::GdalRaster;
}

// The zip's own directory says which entry holds the samples; GDAL reads it.
void ProductFile::State::LookAtZip(const StopRequest& stop)
{
    ZipEntry entry;
    if (const TileError unlisted = FindZipEntry(file, IsHgtEntry, entry, stop); unlisted != TileError::None)
        return Fail(unlisted);
    if (entry.encrypted)
        return Fail(TileError::EncryptedZip);
    gdal = Gdal();
    if (!gdal)
        return Fail(TileError::NeedsGdal);
    kind = Kind::ZippedHgt;
    innerName = FileNameOf(entry.name);
    innerPath = "/vsizip/{" + DescriptorPath() + "}/" + entry.name;
    hgtSide = HgtSide(entry.size);
    if (hgtSide == 0)
        Fail(TileError::WrongSize);
}

ProductFile::ProductFile(const std::string& path, const StopRequest& stop) : state_(std::make_unique<State>())
{
    state_->Open(path, stop);
}

void ProductFile::State::Open(const std::string& name, const StopRequest& stop)
{
    State& s = *this;
    s.path = name;
    s.file = CheckedFile(name);
    if (s.file.Error() != TileError::None)
        return s.Fail(s.file.Error());
    const FileSignature signature = ReadSignature(s.file);
    const bool tiff = signature == FileSignature::Tiff || signature == FileSignature::BigTiff;
    const bool zip = signature == FileSignature::Zip;
    if (tiff)
        return s.LookAtTiff();
    if (zip)
        return s.LookAtZip(stop);
    s.hgtSide = HgtSide(uint64_t(s.file.Size()));
    if (s.hgtSide != 0)
        s.kind = Kind::Hgt;
    else if (IsHgtName(name))
        s.Fail(TileError::WrongSize);  // no header: the size is all an .hgt has
    else if (PassesNameTest(name))
        s.kind = Kind::FastReader;  // ASTER's raw layout, or what is left of one
}

ProductFile::~ProductFile()
{
    if (state_->dataset)
        state_->gdal->GDALClose(state_->dataset);
}

bool ProductFile::Unrecognised() const
{
    return state_->kind == Kind::Unrecognised;
}

TileError ProductFile::Error() const
{
    return state_->error;
}

bool ProductFile::Located() const
{
    return state_->located && state_->kind != Kind::Failed;
}

const TileCell& ProductFile::Cell() const
{
    return state_->cell;
}

bool ProductFile::IsRaster() const
{
    return state_->dataset != nullptr;
}

const std::string& ProductFile::InnerName() const
{
    return state_->innerName;
}

/* A one-arc-second file's samples already stand on the grid: they go
 * straight into it, voids marked as the interpolation marks them. A
 * three-arc-second one is read as floats for the interpolation. */
TileError ProductFile::State::ReadHgt(SampleGrid& grid, const StopRequest& stop)
{
    const std::size_t side = std::size_t(hgtSide), rowBytes = side * 2;
    const bool onGrid = hgtSide == kSamples;
    VSILFILE* zipped = innerPath.empty() ? nullptr : gdal->VSIFOpenL(innerPath.c_str(), "rb");
    if (!innerPath.empty() && !zipped)
        return TileError::TooShort;
    std::vector<unsigned char> row(rowBytes);
    if (!onGrid)
        raster.samples.resize(side * side);
    TileError result = TileError::None;
    for (std::size_t r = 0; r < side && result == TileError::None; ++r) {
        if (stop && stop()) {
            result = TileError::Cancelled;
            break;
        }
        const bool ok = zipped
            ? gdal->VSIFReadL(row.data(), 1, rowBytes, zipped) == rowBytes
            : ReadAt(file.Descriptor(), row.data(), rowBytes, off_t(r * rowBytes)) == ssize_t(rowBytes);
        if (!ok)
            result = TileError::TooShort;
        if (onGrid) {
            int16_t* out = grid[int(r)];
            for (std::size_t c = 0; c < side; ++c)
                out[c] = BigEndianAt(&row[2 * c]);
        } else {
            for (std::size_t c = 0; c < side; ++c)
                raster.samples[r * side + c] = BigEndianAt(&row[2 * c]);
        }
    }
    if (zipped)
        gdal->VSIFCloseL(zipped);
    // Sample centres on whole arc-seconds from the corner, both sizes.
    const double step = kArcSeconds / double(side - 1);
    raster.columns = raster.rows = SampleAxis{0, step, hgtSide};
    if (result == TileError::None)
        voids = onGrid ? MarkGridVoids(grid, {}) : MarkVoids(raster.samples, {});
    return result;
}

TileError ProductFile::State::ReadGdal(const StopRequest& stop)
{
    GDALRasterBandH band = gdal->GDALGetRasterBand(dataset, 1);
    const int width = raster.columns.count, height = raster.rows.count;
    raster.samples.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; y += kRowsPerRead) {
        if (stop && stop())
            return TileError::Cancelled;
        const int rows = std::min(kRowsPerRead, height - y);
        if (gdal->GDALRasterIO(band, GF_Read, 0, y, width, rows, &raster.samples[std::size_t(y) * std::size_t(width)],
                width, rows, GDT_Float32, 0, 0) != CE_None)
            return TileError::TooShort;
    }
    int hasNoData = 0;
    const double noData = gdal->GDALGetRasterNoDataValue(band, &hasNoData);
    voids = MarkVoids(raster.samples, hasNoData ? std::optional(noData) : std::nullopt);
    return TileError::None;
}

TileError ProductFile::State::ReadFast(SampleGrid& grid, const StopRequest& stop)
{
    const TileError result = ReadSamples(file, grid, stop);
    if (result == TileError::None)
        voids = MarkGridVoids(grid, ReadTiffNoData(file));
    // Not ASTER's layout: GDAL would have read it, had it been installed.
    if (gdalMissing && (result == TileError::WrongShape || result == TileError::UnsupportedSampleFormat))
        return TileError::NeedsGdal;
    return result;
}

TileError ProductFile::Read(SampleGrid& grid, const StopRequest& stop)
{
    State& s = *state_;
    s.voids = 0;
    TileError result = TileError::None;
    switch (s.kind) {
    case Kind::Unrecognised: return TileError::NotATileName;
    case Kind::Failed: return s.error;
    case Kind::FastReader: result = s.ReadFast(grid, stop); break;
    case Kind::Hgt:
    case Kind::ZippedHgt: result = s.ReadHgt(grid, stop); break;
    case Kind::GdalRaster: result = s.ReadGdal(stop); break;
    }
    const uint64_t samples =
        s.raster.samples.empty() ? uint64_t(kSamples) * uint64_t(kSamples) : uint64_t(s.raster.samples.size());
    if (result == TileError::None && s.voids == samples)
        result = TileError::NoValidHeights;
    if (result == TileError::None && !s.raster.samples.empty())
        FillCellGrid(s.raster, grid);
    s.raster.samples = {};
    return result;
}

uint64_t ProductFile::VoidSamples() const
{
    return state_->voids;
}
