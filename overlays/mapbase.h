#pragma once
// The landscape on the map box: the terrain's map image (360 pixels to the
// degree's square), and where the box shows it larger than its own pixels,
// the relief itself at the level nearest the box's scale, so that a large
// or zoomed map stays sharp. The map image itself is never changed.

#include "core/viewrecords.h"
#include "overlays/mapviewport.h"

class QPainter;
struct Terrain;

// True when the map image is shown pixel for pixel, unscaled.
bool MapShownAsIs(const MapViewport& viewport, const Terrain& terrain);

void DrawMapBase(QPainter& painter, const MapViewport& viewport, const Terrain& terrain, const RenderParams& params);
