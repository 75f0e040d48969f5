// The spline's 32-byte vectors pass only between functions of this file,
// inlined into one build or the other, so the ABI note on them is moot.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "elevation/tilereader.h"

#include "core/avx2clone.h"
#include "core/geometry.h"
#include "core/leadinginteger.h"
#include "core/rowbands.h"
#include "core/workerpool.h"
#include "elevation/checkedfile.h"
#include "elevation/productreader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <sys/uio.h>
#include <tiffio.h>

namespace {

constexpr int kSamples = kTileSamples;
constexpr int kHeaderBytes = 8;
constexpr off_t kSampleBytes = off_t(kSamples) * kSamples * 2;

// The tags GDAL takes a geotransform from.
constexpr uint32_t kPixelScaleTag = 33550;
constexpr uint32_t kIntergraphMatrixTag = 33920;
constexpr uint32_t kTiePointTag = 33922;
constexpr uint32_t kTransformationTag = 34264;
constexpr uint32_t kGeoKeyDirectoryTag = 34735;
constexpr uint32_t kGeoDoubleParamsTag = 34736;
constexpr std::array<uint32_t, 5> kGeoreferencingTags = {
    kPixelScaleTag, kIntergraphMatrixTag, kTiePointTag, kTransformationTag, kGeoKeyDirectoryTag};
constexpr int kFracBits = kSplineFractionBits;
constexpr int kFracOne = 1 << kFracBits;
// Tiles mark missing samples with -9999 or -32768; no real height is this low.
constexpr int kNoDataBelow = -1000;
constexpr int kHeightMax = INT16_MAX;

char Upper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// libtiff may read no more than this of one file, nor allocate more at once:
// a whole tile's samples as the least compact real files hold them (LZW grows
// noisy data by up to half, edge tiles are padded), plus room for the
// directory and its tags. Only a damaged directory asks for more.
constexpr int64_t kTiffReadBudget = 2 * int64_t(kSampleBytes) + (int64_t(16) << 20);

void ToHostOrder(int16_t* samples, int count)
{
    if constexpr (std::endian::native == std::endian::big) {
        for (int i = 0; i < count; ++i)
            samples[i] = static_cast<int16_t>(__builtin_bswap16(static_cast<uint16_t>(samples[i])));
    }
}

// The layout the viewer was first written for: 8 header bytes, then the
// samples, little-endian, row 0 north.
TileError ReadRawSamples(int fd, off_t size, SampleGrid& grid, const StopRequest& stop)
{
    if (size < kHeaderBytes + kSampleBytes)
        return TileError::TooShort;
    constexpr std::size_t kRowBytes = kSamples * 2;
    for (int r = 0; r < kSamples; ++r) {
        if (stop && stop())
            return TileError::Cancelled;
        const off_t offset = kHeaderBytes + off_t(r) * off_t(kRowBytes);
        if (ReadAt(fd, grid[r], kRowBytes, offset) != ssize_t(kRowBytes))
            return TileError::TooShort;
        ToHostOrder(grid[r], kSamples);
    }
    return TileError::None;
}

// libtiff refused a file that begins like a TIFF. A first directory that
// starts beyond the end means the file was cut short, as by an interrupted
// download; otherwise the directory itself is damaged.
TileError RefusedTiffError(int fd, off_t size, FileSignature signature)
{
    const bool bigTiff = signature == FileSignature::BigTiff;
    const std::size_t offsetAt = bigTiff ? 8 : 4, offsetBytes = bigTiff ? 8 : 4;
    std::array<unsigned char, 16> header{};
    if (ReadAt(fd, header.data(), offsetAt + offsetBytes, 0) != ssize_t(offsetAt + offsetBytes))
        return TileError::TooShort;
    const bool bigEndian = header[0] == 'M';
    uint64_t directory = 0;
    for (std::size_t i = 0; i < offsetBytes; ++i)
        directory = directory << 8 | header[offsetAt + (bigEndian ? i : offsetBytes - 1 - i)];
    const uint64_t countBytes = bigTiff ? 8 : 2;  // the directory's entry count
    return directory > uint64_t(size) || uint64_t(size) - directory < countBytes ? TileError::TooShort
                                                                                 : TileError::DamagedTiff;
}

// What libtiff reads of one file: through the descriptor that passed the
// type check, never mapped (a mapped file cut short under the reader kills the
// process), and within kTiffReadBudget.
struct TiffSource {
    int fd;
    off_t size;
    off_t position = 0;
    int64_t budget = kTiffReadBudget;
    bool overBudget = false;
};

tmsize_t TiffRead(thandle_t handle, void* buffer, tmsize_t bytes)
{
    TiffSource& source = *static_cast<TiffSource*>(handle);
    if (bytes < 0)
        return -1;
    if (bytes > source.budget) {
        source.overBudget = true;
        return -1;
    }
    const ssize_t got = ReadAt(source.fd, buffer, std::size_t(bytes), source.position);
    if (got < 0)
        return -1;
    source.position += got;
    source.budget -= got;
    return got;
}

tmsize_t TiffWrite(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence)
{
    TiffSource& source = *static_cast<TiffSource*>(handle);
    uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = uint64_t(source.position);
    else if (whence == SEEK_END)
        base = uint64_t(source.size);
    else if (whence != SEEK_SET)
        return toff_t(-1);
    // Wraps for a backward step, as lseek's signed offset would.
    const uint64_t target = base + offset;
    if (target > uint64_t(std::numeric_limits<off_t>::max()))
        return toff_t(-1);
    source.position = off_t(target);
    return target;
}

int TiffClose(thandle_t)
{
    return 0;
}

toff_t TiffSize(thandle_t handle)
{
    return toff_t(static_cast<TiffSource*>(handle)->size);
}

int TiffMap(thandle_t, void**, toff_t*)
{
    return 0;
}

void TiffUnmap(thandle_t, void*, toff_t)
{
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle OpenTiff(TiffSource& source)
{
    // libtiff's default handlers print to stderr; the caller reports what
    // matters to the user.
    static const bool quiet = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)quiet;
    const std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(
        TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(kTiffReadBudget));
    return TiffHandle(TIFFClientOpenExt(
        "", "rm", &source, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap, TiffUnmap, options.get()));
}

// One band of 16-bit integers, signed or unsigned: both are taken as heights
// bit for bit; half floats or untyped samples would turn into nonsense
// heights. With one sample per pixel the planar configuration makes no
// difference.
TileError CheckSampleType(TIFF* tiff)
{
    uint16_t bitsPerSample = 1, samplesPerPixel = 1, sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    if (bitsPerSample != 16 || samplesPerPixel != 1)
        return TileError::WrongShape;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    if (sampleFormat != SAMPLEFORMAT_INT && sampleFormat != SAMPLEFORMAT_UINT)
        return TileError::UnsupportedSampleFormat;
    return TileError::None;
}

TileError CheckTiffSamples(TIFF* tiff)
{
    uint32_t width = 0, length = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &length);
    if (width != kSamples || length != kSamples)
        return TileError::WrongShape;
    return CheckSampleType(tiff);
}

TileError ReadTiffStrips(TIFF* tiff, SampleGrid& grid, const StopRequest& stop)
{
    if (TIFFScanlineSize64(tiff) != kSamples * 2)
        return TileError::WrongShape;
    for (int r = 0; r < kSamples; ++r) {
        if (stop && stop())
            return TileError::Cancelled;
        if (TIFFReadScanline(tiff, grid[r], uint32_t(r), 0) < 0)
            return TileError::TooShort;
    }
    return TileError::None;
}

constexpr std::size_t kRowBytes = std::size_t(kSamples) * sizeof(int16_t);
// Rows read by one call, and between two asks whether to stop.
constexpr int kRowsPerRead = 256;

// Rows [first, first + count) of the grid, which the file holds one after
// another from `offset` on; count <= kRowsPerRead.
bool ReadContiguousRows(int fd, off_t offset, SampleGrid& grid, int first, int count)
{
    std::array<iovec, kRowsPerRead> parts;
    for (int i = 0; i < count; ++i)
        parts[std::size_t(i)] = {grid[first + i], kRowBytes};
    ssize_t got = 0;
    do
        got = ::preadv(fd, parts.data(), count, offset);
    while (got < 0 && errno == EINTR);
    if (got == ssize_t(kRowBytes) * count)
        return true;
    // A short read: row by row, each until it is whole or the file ends.
    for (int i = 0; i < count; ++i)
        if (ReadAt(fd, grid[first + i], kRowBytes, offset + off_t(i) * off_t(kRowBytes)) != ssize_t(kRowBytes))
            return false;
    return true;
}

// An uncompressed TIFF in the host's byte order holds the rows as the grid
// wants them: they are read straight into the grid, a batch at a time,
// rather than through libtiff's strip buffer row by row.
bool HoldsPlainRows(TIFF* tiff)
{
    uint16_t compression = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    return compression == COMPRESSION_NONE && !TIFFIsByteSwapped(tiff) && !TIFFIsTiled(tiff) &&
        TIFFScanlineSize64(tiff) == tmsize_t(kRowBytes);
}

// A run of rows that the file holds one after another.
struct RowRun {
    off_t offset = 0;
    int first = 0;
    int count = 0;
};

TileError ReadPlainRows(TIFF* tiff, int fd, SampleGrid& grid, const StopRequest& stop)
{
    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    const int stripRows = int(std::clamp<uint32_t>(rowsPerStrip, 1, kSamples));
    // The run from row r on, across strips where the file holds them one
    // after another, at most kRowsPerRead long; false where a strip is not
    // whole in the directory.
    auto runFrom = [&](int r, RowRun& run) {
        run = {0, r, 0};
        while (r < kSamples && run.count < kRowsPerRead) {
            const int strip = r / stripRows;
            const int stripEnd = std::min(kSamples, (strip + 1) * stripRows);
            int error = 0;
            const uint64_t offset = TIFFGetStrileOffsetWithErr(tiff, uint32_t(strip), &error);
            const uint64_t bytes = TIFFGetStrileByteCountWithErr(tiff, uint32_t(strip), &error);
            const uint64_t skipped = uint64_t(r - strip * stripRows) * kRowBytes;
            // An offset this far out cannot be read anyway; held below it,
            // no row's end overflows off_t.
            constexpr uint64_t kFarthest = uint64_t(std::numeric_limits<off_t>::max()) - kSamples * kRowBytes;
            if (error != 0 || bytes < uint64_t(stripEnd - strip * stripRows) * kRowBytes || offset > kFarthest)
                return false;
            const off_t at = off_t(offset + skipped);
            if (run.count == 0)
                run.offset = at;
            else if (at != run.offset + off_t(run.count) * off_t(kRowBytes))
                break;
            const int rows = std::min(stripEnd - r, kRowsPerRead - run.count);
            run.count += rows;
            r += rows;
        }
        return true;
    };
    // A run for each core at a time: copying from the page cache is the
    // whole cost, and the cores share it.
    WorkerPool& pool = WorkerPool::Shared();
    std::array<RowRun, kMaxBands> runs;
    std::array<bool, kMaxBands> whole{};
    for (int r = 0; r < kSamples;) {
        if (stop && stop())
            return TileError::Cancelled;
        int count = 0;
        for (; count < pool.threads() && r < kSamples; ++count) {
            if (!runFrom(r, runs[std::size_t(count)]))
                return TileError::TooShort;
            r += runs[std::size_t(count)].count;
        }
        pool.Run(count, [&](int i) {
            const RowRun& run = runs[std::size_t(i)];
            whole[std::size_t(i)] = ReadContiguousRows(fd, run.offset, grid, run.first, run.count);
        });
        if (!std::all_of(whole.begin(), whole.begin() + count, [](bool w) { return w; }))
            return TileError::TooShort;
    }
    return TileError::None;
}

TileError ReadTiffTiles(TIFF* tiff, SampleGrid& grid, const StopRequest& stop)
{
    uint32_t tileWidth = 0, tileLength = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength);
    const tmsize_t tileBytes = TIFFTileSize(tiff);
    // A tile never needs more room than the whole image rounded up to the
    // 16-sample grain of tile sizes; anything larger is a broken directory.
    // The sides are bounded before they are multiplied: the directory may
    // give each as much as 2^32 - 1.
    constexpr tmsize_t kMaxTileBytes = tmsize_t(kSamples + 16) * (kSamples + 16) * 2;
    if (tileWidth == 0 || tileLength == 0 || tileWidth > kMaxTileBytes / 2 / tileLength ||
        tileBytes != tmsize_t(tileWidth) * tileLength * 2)
        return TileError::WrongShape;

    std::vector<int16_t> buffer(std::size_t(tileBytes) / 2);
    for (uint32_t y = 0; y < uint32_t(kSamples); y += tileLength) {
        for (uint32_t x = 0; x < uint32_t(kSamples); x += tileWidth) {
            if (stop && stop())
                return TileError::Cancelled;
            if (TIFFReadEncodedTile(tiff, TIFFComputeTile(tiff, x, y, 0, 0), buffer.data(), tileBytes) != tileBytes)
                return TileError::TooShort;
            const uint32_t rows = std::min<uint32_t>(tileLength, kSamples - y);
            const uint32_t columns = std::min<uint32_t>(tileWidth, kSamples - x);
            for (uint32_t r = 0; r < rows; ++r)
                std::copy_n(buffer.data() + std::size_t(r) * tileWidth, columns, grid[int(y + r)] + x);
        }
    }
    return TileError::None;
}

int16_t Saturate(int64_t v)
{
    return static_cast<int16_t>(std::min<int64_t>(v, kHeightMax));
}

int32_t Tap(int16_t sample)
{
    return sample <= kNoDataBelow ? 0 : sample;
}

}  // namespace

bool PassesNameTest(std::string_view path)
{
    std::string upperPath(path);
    std::transform(upperPath.begin(), upperPath.end(), upperPath.begin(), Upper);
    return upperPath.find("_DEM.TIF") != std::string::npos;
}

GeoCentre GeoCentreFromName(std::string_view path)
{
    if (const NamedCell named = CellFromName(path); named.found)
        return {double(named.cell.lat) + 0.5, double(named.cell.lon) + 0.5};
    GeoCentre centre{0.5, 130.5};
    const std::string_view name = FileNameOf(path);
    const std::size_t underscore = name.find('_');
    if (underscore == std::string_view::npos)
        return centre;
    centre.centreLat = double(LeadingInteger(name, underscore + 2)) + 0.5;
    centre.centreLon = double(LeadingInteger(name, underscore + 5)) + 0.5;
    if (underscore + 1 < name.size() && Upper(name[underscore + 1]) == 'S')
        centre.centreLat = 1 - centre.centreLat;
    if (underscore + 4 < name.size() && Upper(name[underscore + 4]) == 'W')
        centre.centreLon = 1 - centre.centreLon;
    return centre;
}

TileError ReadSamples(const std::string& path, SampleGrid& grid, const StopRequest& stop)
{
    const CheckedFile file(path);
    if (file.Error() != TileError::None)
        return file.Error();
    return ReadSamples(file, grid, stop);
}

TileError ReadSamples(const CheckedFile& file, SampleGrid& grid, const StopRequest& stop)
{
    // Files that say they are TIFFs are never taken for raw samples: read
    // from byte 8, a damaged TIFF would load as a shifted or garbled tile.
    const int fd = file.Descriptor();
    const off_t size = file.Size();
    const FileSignature signature = size < kHeaderBytes ? FileSignature::None : ReadSignature(file);
    if (signature != FileSignature::Tiff && signature != FileSignature::BigTiff)
        return ReadRawSamples(fd, size, grid, stop);

    TiffSource source{fd, size};
    const TiffHandle tiff = OpenTiff(source);
    if (!tiff)
        return source.overBudget ? TileError::DamagedTiff : RefusedTiffError(fd, size, signature);
    if (const TileError error = CheckTiffSamples(tiff.get()); error != TileError::None)
        return error;
    const TileError error = HoldsPlainRows(tiff.get()) ? ReadPlainRows(tiff.get(), fd, grid, stop)
        : TIFFIsTiled(tiff.get())                      ? ReadTiffTiles(tiff.get(), grid, stop)
                                                       : ReadTiffStrips(tiff.get(), grid, stop);
    return error != TileError::None && source.overBudget ? TileError::DamagedTiff : error;
}

namespace {

// A GeoTIFF tag's values as the file holds them: empty unless they are of
// `type`. libtiff lists such tags as unknown ones with a 32-bit count, or with
// a 16-bit count once GDAL, loaded, has taught it GeoTIFF's tags.
template <typename T> std::span<const T> CustomTagValues(TIFF* tiff, uint32_t tag, TIFFDataType type)
{
    const TIFFField* field = TIFFFindField(tiff, tag, TIFF_ANY);
    if (!field || TIFFFieldDataType(field) != type || !TIFFFieldPassCount(field))
        return {};
    const T* values = nullptr;
    if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) {
        uint32_t count = 0;
        if (TIFFGetField(tiff, tag, &count, &values) == 1 && values)
            return {values, count};
    } else if (TIFFFieldReadCount(field) == TIFF_VARIABLE) {
        uint16_t count = 0;
        if (TIFFGetField(tiff, tag, &count, &values) == 1 && values)
            return {values, count};
    }
    return {};
}

/* GeoTIFF keys that say latitude and longitude in degrees on WGS 84 (EPSG
 * 4326), and nothing more than citations and the ellipsoid's figures
 * besides (GDAL writes those too; a semi-major axis off WGS 84's is left to
 * GDAL). pixelIsPoint from the raster type, which moves GDAL's origin by half
 * a pixel. Any other key is left to GDAL to interpret. */
bool PlainWgs84Keys(std::span<const uint16_t> keys, std::span<const double> doubles, bool& pixelIsPoint)
{
    constexpr uint16_t kModelType = 1024, kRasterType = 1025, kCitation = 1026, kGeographicType = 2048,
                       kGeographicCitation = 2049, kLinearUnits = 2052, kAngularUnits = 2054, kSemiMajorAxis = 2057,
                       kSemiMinorAxis = 2058, kInverseFlattening = 2059;
    constexpr uint16_t kGeographicModel = 2, kPixelIsArea = 1, kPixelIsPoint = 2, kWgs84 = 4326, kMetre = 9001,
                       kDegree = 9102;
    if (keys.size() < 4 || keys[0] != 1 || keys.size() < 4 + 4 * std::size_t(keys[3]))
        return false;
    bool geographic = false, wgs84 = false;
    pixelIsPoint = false;
    for (std::size_t k = 4; k < 4 + 4 * std::size_t(keys[3]); k += 4) {
        const uint16_t id = keys[k], inTag = keys[k + 1], count = keys[k + 2], value = keys[k + 3];
        if (id == kCitation || id == kGeographicCitation || id == kSemiMinorAxis || id == kInverseFlattening)
            continue;
        if (id == kSemiMajorAxis) {
            if (inTag != kGeoDoubleParamsTag || count != 1 || value >= doubles.size() ||
                !(std::abs(doubles[value] - 6378137.0) < 1))
                return false;
            continue;
        }
        if (inTag != 0)  // every other key here is one short held in place
            return false;
        if (id == kModelType && value == kGeographicModel)
            geographic = true;
        else if (id == kGeographicType && value == kWgs84)
            wgs84 = true;
        else if (id == kRasterType && (value == kPixelIsArea || value == kPixelIsPoint))
            pixelIsPoint = value == kPixelIsPoint;
        else if (!(id == kAngularUnits && value == kDegree) && !(id == kLinearUnits && value == kMetre))
            return false;
    }
    return geographic && wgs84;
}

// One band of 16-bit integers in blocks GDAL reads.
bool PlainLayout(TIFF* tiff)
{
    if (CheckSampleType(tiff) != TileError::None)
        return false;
    uint32_t tileWidth = 0, tileLength = 0;
    return !TIFFIsTiled(tiff) ||
        (TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth) == 1 &&
            TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength) == 1 && tileWidth >= 1 && tileLength >= 1 &&
            tileWidth <= uint32_t(kMaxBlockSide) && tileLength <= uint32_t(kMaxBlockSide));
}

}  // namespace

TiffGeoreferencing ReadTiffGeoreferencing(const CheckedFile& file)
{
    using Kind = TiffGeoreferencing::Kind;
    TiffGeoreferencing result;
    TiffSource source{file.Descriptor(), file.Size()};
    const TiffHandle tiff = OpenTiff(source);
    if (!tiff)
        return result;
    // libtiff knows none of these tags: a file's own are listed as custom ones.
    bool tagged = false;
    for (int i = 0; i < TIFFGetTagListCount(tiff.get()); ++i) {
        const uint32_t tag = TIFFGetTagListEntry(tiff.get(), i);
        if (tag == kIntergraphMatrixTag || tag == kTransformationTag)
            return result;
        tagged = tagged || std::ranges::find(kGeoreferencingTags, tag) != kGeoreferencingTags.end();
    }
    if (!tagged) {
        result.kind = Kind::None;
        return result;
    }
    const std::span<const double> scale = CustomTagValues<double>(tiff.get(), kPixelScaleTag, TIFF_DOUBLE);
    const std::span<const double> tie = CustomTagValues<double>(tiff.get(), kTiePointTag, TIFF_DOUBLE);
    const std::span<const uint16_t> keys = CustomTagValues<uint16_t>(tiff.get(), kGeoKeyDirectoryTag, TIFF_SHORT);
    const std::span<const double> doubles = CustomTagValues<double>(tiff.get(), kGeoDoubleParamsTag, TIFF_DOUBLE);
    bool pixelIsPoint = false;
    uint32_t width = 0, height = 0;
    if (scale.size() != 3 || tie.size() != 6 || !(scale[0] > 0) || !(scale[1] > 0) ||
        !PlainWgs84Keys(keys, doubles, pixelIsPoint) || !PlainLayout(tiff.get()) ||
        TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) != 1 || width > kSamples || height > kSamples)
        return result;
    // Worked out as GDAL does, to the last bit.
    std::array<double, 6>& t = result.transform;
    t = {0, scale[0], 0, 0, 0, -scale[1]};
    t[0] = tie[3] - tie[0] * t[1];
    t[3] = tie[4] - tie[1] * t[5];
    if (pixelIsPoint) {
        t[0] -= t[1] * 0.5 + t[2] * 0.5;
        t[3] -= t[4] * 0.5 + t[5] * 0.5;
    }
    result.kind = Kind::PlainGeographic;
    result.width = int(width);
    result.height = int(height);
    return result;
}

int32_t ResampledLastColumn(double centreLat)
{
    // Callers refuse polar tiles; the scale's floor keeps the row 3 wide.
    return static_cast<int32_t>(GridCellsPerDegreeEast(centreLat));
}

namespace {

// Where resampled samples are taken from: sample k between source samples
// i and i + 1, from the taps i - 1 .. i + 2. Two arrays rather than one of
// pairs, so that the spline loop vectorises.
struct SourcePositions {
    std::vector<int32_t> firstTap;  // i - 1
    std::vector<int32_t> fraction;  // t / 1024 of the way from sample i to i + 1
};

// Where resampled samples 1 .. last - 1 of a row of `length` samples are
// taken from: one every 1 / cos(latitude) source samples, held short of the
// row's end so that the taps i - 1 .. i + 2 stay inside it.
SourcePositions FindSourcePositions(double centreLat, int32_t last, int32_t length)
{
    const double s = 1 / GridEastWestScale(centreLat);
    const int64_t lastPosition = int64_t(length - 2) * kFracOne - 1;
    SourcePositions positions{
        std::vector<int32_t>(std::size_t(std::max(last, 1))), std::vector<int32_t>(std::size_t(std::max(last, 1)))};
    for (int32_t k = 1; k < last; ++k) {
        const int64_t f = std::min(static_cast<int64_t>(k * s * kFracOne), lastPosition);
        positions.firstTap[std::size_t(k)] = static_cast<int32_t>(f >> kFracBits) - 1;
        positions.fraction[std::size_t(k)] = static_cast<int32_t>(f & (kFracOne - 1));
    }
    return positions;
}

/* Samples 1 .. last - 1 of a resampled row from its taps, the spline's
 * result limited to 0 .. kHeightMax. One of a load's hottest loops: built a
 * second time for AVX2, it runs eight samples at once where the processor
 * has it; both builds give the same integers. */
VANTOREL_AVX2_CLONE void SplineRow(
    const int32_t* taps, const SourcePositions& positions, int32_t last, int16_t* __restrict out)
{
    const int32_t* __restrict firstTap = positions.firstTap.data();
    const int32_t* __restrict fraction = positions.fraction.data();
    const int32_t* __restrict p0 = taps;
    const int32_t* __restrict p1 = taps + 1;
    const int32_t* __restrict p2 = taps + 2;
    const int32_t* __restrict p3 = taps + 3;
    for (int32_t k = 1; k < last; ++k) {
        const int32_t i = firstTap[k];
        out[k] = static_cast<int16_t>(std::clamp(CatmullRom(p0[i], p1[i], p2[i], p3[i], fraction[k]), 0, kHeightMax));
    }
}

#if defined(__SSE2__)
/* Eight rows at a time. Every row samples the same source positions, so with
 * the rows' taps side by side, lane j of each vector holding row j, one
 * spline evaluation serves eight rows, its four taps plain vector loads where
 * one row at a time gathers them sample by sample. The blocks are turned into
 * and out of rows by 8 x 8 transpositions of 16-bit samples. */
constexpr int kBlockRows = 8;
using BlockLanes = int32_t __attribute__((vector_size(32)));
using BlockWords = int16_t __attribute__((vector_size(16)));

// Rows into columns: words[j] holds column j of the eight rows words[0..7] held.
inline void Transpose8x8(__m128i (&words)[kBlockRows])
{
    __m128i pairs[kBlockRows];  // words 2k, 2k + 1 interleaved
    for (int k = 0; k < 4; ++k) {
        pairs[2 * k] = _mm_unpacklo_epi16(words[2 * k], words[2 * k + 1]);
        pairs[2 * k + 1] = _mm_unpackhi_epi16(words[2 * k], words[2 * k + 1]);
    }
    __m128i quads[kBlockRows];  // four rows' pairs of columns
    for (int half = 0; half < 2; ++half) {
        const int from = 4 * half;
        quads[from] = _mm_unpacklo_epi32(pairs[from], pairs[from + 2]);
        quads[from + 1] = _mm_unpackhi_epi32(pairs[from], pairs[from + 2]);
        quads[from + 2] = _mm_unpacklo_epi32(pairs[from + 1], pairs[from + 3]);
        quads[from + 3] = _mm_unpackhi_epi32(pairs[from + 1], pairs[from + 3]);
    }
    for (int k = 0; k < 4; ++k) {
        words[2 * k] = _mm_unpacklo_epi64(quads[k], quads[k + 4]);
        words[2 * k + 1] = _mm_unpackhi_epi64(quads[k], quads[k + 4]);
    }
}

// Samples [0, count) of eight rows as taps, column c in taps[c].
VANTOREL_AVX2_CLONE void GatherBlockTaps(const int16_t* const* rows, int count, BlockLanes* __restrict taps)
{
    const __m128i aboveNoData = _mm_set1_epi16(kNoDataBelow + 1);
    int c = 0;
    for (; c + kBlockRows <= count; c += kBlockRows) {
        __m128i words[kBlockRows];
        for (int j = 0; j < kBlockRows; ++j)
            words[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j] + c));
        Transpose8x8(words);
        for (int j = 0; j < kBlockRows; ++j) {
            const __m128i tapped = _mm_andnot_si128(_mm_cmpgt_epi16(aboveNoData, words[j]), words[j]);
            taps[c + j] = __builtin_convertvector(BlockWords(tapped), BlockLanes);
        }
    }
    for (; c < count; ++c)
        for (int j = 0; j < kBlockRows; ++j)
            taps[c][j] = Tap(rows[j][c]);
}

// The spline's eight lanes limited to 0 .. kHeightMax, as 16-bit words: the
// signed pack saturates at kHeightMax, and a maximum with 0 does the rest.
inline __m128i LimitedWords(BlockLanes v)
{
    static_assert(sizeof(BlockLanes) == 2 * sizeof(__m128i));
    __m128i halves[2];
    std::memcpy(halves, &v, sizeof v);
    return _mm_max_epi16(_mm_packs_epi32(halves[0], halves[1]), _mm_setzero_si128());
}

// SplineRow for eight rows at once, from GatherBlockTaps's taps, into the
// rows `out` and, where given, the rows `copy` as well.
VANTOREL_AVX2_CLONE void SplineBlock(
    const BlockLanes* taps, const SourcePositions& positions, int32_t last, int16_t* const* out, int16_t* const* copy)
{
    const int32_t* firstTap = positions.firstTap.data();
    const int32_t* fraction = positions.fraction.data();
    auto spline = [&](int32_t k) {
        const int32_t i = firstTap[k];
        return LimitedWords(CatmullRom(taps[i], taps[i + 1], taps[i + 2], taps[i + 3], BlockLanes{} + fraction[k]));
    };
    int32_t k = 1;
    for (; k + kBlockRows <= last; k += kBlockRows) {
        __m128i words[kBlockRows];
#pragma GCC unroll 8
        for (int m = 0; m < kBlockRows; ++m)
            words[m] = spline(k + m);
        Transpose8x8(words);
        for (int j = 0; j < kBlockRows; ++j) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out[j] + k), words[j]);
            if (copy)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(copy[j] + k), words[j]);
        }
    }
    for (; k < last; ++k) {
        alignas(16) int16_t lanes[kBlockRows];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), spline(k));
        for (int j = 0; j < kBlockRows; ++j) {
            out[j][k] = lanes[j];
            if (copy)
                copy[j][k] = lanes[j];
        }
    }
}
#endif

/* One row of the unsharp mask: 2 x centre - mean of the eight neighbours,
 * rounded down and never below 1 on land, so that no land point sinks to sea
 * level. columnSums holds the sums of three vertical neighbours, so that each
 * point adds three column sums instead of eight samples. */
VANTOREL_AVX2_CLONE void SharpenRow(const int16_t* north, const int16_t* here, const int16_t* south,
    int16_t* __restrict out, int32_t width, int32_t* __restrict columnSums)
{
    for (int k = 1; k <= width - 2; ++k)
        columnSums[k] = north[k] + here[k] + south[k];
    for (int k = 2; k <= width - 3; ++k) {
        const int32_t centre = here[k];
        const int32_t neighbours = columnSums[k - 1] + columnSums[k] + columnSums[k + 1] - centre;
        const int32_t sharpened = std::clamp((16 * centre - neighbours) >> 3, 1, kHeightMax);
        out[k] = static_cast<int16_t>(centre <= 0 ? 0 : sharpened);
    }
}

}  // namespace

/* Each row of the file spans one degree of longitude, which on the ground is
 * shorter than a degree of latitude by cos(latitude). Every row is shortened
 * to n + 1 samples by a Catmull-Rom spline through four source samples,
 * evaluated in Horner form at the fraction t / 1024:
 *   v = ((A t + B) t + C) t / 8 + P1,  with A, B, C four times the usual
 * cubic coefficients, so that three 10-bit shifts and a final >> 3 keep the
 * whole evaluation in integers. */
int32_t ResampleEastWest(
    double centreLat, const SampleGrid& source, SampleGrid& resampled, SampleGrid& height, const ProgressStep& step)
{
    const int32_t n = ResampledLastColumn(centreLat);
    // Every row samples the same source positions: work them out once. Tile
    // centres lie on half degrees, so cos <= cos 0.5 deg and the positions
    // never reach the row's end in any case; the hold only guards rounding.
    const SourcePositions positions = FindSourcePositions(centreLat, n, kSamples);

    // A row's ends are its source's own.
    auto setEnds = [&](int r) {
        for (SampleGrid* grid : {&resampled, &height}) {
            (*grid)[r][0] = source[r][0];
            (*grid)[r][n] = source[r][kSamples - 1];
        }
    };
    ForRowBands(
        0, kSamples,
        [&](int begin, int end) {
            int r = begin;
#if defined(__SSE2__)
            // Not a std::vector: it would not keep the vectors' alignment.
            const std::unique_ptr<BlockLanes[]> blockTaps(new BlockLanes[kSamples]);
            for (; r + kBlockRows <= end; r += kBlockRows) {
                GatherBlockTaps(source.rows() + r, kSamples, blockTaps.get());
                SplineBlock(blockTaps.get(), positions, n, resampled.rows() + r, height.rows() + r);
                for (int j = r; j < r + kBlockRows; ++j)
                    setEnds(j);
            }
#endif
            std::array<int32_t, kSamples> taps;
            for (; r < end; ++r) {
                std::transform(source[r], source[r] + kSamples, taps.begin(), Tap);
                SplineRow(taps.data(), positions, n, resampled[r]);
                std::copy_n(resampled[r] + 1, n - 1, height[r] + 1);
                setEnds(r);
            }
        },
        step);
    step();
    return n + 1;
}

void ResampleBandInto(double centreLat, const std::vector<const SampleGrid*>& band, SampleGrid& out, int row)
{
    const int tiles = int(band.size());
    const int length = (kSamples - 1) * tiles + 1;
    const int32_t last = ResampledLastColumn(centreLat) * tiles;
    const SourcePositions positions = FindSourcePositions(centreLat, last, length);
    // West to east, each tile's first sample taking the place of its
    // neighbour's last; a cell without a tile is sea level.
    auto tileOffset = [](int t) { return std::size_t(t) * (kSamples - 1); };
    ForRowBands(0, kSamples, [&](int begin, int end) {
        int r = begin;
#if defined(__SSE2__)
        const std::unique_ptr<BlockLanes[]> blockTaps(new BlockLanes[std::size_t(length)]);
        for (; r + kBlockRows <= end; r += kBlockRows) {
            for (int t = 0; t < tiles; ++t) {
                BlockLanes* to = blockTaps.get() + tileOffset(t);
                if (const SampleGrid* tile = band[std::size_t(t)])
                    GatherBlockTaps(tile->rows() + r, kSamples, to);
                else
                    std::fill_n(to, kSamples, BlockLanes{});
            }
            int16_t* const* outRows = out.rows() + row + r;
            SplineBlock(blockTaps.get(), positions, last, outRows, nullptr);
            for (int j = 0; j < kBlockRows; ++j) {
                outRows[j][0] = Saturate(blockTaps[0][j]);
                outRows[j][last] = Saturate(blockTaps[length - 1][j]);
            }
        }
#endif
        std::vector<int32_t> taps(static_cast<std::size_t>(length));
        for (; r < end; ++r) {
            for (int t = 0; t < tiles; ++t) {
                int32_t* to = taps.data() + tileOffset(t);
                if (const SampleGrid* tile = band[std::size_t(t)])
                    std::transform((*tile)[r], (*tile)[r] + kSamples, to, Tap);
                else
                    std::fill_n(to, kSamples, 0);
            }
            int16_t* outRow = out[row + r];
            outRow[0] = Saturate(taps.front());
            outRow[last] = Saturate(taps.back());
            SplineRow(taps.data(), positions, last, outRow);
        }
    });
}

void Sharpen(const SampleGrid& resampled, SampleGrid& height, int32_t width, int32_t rows, const ProgressStep& step)
{
    ForRowBands(
        2, rows - 2,
        [&](int begin, int end) {
            std::vector<int32_t> columnSums(std::size_t(std::max(width, 0)));
            for (int m = begin; m < end; ++m)
                SharpenRow(resampled[m - 1], resampled[m], resampled[m + 1], height[m], width, columnSums.data());
        },
        step);
    step();
}

/* The same mask over one grid. A row's own samples are kept aside before it
 * is overwritten; the rows just outside each chunk are kept aside before any
 * chunk starts, since the neighbouring chunk may overwrite them first. */
void SharpenInPlace(SampleGrid& grid, int32_t width, int32_t rows)
{
    constexpr int kChunkRows = 256;
    const int first = 2, last = rows - 2;
    if (last <= first || width < 5)
        return;
    const int chunks = (last - first + kChunkRows - 1) / kChunkRows;
    const std::size_t rowLength = std::size_t(width);
    // For chunk i: the row above it, then the row below it.
    std::vector<int16_t> edges(2 * std::size_t(chunks) * rowLength);
    auto edge = [&](int chunk, int which) {
        return edges.data() + (2 * std::size_t(chunk) + std::size_t(which)) * rowLength;
    };
    for (int i = 0; i < chunks; ++i) {
        const int begin = first + i * kChunkRows, end = std::min(begin + kChunkRows, last);
        std::copy_n(grid[begin - 1], rowLength, edge(i, 0));
        std::copy_n(grid[end], rowLength, edge(i, 1));
    }
    WorkerPool& pool = WorkerPool::Shared();
    const int bands = std::min(chunks, pool.threads());
    pool.Run(bands, [&](int band) {
        std::vector<int32_t> columnSums(rowLength);
        std::vector<int16_t> aside(2 * rowLength);
        for (int i = chunks * band / bands; i < chunks * (band + 1) / bands; ++i) {
            const int begin = first + i * kChunkRows, end = std::min(begin + kChunkRows, last);
            const int16_t* north = edge(i, 0);
            int16_t* here = aside.data();
            for (int m = begin; m < end; ++m) {
                std::copy_n(grid[m], rowLength, here);
                const int16_t* south = m + 1 == end ? edge(i, 1) : grid[m + 1];
                SharpenRow(north, here, south, grid[m], width, columnSums.data());
                north = here;
                here = here == aside.data() ? aside.data() + rowLength : aside.data();
            }
        }
    });
}

GeoCentre CentreOf(const TileCell& cell)
{
    return {double(cell.lat) + 0.5, double(cell.lon) + 0.5};
}

void FillRenderParams(RenderParams& params, const GeoCentre& centre, const TileInfo& tileInfo)
{
    params.metresPerCell = kMetresPerMinute / 60;
    params.columns = tileInfo.width;
    params.rows = tileInfo.height;
    params.northLat = std::floor(centre.centreLat) + 1;
    params.westLon = std::floor(centre.centreLon);
    params.centreLat = centre.centreLat;
    params.centreLon = centre.centreLon;
    params.centreColumnShift = 0;
    params.centreRowShift = 0;
    params.areaDegrees = 1;
    params.tileColumns = params.tileRows = 0;
}

void ResetViewpoint(Viewpoint& view, const GeoCentre& centre)
{
    view.latitude = centre.centreLat - 0.25;
    view.longitude = centre.centreLon;
    view.minAltitude = 1000;
    view.azimuth = 0;
    view.viewAngle = 40;
    view.pitch = -5;
}

TileError LocateTile(const std::string& path, const ProductFile& file, TileCell& cell)
{
    if (file.Unrecognised())
        return TileError::NotATileName;
    NamedCell named = CellFromName(path);
    if (!named.found)
        named = CellFromName(file.InnerName());
    cell = named.cell;
    if (file.Located()) {
        cell = file.Cell();
    } else if (!named.found) {
        // Nothing places the file. One that opened as a raster lacks only a
        // position; one that did not open is known by its name alone.
        if (file.Error() == TileError::CannotOpen)
            return TileError::NotATileName;
        if (file.Error() == TileError::None)
            return file.IsRaster() ? TileError::NoPosition : TileError::NotATileName;
    }
    // At or beyond a pole the rows would have no width to resample into.
    if (!LatitudeInRange(cell))
        return TileError::PolarLatitude;
    if (!LongitudeInRange(cell))
        return TileError::LongitudeOutOfRange;
    return TileError::None;
}

namespace {

// The reduced levels from `first` on, each from the one before it (the
// first from the relief itself), a pass step after each.
void BuildLevelsFrom(Terrain& terrain, std::size_t first, const ProgressStep& passStep)
{
    ReliefLevels& levels = terrain.reliefLevels;
    for (std::size_t level = first; level < levels.size(); ++level) {
        BuildReducedLevel(level == 0 ? terrain.tileInfo : levels[level - 1], levels[level]);
        passStep();
    }
}

}  // namespace

void BuildRelief(Terrain& terrain, const ProgressStep& passStep, const ProgressStep& rowStep)
{
    BuildReliefHalfAndMap(terrain.heightPalette, terrain.heightGrid.rows(), terrain.tileInfo, terrain.reliefLevels[0],
        terrain.mapBitmap, rowStep);
    passStep();  // the shading
    passStep();  // the first reduced level
    BuildLevelsFrom(terrain, 1, passStep);
    // The map's steps, one before its rows and one after, as BuildMapPixels takes them.
    passStep();
    passStep();
}

void BuildReliefLevels(Terrain& terrain, const ProgressStep& passStep)
{
    BuildLevelsFrom(terrain, 0, passStep);
}

TileError LoadLocatedTile(ProductFile& file, const TileCell& cell, Terrain& terrain, RenderParams& params,
    Viewpoint& view, LoadListener& listener)
{
    const GeoCentre centre = CentreOf(cell);

    int progress = 0;
    const ProgressStep step = [&] { listener.progressed(++progress); };
    listener.started();
    BuildHeightPalette(terrain.heightPalette);

    const StopRequest stop = [&] { return listener.cancelled(); };
    if (const TileError error = file.Read(terrain.incomingGrid, stop); error != TileError::None)
        return error;
    std::swap(terrain.sourceGrid, terrain.incomingGrid);
    step();

    TileInfo& tileInfo = terrain.tileInfo;
    tileInfo.width =
        ResampleEastWest(centre.centreLat, terrain.sourceGrid, terrain.resampledGrid, terrain.heightGrid, step);
    Sharpen(terrain.resampledGrid, terrain.heightGrid, tileInfo.width, tileInfo.height, step);
    BuildRelief(terrain, step, step);

    FillRenderParams(params, centre, tileInfo);
    ResetViewpoint(view, centre);
    return TileError::None;
}
