#include "render/framebuffers.h"

#include <algorithm>
#include <array>
#include <memory>

#include "render/tiles.h"

namespace {

constexpr std::array<int32_t, kReciprocalEntries> MakeReciprocalTable()
{
    std::array<int32_t, kReciprocalEntries> table{};
    for (int32_t i = 1; i < kReciprocalEntries; ++i)
        table[i] = (1 << kReciprocalBits) / i;
    return table;
}
constexpr std::array<int32_t, kReciprocalEntries> kReciprocals = MakeReciprocalTable();

}  // namespace

// Every block of one buffer set.
struct OwnedFrameBuffers::Blocks {
    ZeroedBuffer<uint32_t*> colourRows;
    ZeroedBuffer<int32_t> columnTop;
    ZeroedBuffer<uint32_t> columnColour;
    ZeroedBuffer<uint32_t> skyRowColours;
    ZeroedBuffer<StripSample> sampleStrips;
    ZeroedBuffer<ScreenPoint> projectedSamples;
    ZeroedBuffer<BandSpan> stripBandSpans;
    ZeroedBuffer<uint32_t> tiledColours;
    ZeroedBuffer<uint32_t> tiledDepths;
    ZeroedBuffer<int16_t> tiledHeights;
    ZeroedBuffer<std::ptrdiff_t> tiledRowStarts;
};

OwnedFrameBuffers::OwnedFrameBuffers(Bitmap32& bitmap) : blocks_(std::make_unique<Blocks>())
{
    const int32_t w = bitmap.width();
    const int32_t h = bitmap.height();
    Blocks& b = *blocks_;
    // Zeroed by the system page by page on first use: clearing the screen's
    // buffers up front (some 70 MB at 1920 x 1080, most of the strip blocks
    // never touched) cost every start-up about 40 ms.

    b.columnTop = AllocateZeroed<int32_t>(w);
    b.columnColour = AllocateZeroed<uint32_t>(w);
    b.sampleStrips = AllocateZeroed<StripSample>(kSampleStripSlots);
    b.projectedSamples = AllocateZeroed<ScreenPoint>(kSampleStripSlots);
    b.stripBandSpans = AllocateZeroed<BandSpan>(std::size_t(kMaxStripCount) * kMaxBands);
    b.colourRows = AllocateZeroed<uint32_t*>(h);
    for (int32_t y = 0; y < h; ++y)
        b.colourRows[y] = bitmap.scanLine(y);
    b.skyRowColours = AllocateZeroed<uint32_t>(h);
    b.tiledColours = AllocateZeroed<uint32_t>(TiledPixels(w, h));
    b.tiledDepths = AllocateZeroed<uint32_t>(TiledPixels(w, h));
    b.tiledHeights = AllocateZeroed<int16_t>(TiledPixels(w, h));
    b.tiledRowStarts = AllocateZeroed<std::ptrdiff_t>(h);

    set_.width = w;
    set_.height = h;
    // Until the first frame states its size; a frame stage always clips the
    // pair to the allocated size before it draws.
    set_.frameWidth = 1024;
    set_.frameHeight = 1024;
    set_.ColourRows = b.colourRows.get();
    set_.ColumnTop = b.columnTop.get();
    set_.ColumnColour = b.columnColour.get();
    set_.SkyRowColours = b.skyRowColours.get();
    set_.ReciprocalTable = kReciprocals.data();
    set_.SampleStrips = b.sampleStrips.get();
    set_.ProjectedSamples = b.projectedSamples.get();
    set_.StripBandSpans = b.stripBandSpans.get();
    set_.TiledColours = b.tiledColours.get();
    set_.TiledDepths = b.tiledDepths.get();
    set_.TiledHeights = b.tiledHeights.get();
    set_.TiledRowStarts = b.tiledRowStarts.get();
}

OwnedFrameBuffers::~OwnedFrameBuffers() = default;

void FrameBufferSet::ReadBlock(
    int32_t x0, int32_t r0, int32_t n, int32_t rows, uint32_t* depths, int16_t* heights) const
{
    // Tiles lie column after column, so a column of a row of tiles is a run
    // of kTileRows elements, a tile's height on from the one to its left.
    static_assert(kTilePixels == kTileColumns * kTileRows);
    const std::ptrdiff_t rowStart = TiledIndex(TileRowStep(frameWidth), 0, r0);
    const auto skyRows = [&](int32_t x) { return std::clamp(ColumnTop[x] - r0, 0, rows); };
    const auto column0 = [&](int32_t x) { return x == 0 && frameWidth > 1 ? 1 : x; };
    if (n == kTileColumns && rows == kTileRows && r0 % kTileRows == 0) {
        // A whole tile: transposed four rows at a time, then the sky put in.
        const std::ptrdiff_t at = rowStart + std::ptrdiff_t(x0) * kTileRows;
        for (int32_t k = 0; k < kTileRows; k += 4) {
            uint32_t* d = depths + k * kTileColumns;
            int16_t* h = heights + k * kTileColumns;
            TransposeFourRows(TiledDepths + at + k, {d, d + kTileColumns, d + 2 * kTileColumns, d + 3 * kTileColumns});
            TransposeFourRows(TiledHeights + at + k, {h, h + kTileColumns, h + 2 * kTileColumns, h + 3 * kTileColumns});
        }
        if (column0(x0) != x0)
            for (int32_t k = 0; k < rows; ++k)
                depths[k * kTileColumns] = depths[k * kTileColumns + 1];
        for (int32_t i = 0; i < n; ++i) {
            for (int32_t k = 0, sky = skyRows(column0(x0 + i)); k < sky; ++k)
                depths[k * kTileColumns + i] = kSkyDepth;
            for (int32_t k = 0, sky = skyRows(x0 + i); k < sky; ++k)
                heights[k * kTileColumns + i] = 0;
        }
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        const int32_t x = x0 + i;
        const int32_t from = column0(x);
        const uint32_t* depthColumn = TiledDepths + rowStart + std::ptrdiff_t(from) * kTileRows;
        const int16_t* heightColumn = TiledHeights + rowStart + std::ptrdiff_t(x) * kTileRows;
        const int32_t depthSky = skyRows(from), heightSky = skyRows(x);
        for (int32_t k = 0; k < rows; ++k) {
            depths[k * kTileColumns + i] = k < depthSky ? kSkyDepth : depthColumn[k];
            heights[k * kTileColumns + i] = k < heightSky ? int16_t(0) : heightColumn[k];
        }
    }
}

uint32_t FrameBufferSet::DepthAt(int32_t x, int32_t r) const
{
    uint32_t d = 0;
    int16_t h = 0;
    ReadBlock(x, r, 1, 1, &d, &h);
    return d;
}

int16_t FrameBufferSet::HeightAt(int32_t x, int32_t r) const
{
    uint32_t d = 0;
    int16_t h = 0;
    ReadBlock(x, r, 1, 1, &d, &h);
    return h;
}
