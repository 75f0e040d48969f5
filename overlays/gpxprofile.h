#pragma once
// A GPX line's elevation profile on the loaded landscape, and the mark of a
// place along it (hovered on the profile) on the map and in the 3D view.

#include <QColor>
#include <QPointF>

#include "core/geometry.h"
#include "core/viewrecords.h"
#include "flight/trackprofile.h"

class QPainter;
class Renderer;
struct GpxLine;
struct Terrain;

// The mark's colour: no GPX file and not the eye are drawn in it.
extern const QColor kProfileMarkColour;

// The profile of `line`: the grid's heights from `terrain`, unexaggerated,
// and the file's <ele> where its points have them.
TrackProfile ProfileOfLine(const GpxLine& line, const Terrain& terrain, const RenderParams& params);

// A diamond centred on `pixel` of the map box.
void DrawProfileMarkOnMap(QPainter& painter, QPointF pixel);
// The same over the ground at `place` in the renderer's last frame where
// the frame shows that ground, and only its outline where nearer ground
// hides it; false where it is off the frame or behind the eye.
bool DrawProfileMarkInFrame(
    QPainter& painter, const Renderer& renderer, const Terrain& terrain, const RenderParams& params, GeoPoint place);
