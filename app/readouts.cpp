#include "app/readouts.h"

#include <cmath>

#include <QLocale>

namespace {

constexpr int kRateIntervals = 15;
constexpr int kMinDistanceWidth = 6;

QString Hemisphere(double angle, const char* positive, const char* negative)
{
    return QString::fromLatin1(angle >= 0 ? positive : negative);
}

}  // namespace

QString FormatDms(double angle)
{
    // Tenths of an arc-second, rounded half away from zero before the split,
    // so that 60 seconds or 60 minutes never show.
    const double scaled = angle * 36000;
    const double rounded = angle >= 0 ? scaled + 0.5 : scaled - 0.5;
    int64_t a = std::llabs(int64_t(std::trunc(rounded)));
    const int tenths = int(a % 10);
    a /= 10;
    const int seconds = int(a % 60);
    a /= 60;
    const int minutes = int(a % 60);
    const int64_t degrees = a / 60;
    return QString::asprintf(" %3lldﾟ%02d'%02d\"%d", static_cast<long long>(degrees), minutes, seconds, tenths);
}

QString StatusLine(const Viewpoint& view, double altitude, int heightQuarters)
{
    const QString exaggeration =
        heightQuarters == kTrueHeightQuarters ? QString() : QString::asprintf("　高さ×%g", heightQuarters / 4.0);
    return QStringLiteral("視点：") + Hemisphere(view.latitude, "N", "S") + FormatDms(view.latitude) +
        QStringLiteral("　") + Hemisphere(view.longitude, "E", "W") + FormatDms(view.longitude) + QStringLiteral("　") +
        QString::asprintf("　最低高度：%4.0f(m)", view.minAltitude) + QString::asprintf("　高度：%4.0f(m)", altitude) +
        QString::asprintf("　方位：%5.1fﾟ", view.azimuth) + QString::asprintf("　ﾋﾟｯﾁ：%4.1fﾟ", view.pitch) +
        QString::asprintf("　視野角は%4.1fﾟ", view.viewAngle) + exaggeration;
}

QString CursorInfoText(double distance, int height)
{
    const QString grouped = QLocale().toString(distance, 'f', 0).rightJustified(kMinDistanceWidth);
    return QStringLiteral("Z.距離:") + grouped + QString::asprintf("(m),  標高:%5d(m)", height);
}

double FrameRate(uint32_t now, uint32_t then)
{
    // Unsigned subtraction gives the true span across a wrap of the counter.
    uint32_t elapsed = now - then;
    if (elapsed <= 1)
        elapsed = 1;
    return kRateIntervals * 1000.0 / elapsed;
}

QString FrameRateText(double rate)
{
    return QString::asprintf("%4.1f(Hz)", rate);
}
