#include "overlays/gpxmaplayer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>

#include "core/geometry.h"
#include "overlays/mapgrid.h"

namespace {

constexpr double kPenWidth = 1.5;
constexpr double kDotRadius = 2.5;
constexpr double kClipMargin = 4;  // pixels beyond the map a stroke or dot may reach into it from
constexpr double kMinStep = 1;  // pixels: a point nearer the last one drawn adds nothing at this scale
constexpr std::size_t kLinesPerBatch = 4096;
constexpr uint8_t kLineCovered = 1;
constexpr uint8_t kDotCovered = 2;

constexpr double kNameGap = 4;  // pixels between a waypoint's dot and its name

// Where on the map's pixels a point lies.
class MapProjection {
public:
    MapProjection(const MapViewport& viewport, const RenderParams& params) : viewport_(viewport), params_(params) { }
    QPointF operator()(const GpxPoint& p) const { return PixelOfPlace(viewport_, params_, p.latitude, p.longitude); }

private:
    const MapViewport& viewport_;
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

// A file's waypoints as dots; the strokes drawn.
int DrawWaypoints(QPainter& painter, const std::vector<GpxWaypoint>& waypoints, const QColor& colour,
    const MapProjection& project, Coverage& coverage, const QFont* font, const QRectF& layer)
{
    int strokes = 0;
    // Names after the dots, and each only where it overlaps no name written
    // before it, so that a crowded file stays readable.
    std::vector<std::pair<QPointF, const QString*>> named;
    painter.setBrush(colour);
    painter.setPen(Qt::black);
    for (const GpxWaypoint& waypoint : waypoints) {
        const QPointF at = project(waypoint.at);
        if (coverage.CoverDot(at)) {
            painter.drawEllipse(at, kDotRadius, kDotRadius);
            ++strokes;
            if (font && !waypoint.name.isEmpty())
                named.emplace_back(at, &waypoint.name);
        }
    }
    if (!font)
        return strokes;
    painter.setFont(*font);
    const QFontMetricsF metrics(*font);
    std::vector<QRectF> taken;
    for (const auto& [at, name] : named) {
        const QPointF baseline = at + QPointF(kDotRadius + kNameGap, metrics.ascent() / 2 - metrics.descent() / 2);
        const QRectF room(
            baseline.x(), baseline.y() - metrics.ascent(), metrics.horizontalAdvance(*name), metrics.height());
        if (!layer.intersects(room) ||
            std::any_of(taken.begin(), taken.end(), [&](const QRectF& other) { return other.intersects(room); }))
            continue;
        taken.push_back(room);
        DrawHaloText(painter, baseline, *name, Qt::black);
    }
    return strokes;
}

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
    MapViewport viewport;
    viewport.SetBox(QSizeF(width, height));
    return Layer(files, filesSerial, viewport, params, nullptr);
}

const QImage& GpxMapLayer::Layer(const std::vector<GpxData>& files, uint64_t filesSerial, const MapViewport& viewport,
    const RenderParams& params, const QFont* font)
{
    const QSize box = viewport.box().toSize();
    const Key key{filesSerial, box.width(), box.height(), AreaNorthLat(params), AreaWestLon(params),
        double(params.areaDegrees), viewport.zoom(), viewport.centre().x, viewport.centre().y,
        font ? font->key() : QString()};
    if (!built_ || !(key == key_)) {
        key_ = key;
        built_ = true;
        Build(files, viewport, params, font);
    }
    return layer_;
}

void GpxMapLayer::Build(
    const std::vector<GpxData>& files, const MapViewport& viewport, const RenderParams& params, const QFont* font)
{
    ++builds_;
    strokes_ = 0;
    const int width = std::max(key_.width, 1), height = std::max(key_.height, 1);
    layer_ = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (layer_.isNull())
        return;  // no memory for it: the map shows without the files
    layer_.fill(Qt::transparent);
    const MapProjection project(viewport, params);
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
        strokes_ += DrawWaypoints(
            painter, files[f].waypoints, GpxFileColour(f), project, coverage, font, QRectF(0, 0, width, height));
    }
}
