#include "overlays/summitlabels.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPolygon>

#include "core/geometry.h"
#include "render/fixedpoint.h"
#include "render/frame.h"
#include "render/renderer.h"

namespace {

constexpr int kMarkerSize = 4;  // half the marker's width, pixels
constexpr int kLabelGap = 3;  // between the marker and its label
constexpr int kPadding = 2;
constexpr int kMaxLifts = 4;  // a label moves up at most this many of its heights

}  // namespace

QString SummitLabelText(int height, double distanceMetres)
{
    const QLocale english(QLocale::English);
    const double km = distanceMetres / 1000;
    const QString distance = km < 100 ? english.toString(km, 'f', 1) : english.toString(std::round(km), 'f', 0);
    return QStringLiteral("%1 m · %2 km").arg(english.toString(height), distance);
}

void SummitLabels::SetSummits(std::vector<Summit> summits)
{
    summits_ = std::move(summits);
    placed_.clear();
}

SummitSight SummitLabels::Sight(const Renderer& renderer, const Summit& summit, const RenderParams& params) const
{
    const ProjectionRecord& p = renderer.last.projection;
    const double east = (double(summit.column) - double(p.eyeX) / kCellUnits) * params.metresPerCell;
    const double south = (double(summit.row) - double(p.eyeY) / kCellUnits) * params.metresPerCell;
    double bearing = std::atan2(east, -south) * 180 / kPi;
    if (bearing < 0)
        bearing += 360;
    return {std::hypot(east, south), bearing};
}

void SummitLabels::Place(
    const Renderer& renderer, const QSize& frame, const RenderParams& params, const QFontMetrics& metrics)
{
    placed_.clear();
    if (!shown_)
        return;
    const int width = frame.width();
    for (std::size_t i = 0; i < summits_.size() && int(placed_.size()) < kMaxSummitLabels; ++i) {
        const Summit& summit = summits_[i];
        ScreenPoint top;
        if (!GridTopSeen(renderer, summit.column, summit.row, summit.height, top))
            continue;
        PlacedLabel label;
        label.summit = int(i);
        label.top = QPoint(top.sx, top.sy);
        label.text = SummitLabelText(summit.height, Sight(renderer, summit, params).distance);
        const QSize size(metrics.horizontalAdvance(label.text) + 2 * kPadding, metrics.height());
        // Centred over the marker, but inside the frame.
        const int left = std::clamp(top.sx - size.width() / 2, 0, std::max(width - size.width(), 0));
        QRect box(QPoint(left, top.sy - kMarkerSize - kLabelGap - size.height()), size);
        const auto overlaps = [&](const QRect& r) {
            return std::any_of(
                placed_.begin(), placed_.end(), [&](const PlacedLabel& p) { return p.box.intersects(r); });
        };
        int lifts = 0;
        while (overlaps(box) && lifts < kMaxLifts) {
            box.translate(0, -size.height());
            ++lifts;
        }
        if (overlaps(box) || box.top() < 0)
            continue;
        label.box = box;
        placed_.push_back(label);
    }
}

int SummitLabels::LabelAt(const QPoint& point) const
{
    for (std::size_t i = 0; i < placed_.size(); ++i)
        if (placed_[i].box.contains(point))
            return int(i);
    return -1;
}

void SummitLabels::Draw(QPainter& painter, int highlighted) const
{
    for (std::size_t i = 0; i < placed_.size(); ++i) {
        const PlacedLabel& label = placed_[i];
        const bool lit = int(i) == highlighted;
        const QPoint base = label.top;
        if (label.box.bottom() < base.y() - kMarkerSize - kLabelGap - 1) {
            painter.setPen(QColor(255, 255, 255, 200));
            painter.drawLine(base.x(), base.y() - kMarkerSize, base.x(), label.box.bottom());
        }
        painter.setPen(Qt::black);
        painter.setBrush(lit ? QColor(255, 200, 0) : QColor(255, 255, 255));
        painter.drawPolygon(QPolygon({base + QPoint(0, -kMarkerSize), base + QPoint(kMarkerSize, kMarkerSize),
            base + QPoint(-kMarkerSize, kMarkerSize)}));
        painter.setBrush(lit ? QColor(255, 230, 150, 235) : QColor(255, 255, 255, 200));
        painter.setPen(Qt::NoPen);
        painter.drawRect(label.box);
        painter.setPen(Qt::black);
        painter.drawText(label.box, Qt::AlignCenter, label.text);
    }
}
