#include "overlays/mapmeasure.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

#include "overlays/mapgrid.h"

namespace {

const QColor kMeasureLine(0, 0, 160);
constexpr double kMeasureWidth = 2;
constexpr double kEndRadius = 3;
constexpr double kTextInset = 4;

double Haversine(double angle)
{
    const double s = std::sin(angle / 2);
    return s * s;
}

}  // namespace

double GreatCircleMetres(MapPlace from, MapPlace to)
{
    const double lat1 = from.latitude * kDegToRad, lat2 = to.latitude * kDegToRad;
    const double dLon = LongitudeEastOf(to.longitude, from.longitude) * kDegToRad;
    const double h = Haversine(lat2 - lat1) + std::cos(lat1) * std::cos(lat2) * Haversine(dLon);
    return 2 * kEarthMeanRadiusMetres * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0)));
}

double InitialBearingDegrees(MapPlace from, MapPlace to)
{
    const double lat1 = from.latitude * kDegToRad, lat2 = to.latitude * kDegToRad;
    const double dLon = LongitudeEastOf(to.longitude, from.longitude) * kDegToRad;
    const double y = std::sin(dLon) * std::cos(lat2);
    const double x = std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dLon);
    const double bearing = std::atan2(y, x) / kDegToRad;
    return bearing < 0 ? bearing + 360 : bearing;
}

QString MeasureText(double metres, double bearing)
{
    // Below 10 km to the ten metres, beyond to the hundred.
    const QString distance = QString::number(metres / 1000, 'f', metres < 10000 ? 2 : 1);
    // Whole degrees, north as 0 rather than 360.
    const long degrees = std::lround(bearing) % 360;
    //: The map's measuring line: the distance in kilometres and the bearing in degrees from north.
    return QCoreApplication::translate("MapMeasure", "距離 %1 km　方位 %2°").arg(distance, QString::number(degrees));
}

void DrawMeasure(QPainter& painter, const MapViewport& viewport, const RenderParams& params, MapPlace from, MapPlace to,
    const QFont& font)
{
    const QPointF a = PixelOfPlace(viewport, params, from.latitude, from.longitude);
    const QPointF b = PixelOfPlace(viewport, params, to.latitude, to.longitude);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kMeasureLine, kMeasureWidth, Qt::DashLine, Qt::RoundCap));
    painter.drawLine(a, b);
    painter.setPen(QPen(kMeasureLine, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(a, kEndRadius, kEndRadius);
    painter.drawEllipse(b, kEndRadius, kEndRadius);
    // The text near the line's end, kept inside the box.
    painter.setFont(font);
    const QString text = MeasureText(GreatCircleMetres(from, to), InitialBearingDegrees(from, to));
    const QFontMetricsF metrics(font);
    const QSizeF box = viewport.box();
    const double width = metrics.horizontalAdvance(text);
    const double x = std::clamp(b.x() + kTextInset, kTextInset, std::max(kTextInset, box.width() - width - kTextInset));
    const double y = std::clamp(b.y() - kTextInset, metrics.ascent() + kTextInset,
        std::max(metrics.ascent(), box.height() - metrics.descent() - kTextInset));
    DrawHaloText(painter, QPointF(x, y), text, kMeasureLine);
    painter.restore();
}
