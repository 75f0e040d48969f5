// The map on the real main window: it grows with the window beside the 3D
// view, zooms about the cursor, pans within the set, measures with a
// Shift+drag, and draws the eye and the GPX waypoints' names.

#include "gui-fixture.h"

#include <cmath>

#include <QMouseEvent>
#include <QSplitter>
#include <QWheelEvent>

#include "app/mapview.h"
#include "elevation/terrain.h"
#include "overlays/gpx.h"
#include "overlays/mapmarks.h"
#include "overlays/mapmeasure.h"

namespace {

// The eye mark's colour, give or take the edge of a line drawn near it.
bool IsEyeColour(QRgb pixel)
{
    const QColor eye = kEyeMarkColour;
    constexpr int kSlack = 24;
    return std::abs(qRed(pixel) - eye.red()) <= kSlack && std::abs(qGreen(pixel) - eye.green()) <= kSlack &&
        std::abs(qBlue(pixel) - eye.blue()) <= kSlack;
}

class MapTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        MakeForm();
        mainWindow->OpenTile(SampleAs(QStringLiteral("map_N35E138_dem.tif")));
        ASSERT_EQ(Model().params.columns, Model().terrain->tileInfo.width);
    }

    MapView& Map() const { return *mainWindow->Form().mapView; }

    void Wheel(QPoint at, int notches)
    {
        QWheelEvent wheel(QPointF(at), QPointF(Map().mapToGlobal(at)), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&Map(), &wheel);
    }

    void Drag(Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint from, QPoint to)
    {
        QTest::mousePress(&Map(), button, keys, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(Map().mapToGlobal(to)), Qt::NoButton, button, keys);
        QCoreApplication::sendEvent(&Map(), &move);
        QTest::mouseRelease(&Map(), button, keys, to);
    }

    // Pixels of `colour` in the map's picture.
    int CountOf(QRgb colour) const
    {
        const QImage picture = Map().picture();
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += (picture.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return count;
    }
};

TEST_F(MapTest, TheMapGrowsWithTheWindowAndItsControlsStayUnderIt)
{
    const QSize small = Map().size();
    EXPECT_EQ(small.height(), 360);
    mainWindow->resize(1920, 1080);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->Form().helpPanel->width() == 1920; }));
    QCoreApplication::processEvents();
    const QSize large = Map().size();
    EXPECT_GT(large.height(), 800);
    EXPECT_NEAR(double(large.width()) / large.height(), double(small.width()) / small.height(), 0.005)
        << "the map keeps its shape";
    EXPECT_GT(mainWindow->Form().mapPanel->width(), 700);
    EXPECT_GT(mainWindow->Form().view3d->width(), 900);
    // The controls under the box, inside the panel; the buttons at its right.
    const QRect box = Map().geometry();
    EXPECT_LE(box.right(), mainWindow->Form().mapPanel->width());
    EXPECT_GT(mainWindow->Form().mapClickHint->y(), box.bottom());
    EXPECT_GT(mainWindow->Form().forwardButton->y(), box.bottom());
    EXPECT_LE(mainWindow->Form().backButton->geometry().bottom(), mainWindow->Form().mapPanel->height());
    EXPECT_EQ(mainWindow->Form().mapPanel->width() - mainWindow->Form().forwardButton->x(), 360 - 296);
    // The picture follows the box, scaled, the marks with it.
    mainWindow->PaintMap();
    EXPECT_EQ(Map().picture().size(), large);
    EXPECT_EQ(mainWindow->Form().mapView->picture().size(), large);

    // And back at the smallest window, the form's places.
    mainWindow->resize(800, 400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->Form().helpPanel->width() == mainWindow->minimumWidth(); }));
    EXPECT_EQ(Map().size(), small);
    EXPECT_EQ(mainWindow->Form().mapPanel->width(), 360);
    EXPECT_EQ(mainWindow->Form().forwardButton->pos(), QPoint(296, 368));
}

TEST_F(MapTest, TheSplitterPlaceIsRememberedForTheNextWindow)
{
    mainWindow->resize(1400, 800);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->Form().helpPanel->width() == 1400; }));
    QSplitter& splitter = *mainWindow->Form().viewSplitter;
    const QList<int> before = splitter.sizes();
    QSplitterHandle* handle = splitter.handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip - QPoint(150, 0)),
        QPointF(handle->mapToGlobal(grip - QPoint(150, 0))), Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(150, 0));
    const QList<int> sizes = splitter.sizes();
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_EQ(sizes[1], before[1] + 150) << "the map took the width the view gave up";

    MakeForm();
    mainWindow->resize(1400, 800);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->Form().helpPanel->width() == 1400; }));
    EXPECT_EQ(mainWindow->Form().viewSplitter->sizes(), sizes);
}

TEST_F(MapTest, WheelZoomsAboutTheCursorAndClicksStillMove)
{
    const QPoint cursor(Map().width() / 4, Map().height() / 3);
    const MapPlace before = Map().PlaceOf(cursor);
    const int32_t frames = Frames();
    Wheel(cursor, 3);
    EXPECT_GT(Map().viewport().zoom(), 2);
    const MapPlace after = Map().PlaceOf(cursor);
    EXPECT_NEAR(after.latitude, before.latitude, 1e-9);
    EXPECT_NEAR(after.longitude, before.longitude, 1e-9);
    EXPECT_EQ(Frames(), frames) << "zooming the map leaves the eye";

    // A click goes to the place under it on the zoomed map.
    const QPoint target(Map().width() / 2 + 7, Map().height() / 2 - 11);
    const MapPlace place = Map().PlaceOf(target);
    QTest::mouseClick(&Map(), Qt::LeftButton, {}, target);
    EXPECT_NEAR(Model().eye.latitude, place.latitude, 1e-9);
    EXPECT_NEAR(Model().eye.longitude, place.longitude, 1e-9);
    // The eye shows where it is on the zoomed map.
    const QPointF eye = Map().PixelOf(Model().eye.latitude, Model().eye.longitude);
    EXPECT_NEAR(eye.x(), target.x(), 1e-6);
    EXPECT_TRUE(IsEyeColour(Map().picture().pixel(target + QPoint(2, 0))));

    // Back out to the whole set.
    Wheel(cursor, -20);
    EXPECT_EQ(Map().viewport().zoom(), 1);
    EXPECT_EQ(Map().viewport().SquareRect(), QRectF(QPointF(0, 0), QSizeF(Map().size())));
}

TEST_F(MapTest, MiddleDragPansWithinTheSet)
{
    const QPoint middle(Map().width() / 2, Map().height() / 2);
    Wheel(middle, 4);
    const MapPlace before = Map().PlaceOf(middle);
    const Viewpoint view = Model().eye;
    Drag(Qt::MiddleButton, {}, middle, middle + QPoint(30, 20));
    const MapPlace after = Map().PlaceOf(middle + QPoint(30, 20));
    EXPECT_NEAR(after.latitude, before.latitude, 1e-9);
    EXPECT_NEAR(after.longitude, before.longitude, 1e-9);
    EXPECT_EQ(Model().eye.latitude, view.latitude);
    EXPECT_EQ(Model().eye.azimuth, view.azimuth);
    // However far it is dragged, the map's corner stops at the box's.
    Drag(Qt::MiddleButton, {}, middle, middle + QPoint(5000, 5000));
    const MapPlace corner = Map().PlaceOf(QPointF(0, 0));
    EXPECT_NEAR(corner.latitude, AreaNorthLat(Model().params), 1e-9);
    EXPECT_NEAR(corner.longitude, AreaWestLon(Model().params), 1e-9);
    EXPECT_TRUE(Map().viewport().SquareRect().contains(QRectF(QPointF(0, 0), QSizeF(Map().size()))));
}

TEST_F(MapTest, ShiftDragMeasuresWithoutMovingTheEye)
{
    const Viewpoint view = Model().eye;
    const int32_t frames = Frames();
    const int before = CountOf(qRgb(0, 0, 160));
    const QPoint from(40, 300), to(250, 60);
    Drag(Qt::LeftButton, Qt::ShiftModifier, from, to);
    EXPECT_TRUE(Map().measuring());
    EXPECT_EQ(Frames(), frames);
    EXPECT_EQ(Model().eye.latitude, view.latitude);
    EXPECT_EQ(Model().eye.longitude, view.longitude);
    EXPECT_GT(CountOf(qRgb(0, 0, 160)), before + 100) << "the line and its text";

    // The next plain click moves the eye and takes the measure away.
    QTest::mouseClick(&Map(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_FALSE(Map().measuring());
    EXPECT_NE(Model().eye.latitude, view.latitude);
}

TEST_F(MapTest, TheEyeHasItsOwnMarkAndWaypointsTheirNames)
{
    const QPoint eye = Map().PixelOf(Model().eye.latitude, Model().eye.longitude).toPoint();
    EXPECT_TRUE(IsEyeColour(Map().picture().pixel(eye + QPoint(2, 0))));
    EXPECT_NE(kEyeMarkColour.rgb() & 0xFFFFFF, QColor(Qt::red).rgb() & 0xFFFFFF);

    // A waypoint with a name, and one without, in the north-west quarter.
    const QString gpx = dir.filePath(QStringLiteral("huts.gpx"));
    QFile file(gpx);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
               "<wpt lat=\"35.75\" lon=\"138.25\"><name>WWWWWW</name></wpt>"
               "<wpt lat=\"35.25\" lon=\"138.25\"></wpt></gpx>");
    file.close();
    // Dark pixels right of where each waypoint's dot goes: its name's.
    const auto darkBeside = [&](double latitude) {
        const QPoint dot = Map().PixelOf(latitude, 138.25).toPoint();
        const QImage picture = Map().picture();
        int dark = 0;
        for (int x = dot.x() + 6; x < dot.x() + 60; ++x)
            for (int y = dot.y() - 6; y <= dot.y() + 6; ++y)
                dark += qGray(picture.pixel(x, y)) < 40;
        return dark;
    };
    const int namedBefore = darkBeside(35.75), unnamedBefore = darkBeside(35.25);
    mainWindow->OpenTile(gpx);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mainWindow->Gpx().empty(); }));
    mainWindow->PaintMap();
    EXPECT_GT(darkBeside(35.75), namedBefore + 20);
    EXPECT_EQ(darkBeside(35.25), unnamedBefore);
}

// The set re-centred under the eye moves the map's square: a zoomed map
// stays on the place it showed, at its scale.
TEST_F(MapTest, AZoomedMapKeepsItsPlaceWhenTheSetMoves)
{
    const QPoint middle(Map().width() / 2, Map().height() / 2);
    Wheel(middle + QPoint(10, -20), 4);
    const MapPlace shown = Map().PlaceOf(middle);
    const double perDegree = PixelsPerDegree(Map().viewport(), Model().params).height();
    RenderParams joined = Model().params;
    joined.areaDegrees = 3;
    joined.northLat += 0.5;
    Map().Compose(MapScene{*Model().terrain, joined, Model().eye, nullptr, mainWindow->Gpx(), 99});
    const MapPlace after = Map().PlaceOf(middle);
    EXPECT_NEAR(after.latitude, shown.latitude, 1e-9);
    EXPECT_NEAR(after.longitude, shown.longitude, 1e-9);
    EXPECT_NEAR(PixelsPerDegree(Map().viewport(), joined).height(), perDegree, 1e-6);
}

// Shown larger than the map image's 360 pixels to the degree, the relief
// draws the landscape again at the box's scale: more detail than the map
// image scaled up smoothly.
TEST_F(MapTest, ALargeMapIsDrawnFromTheFinerRelief)
{
    Map().SetGridShown(false);
    mainWindow->resize(1920, 1080);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->Form().helpPanel->width() == 1920; }));
    mainWindow->PaintMap();
    const QImage shown = Map().picture();
    ASSERT_GT(shown.height(), 800);
    const Bitmap32& map = Model().terrain->mapBitmap;
    QImage scaled = QImage(reinterpret_cast<const uchar*>(map.scanLine(0)), map.width(), map.height(),
        int(map.scanLine(1) - map.scanLine(0)) * 4, QImage::Format_RGB32)
                        .scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Summed differences between neighbours along rows, away from the marks
    // in the middle: the relief's ridges against the map's blur.
    const auto detail = [](const QImage& image) {
        double sum = 0;
        for (int y = 0; y < image.height() / 4; ++y)
            for (int x = 1; x < image.width(); ++x)
                sum += std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x - 1, y)));
        return sum;
    };
    EXPECT_GT(detail(shown), 1.5 * detail(scaled));
}

TEST_F(MapTest, FlyingRedrawsOnlyTheEyeOverTheStillMap)
{
    // The summits' marks arrive from their search; then the map stands still.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mainWindow->Labels().summits().empty(); }, 30000));
    mainWindow->PaintView3d();
    const int builds = Map().stillBuilds();
    const QImage before = Map().picture();
    for (int i = 0; i < 10; ++i) {
        Model().eye.azimuth += 9;
        Model().eye.latitude += 0.002;
        mainWindow->PaintView3d();
    }
    EXPECT_EQ(Map().stillBuilds(), builds) << "the eye alone moved";
    const QImage flown = Map().picture();
    EXPECT_NE(flown, before);

    // The same eye over a still picture drawn afresh gives the same pixels.
    Map().SetGridShown(false);
    mainWindow->PaintMap();
    Map().SetGridShown(true);
    mainWindow->PaintMap();
    EXPECT_EQ(Map().stillBuilds(), builds + 2);
    EXPECT_EQ(Map().picture(), flown);

    // What the still picture shows changes it: the summits hidden, a GPX file.
    QTest::keyClick(mainWindow.get(), Qt::Key_L);
    EXPECT_EQ(Map().stillBuilds(), builds + 3);
    const QString gpx = dir.filePath(QStringLiteral("still.gpx"));
    QFile file(gpx);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<gpx><trk><trkseg><trkpt lat=\"35.3\" lon=\"138.6\"/>"
               "<trkpt lat=\"35.4\" lon=\"138.7\"/></trkseg></trk></gpx>");
    file.close();
    mainWindow->OpenTile(gpx);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->Gpx().files().size() == 1; }, 30000));
    mainWindow->PaintMap();
    EXPECT_GT(Map().stillBuilds(), builds + 3);
}

}  // namespace
