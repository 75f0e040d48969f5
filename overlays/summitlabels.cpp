#include "overlays/summitlabels.h"

#include <algorithm>
#include <cmath>

#include <QFont>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPolygon>

#include "core/geometry.h"
#include "render/fixedpoint.h"
#include "render/frame.h"
#include "render/renderer.h"

namespace {

// The things looked at each frame, most wanted first: more could never find
// room in a frame, and each costs a projection.
constexpr std::size_t kMaxConsidered = 2000;

const QColor kHaloColour(255, 255, 255, 225);
const QColor kLitHalo(255, 210, 60);

void DrawMarker(QPainter& painter, const QPoint& top, bool summit, bool lit)
{
    painter.setPen(QPen(kLabelInk, 1));
    painter.setBrush(lit ? kLitHalo : QColor(255, 255, 255));
    const int m = kLabelMarkerSize;
    if (summit)
        painter.drawPolygon(QPolygon({top + QPoint(0, -m), top + QPoint(m, m), top + QPoint(-m, m)}));
    else
        painter.drawEllipse(top, m - 1, m - 1);
}

}  // namespace

QFont LabelFont()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kLabelPixels);
    font.setWeight(QFont::DemiBold);
    return font;
}

QString SummitLabelText(const QString& name, int height, double distanceMetres)
{
    const QLocale english(QLocale::English);
    const double km = distanceMetres / 1000;
    const QString distance = km < 100 ? english.toString(km, 'f', 1) : english.toString(std::round(km), 'f', 0);
    const QString figures = QStringLiteral("%1 m · %2 km").arg(english.toString(height), distance);
    return name.isEmpty() ? figures : name + QLatin1Char(' ') + figures;
}

void SummitLabels::SetSummits(std::vector<Summit> summits)
{
    summits_ = std::move(summits);
    subjects_ = LabelSubjects(summits_, {}, nullptr, Language::Japanese);
}

void SummitLabels::SetNames(const std::vector<NamedPlace>& named, const PlaceList& list, Language language)
{
    subjects_ = LabelSubjects(summits_, named, &list, language);
}

SummitSight SummitLabels::Sight(const Renderer& renderer, const LabelSubject& subject, const RenderParams& params) const
{
    const ProjectionRecord& p = renderer.last.projection;
    const double east = (subject.column - double(p.eyeX) / kCellUnits) * params.metresPerCell;
    const double south = (subject.row - double(p.eyeY) / kCellUnits) * params.metresPerCell;
    double bearing = std::atan2(east, -south) * 180 / kPi;
    if (bearing < 0)
        bearing += 360;
    return {std::hypot(east, south), bearing};
}

void SummitLabels::Place(const Renderer& renderer, const QSize& frame, const RenderParams& params,
    const QFontMetrics& metrics, int64_t nowMs)
{
    std::vector<LabelCandidate> candidates;
    const std::size_t considered = shown_ ? std::min(subjects_.size(), kMaxConsidered) : 0;
    for (std::size_t i = 0; i < considered; ++i) {
        const LabelSubject& subject = subjects_[i];
        const auto column = int32_t(std::lround(subject.column)), row = int32_t(std::lround(subject.row));
        LabelCandidate candidate;
        ScreenPoint top;
        candidate.seen = GridTopSeen(renderer, column, row, subject.drawnHeight, top);
        if (!candidate.seen) {
            // Hidden for now: where it stands still counts for a label shown.
            top = ProjectGridSample(renderer, column, row, subject.drawnHeight);
            if (top.depth < kCellUnits || top.sx < 0 || top.sy < 0 || top.sx >= frame.width() ||
                top.sy >= frame.height())
                continue;
        }
        const GeoPoint at = GridToGeo(params, subject.column, subject.row);
        candidate.latitude = at.latitude;
        candidate.longitude = at.longitude;
        candidate.top = QPoint(top.sx, top.sy);
        candidate.text = SummitLabelText(subject.name, ShownHeight(subject), Sight(renderer, subject, params).distance);
        candidate.subject = int(i);
        candidates.push_back(std::move(candidate));
    }
    layout_.Place(candidates, frame, metrics, nowMs);
}

int SummitLabels::LabelAt(const QPoint& point) const
{
    const std::vector<PlacedLabel>& labels = placed();
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (labels[i].box.contains(point))
            return int(i);
    return -1;
}

void SummitLabels::Draw(QPainter& painter, int highlighted) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const std::vector<PlacedLabel>& labels = placed();
    // Leader lines first: the text of any label stays above them.
    for (const PlacedLabel& label : labels)
        if (label.HasLeader()) {
            const int x = label.top.x();
            painter.setPen(QPen(QColor(255, 255, 255, 220), 3));
            painter.drawLine(x, label.box.bottom() + 2, x, label.top.y() - kLabelMarkerSize - 1);
            painter.setPen(QPen(kLabelInk, 1));
            painter.drawLine(x, label.box.bottom() + 2, x, label.top.y() - kLabelMarkerSize - 1);
        }
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const PlacedLabel& label = labels[i];
        const bool lit = int(i) == highlighted;
        DrawMarker(painter, label.top, SubjectOf(label).summit, lit);
        haloTexts_.Draw(painter, label.box.topLeft(), label.text, lit ? kLitHalo : kHaloColour);
    }
    painter.restore();
}
