#pragma once
// One view's renderer: its frame buffers over a bitmap, the settings its
// frames are drawn with, what each frame leaves to steer the next, and what
// the last frame leaves for its readers (labels, tracks, the cursor line).
// The main window, every off-screen frame and every test own one each, so
// that frames drawn for one never disturb another's.
//
// A frame is two stages: BuildViewStrips (viewstrips.h) gathers the visible
// grid samples, then RasteriseFrame (frame.h) places the eye, projects the
// samples and fills the frame.

#include <cstdint>

#include "core/raster.h"
#include "render/framebuffers.h"
#include "render/framestate.h"
#include "render/projection.h"
#include "render/viewstrips.h"

// What the last frame leaves for its readers.
struct LastFrame {
    double eyeAltitude = 0;  // metres, always a whole number
    ProjectionRecord projection;
    StripLayout layout;
    int32_t stripCount = 0;  // strips built
    int32_t stripStride = kSlopeClasses[0].stride;  // samples budgeted per strip

    // Strip i starts at slot i * StripSlotPitch() of the strip buffer.
    int32_t StripSlotPitch() const { return stripStride + kStripSpareSlots; }
    StripRange Strips() const { return StripRange::Of(stripCount, stripStride); }
};

class Renderer {
public:
    // Buffers for frames up to the bitmap's size, over its rows, all cleared.
    // The bitmap must outlive the renderer. Throws std::bad_alloc.
    explicit Renderer(Bitmap32& target);

    const FrameBufferSet& Buffers() const { return buffers_; }
    // Sets the frame-size pair to W x H clipped to the buffers: the one place
    // the pair is bounded, so every reader may trust it.
    void SetFrameSize(int32_t W, int32_t H);

    FrameSettings settings;
    CarriedState carried;
    LastFrame last;

private:
    OwnedFrameBuffers owned_;
    FrameBufferSet buffers_;
};
