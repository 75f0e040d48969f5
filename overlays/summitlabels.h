#pragma once
// Labels of the summits seen in the 3D view: a marker on each visible top
// and its height and distance, placed without overlap after the frame has
// been drawn, and small triangles on the map.

#include <vector>

#include <QPoint>
#include <QRect>
#include <QString>

#include "core/viewrecords.h"
#include "summits/summits.h"

class QFontMetrics;
class QPainter;
class Renderer;

// Where a summit lies as seen from the eye of the last frame.
struct SummitSight {
    double distance = 0;  // metres over the ground
    double bearing = 0;  // degrees clockwise from north
};

struct PlacedLabel {
    int summit = 0;  // index into the summits
    QPoint top;  // the marker, on the summit's top
    QRect box;  // the text
    QString text;
};

inline constexpr int kMaxSummitLabels = 40;

class SummitLabels {
public:
    void SetSummits(std::vector<Summit> summits);
    const std::vector<Summit>& summits() const { return summits_; }
    bool shown() const { return shown_; }
    void SetShown(bool shown) { shown_ = shown; }

    // Places the labels of the frame just drawn (frame x frame size): only
    // summits whose top the frame shows, not hidden by nearer ground in its
    // depth buffer; most prominent first, each moved up above the ones placed
    // when it would cover them, at most kMaxSummitLabels.
    void Place(const Renderer& renderer, const QSize& frame, const RenderParams& params, const QFontMetrics& metrics);
    const std::vector<PlacedLabel>& placed() const { return placed_; }
    // The placed label under `point`, or -1.
    int LabelAt(const QPoint& point) const;
    void Draw(QPainter& painter, int highlighted) const;

    // The summit as seen from the last frame's eye.
    SummitSight Sight(const Renderer& renderer, const Summit& summit, const RenderParams& params) const;

private:
    std::vector<Summit> summits_;
    std::vector<PlacedLabel> placed_;
    bool shown_ = true;
};

// "3,776 m · 12.3 km": the distance with one decimal below 100 km.
QString SummitLabelText(int height, double distanceMetres);
