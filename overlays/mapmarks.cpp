#include "overlays/mapmarks.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPolygon>

const QColor kEyeMarkColour(255, 224, 0);

namespace {

constexpr double kDesignSide = 360;  // the box the marks were drawn for
constexpr int kRangeCircles[] = {50, 100, 150};
constexpr int kWedgeLength = 250;
const QColor kCircleGrey(128, 128, 128);
constexpr int kSummitMarkHalf = 3;
constexpr int kSummitClearance = 14;
constexpr std::size_t kMaxSummitMarks = 40;
constexpr double kEyeDotRadius = 1.5;

// Screen positions of far-away eyes stay far outside any box, but within
// the range that integer drawing can take.
constexpr int kFarPixel = 1 << 20;
int PixelOf(double value)
{
    return TruncInto(value, -kFarPixel, kFarPixel);
}

}  // namespace

double MarkScale(const MapViewport& viewport)
{
    return std::max(1.0, std::max(viewport.box().width(), viewport.box().height()) / kDesignSide);
}

void DrawRangeCircles(QPainter& painter, const MapViewport& viewport, const RenderParams& params)
{
    painter.setPen(kCircleGrey);
    painter.setBrush(Qt::NoBrush);
    if (params.areaDegrees > 1) {
        // The opened tile, in the middle of the joined cells around it.
        const double third = 1.0 / params.areaDegrees;
        const QRect tile = QRectF(viewport.PixelOf({third, third}), viewport.PixelOf({2 * third, 2 * third})).toRect();
        painter.drawRect(tile.x(), tile.y(), tile.width() - 1, tile.height() - 1);
    }
    const QPointF centre = viewport.PixelOf({0.5, 0.5});
    const double scale = MarkScale(viewport) * viewport.zoom();
    for (const int r : kRangeCircles) {
        const int radius = PixelOf(r * scale);
        painter.drawEllipse(QRect(PixelOf(centre.x()) - radius, PixelOf(centre.y()) - radius, 2 * radius, 2 * radius));
    }
}

// The most prominent summits as small triangles, each kept clear of those
// already drawn so that the relief stays readable.
void DrawSummitMarks(
    QPainter& painter, const MapViewport& viewport, const RenderParams& params, const std::vector<Summit>& summits)
{
    const int half = PixelOf(kSummitMarkHalf * MarkScale(viewport));
    const int clearance = PixelOf(kSummitClearance * MarkScale(viewport));
    std::vector<QPoint> drawn;
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 255, 255));
    const QRect box(QPoint(0, 0), viewport.box().toSize());
    for (const Summit& summit : summits) {
        if (drawn.size() >= kMaxSummitMarks)
            break;
        const GeoPoint place = GridToGeo(params, summit.column, summit.row);
        const QPoint p = PixelOfPlace(viewport, params, place.latitude, place.longitude).toPoint();
        if (!box.adjusted(-half, -half, half, half).contains(p) ||
            std::any_of(
                drawn.begin(), drawn.end(), [&](const QPoint& q) { return (q - p).manhattanLength() < clearance; }))
            continue;
        drawn.push_back(p);
        painter.drawPolygon(QPolygon({p + QPoint(0, -half), p + QPoint(half, half), p + QPoint(-half, half)}));
    }
}

void DrawViewWedge(QPainter& painter, const MapViewport& viewport, QPoint eye, const Viewpoint& view)
{
    // Right and left edge, kWedgeLength along the view and spread by the
    // half angle across it.
    const double length = kWedgeLength * MarkScale(viewport);
    const double f = view.azimuth * kDegToRad;
    const double c = PixelOf(std::tan(view.viewAngle * 0.5 * kDegToRad) * length);
    const double sinF = std::sin(f);
    const double cosF = std::cos(f);
    const int dx1 = PixelOf(c * cosF + length * sinF);
    const int dy1 = PixelOf(length * cosF - c * sinF);
    const int dx2 = PixelOf(-c * cosF + length * sinF);
    const int dy2 = PixelOf(length * cosF + c * sinF);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(Qt::white);
    painter.drawLine(eye, eye + QPoint(dx1, -dy1));
    painter.drawLine(eye, eye + QPoint(dx2, -dy2));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QPoint DrawEyeMark(QPainter& painter, const MapViewport& viewport, QPoint eye)
{
    const QSize box = viewport.box().toSize();
    const int inside = kEyeMarkRadius + 1;
    const QPoint at(std::clamp(eye.x(), inside, std::max(inside, box.width() - 1 - inside)),
        std::clamp(eye.y(), inside, std::max(inside, box.height() - 1 - inside)));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(kEyeMarkColour);
    painter.drawEllipse(QPointF(at), kEyeMarkRadius, kEyeMarkRadius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(at), kEyeDotRadius, kEyeDotRadius);
    painter.restore();
    return at;
}
