#include "tilefiles.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

#include <tiffio.h>

namespace testtiles {

TempDir::TempDir()
{
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("vantorel-test-" + std::to_string(seed()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

Samples makeSamples(const std::function<int16_t(int, int)>& height)
{
    Samples samples(std::size_t(kSize) * kSize);
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c)
            samples[std::size_t(r) * kSize + c] = height(r, c);
    return samples;
}

void writeRaw(const std::filesystem::path& path, const Samples& samples, long truncateTo)
{
    std::vector<char> bytes(8, 0);
    bytes.reserve(8 + samples.size() * 2);
    for (int16_t s : samples) {
        bytes.push_back(char(uint16_t(s) & 0xFF));
        bytes.push_back(char(uint16_t(s) >> 8));
    }
    if (truncateTo >= 0)
        bytes.resize(std::size_t(truncateTo));
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void writeTiff(const std::filesystem::path& path, const Samples& samples, const TiffLayout& layout)
{
    std::string mode = layout.bigEndian ? "wb" : "wl";
    if (layout.bigTiff)
        mode += '8';
    TIFF* tiff = TIFFOpen(path.c_str(), mode.c_str());
    if (!tiff)
        throw std::runtime_error("cannot create " + path.string());
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, layout.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, layout.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, layout.sampleFormat);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.lzw ? COMPRESSION_LZW : COMPRESSION_NONE);
    if (layout.lzw)
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);

    const uint32_t bytesPerSample = layout.bitsPerSample / 8;
    auto sample = [&](uint32_t r, uint32_t c) {
        return r < uint32_t(kSize) && c < uint32_t(kSize) ? samples[std::size_t(r) * kSize + c] : int16_t(0);
    };
    bool ok = true;
    if (layout.tiled) {
        constexpr uint32_t kTile = 256;
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, kTile);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, kTile);
        std::vector<int16_t> tile(kTile * kTile);
        for (uint32_t y = 0; y < layout.height && ok; y += kTile)
            for (uint32_t x = 0; x < layout.width && ok; x += kTile) {
                for (uint32_t r = 0; r < kTile; ++r)
                    for (uint32_t c = 0; c < kTile; ++c)
                        tile[r * kTile + c] = sample(y + r, x + c);
                ok = TIFFWriteTile(tiff, tile.data(), x, y, 0, 0) >= 0;
            }
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
        std::vector<uint8_t> row(std::size_t(layout.width) * bytesPerSample);
        for (uint32_t r = 0; r < layout.height && ok; ++r) {
            for (uint32_t c = 0; c < layout.width; ++c) {
                const int16_t s = sample(r, c);
                if (bytesPerSample == 2)
                    std::memcpy(&row[2 * c], &s, 2);
                else
                    row[c] = uint8_t(s);
            }
            ok = TIFFWriteScanline(tiff, row.data(), r, 0) >= 0;
        }
    }
    TIFFClose(tiff);
    if (!ok)
        throw std::runtime_error("cannot write " + path.string());
}

void writeDirectoryFirst(const std::filesystem::path& path, const Samples& samples)
{
    std::vector<uint8_t> bytes{'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put16 = [&](uint32_t v) {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    struct Entry {
        uint16_t tag, type;
        uint32_t value;
    };
    constexpr uint16_t kShort = 3, kLong = 4;
    constexpr uint32_t kEntries = 10;
    constexpr uint32_t kDataStart = 8 + 2 + kEntries * 12 + 4;
    const Entry entries[kEntries] = {
        {256, kShort, kSize},
        {257, kShort, kSize},
        {258, kShort, 16},
        {259, kShort, 1},
        {262, kShort, 1},
        {273, kLong, kDataStart},
        {277, kShort, 1},
        {278, kShort, kSize},
        {279, kLong, uint32_t(kSize) * kSize * 2},
        {339, kShort, 2},
    };
    put16(kEntries);
    for (const Entry& e : entries) {
        put16(e.tag);
        put16(e.type);
        put32(1);
        put32(e.type == kShort ? e.value & 0xFFFF : e.value);
    }
    put32(0);
    for (int16_t s : samples)
        put16(uint16_t(s));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

namespace {

uint32_t Crc32(const std::string& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutLittleEndian(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char(value >> (8 * i)));
}

}  // namespace

void writeStoredZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries)
{
    std::string local, directory;
    for (const ZipEntry& entry : entries) {
        const uint64_t offset = local.size();
        const uint32_t crc = Crc32(entry.bytes);
        const uint16_t flags = entry.encrypted ? 1 : 0;
        // The fields the local header and the directory's entry share.
        auto common = [&](std::string& out) {
            PutLittleEndian(out, 20, 2);  // version needed
            PutLittleEndian(out, flags, 2);
            PutLittleEndian(out, 0, 2);  // stored
            PutLittleEndian(out, 0, 4);  // time and date
            PutLittleEndian(out, crc, 4);
            PutLittleEndian(out, entry.bytes.size(), 4);
            PutLittleEndian(out, entry.bytes.size(), 4);
            PutLittleEndian(out, entry.name.size(), 2);
            PutLittleEndian(out, 0, 2);  // extra
        };
        PutLittleEndian(local, 0x04034b50, 4);
        common(local);
        local += entry.name;
        local += entry.bytes;
        PutLittleEndian(directory, 0x02014b50, 4);
        PutLittleEndian(directory, 20, 2);  // version made by
        common(directory);
        PutLittleEndian(directory, 0, 2);  // comment
        PutLittleEndian(directory, 0, 8);  // disk, attributes
        PutLittleEndian(directory, offset, 4);
        directory += entry.name;
    }
    std::string end;
    PutLittleEndian(end, 0x06054b50, 4);
    PutLittleEndian(end, 0, 4);  // disks
    PutLittleEndian(end, entries.size(), 2);
    PutLittleEndian(end, entries.size(), 2);
    PutLittleEndian(end, directory.size(), 4);
    PutLittleEndian(end, local.size(), 4);
    PutLittleEndian(end, 0, 2);  // comment
    std::ofstream(path, std::ios::binary) << local << directory << end;
}

}  // namespace testtiles
