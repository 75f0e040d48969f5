#include "overlays/mapgrid.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kStepsMinutes[] = {1, 5, 10, 30, 60};
constexpr int kMinutesPerDegree = 60;
const QColor kGridLine(40, 40, 40, 110);
const QColor kGridText(20, 20, 20);
const QColor kHalo(255, 255, 255, 210);
constexpr double kHaloWidth = 3;
constexpr double kLabelInset = 3;  // pixels between a label and the box's edge or its line
constexpr double kScaleBarLongestEm = 9;  // the bar's longest length, in text heights
constexpr double kScaleBarThick = 4;
constexpr double kScaleBarRoomEm = 2.5;  // the bar and its label's height, in text heights

// The lines of one direction: positions in degrees from `from` to `to`, a
// step of `minutes` apart, as whole multiples of the step so they sit on
// round values.
template <typename Each> void ForEachLine(double from, double to, int minutes, Each each)
{
    const double step = double(minutes) / kMinutesPerDegree;
    for (double k = std::ceil(std::min(from, to) / step); k * step <= std::max(from, to); ++k)
        each(k * step);
}

}  // namespace

int GridStepMinutes(double pixelsPerDegree, double minimumGap)
{
    for (const int minutes : kStepsMinutes) {
        if (pixelsPerDegree * minutes / kMinutesPerDegree >= minimumGap)
            return minutes;
    }
    return kStepsMinutes[std::size(kStepsMinutes) - 1];
}

QString GridLabel(double degrees, bool latitude)
{
    const long totalMinutes = std::lround(std::fabs(degrees) * kMinutesPerDegree);
    const QChar hemisphere = latitude ? (degrees < 0 ? QLatin1Char('S') : QLatin1Char('N'))
                                      : (degrees < 0 ? QLatin1Char('W') : QLatin1Char('E'));
    QString text = QString::number(totalMinutes / kMinutesPerDegree) + QChar(0x00B0);
    if (totalMinutes % kMinutesPerDegree != 0)
        text += QString::number(totalMinutes % kMinutesPerDegree) + QChar(0x2032);
    return text + hemisphere;
}

double ScaleBarMetres(double metresPerPixel, double longestPixels)
{
    const double longest = metresPerPixel * longestPixels;
    if (!(longest > 0))
        return 0;
    const double power = std::pow(10.0, std::floor(std::log10(longest)));
    for (const double m : {5.0, 2.0, 1.0}) {
        if (m * power <= longest)
            return m * power;
    }
    return power;
}

QString ScaleBarLabel(double metres)
{
    if (metres >= 1000)
        return QStringLiteral("%1 km").arg(metres / 1000);
    return QStringLiteral("%1 m").arg(metres);
}

void DrawHaloText(QPainter& painter, QPointF baseline, const QString& text, const QColor& colour)
{
    QPainterPath path;
    path.addText(baseline, painter.font(), text);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(path, QPen(kHalo, kHaloWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, colour);
}

void DrawMapGrid(QPainter& painter, const MapViewport& viewport, const RenderParams& params, const QFont& font)
{
    const QSizeF perDegree = PixelsPerDegree(viewport, params);
    const QFontMetricsF metrics(font);
    // Room for a label between lines: a longitude label's width.
    const double gap = metrics.horizontalAdvance(QStringLiteral("000°00′E")) + 2 * kLabelInset;
    const int minutes = GridStepMinutes(std::min(perDegree.width(), perDegree.height()), gap);
    const QSizeF box = viewport.box();
    const MapPlace northWest = PlaceOfPixel(viewport, params, {0, 0});
    const MapPlace southEast = PlaceOfPixel(viewport, params, {box.width(), box.height()});
    const double west = northWest.longitude;
    // Unwrapped across the 180th meridian, so the lines run west to east.
    const double east = west + LongitudeEastOf(southEast.longitude, west);

    painter.save();
    painter.setFont(font);
    painter.setPen(QPen(kGridLine, 1));
    ForEachLine(southEast.latitude, northWest.latitude, minutes, [&](double latitude) {
        const double y = PixelOfPlace(viewport, params, latitude, west).y();
        painter.drawLine(QPointF(0, y), QPointF(box.width(), y));
    });
    ForEachLine(west, east, minutes, [&](double longitude) {
        const double x = PixelOfPlace(viewport, params, northWest.latitude, WrapLongitude(longitude)).x();
        painter.drawLine(QPointF(x, 0), QPointF(x, box.height()));
    });
    // Labels after the lines, so that no line crosses a label. Latitudes on
    // the west edge above their line, longitudes along the north edge right
    // of theirs; the corner is left to the longitudes.
    const double top = metrics.ascent() + kLabelInset;
    // The scale bar and its label take the south-west corner.
    const double bottom = box.height() - kScaleBarRoomEm * metrics.height();
    ForEachLine(southEast.latitude, northWest.latitude, minutes, [&](double latitude) {
        const double y = PixelOfPlace(viewport, params, latitude, west).y() - kLabelInset - metrics.descent();
        if (y - metrics.ascent() > top + metrics.descent() && y < bottom)
            DrawHaloText(painter, QPointF(kLabelInset, y), GridLabel(latitude, true), kGridText);
    });
    ForEachLine(west, east, minutes, [&](double longitude) {
        const double x = PixelOfPlace(viewport, params, northWest.latitude, WrapLongitude(longitude)).x() + kLabelInset;
        const QString label = GridLabel(WrapLongitude(longitude), false);
        if (x + metrics.horizontalAdvance(label) < box.width())
            DrawHaloText(painter, QPointF(x, top), label, kGridText);
    });
    painter.restore();
}

void DrawScaleBar(QPainter& painter, const MapViewport& viewport, const RenderParams& params, const QFont& font)
{
    const QSizeF box = viewport.box();
    const MapPlace middle = PlaceOfPixel(viewport, params, {box.width() / 2, box.height() / 2});
    // East-west metres per pixel at the box's middle latitude.
    const double metresPerPixel =
        MetresPerDegree * EastWestScale(middle.latitude) / PixelsPerDegree(viewport, params).width();
    const QFontMetricsF metrics(font);
    const double metres = ScaleBarMetres(metresPerPixel, kScaleBarLongestEm * metrics.height());
    if (!(metres > 0))
        return;
    const double length = metres / metresPerPixel;
    const QPointF left(kLabelInset * 2, box.height() - kLabelInset * 2 - kScaleBarThick);
    painter.save();
    painter.setFont(font);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF bar(left, QSizeF(length, kScaleBarThick));
    painter.fillRect(bar.adjusted(-1, -1, 1, 1), Qt::white);
    // Black and white halves, as on printed maps.
    painter.fillRect(QRectF(bar.topLeft(), QSizeF(length / 2, kScaleBarThick)), Qt::black);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar);
    DrawHaloText(painter, left - QPointF(0, kLabelInset + metrics.descent()), ScaleBarLabel(metres), kGridText);
    painter.restore();
}
