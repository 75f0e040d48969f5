#pragma once
// Labels of what the 3D view shows: the summits found in the heights and the
// places the lists name, each a marker on its top with its name, height and
// distance in dark text on a light halo, placed by one layout
// (labellayout.h) after the frame has been drawn.

#include <cstdint>
#include <utility>
#include <vector>

#include <QFont>
#include <QString>

#include "core/viewrecords.h"
#include "overlays/halotext.h"
#include "overlays/labellayout.h"
#include "overlays/labelsubjects.h"
#include "summits/summits.h"

class QFontMetrics;
class QPainter;
class Renderer;

// Where a thing lies as seen from the eye of the last frame.
struct SummitSight {
    double distance = 0;  // metres over the ground
    double bearing = 0;  // degrees clockwise from north
};

// The font labels are drawn in: proportional, bold enough to read over
// the landscape.
inline constexpr int kLabelPixels = 14;
QFont LabelFont();

class SummitLabels {
public:
    explicit SummitLabels(LabelTiming timing = {}) : layout_(timing) { }

    // The summits found; they stand unnamed until SetNames.
    void SetSummits(std::vector<Summit> summits);
    const std::vector<Summit>& summits() const { return summits_; }
    // The names matched to summits() (matching.h) from `list`.
    void SetNames(const std::vector<NamedPlace>& named, const PlaceList& list, Language language);
    const std::vector<LabelSubject>& subjects() const { return subjects_; }
    // Subjects made elsewhere, as another set of labels has them.
    void SetSubjects(std::vector<LabelSubject> subjects) { subjects_ = std::move(subjects); }
    bool shown() const { return shown_; }
    void SetShown(bool shown) { shown_ = shown; }

    // Places the labels of the frame just drawn (frame x frame size) at
    // `nowMs`: only things whose top the frame shows, not hidden by nearer
    // ground in its depth buffer, by the layout's rules.
    void Place(const Renderer& renderer, const QSize& frame, const RenderParams& params, const QFontMetrics& metrics,
        int64_t nowMs);
    const std::vector<PlacedLabel>& placed() const { return layout_.placed(); }
    // Whether another frame soon would show or take away a label.
    bool Pending() const { return layout_.Pending(); }
    // The placed label under `point`, or -1.
    int LabelAt(const QPoint& point) const;
    // The subject of a placed label.
    const LabelSubject& SubjectOf(const PlacedLabel& label) const { return subjects_[std::size_t(label.subject)]; }
    void Draw(QPainter& painter, int highlighted) const;

    // The thing as seen from the last frame's eye.
    SummitSight Sight(const Renderer& renderer, const LabelSubject& subject, const RenderParams& params) const;

private:
    std::vector<Summit> summits_;
    std::vector<LabelSubject> subjects_;
    LabelLayout layout_;
    bool shown_ = true;
    mutable HaloTexts haloTexts_;  // a cache: drawing changes nothing that is seen of the labels
};

// "Fuji 3,776 m · 12.3 km", or without a name "3,776 m · 12.3 km": the
// distance with one decimal below 100 km.
QString SummitLabelText(const QString& name, int height, double distanceMetres);
