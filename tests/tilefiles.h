#pragma once
// Writes tile files for tests: the raw layout (8 header bytes, then the
// samples) and TIFF layouts through libtiff.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testtiles {

constexpr int kSize = 3601;
using Samples = std::vector<int16_t>;  // kSize * kSize, row 0 north

// A temporary folder removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

Samples makeSamples(const std::function<int16_t(int row, int column)>& height);
// 8 zero header bytes, then the samples little-endian; only the first
// `truncateTo` bytes when that is not negative.
void writeRaw(const std::filesystem::path& path, const Samples& samples, long truncateTo = -1);

struct TiffLayout {
    bool tiled = false;  // 256 x 256 tiles instead of strips
    bool lzw = false;
    bool bigEndian = false;
    uint32_t width = kSize;  // the image's shape as written
    uint32_t height = kSize;
    uint16_t bitsPerSample = 16;
    uint16_t sampleFormat = 2;  // SAMPLEFORMAT_INT
    bool bigTiff = false;
};
// Written by libtiff (strips of 16 rows, or tiles).
void writeTiff(const std::filesystem::path& path, const Samples& samples, const TiffLayout& layout);
// An uncompressed little-endian TIFF with its directory at byte 8 and the
// samples after it, as GIS tools save tiles.
void writeDirectoryFirst(const std::filesystem::path& path, const Samples& samples);

// A zip written by hand, its entries stored uncompressed: as many as a test
// likes, quickly, without a zip library. An entry marked encrypted carries
// the flag only; its bytes are as given.
struct ZipEntry {
    std::string name;
    std::string bytes;
    bool encrypted = false;
};
void writeStoredZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries);

}  // namespace testtiles
