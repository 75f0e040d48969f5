#include "render/rasterise.h"

#include <algorithm>
#include <array>

#include "core/rowbands.h"
#include "core/workerpool.h"
#include "render/columnfill.h"
#include "render/projection.h"
#include "render/renderer.h"
#include "render/tiles.h"

namespace {

// Frames narrower than this are filled in one band: a thread costs more.
constexpr int32_t kMinBandColumns = 256;

int32_t BandCount(int32_t W, int32_t bandLimit)
{
    const int32_t limit = bandLimit > 0 ? std::min(bandLimit, kMaxBands) : WorkerPool::Shared().threads();
    return std::clamp(W / kMinBandColumns, 1, limit);
}

/* Two passes, each shared out over all cores. First every sample is
 * projected once, the strips split between the cores. Then the frame is
 * filled in bands of whole columns side by side: columns are independent (each
 * keeps its own top and colour, and a strip only ever fills upward within a
 * column), so each band walks every strip but fills only its own columns, and
 * the pixels are those that one band would give. A band starts on a tile's
 * first column, so that no two bands share a tile or a cache line of a row. */
void RasteriseColumns(Renderer& renderer, bool paintSky)
{
    const FrameBufferSet& fb = renderer.Buffers();
    const TiledTarget whole = TiledTargetOf(fb);
    renderer.carried.rasterFeedback = 0;
    if (whole.W <= 0 || whole.H <= 0 || whole.columnTop == nullptr || whole.colour == nullptr ||
        whole.rowStarts == nullptr)
        return;
    const StripRange strips = renderer.last.Strips();
    const ProjectionRecord& projection = renderer.last.projection;
    const int32_t bands = BandCount(whole.W, renderer.settings.bandLimit);
    // A load where a row's place would take a multiplication at every step.
    for (int32_t r = 0; r < whole.H; ++r)
        whole.rowStarts[r] = whole.Index(0, r);

    FillBands columns{bands, {}};
    for (int32_t i = 0; i <= bands; ++i)
        columns.edges[std::size_t(i)] = BandStart(0, whole.W, i, bands, kTileColumns);
    std::array<int32_t, kMaxBands> feedback{};
    WorkerPool::Shared().Run(bands, [&](int i) {
        feedback[i] = ProjectStrips(fb, projection, whole.W, whole.H, strips, columns,
            BandStart(0, strips.count, i, bands), BandStart(0, strips.count, i + 1, bands));
    });
    WorkerPool::Shared().Run(bands, [&](int i) {
        TiledTarget tg = whole;
        tg.xLo = columns.edges[std::size_t(i)];
        tg.xHi = columns.edges[std::size_t(i) + 1];
        FillBand(tg, fb.SampleStrips, fb.ProjectedSamples, strips, fb.StripBandSpans, i, paintSky);
    });
    for (int32_t i = 0; i < bands; ++i)
        renderer.carried.rasterFeedback |= feedback[i];
}

}  // namespace

void RasteriseStrips(Renderer& renderer)
{
    RasteriseColumns(renderer, false);
}

void RasteriseStripsUnderSky(Renderer& renderer)
{
    RasteriseColumns(renderer, true);
}
