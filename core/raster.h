#pragma once
// Plain pixel and height storage shared by the tile reader, the relief passes
// and the renderer. Everything is allocated once and zero-filled, so no pixel
// or height ever shows memory that nothing wrote.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

inline constexpr int kTileSamples = 3601;  // samples per tile row and column
// 16-bit slots reserved per grid row. Not 4096: rows 8192 bytes apart would
// all fall on the same few cache sets, and a view across the rows (a diagonal
// strip reads a new row at every sample) would keep evicting its own lines.
inline constexpr int kGridRowSlots = 4096 + 32;

// Zero-filled storage. Large blocks are mapped afresh, as pages the system
// has zeroed, and in huge pages where the system allows: a joined set's
// buffers then take a few hundred page faults instead of a few hundred
// thousand, and no clearing pass.
struct ZeroedRelease {
    std::size_t mappedBytes = 0;  // 0 for a small block from calloc
    void operator()(void* block) const;
};
template <typename T> using ZeroedBuffer = std::unique_ptr<T[], ZeroedRelease>;
void* AllocateZeroedBytes(std::size_t bytes, std::size_t& mappedBytes);  // throws std::bad_alloc
template <typename T> ZeroedBuffer<T> AllocateZeroed(std::size_t count)
{
    std::size_t mappedBytes = 0;
    void* block = AllocateZeroedBytes(count * sizeof(T), mappedBytes);
    return ZeroedBuffer<T>(static_cast<T*>(block), ZeroedRelease{mappedBytes});
}

// A bitmap of 32-bit pixels 0x00RRGGBB (bytes blue, green, red, 0 in memory).
// Its allocation is fixed; the width in use may shrink below it (the map image).
class Bitmap32 {
public:
    Bitmap32(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int capacityWidth() const { return capacity_; }
    void SetWidth(int width);  // clamped to [0, capacityWidth()]

    uint32_t* scanLine(int y) { return rows_[y]; }
    const uint32_t* scanLine(int y) const { return rows_[y]; }
    uint32_t* const* scanLines() const { return rows_.data(); }
    int bytesPerLine() const { return capacity_ * 4; }

private:
    int width_;
    int height_;
    int capacity_;
    ZeroedBuffer<uint32_t> pixels_;
    std::vector<uint32_t*> rows_;
};

// The even mix of two pixels: the low bit of every channel is dropped first,
// so that no channel's sum carries into its neighbour.
constexpr uint32_t AveragePixels(uint32_t a, uint32_t b)
{
    constexpr uint32_t kMask = 0xFEFEFE;
    return ((a & kMask) + (b & kMask)) >> 1;
}

// Size in use and pixel rows of a relief image. TileInfo describes the
// full-resolution relief; the three ReliefLevels have the same layout.
struct TileInfo {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* const* scanLines = nullptr;
};
using ReliefLevels = std::array<TileInfo, 3>;

// Rows of signed 16-bit heights, row 0 north: kTileSamples rows of
// kGridRowSlots for one tile, more for tiles joined with their neighbours.
class SampleGrid {
public:
    SampleGrid() : SampleGrid(kTileSamples, kGridRowSlots) { }
    SampleGrid(int rowCount, int rowSlots);  // 0 rows: nothing allocated
    int rowCount() const { return int(rows_.size()); }
    int rowSlots() const { return rowSlots_; }
    int16_t* operator[](int row) { return rows_[row]; }
    const int16_t* operator[](int row) const { return rows_[row]; }
    int16_t* const* rows() const { return rows_.data(); }

private:
    int rowSlots_;
    ZeroedBuffer<int16_t> storage_;
    std::vector<int16_t*> rows_;
};
