// The texts of the readouts: degrees-minutes-seconds, the status line, the
// cursor line and the frame rate.

#include "gui-fixture.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLocale>

#include "app/readouts.h"

namespace {

struct DmsCase {
    double angle;
    const char* text;
};

const DmsCase kDmsCases[] = {
    {35.5, "  35ﾟ30'00\"0"}, {-139.75, " 139ﾟ45'00\"0"},
    {0.99999999, "   1ﾟ00'00\"0"},  // rounded to tenths before the split
    {0, "   0ﾟ00'00\"0"}, {138.123456, " 138ﾟ07'24\"4"},  // 444.4416 s
    {-0.00001389, "   0ﾟ00'00\"1"},  // 0.05 s rounds away from zero
};

TEST(FormatDms, DegreesMinutesSecondsAndTenths)
{
    for (const DmsCase& c : kDmsCases) {
        SCOPED_TRACE(c.angle);
        EXPECT_EQ(FormatDms(c.angle), QString::fromUtf8(c.text));
    }
}

TEST(StatusLine, HemispheresWidthsAndFullWidthSpaces)
{
    Viewpoint view;
    view.latitude = 35.5;
    view.longitude = -139.75;
    view.minAltitude = 12345.6;
    view.azimuth = 7.3;
    view.pitch = -5;
    view.viewAngle = 40;
    EXPECT_EQ(StatusLine(view, 987),
        QStringLiteral("視点：N  35ﾟ30'00\"0　W 139ﾟ45'00\"0　　最低高度：12346(m)　高度： 987(m)"
                       "　方位：  7.3ﾟ　ﾋﾟｯﾁ：-5.0ﾟ　視野角は40.0ﾟ"));

    view.latitude = -0.5;
    view.longitude = 0;
    view.minAltitude = 10;
    view.azimuth = 359.94;
    view.pitch = 10;
    view.viewAngle = 5;
    EXPECT_EQ(StatusLine(view, 0),
        QStringLiteral("視点：S   0ﾟ30'00\"0　E   0ﾟ00'00\"0　　最低高度：  10(m)　高度：   0(m)"
                       "　方位：359.9ﾟ　ﾋﾟｯﾁ：10.0ﾟ　視野角は 5.0ﾟ"));
}

TEST(CursorInfoText, GroupedDistanceAndHeight)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CursorInfoText(999999, 0), QStringLiteral("Z.距離:999,999(m),  標高:    0(m)"));
    EXPECT_EQ(CursorInfoText(30, -12), QStringLiteral("Z.距離:    30(m),  標高:  -12(m)"));
    EXPECT_EQ(CursorInfoText(1234, 3776), QStringLiteral("Z.距離: 1,234(m),  標高: 3776(m)"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(CursorInfoText(54321, 123456), QStringLiteral("Z.距離:54.321(m),  標高:123456(m)"));
    QLocale::setDefault(QLocale::system());
}

TEST(FrameRate, FifteenIntervalsAcrossAWrap)
{
    EXPECT_DOUBLE_EQ(FrameRate(1150, 1000), 100.0);
    // The counter wrapped 5 ms after the older sample.
    EXPECT_DOUBLE_EQ(FrameRate(145, 0xFFFFFFFBu), 100.0);
    EXPECT_DOUBLE_EQ(FrameRate(7, 7), 15000.0);
    EXPECT_DOUBLE_EQ(FrameRate(8, 7), 15000.0);
    EXPECT_EQ(FrameRateText(100.0), QStringLiteral("100.0(Hz)"));
    EXPECT_EQ(FrameRateText(7.24), QStringLiteral(" 7.2(Hz)"));
}

}  // namespace

// Over a label, in either language, the line keeps the distance and bearing
// whole: a long name is cut first, then the figures before them go.
TEST(LabelInfoText, TheBearingIsNeverCutInEitherLanguage)
{
    LabelSubject subject;
    subject.height = 3700;
    subject.prominence = 1234;
    subject.listedElevation = 3701;
    subject.name = QStringLiteral("Mount Arven of the Long Name");
    const QFontMetrics metrics(QApplication::font());
    const auto check = [&](const char* language) {
        for (const int width : {900, 420, 300, 220}) {
            const QString line = LabelInfoText(subject, 24400, 123, metrics, width);
            EXPECT_LE(metrics.horizontalAdvance(line), width) << language << ' ' << line.toStdString();
            EXPECT_TRUE(line.endsWith(QStringLiteral("123°"))) << language << ' ' << line.toStdString();
            EXPECT_TRUE(line.contains(QStringLiteral("24.4"))) << language << ' ' << line.toStdString();
            EXPECT_TRUE(line.startsWith(QStringLiteral("Moun"))) << language << ' ' << line.toStdString();
        }
        const QString roomy = LabelInfoText(subject, 24400, 123, metrics, 2000);
        EXPECT_TRUE(roomy.contains(QStringLiteral("3,701")) && roomy.contains(QStringLiteral("1,234")))
            << "with room, every figure: " << roomy.toStdString();
    };
    check("ja");
    const InEnglish english;
    check("en");
    EXPECT_TRUE(LabelInfoText(subject, 24400, 123, metrics, 2000).contains(QStringLiteral("prom. 1,234 m")));
}
