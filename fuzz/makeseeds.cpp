// Writes the seed files of the tile reader's fuzzer into a folder: whole tiles
// a few kilobytes long (every strip or tile of the image points at the same
// compressed block), the same tiles damaged, cut short or with floats,
// images of the wrong shape and a raw file too short to be a tile.
//
// usage: make-fuzz-seeds FOLDER

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <tiffio.h>

namespace {

constexpr uint32_t kSize = 3601;

struct Layout {
    bool bigEndian = false;
    bool bigTiff = false;
    bool tiled = false;
    uint16_t compression = COMPRESSION_LZW;
    uint16_t predictor = PREDICTOR_HORIZONTAL;
    uint16_t sampleFormat = SAMPLEFORMAT_INT;
    uint32_t width = kSize;
    uint32_t height = kSize;
    uint32_t chunkWidth = kSize;  // a tile's width, or the image's for strips
    uint32_t chunkRows = 16;  // rows per strip or tile
};

std::vector<uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

// One strip or tile of gentle slopes, encoded by libtiff as the layout asks.
std::vector<uint8_t> EncodeChunk(const Layout& layout, const std::filesystem::path& scratch)
{
    TIFF* tiff = TIFFOpen(scratch.c_str(), layout.bigEndian ? "wb" : "wl");
    if (!tiff)
        throw std::runtime_error("cannot create " + scratch.string());
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, layout.chunkWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, layout.chunkRows);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, layout.sampleFormat);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.compression);
    if (layout.predictor != PREDICTOR_NONE)
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, layout.predictor);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, layout.chunkRows);
    std::vector<int16_t> row(layout.chunkWidth);
    for (uint32_t r = 0; r < layout.chunkRows; ++r) {
        for (uint32_t c = 0; c < layout.chunkWidth; ++c)
            row[c] = int16_t(200 + (c / 8 + r) % 600);
        if (TIFFWriteScanline(tiff, row.data(), r, 0) < 0)
            throw std::runtime_error("cannot encode");
    }
    TIFFClose(tiff);

    tiff = TIFFOpen(scratch.c_str(), "r");
    if (!tiff)
        throw std::runtime_error("cannot reopen " + scratch.string());
    std::vector<uint8_t> chunk(std::size_t(TIFFRawStripSize(tiff, 0)));
    const tmsize_t read = TIFFReadRawStrip(tiff, 0, chunk.data(), tmsize_t(chunk.size()));
    TIFFClose(tiff);
    std::filesystem::remove(scratch);
    if (read != tmsize_t(chunk.size()))
        throw std::runtime_error("cannot read the encoded chunk back");
    return chunk;
}

class Writer {
public:
    explicit Writer(bool bigEndian) : bigEndian_(bigEndian) { }
    void put(uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out_.push_back(uint8_t(value >> (8 * (bigEndian_ ? bytes - 1 - i : i))));
    }
    void set(std::size_t at, uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out_[at + std::size_t(i)] = uint8_t(value >> (8 * (bigEndian_ ? bytes - 1 - i : i)));
    }
    std::size_t size() const { return out_.size(); }
    std::vector<uint8_t>& bytes() { return out_; }

private:
    bool bigEndian_;
    std::vector<uint8_t> out_;
};

// A TIFF whose strips or tiles all share one encoded chunk: the header, the
// chunk, the offset and byte-count arrays, then the directory at the end.
std::vector<uint8_t> SharedChunkTiff(const Layout& layout, const std::vector<uint8_t>& chunk)
{
    constexpr uint16_t kShort = 3, kLong = 4, kLong8 = 16;
    const bool big = layout.bigTiff;
    const int offsetBytes = big ? 8 : 4;
    Writer w(layout.bigEndian);
    w.put(layout.bigEndian ? 0x4D4D : 0x4949, 2);
    w.put(big ? 43 : 42, 2);
    if (big) {
        w.put(8, 2);
        w.put(0, 2);
    }
    const std::size_t firstDirectoryAt = w.size();
    w.put(0, offsetBytes);

    const uint64_t chunkAt = w.size();
    w.bytes().insert(w.bytes().end(), chunk.begin(), chunk.end());

    const uint32_t across = layout.tiled ? (layout.width + layout.chunkWidth - 1) / layout.chunkWidth : 1;
    const uint32_t down = (layout.height + layout.chunkRows - 1) / layout.chunkRows;
    const uint64_t chunks = uint64_t(across) * down;
    const uint64_t offsetsAt = w.size();
    for (uint64_t i = 0; i < chunks; ++i)
        w.put(chunkAt, offsetBytes);
    const uint64_t countsAt = w.size();
    for (uint64_t i = 0; i < chunks; ++i)
        w.put(chunk.size(), offsetBytes);

    struct Entry {
        uint16_t tag, type;
        uint64_t count, value;
    };
    const uint16_t arrayType = big ? kLong8 : kLong;
    std::vector<Entry> entries{
        {256, kLong, 1, layout.width},
        {257, kLong, 1, layout.height},
        {258, kShort, 1, 16},
        {259, kShort, 1, layout.compression},
        {262, kShort, 1, PHOTOMETRIC_MINISBLACK},
    };
    if (!layout.tiled)
        entries.push_back({273, arrayType, chunks, offsetsAt});
    entries.push_back({277, kShort, 1, 1});
    if (!layout.tiled) {
        entries.push_back({278, kLong, 1, layout.chunkRows});
        entries.push_back({279, arrayType, chunks, countsAt});
    }
    entries.push_back({284, kShort, 1, PLANARCONFIG_CONTIG});
    if (layout.predictor != PREDICTOR_NONE)
        entries.push_back({317, kShort, 1, layout.predictor});
    if (layout.tiled) {
        entries.push_back({322, kLong, 1, layout.chunkWidth});
        entries.push_back({323, kLong, 1, layout.chunkRows});
        entries.push_back({324, arrayType, chunks, offsetsAt});
        entries.push_back({325, arrayType, chunks, countsAt});
    }
    entries.push_back({339, kShort, 1, layout.sampleFormat});

    if (w.size() % 2)
        w.put(0, 1);  // directories start on a word boundary
    w.set(firstDirectoryAt, w.size(), offsetBytes);
    w.put(entries.size(), big ? 8 : 2);
    for (const Entry& e : entries) {
        w.put(e.tag, 2);
        w.put(e.type, 2);
        w.put(e.count, offsetBytes);
        // A value that fits the field sits at its start; arrays are out of line.
        const bool inLine = e.count == 1;
        const int bytes = !inLine ? offsetBytes : e.type == kShort ? 2 : e.type == kLong ? 4 : 8;
        w.put(e.value, bytes);
        w.put(0, offsetBytes - bytes);
    }
    w.put(0, offsetBytes);  // no further directory
    return w.bytes();
}

// The first directory's entry count overwritten, as damage would.
std::vector<uint8_t> WithDirectoryCount(std::vector<uint8_t> file, const Layout& layout, uint64_t count)
{
    const int offsetBytes = layout.bigTiff ? 8 : 4;
    const std::size_t offsetAt = layout.bigTiff ? 8 : 4;
    uint64_t directory = 0;
    for (int i = 0; i < offsetBytes; ++i) {
        const int shift = 8 * (layout.bigEndian ? offsetBytes - 1 - i : i);
        directory |= uint64_t(file[offsetAt + std::size_t(i)]) << shift;
    }
    const int countBytes = layout.bigTiff ? 8 : 2;
    for (int i = 0; i < countBytes; ++i) {
        const int shift = 8 * (layout.bigEndian ? countBytes - 1 - i : i);
        file[directory + std::size_t(i)] = uint8_t(count >> shift);
    }
    return file;
}

void WriteSeed(const std::filesystem::path& folder, const std::string& name, const Layout& layout)
{
    WriteFile(folder / name, SharedChunkTiff(layout, EncodeChunk(layout, folder / (name + ".part"))));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    TIFFSetWarningHandler(nullptr);
    try {
        std::filesystem::create_directories(folder);
        const Layout lzwStrips;
        WriteSeed(folder, "lzw-strips", lzwStrips);
        const Layout deflateBigTiff{.bigEndian = true, .bigTiff = true, .compression = COMPRESSION_ADOBE_DEFLATE};
        WriteSeed(folder, "deflate-strips-bigtiff-big-endian", deflateBigTiff);
        WriteSeed(folder, "deflate-tiles",
            {.tiled = true, .compression = COMPRESSION_ADOBE_DEFLATE, .chunkWidth = 256, .chunkRows = 256});
        WriteSeed(folder, "half-floats", {.sampleFormat = SAMPLEFORMAT_IEEEFP});
        WriteSeed(folder, "wrong-shape", {.width = 16, .height = 16, .chunkWidth = 16});

        const std::vector<uint8_t> whole = ReadFile(folder / "lzw-strips");
        WriteFile(folder / "damaged-directory", WithDirectoryCount(whole, lzwStrips, 0xFFFF));
        WriteFile(folder / "cut-short", std::vector<uint8_t>(whole.begin(), whole.begin() + long(whole.size() / 2)));
        WriteFile(folder / "bigtiff-absurd-count",
            WithDirectoryCount(ReadFile(folder / "deflate-strips-bigtiff-big-endian"), deflateBigTiff, 1ull << 40));
        // 8 header bytes and a few samples of the raw layout.
        std::vector<uint8_t> raw(8 + 2 * 64);
        for (std::size_t i = 8; i < raw.size(); ++i)
            raw[i] = uint8_t(i * 7);
        WriteFile(folder / "raw-short", raw);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
