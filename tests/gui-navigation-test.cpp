// The 3D view and navigation on the real main window: frames, readouts,
// drags, the step buttons, the glide and the demo.

#include "gui-fixture.h"

#include <cmath>

#include <QLocale>
#include <QMouseEvent>
#include <QTranslator>
#include <QWheelEvent>

#include "app/navigation.h"
#include "app/readouts.h"
#include "app/savepicture.h"
#include "elevation/terrain.h"
#include "render-test-support.h"
#include "render/framebuffers.h"

namespace {

constexpr double kTenMetres = 8.999280057595392e-05;  // degrees of latitude
constexpr double kHundredMetres = 100 * 8.999280057595392e-06;
constexpr double kPi = 3.14159265358979323846;

double Cos(double degrees)
{
    return std::cos(degrees * kPi / 180);
}

class NavigationTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        MakeForm();
        mainWindow->OpenTile(SampleAs(QStringLiteral("nav_N35E138_dem.tif")));
        ASSERT_EQ(Model().params.columns, Model().terrain->tileInfo.width);
    }

    // A left-button drag on the 3D view from `from` to `to`, in one move.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        PaintBox* view = mainWindow->Form().view3d;
        QTest::mousePress(view, Qt::LeftButton, keys, from);
        QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(view, &move);
        QTest::mouseRelease(view, Qt::LeftButton, keys, to);
    }

    QPoint Upper() const { return {mainWindow->Form().view3d->width() / 2, 40}; }
    QPoint Lower() const { return {mainWindow->Form().view3d->width() / 2, mainWindow->Form().view3d->height() - 40}; }

    // Where the eye shows on the map.
    QPoint EyeOnMap() const
    {
        return {int(mainWindow->Form().mapView->width() * (Model().eye.longitude - Model().params.westLon)),
            int(mainWindow->Form().mapView->height() * (Model().params.northLat - Model().eye.latitude))};
    }
};

TEST_F(NavigationTest, AFrameShowsTheStatusLineAndTheCrosshair)
{
    Model().eye.latitude = 35.5;
    Model().eye.longitude = 138.25;
    Model().shownAltitude = 12345.6;
    const int32_t before = Frames();
    mainWindow->PaintView3d();
    EXPECT_EQ(Frames(), before + 1);
    EXPECT_EQ(mainWindow->Form().statusLine->text(), StatusLine(Model().eye, 12345.6));
    EXPECT_TRUE(mainWindow->Form().statusLine->text().contains(QStringLiteral("高度：12346(m)")));
    EXPECT_EQ(Model().eye.renderAzimuth, Model().eye.azimuth);
    // The frame stage's altitude is shown by the next frame.
    EXPECT_NE(Model().shownAltitude, 12345.6);

    // Drawn at once: the box shows the frame, with a white cross and its
    // black shadow one pixel right and below.
    // Frame pixels are 0x00RRGGBB: only the colour counts.
    const QImage shown = mainWindow->Form().view3d->grab().toImage();
    const auto colour = [&](int x, int y) { return shown.pixel(x, y) & 0xFFFFFF; };
    const int cx = mainWindow->Form().view3d->width() / 2;
    const int cy = mainWindow->Form().view3d->height() / 2;
    for (const int d : {-16, -5, 5, 16}) {
        SCOPED_TRACE(d);
        EXPECT_EQ(colour(cx + d, cy), 0xFFFFFFu);
        EXPECT_EQ(colour(cx, cy + d), 0xFFFFFFu);
        EXPECT_EQ(colour(cx + 1 + d, cy + 1), 0u);
        EXPECT_EQ(colour(cx + 1, cy + 1 + d), 0u);
    }
    EXPECT_EQ(mainWindow->Form().view3d->picture().size(), mainWindow->Form().view3d->size());
}

TEST_F(NavigationTest, TheRateIsFirstShownOnTheSixteenthFrame)
{
    // The frames drawn on opening are counted from the tick they were drawn at.
    const QString design = mainWindow->Form().frameRate->text();
    ASSERT_LT(mainWindow->Rate().measured(), uint32_t(FrameRateMeter::kRing));
    while (mainWindow->Rate().measured() < FrameRateMeter::kRing - 1)
        mainWindow->PaintView3d();
    EXPECT_EQ(mainWindow->Form().frameRate->text(), design);
    mainWindow->PaintView3d();
    EXPECT_EQ(mainWindow->Form().frameRate->text(), QStringLiteral("15000.0(Hz)")) << "sixteen frames within a tick";

    for (int frame = 1; frame <= 15; ++frame) {
        ticks += 10;
        mainWindow->PaintView3d();
    }
    EXPECT_EQ(mainWindow->Form().frameRate->text(), QStringLiteral("15000.0(Hz)"));
    ticks += 10;
    mainWindow->PaintView3d();
    // Frames 1 to 16 are 15 intervals of 10 ms.
    EXPECT_EQ(mainWindow->Form().frameRate->text(), QStringLiteral("100.0(Hz)"));

    // Across a wrap of the tick counter.
    ticks = 0xFFFFFFFFu - 49;
    for (int frame = 1; frame <= 16; ++frame) {
        ticks += 20;
        mainWindow->PaintView3d();
    }
    EXPECT_EQ(mainWindow->Form().frameRate->text(), QStringLiteral("50.0(Hz)"));
}

TEST_F(NavigationTest, CursorReadoutOfSkyAndOfOneCell)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    mainWindow->PaintView3d();
    const FrameBufferSet& buffers = mainWindow->FrameRenderer().Buffers();
    rendertest::PutDrawnPixel(buffers, 20, 10, 999999999, 0);
    rendertest::PutDrawnPixel(buffers, 40, 30, 256, 1234);

    mainWindow->ShowCursorInfo(20, 10);
    EXPECT_EQ(mainWindow->Form().cursorInfo->text(), QStringLiteral("Z.距離:999,999(m),  標高:    0(m)"));
    mainWindow->ShowCursorInfo(40, 30);
    EXPECT_EQ(mainWindow->Form().cursorInfo->text(), QStringLiteral("Z.距離:    30(m),  標高: 1234(m)"));

    // A drag that leaves the view reports positions outside the frame:
    // nothing is read there.
    for (const QPoint outside : {QPoint(-1, 30), QPoint(40, -3), QPoint(mainWindow->Form().view3d->width(), 30),
             QPoint(40, mainWindow->Form().view3d->height() + 500)}) {
        mainWindow->ShowCursorInfo(outside.x(), outside.y());
        EXPECT_EQ(mainWindow->Form().cursorInfo->text(), QStringLiteral("Z.距離:    30(m),  標高: 1234(m)"));
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(NavigationTest, HoveringReadsTheCursorWithoutAFrame)
{
    // A paint the window still owes (a late resize on a busy machine) asks
    // for a frame of its own: settle those first.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const int32_t before = Frames();
    QTest::mouseMove(mainWindow->Form().view3d, QPoint(33, 44));
    EXPECT_EQ(Model().cursor.x(), 33);
    EXPECT_EQ(Model().cursor.y(), 44);
    EXPECT_EQ(Frames(), before);
    EXPECT_TRUE(mainWindow->Form().cursorInfo->text().startsWith(QStringLiteral("Z.距離:")));
}

TEST_F(NavigationTest, UpperHalfDragTurnsAcrossNorth)
{
    Model().eye.azimuth = 355;
    const int32_t before = Frames();
    Drag(Upper(), Upper() - QPoint(100, 0));
    EXPECT_NEAR(Model().eye.azimuth, 5, 1e-9);
    EXPECT_EQ(Frames(), before + 1);
    Drag(Upper(), Upper() + QPoint(100, 0));
    EXPECT_NEAR(Model().eye.azimuth, 355, 1e-9);
}

TEST_F(NavigationTest, UpperHalfDragTiltsUpToTen)
{
    EXPECT_EQ(Model().eye.pitch, -5);
    Drag(Upper(), Upper() + QPoint(0, 300));
    EXPECT_EQ(Model().eye.pitch, 10);
    Drag(Upper() + QPoint(0, 100), Upper());
    EXPECT_NEAR(Model().eye.pitch, 0, 1e-9);
}

TEST_F(NavigationTest, LowerHalfDragClimbsWithAFloorOfTenMetres)
{
    EXPECT_EQ(Model().eye.minAltitude, 1000);
    Drag(Lower() - QPoint(0, 50), Lower());
    EXPECT_EQ(Model().eye.minAltitude, 1500);
    Model().eye.minAltitude = 1000;
    Drag(Lower(), Lower() - QPoint(0, 200));
    EXPECT_EQ(Model().eye.minAltitude, 10);
}

TEST_F(NavigationTest, LowerHalfDragSlidesTheEye)
{
    const double latitude = Model().eye.latitude;
    const double longitude = Model().eye.longitude;
    Drag(Lower(), Lower() - QPoint(100, 0));
    // 1000 m east while facing north.
    EXPECT_NEAR(Model().eye.longitude - longitude, 100 * kTenMetres / Cos(35.5), 1e-12);
    EXPECT_NEAR(Model().eye.latitude, latitude, 1e-12);
    EXPECT_EQ(Model().eye.azimuth, 0);
}

TEST_F(NavigationTest, CtrlDragWidensTheViewWithinFiveToSixty)
{
    const Viewpoint start = Model().eye;
    Drag(Lower(), Lower() - QPoint(80, 150), Qt::ControlModifier);
    EXPECT_EQ(Model().eye.viewAngle, 60);
    // Neither the eye nor the view direction moves sideways.
    EXPECT_EQ(Model().eye.latitude, start.latitude);
    EXPECT_EQ(Model().eye.longitude, start.longitude);
    EXPECT_EQ(Model().eye.minAltitude, start.minAltitude);
    Model().eye.viewAngle = 40;
    Drag(Upper(), Upper() + QPoint(50, 200), Qt::ControlModifier);
    EXPECT_EQ(Model().eye.viewAngle, 5);
    EXPECT_EQ(Model().eye.azimuth, start.azimuth);
    EXPECT_EQ(Model().eye.pitch, start.pitch);
}

TEST_F(NavigationTest, StepButtonsMoveOneHundredMetresWhateverTheirHintSays)
{
    EXPECT_EQ(mainWindow->Form().forwardButton->toolTip(), QStringLiteral("100(m)"));
    EXPECT_EQ(mainWindow->Form().backButton->toolTip(), QStringLiteral("100(m)"));
    const double latitude = Model().eye.latitude;
    QTest::mouseClick(mainWindow->Form().forwardButton, Qt::LeftButton);
    EXPECT_NEAR(Model().eye.latitude - latitude, kHundredMetres, 1e-12);

    Model().eye.azimuth = 90;
    const double longitude = Model().eye.longitude;
    QTest::mouseClick(mainWindow->Form().backButton, Qt::LeftButton);
    EXPECT_NEAR(Model().eye.longitude - longitude, -kHundredMetres / Cos(35.5), 1e-12);

    // The hint only shows the step: a hint that begins with another number,
    // or with none, changes nothing.
    for (const QString& hint : {QStringLiteral(" 250(m)"), QStringLiteral("step")}) {
        mainWindow->Form().forwardButton->setToolTip(hint);
        const double east = Model().eye.longitude;
        const int32_t frames = Frames();
        QTest::mouseClick(mainWindow->Form().forwardButton, Qt::LeftButton);
        EXPECT_NEAR(Model().eye.longitude - east, kHundredMetres / Cos(35.5), 1e-12) << hint.toStdString();
        EXPECT_EQ(Frames(), frames + 1);
    }
}

// A translation that puts a word before the step's number, as English might.
class WordBeforeTheStep : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        const QString text = QString::fromUtf8(source);
        if (qstrcmp(context, "MainWindow") != 0 || !text.endsWith(QStringLiteral("(m)")))
            return {};
        return QStringLiteral("Step: ") + text.chopped(3) + QStringLiteral(" m");
    }
    bool isEmpty() const override { return false; }
};

TEST_F(NavigationTest, StepsKeepTheirLengthUnderATranslatedHint)
{
    WordBeforeTheStep translator;
    ASSERT_TRUE(QCoreApplication::installTranslator(&translator));
    MakeForm();
    QCoreApplication::removeTranslator(&translator);
    mainWindow->OpenTile(SampleAs(QStringLiteral("nav_N35E138_dem.tif")));
    EXPECT_EQ(mainWindow->Form().forwardButton->toolTip(), QStringLiteral("Step: 100 m"));

    const double latitude = Model().eye.latitude;
    QTest::mouseClick(mainWindow->Form().forwardButton, Qt::LeftButton);
    EXPECT_NEAR(Model().eye.latitude - latitude, kHundredMetres, 1e-12);

    // The keys fly in the same steps: ten a second.
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow.get()));
    const double before = Model().eye.latitude;
    QTest::keyPress(mainWindow.get(), Qt::Key_Up);
    QTest::qWait(100);
    QTest::keyRelease(mainWindow.get(), Qt::Key_Up);
    EXPECT_GE(Model().eye.latitude - before, 0.99 * kHundredMetres / 10) << "at least one tick of 10 m";
}

TEST_F(NavigationTest, GlideFrameCounts)
{
    struct Case {
        double dLat, dLon, fromAzimuth, toAzimuth;
        int frames;
    };
    const Case cases[] = {
        {0.005, 0.005, 0, 0, 3},  // short hop, no turn
        {0.5, -0.2, 10, 10, 20},  // long hop
        {0, 0, 0, 90, 40},  // right-angle turn on the spot
        {0, 0, 350, 10, 20},  // the short way, through north
        {0.05, 0, 0, 30, 30},  // the turn sets the pace
        {0, 0, 90, 270, 40},  // half a turn
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toAzimuth);
        Model().eye.azimuth = c.fromAzimuth;
        const double lat = Model().eye.latitude + c.dLat;
        const double lon = Model().eye.longitude + c.dLon;
        const int32_t before = Frames();
        mainWindow->MoveViewTo(lat, lon, c.toAzimuth + 720);
        EXPECT_EQ(Frames() - before, c.frames);
        EXPECT_NEAR(Model().eye.azimuth, c.toAzimuth, 1e-9);
        EXPECT_DOUBLE_EQ(Model().eye.latitude, lat);
        EXPECT_DOUBLE_EQ(Model().eye.longitude, lon);
    }
}

TEST_F(NavigationTest, RightClickTurnsTowardsThePointUnlessTheDemoRuns)
{
    const QPoint eye = EyeOnMap();
    const double latitude = Model().eye.latitude;
    int32_t before = Frames();
    QTest::mouseClick(mainWindow->Form().mapView, Qt::RightButton, {}, eye + QPoint(40, 0));
    EXPECT_NEAR(Model().eye.azimuth, 90, 1e-9);
    EXPECT_EQ(Frames() - before, 40);
    EXPECT_EQ(Model().eye.latitude, latitude);

    // On the eye's own pixel: nothing.
    before = Frames();
    QTest::mouseClick(mainWindow->Form().mapView, Qt::RightButton, {}, EyeOnMap());
    EXPECT_EQ(Frames(), before);

    mainWindow->DemoTimer().start();
    QTest::mouseClick(mainWindow->Form().mapView, Qt::RightButton, {}, eye + QPoint(0, 40));
    EXPECT_NEAR(Model().eye.azimuth, 90, 1e-9);
    EXPECT_EQ(Frames(), before);
    mainWindow->DemoTimer().stop();
}

TEST_F(NavigationTest, LeftClickMovesToThePressedPoint)
{
    PaintBox* map = mainWindow->Form().mapView;
    const double w = map->width();
    const double h = map->height();
    Model().eye.azimuth = 33;
    // QTest takes (0, 0) for the box's centre: the corner goes by hand.
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, QPointF(0, 0), map->mapToGlobal(QPointF(0, 0)), Qt::LeftButton, held, {});
        QCoreApplication::sendEvent(map, &event);
    }
    EXPECT_DOUBLE_EQ(Model().eye.latitude, Model().params.northLat);
    EXPECT_DOUBLE_EQ(Model().eye.longitude, Model().params.westLon);
    EXPECT_NEAR(Model().eye.azimuth, 33, 1e-9);

    // Within 16 pixels: a click at the press point, direction kept.
    QTest::mousePress(map, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(116, 184));
    EXPECT_DOUBLE_EQ(Model().eye.latitude, Model().params.northLat - 200 / h);
    EXPECT_DOUBLE_EQ(Model().eye.longitude, Model().params.westLon + 100 / w);
    EXPECT_NEAR(Model().eye.azimuth, 33, 1e-9);

    // Longer drags point the view along the drag.
    QTest::mousePress(map, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(100, 183));
    EXPECT_NEAR(Model().eye.azimuth, 0, 1e-9);
    QTest::mousePress(map, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(83, 200));
    EXPECT_NEAR(Model().eye.azimuth, 270, 1e-9);

    // The bottom-right pixel stays inside the tile.
    QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(map->width() - 1, map->height() - 1));
    EXPECT_DOUBLE_EQ(Model().eye.latitude, Model().params.northLat - (h - 1) / h);
    EXPECT_DOUBLE_EQ(Model().eye.longitude, Model().params.westLon + (w - 1) / w);
}

TEST_F(NavigationTest, PressCrossLastsUntilTheNextMapPaint)
{
    PaintBox* map = mainWindow->Form().mapView;
    QTest::mousePress(map, Qt::LeftButton, {}, QPoint(50, 60));
    QImage shown = map->grab().toImage();
    EXPECT_EQ(shown.pixel(47, 60), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(53, 60), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(50, 57), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(50, 63), qRgb(255, 0, 0));
    mainWindow->PaintMap();
    shown = map->grab().toImage();
    EXPECT_NE(shown.pixel(47, 60), qRgb(255, 0, 0));
    QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(50, 60));
}

TEST_F(NavigationTest, DemoStartsWithATurnOntoTheCircle)
{
    // From the start view, a quarter of a degree south of the centre.
    const int32_t before = Frames();
    QTest::mouseClick(mainWindow->Form().demoButton, Qt::LeftButton);
    EXPECT_TRUE(mainWindow->DemoFlying());
    EXPECT_EQ(Frames() - before, 40);
    EXPECT_NEAR(Model().eye.azimuth, 90, 1e-9);
    EXPECT_NEAR(mainWindow->DemoFlown().radius, 0.25, 1e-12);
    EXPECT_NEAR(mainWindow->DemoFlown().turnRate, 1.6, 1e-12);
    EXPECT_EQ(mainWindow->Rate().measured(), 0u) << "the rate is measured anew from the demo's first frame";

    // Pressing again stops where it is: already on the circle, facing along it.
    QTest::mouseClick(mainWindow->Form().demoButton, Qt::LeftButton);
    EXPECT_FALSE(mainWindow->DemoFlying());
    EXPECT_NEAR(Model().eye.azimuth, 90, 1e-9);
}

TEST_F(NavigationTest, DemoRadiusIsClamped)
{
    const double centreLat = Model().params.centreLat;
    Model().eye.latitude = centreLat - 1;
    Model().eye.longitude = Model().params.centreLon;
    mainWindow->DemoClick(nullptr);
    EXPECT_EQ(mainWindow->DemoFlown().radius, 0.7);
    EXPECT_NEAR(mainWindow->DemoFlown().turnRate, 0.8 / std::sqrt(0.7), 1e-12);
    mainWindow->DemoClick(nullptr);

    Model().eye.latitude = centreLat + 0.02;
    mainWindow->DemoClick(nullptr);
    EXPECT_EQ(mainWindow->DemoFlown().radius, 0.05);
    EXPECT_NEAR(mainWindow->DemoFlown().turnRate, 0.8 / std::sqrt(0.05), 1e-12);
    mainWindow->DemoClick(nullptr);

    // Within 0.01 degree of the centre the last circle stays.
    Model().eye.latitude = centreLat + 0.005;
    Model().eye.azimuth = 123;
    mainWindow->DemoClick(nullptr);
    EXPECT_EQ(mainWindow->DemoFlown().radius, 0.05);
    EXPECT_EQ(Model().eye.azimuth, 123);
    EXPECT_TRUE(mainWindow->DemoFlying());
    mainWindow->DemoClick(nullptr);
}

TEST_F(NavigationTest, DemoStepsByTheClampedElapsedTime)
{
    Model().eye.latitude = Model().params.centreLat - 0.25;
    mainWindow->DemoClick(nullptr);  // no sender: no animated turn
    EXPECT_NEAR(Model().eye.azimuth, 90, 1e-9);
    const double rate = mainWindow->DemoFlown().turnRate;

    ticks = 5000;
    mainWindow->DemoTick();  // long after the last step: 100 ms
    EXPECT_NEAR(Model().eye.azimuth, 90 - 0.1 * rate, 1e-9);
    ticks += 3;
    mainWindow->DemoTick();  // 3 ms later: still 10 ms
    EXPECT_NEAR(Model().eye.azimuth, 90 - 0.11 * rate, 1e-9);
    ticks += 40;
    mainWindow->DemoTick();
    EXPECT_NEAR(Model().eye.azimuth, 90 - 0.15 * rate, 1e-9);

    // The eye stays on the circle, the centre on its left.
    const double dy = Model().eye.latitude - Model().params.centreLat;
    const double dx = (Model().eye.longitude - Model().params.centreLon) * Cos(Model().params.centreLat);
    EXPECT_NEAR(std::hypot(dx, dy), 0.25, 1e-9);
    EXPECT_NEAR(std::fmod(std::atan2(dx, dy) * 180 / kPi + 360, 360), Model().eye.azimuth + 90, 1e-6);
    mainWindow->DemoClick(nullptr);
}

TEST_F(NavigationTest, NearThePoleTheDemoCircleIsMeasuredAsItIsFlown)
{
    // At 85.5 degrees the moves' east-west scale stops at its floor: the
    // circle through the eye must be measured with that floor too, or the
    // first step throws the eye off the circle it was put on.
    mainWindow->OpenTile(SampleAs(QStringLiteral("nav_N85E138_dem.tif")));
    ASSERT_DOUBLE_EQ(Model().params.centreLat, 85.5);
    Model().eye.latitude = Model().params.centreLat;
    Model().eye.longitude = Model().params.centreLon + 1;
    mainWindow->DemoClick(nullptr);
    EXPECT_NEAR(Model().eye.azimuth, 0, 1e-9);
    ticks = 5000;
    mainWindow->DemoTick();
    EXPECT_NEAR(Model().eye.longitude, Model().params.centreLon + 1, 0.01);
    EXPECT_NEAR(Model().eye.latitude, Model().params.centreLat, 0.01);
    mainWindow->DemoClick(nullptr);
}

TEST_F(NavigationTest, MapClickDuringTheDemoFliesToANewCircle)
{
    mainWindow->DemoClick(nullptr);
    ASSERT_TRUE(mainWindow->DemoFlying());
    // A press straight east of the centre, dragged north: the heading comes
    // from the circle, not from the drag.
    PaintBox* map = mainWindow->Form().mapView;
    const QPoint target(map->width() * 3 / 4, map->height() / 2);
    QTest::mousePress(map, Qt::LeftButton, {}, target);
    QTest::mouseRelease(map, Qt::LeftButton, {}, target - QPoint(0, 40));
    EXPECT_TRUE(mainWindow->DemoFlying());
    EXPECT_NEAR(Model().eye.azimuth, 0, 1e-9);
    const double east = double(target.x()) / map->width() - 0.5;
    EXPECT_NEAR(mainWindow->DemoFlown().radius, east * Cos(35.5), 1e-12);
    EXPECT_DOUBLE_EQ(Model().eye.longitude, Model().params.westLon + double(target.x()) / map->width());
    mainWindow->DemoClick(nullptr);
}

TEST_F(NavigationTest, UpperSidewaysDragDuringTheDemoStepsIt)
{
    mainWindow->DemoClick(nullptr);
    const double azimuth = Model().eye.azimuth;
    ticks += 1000;
    Drag(Upper(), Upper() - QPoint(50, 0));
    // One demo step of 100 ms instead of a turn of 5 degrees.
    EXPECT_NEAR(Model().eye.azimuth, azimuth - 0.1 * mainWindow->DemoFlown().turnRate, 1e-9);
    mainWindow->DemoClick(nullptr);
}

TEST_F(NavigationTest, HighestPointTieGoesToTheLastCell)
{
    Model().params.columns = 0;  // the map and frames are not needed here
    TileInfo& tile = Model().terrain->tileInfo;
    tile.width = 41;
    tile.height = 31;
    SampleGrid& grid = Model().terrain->heightGrid;
    for (int r = 0; r < 31; ++r)
        std::fill_n(grid[r], 41, int16_t(-5));
    grid[3][7] = 2500;
    grid[12][4] = 2500;
    grid[0][20] = 3000;  // outermost rows and columns are left out
    grid[15][40] = 3000;
    Model().params.centreLat = 35.5;
    Model().params.centreLon = 138.5;
    mainWindow->HighestPointClick();
    EXPECT_DOUBLE_EQ(Model().eye.latitude, 35.5 + double(15 - (12 + 200)) / 31);
    EXPECT_DOUBLE_EQ(Model().eye.longitude, 138.5 + double(4 - 20) / 41);
    EXPECT_EQ(Model().eye.minAltitude, 3400);
    EXPECT_EQ(Model().eye.azimuth, 0);
    EXPECT_NEAR(Model().eye.pitch, -std::atan2(900.0, 200 * 111120.0 / 31) * 180 / kPi, 1e-12);

    // No height reaches 0: the centre, 200 rows south.
    for (int r = 0; r < 31; ++r)
        std::fill_n(grid[r], 41, int16_t(-5));
    mainWindow->HighestPointClick();
    EXPECT_DOUBLE_EQ(Model().eye.latitude, 35.5 - 200.0 / 31);
    EXPECT_DOUBLE_EQ(Model().eye.longitude, 138.5);
    EXPECT_EQ(Model().eye.minAltitude, 900);
}

}  // namespace

namespace {

TEST(KeyFlight, RatesScaleWithModifiersAndKeepTheMouseLimits)
{
    RenderParams grid;
    grid.centreLat = 35.5;
    Viewpoint view;
    view.azimuth = 350;
    view.minAltitude = 1000;
    view.viewAngle = 40;
    KeyFlight keys;
    EXPECT_FALSE(keys.Moving());

    keys.Press(KeyMotion::TurnRight);
    keys.Apply(view, grid, 1, 1);
    EXPECT_NEAR(view.azimuth, 35, 1e-9) << "past north";
    keys.Release(KeyMotion::TurnRight);

    keys.Press(KeyMotion::Forward);
    view.azimuth = 0;
    const double latitude = view.latitude;
    keys.Apply(view, grid, SpeedScaleFor(Qt::ShiftModifier), 0.5);  // 10 x 10 steps of 100 m a second
    EXPECT_NEAR((view.latitude - latitude) * MetresPerDegree, 5000, 1e-6);
    keys.Apply(view, grid, SpeedScaleFor(Qt::AltModifier), 0.5);
    EXPECT_NEAR((view.latitude - latitude) * MetresPerDegree, 5050, 1e-6);
    keys.Release(KeyMotion::Forward);

    keys.Press(KeyMotion::Climb);
    keys.Press(KeyMotion::Descend);
    keys.Apply(view, grid, 1, 1);
    EXPECT_EQ(view.minAltitude, 1000) << "opposite keys cancel";
    keys.Release(KeyMotion::Climb);
    keys.Apply(view, grid, 1, 10);
    EXPECT_EQ(view.minAltitude, 10);

    keys.ReleaseAll();
    keys.Press(KeyMotion::Narrow);
    keys.Apply(view, grid, 1, 10);
    EXPECT_EQ(view.viewAngle, 5);
    keys.ReleaseAll();
    keys.Press(KeyMotion::Widen);
    keys.Apply(view, grid, 1, 10);
    EXPECT_EQ(view.viewAngle, 60);
    keys.ReleaseAll();
    EXPECT_FALSE(keys.Moving());
}

}  // namespace

// ] and [ draw the heights higher and lower: the eye keeps its height over
// the ground below it rather than sinking into the hills it raises.
TEST_F(NavigationTest, ExaggerationLiftsTheEyeWithTheGround)
{
    Model().eye.latitude = 35.45;
    Model().eye.longitude = 138.39;
    Model().eye.minAltitude = 3500;
    const int32_t ground = GroundBelow(Model().eye, Model().params, Model().terrain->heightGrid.rows());
    ASSERT_GT(ground, 1000) << "high ground, for the lift to show";
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(mainWindow.get(), Qt::Key_BracketRight);
    ASSERT_TRUE(mainWindow->Form().statusLine->text().endsWith(QStringLiteral("×3")));
    EXPECT_NEAR(Model().eye.minAltitude - 3 * ground, 3500 - ground, 1e-6);
    EXPECT_GT(Model().shownAltitude, 3 * ground) << "the eye stands over the raised ground at once";
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(mainWindow.get(), Qt::Key_BracketLeft);
    EXPECT_NEAR(Model().eye.minAltitude, 3500, 1e-6);

    // Off the grid there is no ground to follow.
    Viewpoint away = Model().eye;
    away.latitude = 10;
    EXPECT_EQ(GroundBelow(away, Model().params, Model().terrain->heightGrid.rows()), 0);
}

// C draws the earth curved: the status line says so, and so do saved pictures.
TEST_F(NavigationTest, CurvatureIsShownAndRecorded)
{
    const auto recorded = [&] {
        for (const auto& [key, value] : ViewPictureTexts(*mainWindow, Model().eye, 0))
            if (key == QStringLiteral("EarthCurvature"))
                return value;
        return QString();
    };
    EXPECT_FALSE(mainWindow->Form().statusLine->text().contains(CurvatureReadout()));
    EXPECT_EQ(recorded(), QStringLiteral("off"));
    QTest::keyClick(mainWindow.get(), Qt::Key_C);
    EXPECT_TRUE(mainWindow->Form().statusLine->text().contains(CurvatureReadout()))
        << mainWindow->Form().statusLine->text().toStdString();
    EXPECT_EQ(recorded(), QStringLiteral("on"));
    QTest::keyClick(mainWindow.get(), Qt::Key_C);
    EXPECT_FALSE(mainWindow->Form().statusLine->text().contains(CurvatureReadout()));
}

// The wheel over the 3D view moves the eye along the view; with Ctrl it
// changes the angle of view, within its limits.
TEST_F(NavigationTest, WheelMovesForwardAndCtrlWheelZooms)
{
    const auto turn = [&](int units, Qt::KeyboardModifiers keys) {
        const QPointF at(100, 100);
        QWheelEvent wheel(at, mainWindow->Form().view3d->mapToGlobal(at), QPoint(), QPoint(0, units), Qt::NoButton,
            keys, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(mainWindow->Form().view3d, &wheel);
    };
    Model().eye.azimuth = 0;
    const double latitude = Model().eye.latitude, longitude = Model().eye.longitude;
    turn(120, Qt::NoModifier);
    EXPECT_NEAR((Model().eye.latitude - latitude) * MetresPerDegree, 500, 1) << "a notch forward: 500 m north";
    EXPECT_NEAR(Model().eye.longitude, longitude, 1e-9);
    turn(-240, Qt::NoModifier);
    EXPECT_NEAR((Model().eye.latitude - latitude) * MetresPerDegree, -500, 1);

    const double angle = Model().eye.viewAngle;
    turn(120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(Model().eye.viewAngle, angle - 5);
    for (int i = 0; i < 30; ++i)
        turn(-120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(Model().eye.viewAngle, kViewAngleMax);
    EXPECT_NEAR((Model().eye.latitude - latitude) * MetresPerDegree, -500, 1) << "Ctrl only zooms";
}

TEST_F(NavigationTest, KeysFlyWhileHeldAndActAtOnce)
{
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow.get()));
    QTest::mouseClick(mainWindow->Form().forwardButton, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), mainWindow.get()) << "a button took the focus";

    const double azimuth = Model().eye.azimuth;
    const int32_t frames = Frames();
    QTest::keyPress(mainWindow.get(), Qt::Key_Right);
    QTest::qWait(100);
    QTest::keyRelease(mainWindow.get(), Qt::Key_Right);
    const double turned = Model().eye.azimuth;
    EXPECT_GT(turned, azimuth);
    EXPECT_GT(Frames(), frames);
    QTest::qWait(50);
    EXPECT_EQ(Model().eye.azimuth, turned) << "still turning after the release";

    QTest::keyClick(mainWindow.get(), Qt::Key_BracketRight);
    EXPECT_TRUE(mainWindow->Form().statusLine->text().endsWith(QStringLiteral("×1.25")));
    QTest::keyClick(mainWindow.get(), Qt::Key_BracketLeft);
    EXPECT_FALSE(mainWindow->Form().statusLine->text().contains(QStringLiteral("×")));

    QTest::keyClick(mainWindow.get(), Qt::Key_Home);
    EXPECT_DOUBLE_EQ(Model().eye.azimuth, 0);
    EXPECT_DOUBLE_EQ(Model().eye.latitude, 35.25);
    QTest::keyClick(mainWindow.get(), Qt::Key_Space);
    EXPECT_TRUE(mainWindow->DemoFlying());
    QTest::keyClick(mainWindow.get(), Qt::Key_Space);
    EXPECT_FALSE(mainWindow->DemoFlying());
}
