#pragma once
// What is written over a panorama: a degree scale along its foot with the
// compass points, and a label over each top it shows, placed so that no two
// overlap, each tied to its top by a leader line.

#include <vector>

#include <QString>

#include "render/panorama.h"

class QPainter;

struct PanoramaLabel {
    int x;  // the top, in panorama pixels
    int y;
    QString text;
};

// The scale: a tick every degree, a longer one every 10 with its number,
// and N, E, S, W at their azimuths.
void DrawPanoramaScale(QPainter& painter, const PanoramaRequest& request, int width, int height);

// Labels in the order given (the most important first): each goes above its
// top, moved up a row at a time past the ones already placed; one that finds
// no room below the panorama's top is left out.
void DrawPanoramaLabels(QPainter& painter, const std::vector<PanoramaLabel>& labels, int width, int height);
