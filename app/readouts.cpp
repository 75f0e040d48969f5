#include "app/readouts.h"

#include <cmath>

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

#include "elevation/tileerror.h"
#include "elevation/tilename.h"

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
    //: Degrees, minutes, seconds and tenths of a second of an angle.
    return QCoreApplication::translate("Readouts", " %1ﾟ%2'%3\"%4")
        .arg(static_cast<qlonglong>(degrees), 3)
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'))
        .arg(tenths);
}

QString StatusLine(const Viewpoint& view, double altitude, int heightQuarters)
{
    //: How many times higher than they are the heights are drawn.
    const QString exaggeration = heightQuarters == kTrueHeightQuarters
        ? QString()
        : QCoreApplication::translate("Readouts", "　高さ×%1").arg(QString::asprintf("%g", heightQuarters / 4.0));
    //: The 3D view's status line: the eye's latitude and longitude, its lowest
    //: altitude and its altitude in metres, the azimuth, pitch and angle of view.
    return QCoreApplication::translate(
               "Readouts", "視点：%1　%2　　最低高度：%3(m)　高度：%4(m)　方位：%5ﾟ　ﾋﾟｯﾁ：%6ﾟ　視野角は%7ﾟ")
               .arg(Hemisphere(view.latitude, "N", "S") + FormatDms(view.latitude),
                   Hemisphere(view.longitude, "E", "W") + FormatDms(view.longitude),
                   QString::asprintf("%4.0f", view.minAltitude), QString::asprintf("%4.0f", altitude),
                   QString::asprintf("%5.1f", view.azimuth), QString::asprintf("%4.1f", view.pitch),
                   QString::asprintf("%4.1f", view.viewAngle)) +
        exaggeration;
}

namespace {

QString Translated(const char* context, std::string_view text)
{
    return QCoreApplication::translate(context, QByteArray(text.data(), qsizetype(text.size())).constData());
}

}  // namespace

QString LoadNotesText(const LoadReport& report)
{
    QStringList parts;
    for (const LoadNote& note : report.notes) {
        const std::string_view name = FileNameOf(note.file);
        parts.append(
            Translated("LoadNote", LoadNoteMessage(note.kind))
                .arg(QString::fromUtf8(name.data(), qsizetype(name.size())),
                    note.why == TileError::None ? QString() : Translated("TileError", TileErrorMessage(note.why))));
    }
    return parts.join(QLatin1Char(' '));
}

QString LoadReportText(const LoadReport& report)
{
    QString text = LoadNotesText(report);
    if (report.voidSamples > 0)
        //: Samples of the tiles read that held no height (voids), drawn at sea level.
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) +
            QCoreApplication::translate("Readouts", "欠測値%1点は海面としました．")
                .arg(QLocale().toString(qulonglong(report.voidSamples)));
    return text;
}

QString SunReadout(double azimuth, double elevation)
{
    // Whole degrees: the line has room for little more at the window's minimum width.
    //: The status line's end in the natural look: the sun's azimuth and altitude in whole degrees.
    return QCoreApplication::translate("Readouts", "　太陽：%1ﾟ／%2ﾟ")
        .arg(QString::asprintf("%.0f", azimuth), QString::asprintf("%.0f", elevation));
}

QString CurvatureReadout()
{
    //: The status line's note that the earth is drawn curved (key C).
    return QCoreApplication::translate("Readouts", "　地球曲率");
}

QString CursorInfoText(double distance, int height)
{
    const QString grouped = QLocale().toString(distance, 'f', 0).rightJustified(kMinDistanceWidth);
    //: The cursor line: the distance to the ground under the cursor and its height, in metres.
    return QCoreApplication::translate("Readouts", "Z.距離:%1(m),  標高:%2(m)")
        .arg(grouped, QString::asprintf("%5d", height));
}

namespace {

// Letters of a summit's name the cursor line keeps before any figure is left out.
constexpr int kNameLettersKept = 4;

}  // namespace

QString LabelInfoText(
    const LabelSubject& subject, double distance, double bearing, const QFontMetrics& metrics, int width)
{
    const QLocale locale;
    QStringList parts;
    if (subject.listedElevation)
        //: The cursor line over a label: the elevation the list of names gives, metres.
        parts.append(QCoreApplication::translate("Readouts", "リスト:%1m")
                         .arg(locale.toString(std::lround(*subject.listedElevation))));
    //: The cursor line over a label: the height in the elevation data, metres.
    parts.append(QCoreApplication::translate("Readouts", "データ:%1m").arg(locale.toString(subject.height)));
    if (subject.prominence)
        //: The cursor line over a label: the summit's prominence, metres.
        parts.append(QCoreApplication::translate("Readouts", "独立:%1m").arg(locale.toString(*subject.prominence)));
    //: The cursor line over a label: distance (km) and bearing (degrees) from the eye.
    parts.append(QCoreApplication::translate("Readouts", "%1km %2°")
                     .arg(locale.toString(distance / 1000, 'f', 1), locale.toString(bearing, 'f', 0)));
    const QString gap = QStringLiteral("  ");
    //: The cursor line over a label without a name: a summit found in the heights.
    const QString name = subject.name.isEmpty() ? QCoreApplication::translate("Readouts", "山頂") : subject.name;
    // Where the figures leave the name no room for a few letters, the first
    // go, down to the distance and bearing, which are never cut.
    const int nameRoom = metrics.horizontalAdvance(name.left(kNameLettersKept) + QChar(0x2026));
    while (parts.size() > 1 && metrics.horizontalAdvance(gap + parts.join(gap)) > width - nameRoom)
        parts.removeFirst();
    const QString figures = parts.join(gap);
    const int room = width - metrics.horizontalAdvance(gap + figures);
    return metrics.elidedText(name, Qt::ElideRight, std::max(room, 0)) + gap + figures;
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
    return QCoreApplication::translate("Readouts", "%1(Hz)").arg(QString::asprintf("%4.1f", rate));
}
