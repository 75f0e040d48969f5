// The elevation profile panel on the real main window: E shows the figures
// of the GPX track opened, hovering the curve marks the place on the map
// and in the 3D view, and a flight along the track is marked on the curve.

#include "gui-fixture.h"

#include <cmath>

#include <QMouseEvent>

#include "app/mapview.h"
#include "app/profilepanel.h"
#include "elevation/terrain.h"
#include "flight/trackpath.h"
#include "overlays/bitmapimage.h"
#include "overlays/gpxprofile.h"

namespace {

// The track: 4 km north from (35.30, 138.60), its file's heights up 300 m
// and down 100 m.
const GeoPoint kStart{35.30, 138.60};
const GeoPoint kEnd{35.30 + 4000 / MetresPerDegree, 138.60};

int MarkPixels(const QImage& picture)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += (picture.pixel(x, y) & 0xFFFFFF) == (kProfileMarkColour.rgb() & 0xFFFFFF);
    return count;
}

class ProfileTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        MakeForm();
        mainWindow->OpenTile(SampleAs(QStringLiteral("profile_N35E138_dem.tif")));
        ASSERT_EQ(Model().params.columns, Model().terrain->tileInfo.width);
    }

    void OpenTrack()
    {
        const QString gpx = dir.filePath(QStringLiteral("ridge.gpx"));
        QFile file(gpx);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
                                  "<trk><name>ridge</name><trkseg>"
                                  "<trkpt lat=\"%1\" lon=\"138.6\"><ele>1000</ele></trkpt>"
                                  "<trkpt lat=\"%2\" lon=\"138.6\"><ele>1300</ele><time>x</time></trkpt>"
                                  "<trkpt lat=\"%3\" lon=\"138.6\"><ele>1200</ele></trkpt>"
                                  "</trkseg></trk></gpx>")
                       .arg(kStart.latitude, 0, 'f', 9)
                       .arg((kStart.latitude + kEnd.latitude) / 2, 0, 'f', 9)
                       .arg(kEnd.latitude, 0, 'f', 9)
                       .toUtf8());
        file.close();
        mainWindow->OpenTile(gpx);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !mainWindow->Gpx().empty(); }));
    }

    ProfilePanel& Panel() const { return *mainWindow->Profile(); }

    // Keys go to the active window, E's shortcut too.
    void Press(Qt::Key key)
    {
        mainWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow.get()));
        QTest::keyClick(mainWindow.get(), key);
    }

    void MoveOverPlot(int x)
    {
        QWidget* plot = Panel().plot();
        const QPointF at(x, plot->height() / 2);
        QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(plot, &move);
    }
};

TEST_F(ProfileTest, EShowsTheTracksFiguresFromTheGridAndTheFile)
{
    EXPECT_FALSE(Panel().isVisible());
    Press(Qt::Key_E);
    ASSERT_TRUE(Panel().isVisible());
    EXPECT_TRUE(Panel().profile().points.empty());
    OpenTrack();
    const TrackProfile& profile = Panel().profile();
    ASSERT_FALSE(profile.points.empty());
    EXPECT_NEAR(profile.length, GroundMetres(kStart, kEnd), 0.01);
    // The file's figures, as its heights say.
    EXPECT_TRUE(profile.file.known);
    EXPECT_EQ(profile.file.ascent, 300);
    EXPECT_EQ(profile.file.descent, 100);
    EXPECT_EQ(profile.file.highest, 1300);
    // The grid's, from the heights under the track.
    ASSERT_TRUE(profile.ground.known);
    double highest = -1e9;
    for (const ProfilePoint& point : profile.points)
        highest = std::max(highest, point.ground);
    EXPECT_EQ(profile.ground.highest, highest);
    EXPECT_GT(profile.ground.ascent + profile.ground.descent, 0);
    const QString text = Panel().FiguresText();
    EXPECT_TRUE(text.contains(QStringLiteral("長さ 4.00&nbsp;km"))) << text.toStdString();
    EXPECT_TRUE(
        text.contains(QStringLiteral("上り 300&nbsp;m，下り 100&nbsp;m，最高点 1300&nbsp;m（2.00&nbsp;km地点）")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("最高点 %1&nbsp;m").arg(std::lround(highest)))) << text.toStdString();

    // Deleting the GPX files empties it; E hides it.
    Press(Qt::Key_Delete);
    EXPECT_TRUE(Panel().profile().points.empty());
    Press(Qt::Key_E);
    EXPECT_FALSE(Panel().isVisible());
}

TEST_F(ProfileTest, TheFiguresReadInEnglish)
{
    const InEnglish english;
    OpenTrack();
    const QString text = Panel().FiguresText();
    EXPECT_TRUE(text.contains(QStringLiteral("Length 4.00&nbsp;km"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("up 300&nbsp;m, down 100&nbsp;m, top 1300&nbsp;m at 2.00&nbsp;km")))
        << text.toStdString();
}

TEST_F(ProfileTest, HoveringMarksThePlaceOnTheMapAndIn3d)
{
    OpenTrack();
    Panel().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Panel()));
    // The eye south of the track, looking north along it.
    mainWindow->MoveViewTo(kStart.latitude - 0.03, kStart.longitude, 0);
    mainWindow->PaintView3d();
    const QSize frame = mainWindow->FrameSize();
    const auto frameMarks = [&] { return MarkPixels(ImageOverBitmap(mainWindow->FrameBitmap(), frame)); };
    const int before3d = frameMarks();
    EXPECT_FALSE(mainWindow->Form().mapView->profileMark());

    MoveOverPlot(Panel().PlotXOf(Panel().profile().length / 2));
    ASSERT_TRUE(Panel().hoveredAt());
    EXPECT_NEAR(*Panel().hoveredAt(), Panel().profile().length / 2, Panel().profile().length / 100);
    const std::optional<GeoPoint> marked = mainWindow->Form().mapView->profileMark();
    ASSERT_TRUE(marked);
    EXPECT_NEAR(marked->latitude, (kStart.latitude + kEnd.latitude) / 2, 0.0005);
    EXPECT_NEAR(marked->longitude, kStart.longitude, 1e-9);
    const QPoint onMap = mainWindow->Form().mapView->PixelOf(marked->latitude, marked->longitude).toPoint();
    EXPECT_EQ(mainWindow->Form().mapView->picture().pixel(onMap + QPoint(2, 0)) & 0xFFFFFF,
        kProfileMarkColour.rgb() & 0xFFFFFF);
    EXPECT_GT(frameMarks(), before3d + 20);

    // Leaving the curve takes the marks away.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(Panel().plot(), &leave);
    EXPECT_FALSE(Panel().hoveredAt());
    EXPECT_FALSE(mainWindow->Form().mapView->profileMark());
    EXPECT_EQ(frameMarks(), before3d);
}

TEST_F(ProfileTest, AFlightAlongTheTrackIsMarkedOnTheCurve)
{
    OpenTrack();
    EXPECT_FALSE(Panel().flightAt());
    Press(Qt::Key_F);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Panel().flightAt() && *Panel().flightAt() > 0; }));
    EXPECT_NEAR(*Panel().flightAt(), mainWindow->TrackFlight()->at(), 1e-9);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(Panel().flightAt());
}

}  // namespace
