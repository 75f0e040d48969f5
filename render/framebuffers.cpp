#include "framebuffers.h"

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

template <typename T> std::unique_ptr<T[]> Cleared(std::size_t count)
{
    return std::unique_ptr<T[]>(new T[count]());
}

// The blocks live until the process ends; they are held here only so that
// leak checkers see them owned.
struct Storage {
    std::unique_ptr<uint32_t*[]> colourRows;
    std::unique_ptr<uint32_t*[]> depthRows;
    std::unique_ptr<int16_t*[]> heightRows;
    std::unique_ptr<uint32_t[]> depthBlock;
    std::unique_ptr<int16_t[]> heightBlock;
    std::unique_ptr<int32_t[]> columnTop;
    std::unique_ptr<uint32_t[]> columnColour;
    std::unique_ptr<uint32_t[]> skyRowColours;
    std::unique_ptr<StripSample[]> sampleStrips;
    std::unique_ptr<ScreenPoint[]> projectedSamples;
};
Storage storage;
bool prepared = false;
FrameBuffersRecord view;

}  // namespace

FrameBufferSet FrameBuffers = [] {
    FrameBufferSet set;
    set.ReciprocalTable = kReciprocals.data();
    return set;
}();

void PrepareFrameBuffers(Bitmap32& bitmap)
{
    if (prepared)
        return;
    prepared = true;

    const int32_t w = bitmap.width();
    const int32_t h = bitmap.height();
    const std::size_t pixels = std::size_t(w) * std::size_t(h);

    storage.columnTop = Cleared<int32_t>(w);
    storage.columnColour = Cleared<uint32_t>(w);
    storage.depthBlock = Cleared<uint32_t>(pixels);
    storage.heightBlock = Cleared<int16_t>(pixels);
    storage.sampleStrips = Cleared<StripSample>(kSampleStripSlots);
    storage.projectedSamples = Cleared<ScreenPoint>(kSampleStripSlots);
    storage.colourRows = Cleared<uint32_t*>(h);
    storage.depthRows = Cleared<uint32_t*>(h);
    storage.heightRows = Cleared<int16_t*>(h);
    for (int32_t y = 0; y < h; ++y) {
        storage.colourRows[y] = bitmap.scanLine(y);
        storage.depthRows[y] = storage.depthBlock.get() + std::size_t(y) * w;
        storage.heightRows[y] = storage.heightBlock.get() + std::size_t(y) * w;
    }
    storage.skyRowColours = Cleared<uint32_t>(h);

    FrameBuffers.width = w;
    FrameBuffers.height = h;
    // Until the first frame states its size; a frame stage always clips the
    // pair to the allocated size before it draws.
    FrameBuffers.frameWidth = 1024;
    FrameBuffers.frameHeight = 1024;
    FrameBuffers.ColourRows = storage.colourRows.get();
    FrameBuffers.DepthRows = storage.depthRows.get();
    FrameBuffers.HeightRows = storage.heightRows.get();
    FrameBuffers.ColumnTop = storage.columnTop.get();
    FrameBuffers.ColumnColour = storage.columnColour.get();
    FrameBuffers.SkyRowColours = storage.skyRowColours.get();
    FrameBuffers.ReciprocalTable = kReciprocals.data();
    FrameBuffers.SampleStrips = storage.sampleStrips.get();
    FrameBuffers.ProjectedSamples = storage.projectedSamples.get();

    view = {w, h, FrameBuffers.ColourRows, FrameBuffers.DepthRows, FrameBuffers.HeightRows};
}

void SetFrameSize(int32_t W, int32_t H)
{
    FrameBuffers.frameWidth = std::clamp(W, 0, FrameBuffers.width);
    FrameBuffers.frameHeight = std::clamp(H, 0, FrameBuffers.height);
}

bool FrameBuffersPrepared()
{
    return prepared;
}

const FrameBuffersRecord& FrameBuffersView()
{
    return view;
}
