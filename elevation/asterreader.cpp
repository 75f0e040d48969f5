#include "elevation/asterreader.h"

#include "core/workerpool.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

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

}  // namespace

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

std::optional<double> ReadTiffNoData(const CheckedFile& file)
{
    TiffSource source{file.Descriptor(), file.Size()};
    const TiffHandle tiff = OpenTiff(source);
    if (!tiff)
        return {};
    // ASCII: listed as a custom tag, or known to libtiff as a plain string.
    std::string text;
    const std::span<const char> custom = CustomTagValues<char>(tiff.get(), TIFFTAG_GDAL_NODATA, TIFF_ASCII);
    const TIFFField* field = TIFFFindField(tiff.get(), TIFFTAG_GDAL_NODATA, TIFF_ANY);
    if (!custom.empty()) {
        text.assign(custom.begin(), std::find(custom.begin(), custom.end(), '\0'));
    } else if (field && !TIFFFieldPassCount(field)) {
        const char* value = nullptr;
        if (TIFFGetField(tiff.get(), TIFFTAG_GDAL_NODATA, &value) == 1 && value)
            text = value;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str())
        return {};
    return value;
}
