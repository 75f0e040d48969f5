#include "render/offscreenframe.h"

#include <algorithm>

#include "elevation/terrain.h"
#include "render/frame.h"
#include "render/framebuffers.h"
#include "render/viewstrips.h"

namespace {

// Puts the renderer's state back however the frames end.
class ScopedRendererState {
public:
    ScopedRendererState() : saved_(SaveRendererState()) { }
    ~ScopedRendererState() { RestoreRendererState(saved_); }
    ScopedRendererState(const ScopedRendererState&) = delete;
    ScopedRendererState& operator=(const ScopedRendererState&) = delete;

    const RendererState& Saved() const { return saved_; }

private:
    RendererState saved_;
};

}  // namespace

RendererState SaveRendererState()
{
    return {DetailFactor, RasterFeedback, GroundFollow, EyeAltitude, StripCount, StripStride, ProjectionSetup};
}

void RestoreRendererState(const RendererState& state)
{
    DetailFactor = state.detailFactor;
    RasterFeedback = state.rasterFeedback;
    GroundFollow = state.groundFollow;
    EyeAltitude = state.eyeAltitude;
    StripCount = state.stripCount;
    StripStride = state.stripStride;
    ProjectionSetup = state.projection;
}

int32_t RenderOffscreen(
    Bitmap32& bitmap, int frames, const Terrain& terrain, const RenderParams& params, const Viewpoint& view)
{
    const OwnedFrameBuffers buffers(bitmap);
    const ScopedRendererState state;
    const ScopedFrameBuffers swap(buffers.Set());
    Viewpoint eye = view;
    eye.renderAzimuth = eye.azimuth;
    int32_t altitude = 0;
    for (int k = 0; k < std::max(frames, 1); ++k) {
        // The ground follow moves the eye a little every frame; held where
        // the screen has it, every frame is drawn from the same place.
        GroundFollow = state.Saved().groundFollow;
        BuildViewStrips(bitmap.width(), bitmap.height(), terrain.tileInfo, terrain.reliefLevels,
            terrain.heightGrid.rows(), params, eye);
        altitude = RasteriseFrame(terrain.tileInfo, terrain.heightGrid.rows(), params, eye);
    }
    return altitude;
}
