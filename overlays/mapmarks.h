#pragma once
// The marks on the map box: the range circles round the landscape's middle,
// the opened tile's outline in a joined set, the summits, the view's wedge
// and the eye. Their sizes were laid out for the 360-pixel box and grow with
// the box; the circles and outline are places, and follow the zoom too.

#include <vector>

#include <QColor>
#include <QPoint>

#include "core/viewrecords.h"
#include "overlays/mapviewport.h"
#include "summits/summits.h"

class QPainter;

// The eye's own colour: no GPX file is drawn in it (gpxmaplayer.h).
extern const QColor kEyeMarkColour;
// The eye mark's radius in box pixels; its centre stays this far and one
// pixel more inside the box.
inline constexpr int kEyeMarkRadius = 5;

// Box pixels to the pixels of the 360-pixel box the marks were drawn for.
double MarkScale(const MapViewport& viewport);

void DrawRangeCircles(QPainter& painter, const MapViewport& viewport, const RenderParams& params);
void DrawSummitMarks(
    QPainter& painter, const MapViewport& viewport, const RenderParams& params, const std::vector<Summit>& summits);
// Edges of the view from the eye, inverted so they show on any colour.
void DrawViewWedge(QPainter& painter, const MapViewport& viewport, QPoint eye, const Viewpoint& view);
// A ring with a dot, kept inside the box wherever the eye is; where it
// was drawn.
QPoint DrawEyeMark(QPainter& painter, const MapViewport& viewport, QPoint eye);
