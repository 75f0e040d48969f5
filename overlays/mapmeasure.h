#pragma once
// Measuring on the map: the great-circle distance and the initial bearing
// between two places, and the measuring line with its text.

#include <QFont>
#include <QString>

#include "core/viewrecords.h"
#include "overlays/mapviewport.h"

class QPainter;

// The earth's mean radius (IUGG), for distances on a sphere.
inline constexpr double kEarthMeanRadiusMetres = 6371008.8;

// Metres along the great circle from `from` to `to` (the haversine formula,
// which stays exact for points a few metres apart).
double GreatCircleMetres(MapPlace from, MapPlace to);
// Degrees clockwise from true north, [0, 360), of the great circle leaving
// `from` towards `to`.
double InitialBearingDegrees(MapPlace from, MapPlace to);

// "Distance 12.3 km, bearing 45°", in the user's language.
QString MeasureText(double metres, double bearing);

// The line from `from` to `to` on a map box of `viewport`, with its text.
void DrawMeasure(QPainter& painter, const MapViewport& viewport, const RenderParams& params, MapPlace from, MapPlace to,
    const QFont& font);
