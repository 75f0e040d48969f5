#include "render/framebuffers.h"

#include <algorithm>
#include <array>
#include <memory>

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
    ZeroedBuffer<uint32_t*> depthRows;
    ZeroedBuffer<int16_t*> heightRows;
    ZeroedBuffer<uint32_t> depthBlock;
    ZeroedBuffer<int16_t> heightBlock;
    ZeroedBuffer<int32_t> columnTop;
    ZeroedBuffer<uint32_t> columnColour;
    ZeroedBuffer<uint32_t> skyRowColours;
    ZeroedBuffer<StripSample> sampleStrips;
    ZeroedBuffer<ScreenPoint> projectedSamples;
    ZeroedBuffer<uint32_t> tiledColours;
    ZeroedBuffer<uint32_t> tiledDepths;
    ZeroedBuffer<int16_t> tiledHeights;
    ZeroedBuffer<std::ptrdiff_t> tiledRowStarts;
};

OwnedFrameBuffers::OwnedFrameBuffers(Bitmap32& bitmap) : blocks_(std::make_unique<Blocks>())
{
    const int32_t w = bitmap.width();
    const int32_t h = bitmap.height();
    const std::size_t pixels = std::size_t(w) * std::size_t(h);
    Blocks& b = *blocks_;
    // Zeroed by the system page by page on first use: clearing the screen's
    // buffers up front (some 70 MB at 1920 x 1080, most of the strip blocks
    // never touched) cost every start-up about 40 ms.

    b.columnTop = AllocateZeroed<int32_t>(w);
    b.columnColour = AllocateZeroed<uint32_t>(w);
    b.depthBlock = AllocateZeroed<uint32_t>(pixels);
    b.heightBlock = AllocateZeroed<int16_t>(pixels);
    b.sampleStrips = AllocateZeroed<StripSample>(kSampleStripSlots);
    b.projectedSamples = AllocateZeroed<ScreenPoint>(kSampleStripSlots);
    b.colourRows = AllocateZeroed<uint32_t*>(h);
    b.depthRows = AllocateZeroed<uint32_t*>(h);
    b.heightRows = AllocateZeroed<int16_t*>(h);
    for (int32_t y = 0; y < h; ++y) {
        b.colourRows[y] = bitmap.scanLine(y);
        b.depthRows[y] = b.depthBlock.get() + std::size_t(y) * w;
        b.heightRows[y] = b.heightBlock.get() + std::size_t(y) * w;
    }
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
    set_.DepthRows = b.depthRows.get();
    set_.HeightRows = b.heightRows.get();
    set_.ColumnTop = b.columnTop.get();
    set_.ColumnColour = b.columnColour.get();
    set_.SkyRowColours = b.skyRowColours.get();
    set_.ReciprocalTable = kReciprocals.data();
    set_.SampleStrips = b.sampleStrips.get();
    set_.ProjectedSamples = b.projectedSamples.get();
    set_.TiledColours = b.tiledColours.get();
    set_.TiledDepths = b.tiledDepths.get();
    set_.TiledHeights = b.tiledHeights.get();
    set_.TiledRowStarts = b.tiledRowStarts.get();
}

OwnedFrameBuffers::~OwnedFrameBuffers() = default;
