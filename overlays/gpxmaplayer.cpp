#include "overlays/gpxmaplayer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include <QLineF>
#include <QPainter>

#include "core/geometry.h"

namespace {

constexpr double kPenWidth = 1.5;
constexpr double kDotRadius = 2.5;
constexpr double kClipMargin = 4;  // pixels beyond the map a stroke or dot may reach into it from
constexpr double kMinStep = 1;  // pixels: a point nearer the last one drawn adds nothing at this scale
constexpr std::size_t kLinesPerBatch = 4096;
constexpr uint8_t kLineCovered = 1;
constexpr uint8_t kDotCovered = 2;

// Where on the map's pixels a point lies.
class MapProjection {
public:
    MapProjection(int width, int height, const RenderParams& params) : width_(width), height_(height), params_(params)
    {
    }
    QPointF operator()(const GpxPoint& p) const
    {
        const MapFraction at = MapFractionOf(params_, p.latitude, p.longitude);
        return {width_ * at.x, height_ * at.y};
    }

private:
    int width_;
    int height_;
    const RenderParams& params_;
};

// The part of a segment inside `area` (Liang-Barsky), if any.
std::optional<QLineF> Clipped(QPointF a, QPointF b, const QRectF& area)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double from = 0, to = 1;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x() - area.left(), area.right() - a.x(), a.y() - area.top(), area.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            from = std::max(from, t);
        else
            to = std::min(to, t);
        if (from > to)
            return std::nullopt;
    }
    return QLineF(a + QPointF(dx, dy) * from, a + QPointF(dx, dy) * to);
}

// The pixels each file has covered, so that a stroke over covered pixels
// only is left out.
class Coverage {
public:
    Coverage(int width, int height) : width_(width), height_(height), cells_(std::size_t(width) * height) { }

    // Marks the pixels along `line`; whether any was not covered before.
    bool CoverLine(const QLineF& line)
    {
        const double steps = std::ceil(std::max(std::fabs(line.dx()), std::fabs(line.dy())));
        bool added = false;
        for (double i = 0; i <= steps; ++i) {
            const QPointF at = steps == 0 ? line.p1() : line.pointAt(i / steps);
            added = Cover(at, kLineCovered) || added;
        }
        return added;
    }
    bool CoverDot(QPointF at) { return Cover(at, kDotCovered); }
    void Clear() { std::fill(cells_.begin(), cells_.end(), uint8_t(0)); }

private:
    bool Cover(QPointF at, uint8_t kind)
    {
        const double x = std::floor(at.x()), y = std::floor(at.y());
        if (!(x >= 0 && y >= 0 && x < width_ && y < height_))
            return false;
        uint8_t& cell = cells_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
        if (cell & kind)
            return false;
        cell |= kind;
        return true;
    }

    int width_;
    int height_;
    std::vector<uint8_t> cells_;
};

}  // namespace

QColor GpxFileColour(std::size_t file)
{
    static const QColor kColours[] = {
        QColor(255, 40, 40), QColor(255, 0, 255), QColor(0, 220, 255), QColor(255, 150, 0), QColor(150, 80, 255)};
    return kColours[file % std::size(kColours)];
}

const QImage& GpxMapLayer::Layer(
    const std::vector<GpxData>& files, uint64_t filesSerial, int width, int height, const RenderParams& params)
{
    const Key key{filesSerial, width, height, AreaNorthLat(params), AreaWestLon(params), double(params.areaDegrees)};
    if (!built_ || !(key == key_)) {
        key_ = key;
        built_ = true;
        Build(files, params);
    }
    return layer_;
}

void GpxMapLayer::Build(const std::vector<GpxData>& files, const RenderParams& params)
{
    ++builds_;
    strokes_ = 0;
    const int width = std::max(key_.width, 1), height = std::max(key_.height, 1);
    layer_ = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (layer_.isNull())
        return;  // no memory for it: the map shows without the files
    layer_.fill(Qt::transparent);
    const MapProjection project(width, height, params);
    const QRectF area(-kClipMargin, -kClipMargin, width + 2 * kClipMargin, height + 2 * kClipMargin);
    Coverage coverage(width, height);
    QPainter painter(&layer_);
    painter.setRenderHint(QPainter::Antialiasing);
    std::vector<QLineF> batch;
    for (std::size_t f = 0; f < files.size(); ++f) {
        coverage.Clear();
        painter.setPen(QPen(GpxFileColour(f), kPenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        for (const GpxLine& line : files[f].lines) {
            QPointF last = project(line.points.front());
            for (std::size_t i = 1; i < line.points.size(); ++i) {
                const QPointF next = project(line.points[i]);
                const bool end = i + 1 == line.points.size();
                if (!end && std::max(std::fabs(next.x() - last.x()), std::fabs(next.y() - last.y())) < kMinStep)
                    continue;
                if (const std::optional<QLineF> seen = Clipped(last, next, area); seen && coverage.CoverLine(*seen))
                    batch.push_back(*seen);
                last = next;
                if (batch.size() == kLinesPerBatch) {
                    painter.drawLines(batch.data(), int(batch.size()));
                    strokes_ += int(batch.size());
                    batch.clear();
                }
            }
        }
        painter.drawLines(batch.data(), int(batch.size()));
        strokes_ += int(batch.size());
        batch.clear();
        painter.setBrush(GpxFileColour(f));
        painter.setPen(Qt::black);
        for (const GpxWaypoint& waypoint : files[f].waypoints) {
            const QPointF at = project(waypoint.at);
            if (coverage.CoverDot(at)) {
                painter.drawEllipse(at, kDotRadius, kDotRadius);
                ++strokes_;
            }
        }
    }
}
