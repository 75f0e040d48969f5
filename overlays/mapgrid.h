#pragma once
// The map's grid of latitude and longitude lines, labelled in degrees and
// minutes, and its scale bar. The grid's step is picked by the zoom: the
// finest of whole degrees, half degrees, ten, five and one minutes whose
// lines stay far enough apart to read.

#include <QFont>
#include <QString>

#include "core/viewrecords.h"
#include "overlays/mapviewport.h"

class QPainter;

// The grid's step in minutes of arc for lines `pixelsPerDegree` apart per
// degree, keeping them at least `minimumGap` pixels apart.
int GridStepMinutes(double pixelsPerDegree, double minimumGap);

// A grid line's label: "35°20′N", "138°E"; whole degrees leave out the minutes.
QString GridLabel(double degrees, bool latitude);

// The scale bar's length in metres for `metresPerPixel`: the longest 1, 2 or
// 5 times a power of ten that is at most `longestPixels` long.
double ScaleBarMetres(double metresPerPixel, double longestPixels);
// "500 m", "2 km".
QString ScaleBarLabel(double metres);

// Lines, labels and scale bar over a map box of `viewport`; text in `font`.
void DrawMapGrid(QPainter& painter, const MapViewport& viewport, const RenderParams& params, const QFont& font);
void DrawScaleBar(QPainter& painter, const MapViewport& viewport, const RenderParams& params, const QFont& font);

// Text that stays readable on any relief colour: drawn with a light halo.
void DrawHaloText(QPainter& painter, QPointF baseline, const QString& text, const QColor& colour);
