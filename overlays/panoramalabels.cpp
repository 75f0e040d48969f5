#include "overlays/panoramalabels.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kScaleHeight = 22;  // pixels at the foot kept for the scale
constexpr int kLabelGap = 6;  // between a top and its label
constexpr int kPadding = 3;

// Text with a light halo, readable over sky and ground alike.
void DrawHaloText(QPainter& painter, QPointF at, const QString& text)
{
    QPainterPath path;
    path.addText(at, painter.font(), text);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 20, 20));
    painter.drawPath(path);
}

}  // namespace

void DrawPanoramaScale(QPainter& painter, const PanoramaRequest& request, int width, int height)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const int foot = height - kScaleHeight;
    painter.fillRect(0, foot, width, kScaleHeight, QColor(0, 0, 0, 110));
    const QFontMetrics metrics = painter.fontMetrics();
    const double perDegree = width / (request.toAzimuth - request.fromAzimuth);
    const int first = int(std::ceil(request.fromAzimuth));
    for (int degree = first; degree <= int(std::floor(request.toAzimuth)); ++degree) {
        const double x = (degree - request.fromAzimuth) * perDegree;
        const bool major = degree % 10 == 0;
        if (!major && perDegree < 3)
            continue;
        painter.setPen(QColor(255, 255, 255, major ? 230 : 140));
        painter.drawLine(QPointF(x, foot), QPointF(x, foot + (major ? 7 : 4)));
        const int azimuth = ((degree % 360) + 360) % 360;
        static const char* const kPoints[] = {"N", "E", "S", "W"};
        const QString text = azimuth % 90 == 0 ? QString::fromLatin1(kPoints[azimuth / 90])
            : major && perDegree * 10 > metrics.horizontalAdvance(QStringLiteral("000")) + 8 ? QString::number(azimuth)
                                                                                             : QString();
        if (!text.isEmpty())
            painter.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2.0, height - 4), text);
    }
    painter.restore();
}

void DrawPanoramaLabels(QPainter& painter, const std::vector<PanoramaLabel>& labels, int width, int height)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = painter.fontMetrics();
    const int rowHeight = metrics.height() + 2 * kPadding;
    std::vector<QRect> placed;
    for (const PanoramaLabel& label : labels) {
        if (label.y >= height - kScaleHeight)
            continue;
        const int textWidth = metrics.horizontalAdvance(label.text) + 2 * kPadding;
        const int left = std::clamp(label.x - textWidth / 2, 0, std::max(width - textWidth, 0));
        QRect box(left, label.y - kLabelGap - rowHeight, textWidth, rowHeight);
        // A box and its leader line must not cross one already placed.
        const auto blocked = [&](const QRect& r) {
            const QRect leader(label.x, r.bottom(), 1, label.y - r.bottom());
            return std::any_of(
                placed.begin(), placed.end(), [&](const QRect& p) { return p.intersects(r) || p.intersects(leader); });
        };
        while (box.top() >= 0 && blocked(box))
            box.translate(0, -rowHeight);
        if (box.top() < 0)
            continue;
        placed.push_back(box);
        painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
        painter.drawLine(QPoint(label.x, label.y - 1), QPoint(label.x, box.bottom()));
        DrawHaloText(painter, QPointF(box.left() + kPadding, box.bottom() - kPadding - metrics.descent()), label.text);
    }
    painter.restore();
}
