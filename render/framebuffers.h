#pragma once
// The frame buffers of a renderer: the render target over a bitmap's rows,
// its depth and height, and the renderer's working memory.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/raster.h"
#include "core/workerpool.h"

// One terrain sample of a view strip: 16 bytes, in this field order.
struct StripSample {
    int32_t col;  // grid column, east
    int32_t row;  // grid row, south
    int32_t height;  // metres
    uint32_t colour;  // 0x00RRGGBB of the relief level the strip samples
};
static_assert(sizeof(StripSample) == 16);

// A strip sample as the screen sees it: column and row (within the frame)
// and forward distance in 1/256 cell.
struct ScreenPoint {
    int32_t sx;
    int32_t sy;
    int32_t depth;
};

inline constexpr std::size_t kSampleStripBytes = 0x1800000;
inline constexpr int32_t kSampleStripSlots = int32_t(kSampleStripBytes / sizeof(StripSample));
// Most strips a frame holds: each takes at least its spare slots.
inline constexpr int32_t kMaxStripCount = kSampleStripSlots / 16;

// The part of a strip whose runs one band of columns needs: samples from
// `first`, the first at or right of the band's first column, up to `end`;
// the runs before lie wholly left of the band, those from `end` on start at
// or right of its last column.
struct BandSpan {
    int32_t first;
    int32_t end;
};
// Where strip s's span for band b lies among a frame's spans.
constexpr std::ptrdiff_t BandSpanAt(int32_t s, int32_t b)
{
    return std::ptrdiff_t(s) * kMaxBands + b;
}

// ReciprocalTable[i] = 65536 / i for i = 1 .. 2047, entry 0 = 0: a division
// by a short segment or span becomes a multiplication and a shift.
inline constexpr int kReciprocalBits = 16;
inline constexpr int32_t kReciprocalEntries = 2048;

inline constexpr uint32_t kSkyDepth = 999999999;  // depth of a sky pixel

// The rasteriser fills tiled copies of the three buffers. A tile is
// kTileColumns x kTileRows pixels stored column after column, tiles side by
// side across the frame: a span up a column keeps to one cache line of a
// buffer for 16 rows, and a strip across the columns to one page for 64
// columns. In the rows, every pixel of a span would land on a line and a page
// of its own. Only the colours are copied into the bitmap's rows; depth and
// height stay in their tiles, where their few readers find them (DepthAt,
// HeightAt).
inline constexpr int32_t kTileColumns = 64;
inline constexpr int32_t kTileRows = 16;
inline constexpr int32_t kTilePixels = kTileColumns * kTileRows;

// Pixels of the tiled copies for frames of w x h: whole tiles.
constexpr std::size_t TiledPixels(int32_t w, int32_t h)
{
    const auto across = std::size_t(w + kTileColumns - 1) / kTileColumns;
    const auto down = std::size_t(h + kTileRows - 1) / kTileRows;
    return across * down * kTilePixels;
}

// Elements of the tiled copies from one row of tiles to the next, for frames
// `frameWidth` wide.
constexpr std::ptrdiff_t TileRowStep(int32_t frameWidth)
{
    return std::ptrdiff_t((frameWidth + kTileColumns - 1) / kTileColumns) * kTilePixels;
}

// Where pixel (x, r) of a frame lies in the tiled copies.
constexpr std::ptrdiff_t TiledIndex(std::ptrdiff_t tileRowStep, int32_t x, int32_t r)
{
    // Both are never negative: unsigned, so that / and % are shifts and masks.
    const auto ux = uint32_t(x);
    const auto ur = uint32_t(r);
    return std::ptrdiff_t(ur / kTileRows) * tileRowStep + std::ptrdiff_t(ux / kTileColumns) * kTilePixels +
        std::ptrdiff_t((ux % kTileColumns) * kTileRows + ur % kTileRows);
}

// Everything a frame reads and writes besides the terrain itself, as the
// hot loops want it: plain pointers, allocated by OwnedFrameBuffers.
struct FrameBufferSet {
    int32_t width = 0;  // W0 x H0, the allocated size
    int32_t height = 0;
    // The frame-size pair: the size of the frame being drawn, always within
    // width x height (Renderer::SetFrameSize). BuildViewStrips sets it every
    // frame.
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    uint32_t* const* ColourRows = nullptr;  // the bitmap's scan lines
    int32_t* ColumnTop = nullptr;  // per column: highest row drawn so far
    uint32_t* ColumnColour = nullptr;  // per column: colour last met
    uint32_t* SkyRowColours = nullptr;  // per row: this frame's sky colour
    const int32_t* ReciprocalTable = nullptr;
    StripSample* SampleStrips = nullptr;  // kSampleStripSlots slots
    ScreenPoint* ProjectedSamples = nullptr;  // the same slots, projected
    // Per strip, kMaxBands spans (BandSpanAt).
    BandSpan* StripBandSpans = nullptr;
    // Tiled copies for frames up to width x height (TiledPixels).
    uint32_t* TiledColours = nullptr;
    uint32_t* TiledDepths = nullptr;
    int16_t* TiledHeights = nullptr;
    // Per row: its first element in the tiled copies, for this frame's width.
    std::ptrdiff_t* TiledRowStarts = nullptr;

    // The forward distance and height of the frame's pixels as the last
    // frame drew them: sky (kSkyDepth, height 0) above each column's top,
    // terrain from the tiled copies below it, and column 0, which no strip
    // fills, at the depth of column 1 as it has its colour. ReadBlock reads
    // columns [x0, x0 + n) of rows [r0, r0 + rows), which lie within the
    // frame-size pair and one row of tiles, into row-major blocks whose rows
    // are kTileColumns elements apart.
    void ReadBlock(int32_t x0, int32_t r0, int32_t n, int32_t rows, uint32_t* depths, int16_t* heights) const;
    uint32_t DepthAt(int32_t x, int32_t r) const;
    int16_t HeightAt(int32_t x, int32_t r) const;
};

// A buffer set over `bitmap`'s rows for frames up to its size, all cleared
// to zero. Freed when it is destroyed; the bitmap must outlive it. An
// allocation failure throws std::bad_alloc: without these buffers no frame
// can be drawn.
class OwnedFrameBuffers {
public:
    explicit OwnedFrameBuffers(Bitmap32& bitmap);
    ~OwnedFrameBuffers();
    OwnedFrameBuffers(const OwnedFrameBuffers&) = delete;
    OwnedFrameBuffers& operator=(const OwnedFrameBuffers&) = delete;

    const FrameBufferSet& Set() const { return set_; }

private:
    struct Blocks;
    std::unique_ptr<Blocks> blocks_;
    FrameBufferSet set_;
};
