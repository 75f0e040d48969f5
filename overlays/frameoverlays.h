#pragma once
// What a picture of the 3D view carries over its frame, as the window draws
// it: the GPX files and the labels of what it shows. Shared by the viewer's
// saves and vantorel-render, so that a saved picture shows what was seen.

#include <vector>

#include "core/viewrecords.h"
#include "overlays/labelsubjects.h"

class Bitmap32;
class GpxOverlay;
class Renderer;
struct Terrain;

struct FrameOverlays {
    const GpxOverlay* gpx = nullptr;  // none: no tracks
    const std::vector<LabelSubject>* subjects = nullptr;  // none: no labels
};

// Over the frame `renderer` has just drawn from `terrain` into the whole of
// `frame`: the labels placed at once, as for a single picture.
void DrawFrameOverlays(
    const Renderer& renderer, Bitmap32& frame, const Terrain& terrain, const RenderParams& params, FrameOverlays over);
