#include "render/offscreenframe.h"

#include <algorithm>

#include "elevation/terrain.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "render/viewstrips.h"

int32_t RenderOffscreen(const Renderer& screen, Bitmap32& bitmap, int frames, const Terrain& terrain,
    const RenderParams& params, const Viewpoint& view)
{
    return RenderOffscreen(screen, bitmap, frames, terrain, terrain.tileInfo, terrain.reliefLevels, params, view);
}

int32_t RenderOffscreen(const Renderer& screen, Bitmap32& bitmap, int frames, const Terrain& terrain,
    const TileInfo& relief, const ReliefLevels& levels, const RenderParams& params, const Viewpoint& view,
    const OffscreenOverlay& over)
{
    Renderer renderer(bitmap);
    renderer.settings = screen.settings;
    renderer.carried = screen.carried;
    Viewpoint eye = view;
    eye.renderAzimuth = eye.azimuth;
    int32_t altitude = 0;
    for (int k = 0; k < std::max(frames, 1); ++k) {
        // The ground follow moves the eye a little every frame; held where
        // the screen has it, every frame is drawn from the same place.
        renderer.carried.groundFollow = screen.carried.groundFollow;
        BuildViewStrips(
            renderer, bitmap.width(), bitmap.height(), relief, levels, terrain.heightGrid.rows(), params, eye);
        altitude = RasteriseFrame(renderer, relief, terrain.heightGrid.rows(), params, eye);
    }
    if (over)
        over(renderer);
    return altitude;
}
