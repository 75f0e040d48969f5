// The natural look in the viewer: switched by N and remembered, its sun
// stepped by Alt+Left and Alt+Right and shown in the status line, classic
// frames untouched by it, and its relief rebuilt in the background with the
// newest request winning.

#include "gui-fixture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QAction>
#include <QSettings>

#include "app/readouts.h"
#include "app/reliefrebuild.h"
#include "app/sunmoment.h"
#include "elevation/terrain.h"

namespace {

constexpr int kWaitMs = 20000;  // for a relief rebuilt in the background

class NaturalLookTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        Open();
    }

    void Open()
    {
        MakeForm();
        mainWindow->OpenTile(SampleAs(QStringLiteral("natural_N35E138_dem.tif")));
        ASSERT_EQ(Model().params.columns, Model().terrain->tileInfo.width);
        // The keys go to the active window.
        mainWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow.get()));
    }

    bool Natural() const { return mainWindow->FrameRenderer().settings.look == Look::Natural; }

    // Waits for the relief of the current light, then draws a few frames,
    // so that the detail settles, and returns the last one's pixels.
    std::vector<uint32_t> SettledFrame()
    {
        const ReliefRebuild& rebuild = mainWindow->Natural().rebuild();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !rebuild.Building(); }, kWaitMs));
        std::vector<uint32_t> pixels;
        for (int k = 0; k < 6; ++k)
            mainWindow->PaintView3d();
        const QSize frame = mainWindow->FrameSize();
        for (int y = 0; y < frame.height(); ++y) {
            const uint32_t* row = mainWindow->FrameBitmap().scanLine(y);
            pixels.insert(pixels.end(), row, row + frame.width());
        }
        return pixels;
    }

    // A key pressed on the window, as the system delivers it: through the
    // shortcuts first.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(mainWindow->windowHandle(), Qt::Key(key), modifiers);
    }
};

// A rebuild of a hilly landscape's relief, with the arrivals it reports.
class ReliefRebuildTest : public ::testing::Test {
protected:
    static constexpr int kSide = 300;

    ReliefRebuildTest()
    {
        for (int r = 0; r < kSide; ++r) {
            for (int c = 0; c < kSide; ++c)
                heights[std::size_t(r * kSide + c)] = int16_t(500 + 400 * std::sin(c / 15.0) * std::cos(r / 20.0));
            rows[std::size_t(r)] = heights.data() + r * kSide;
        }
    }
    static ReliefOrder order(uint64_t landscape, double elevation)
    {
        return ReliefOrder{landscape, 30, {{120, elevation}, kDefaultSnowLine}};
    }
    bool settle()
    {
        return QTest::qWaitFor([&] { return !rebuild.Building(); }, kWaitMs);
    }

    std::vector<int16_t> heights = std::vector<int16_t>(kSide * kSide);
    std::vector<const int16_t*> rows = std::vector<const int16_t*>(kSide);
    int arrivals = 0;
    ReliefRebuild rebuild{[this] { ++arrivals; }};
};

}  // namespace

TEST_F(NaturalLookTest, NSwitchesTheLookAndTheNextSessionStartsInIt)
{
    EXPECT_FALSE(Natural()) << "the classic look is the default";
    EXPECT_FALSE(mainWindow->Form().sunSlider->isVisible());
    Press(Qt::Key_N);
    EXPECT_TRUE(Natural());
    EXPECT_TRUE(mainWindow->Form().sunSlider->isVisible());
    EXPECT_EQ(QSettings().value(QStringLiteral("NaturalLook/look")).toString(), QStringLiteral("natural"));

    // A new window, as in the next session, starts in the look chosen, and
    // its menu entry says so.
    Open();
    EXPECT_TRUE(Natural());
    const QList<QAction*> actions = mainWindow->Form().view3d->actions();
    const auto entry = std::find_if(
        actions.begin(), actions.end(), [](QAction* action) { return action->shortcut() == QKeySequence(Qt::Key_N); });
    ASSERT_NE(entry, actions.end()) << "the 3D view's menu has the look";
    EXPECT_TRUE((*entry)->isChecked());
    (*entry)->trigger();
    EXPECT_FALSE(Natural());
    Open();
    EXPECT_FALSE(Natural());
}

TEST_F(NaturalLookTest, AltArrowsMoveTheSunTenMinutesAndItsLight)
{
    Press(Qt::Key_N);
    // A morning, when ten minutes move the sun and its shadows well.
    mainWindow->SetSunMinuteOfDay(8 * 60);
    const CivilTime start = mainWindow->Natural().moment();
    ASSERT_EQ(MinuteOfDay(start), 8 * 60);
    const std::vector<uint32_t> before = SettledFrame();
    const double azimuth = Model().eye.azimuth;
    const SunPosition sunBefore = mainWindow->Natural().sun();

    Press(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(MinuteOfDay(mainWindow->Natural().moment()), 8 * 60 + 10);
    EXPECT_EQ(mainWindow->Form().sunSlider->value(), 8 * 60 + 10);
    const std::vector<uint32_t> later = SettledFrame();
    EXPECT_GT(mainWindow->Natural().sun().elevation, sunBefore.elevation) << "a winter or summer morning: rising";
    EXPECT_NE(later, before);
    EXPECT_EQ(mainWindow->Natural().rebuild().Built().style.sun.elevation, mainWindow->Natural().sun().elevation)
        << "the relief is lit by the sun moved";
    EXPECT_EQ(Model().eye.azimuth, azimuth) << "Alt+Right moves the sun, not the view";

    Press(Qt::Key_Left, Qt::AltModifier);
    Press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(MinuteOfDay(mainWindow->Natural().moment()), 8 * 60 - 10);
    EXPECT_EQ(mainWindow->Natural().moment().day, start.day);

    // Across midnight the date follows.
    mainWindow->SetSunMinuteOfDay(0);
    Press(Qt::Key_Left, Qt::AltModifier);
    const CivilTime evening = mainWindow->Natural().moment();
    EXPECT_EQ(MinuteOfDay(evening), 23 * 60 + 50);
    EXPECT_EQ(MinutesLater(evening, 10).day, start.day);
    EXPECT_EQ(mainWindow->Form().sunSlider->value(), 23 * 60 + 50);
}

TEST_F(NaturalLookTest, TheStatusLineShowsTheSunInTheNaturalLookOnly)
{
    mainWindow->PaintView3d();
    EXPECT_FALSE(mainWindow->Form().statusLine->text().contains(QStringLiteral("太陽"))) << "classic";
    Press(Qt::Key_N);
    const SunPosition sun = mainWindow->Natural().sun();
    EXPECT_TRUE(mainWindow->Form().statusLine->text().endsWith(SunReadout(sun.azimuth, sun.elevation)))
        << mainWindow->Form().statusLine->text().toStdString();
    EXPECT_TRUE(mainWindow->Form().statusLine->text().contains(QStringLiteral("太陽")));
    Press(Qt::Key_N);
    EXPECT_FALSE(mainWindow->Form().statusLine->text().contains(QStringLiteral("太陽"))) << "classic again";
}

TEST_F(NaturalLookTest, ClassicFramesAfterTheNaturalLookAreThoseBeforeIt)
{
    // Without the summits' labels, which arrive from a search of their own
    // at any time.
    Press(Qt::Key_L);
    const std::vector<uint32_t> classic = SettledFrame();
    Press(Qt::Key_N);
    const std::vector<uint32_t> natural = SettledFrame();
    EXPECT_NE(natural, classic);
    ASSERT_NE(mainWindow->Natural().rebuild().Relief(), nullptr) << "drawn from the natural relief";
    Press(Qt::Key_Right, Qt::AltModifier);
    SettledFrame();
    Press(Qt::Key_N);
    EXPECT_TRUE(SettledFrame() == classic);
}

TEST_F(NaturalLookTest, SavedPicturesNameTheLookAndTheSunsMoment)
{
    mainWindow->PaintView3d();
    EXPECT_EQ(mainWindow->Natural().PictureTexts(), (PngTexts{{QStringLiteral("Look"), QStringLiteral("classic")}}));
    Press(Qt::Key_N);
    mainWindow->SetSunMinuteOfDay(7 * 60 + 30);
    const PngTexts texts = mainWindow->Natural().PictureTexts();
    const auto text = [&texts](const char* key) {
        for (const auto& [name, value] : texts)
            if (name == QLatin1String(key))
                return value;
        return QString();
    };
    EXPECT_EQ(text("Look"), QStringLiteral("natural"));
    const std::optional<CivilTime> moment = ParseCivilTime(text("Sun").toStdString());
    ASSERT_TRUE(moment) << "the moment as vantorel-render --sun reads it";
    EXPECT_EQ(MinuteOfDay(*moment), 7 * 60 + 30);
    EXPECT_EQ(moment->utcOffsetMinutes, mainWindow->Natural().moment().utcOffsetMinutes);
    EXPECT_NEAR(text("SunElevation").toDouble(), mainWindow->Natural().sun().elevation, 0.05);
    EXPECT_NEAR(text("SunAzimuth").toDouble(), mainWindow->Natural().sun().azimuth, 0.05);
    EXPECT_EQ(text("Haze"), QStringLiteral("0.30"));
}

// The rebuild on its own, over a small grid: requests made while a build
// runs wait, the newest replacing the others; the relief drawn stays until
// a newer one is in; a build for a landscape no longer shown is dropped.
// Flying on in the natural look, the neighbour's set comes with its relief,
// built beside its load: nothing is copied or built when it takes over.
TEST_F(NaturalLookTest, FlyingOnBringsTheNeighboursReliefWithIt)
{
    Press(Qt::Key_N);
    ASSERT_TRUE(Natural());
    SampleAs(QStringLiteral("set_N35E139_dem.tif"));
    mainWindow->OpenTile(SampleAs(QStringLiteral("set_N35E138_dem.tif")));
    ASSERT_TRUE(Model().tiles.joined());
    SettledFrame();
    const ReliefRebuild& rebuild = mainWindow->Natural().rebuild();
    const int builds = rebuild.BuildsStarted();

    Model().eye.latitude = 35.4;
    Model().eye.longitude = 139.3;
    mainWindow->PaintView3d();  // the frame that finds the eye beside the opened tile
    ASSERT_TRUE(QTest::qWaitFor([&] { return Model().params.centreLon == 139.5; }, kWaitMs));
    ASSERT_NE(rebuild.Relief(), nullptr);
    EXPECT_EQ(rebuild.Relief()->Relief().width, Model().terrain->tileInfo.width);
    EXPECT_EQ(rebuild.Built().style.sun.elevation, mainWindow->Natural().sun().elevation);
    mainWindow->PaintView3d();
    EXPECT_FALSE(rebuild.Building());
    EXPECT_EQ(rebuild.BuildsStarted(), builds);
}

TEST_F(ReliefRebuildTest, AStaleBuildNeverReplacesANewerOne)
{
    rebuild.Request(order(1, 10), rows.data(), kSide, kSide);
    rebuild.Request(order(1, 20), rows.data(), kSide, kSide);
    rebuild.Request(order(1, 30), rows.data(), kSide, kSide);
    EXPECT_EQ(rebuild.Relief(), nullptr) << "nothing is in before a build delivers";
    ASSERT_TRUE(settle());
    EXPECT_TRUE(rebuild.Built() == order(1, 30));
    EXPECT_EQ(rebuild.BuildsStarted(), 2) << "the first, then only the newest of those that waited";
    EXPECT_EQ(arrivals, 2);

    const NaturalRelief* drawn = rebuild.Relief();
    rebuild.Request(order(1, 30), rows.data(), kSide, kSide);
    EXPECT_FALSE(rebuild.Building()) << "the relief of the light asked for is in already";
    rebuild.Request(order(1, 40), rows.data(), kSide, kSide);
    EXPECT_TRUE(rebuild.Building());
    EXPECT_EQ(rebuild.Relief(), drawn) << "frames draw with the last relief while the next is built";
    ASSERT_TRUE(settle());
    EXPECT_NE(rebuild.Relief(), drawn);
    EXPECT_TRUE(rebuild.Built() == order(1, 40));

    // Another landscape: the one before's relief goes at once, and a build
    // of it still under way is dropped when it ends.
    rebuild.Request(order(1, 50), rows.data(), kSide, kSide);
    rebuild.Request(order(2, 50), rows.data(), kSide, kSide);
    EXPECT_EQ(rebuild.Relief(), nullptr);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(rebuild.Built() == order(2, 50));
    EXPECT_EQ(arrivals, 4) << "the first landscape's late build was not taken";
}

// A relief prepared with a landscape's load is drawn from as soon as the
// landscape is: no copy of its heights and no build on the GUI thread, and
// a build of the landscape before, still under way, is dropped. Later
// lights are built from the heights it came with.
TEST_F(ReliefRebuildTest, AnAdoptedReliefIsDrawnAtOnce)
{
    rebuild.Request(order(1, 10), rows.data(), kSide, kSide);
    ASSERT_TRUE(rebuild.Building());
    PreparedRelief prepared = PrepareRelief(rows.data(), kSide, kSide, order(0, 60));
    const NaturalRelief* adopted = prepared.relief.get();
    rebuild.Adopt(2, std::move(prepared));
    EXPECT_EQ(rebuild.Relief(), adopted);
    EXPECT_TRUE(rebuild.Built() == order(2, 60));
    rebuild.Request(order(2, 60), rows.data(), kSide, kSide);
    ASSERT_TRUE(settle());
    EXPECT_EQ(rebuild.Relief(), adopted) << "the first landscape's late build was not taken";
    EXPECT_EQ(rebuild.BuildsStarted(), 1) << "and nothing was built again";
    EXPECT_EQ(arrivals, 0);

    // The heights it came with serve the next light, even once their source is gone.
    std::fill(heights.begin(), heights.end(), int16_t(0));
    rebuild.Request(order(2, 70), rows.data(), kSide, kSide);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(rebuild.Built() == order(2, 70));
    NaturalRelief flat(kSide, kSide);
    flat.Build(rows.data(), 30, order(2, 70).style);
    const TileInfo& built = rebuild.Relief()->Relief();
    int differingRows = 0;
    for (int r = 0; r < kSide; ++r)
        differingRows += std::equal(built.scanLines[r], built.scanLines[r] + kSide, flat.Relief().scanLines[r]) ? 0 : 1;
    EXPECT_GT(differingRows, kSide / 2) << "built from the adopted heights, not from the rows asked with";
}

TEST(SunMoment, StepsAcrossMidnightMonthsAndYears)
{
    const CivilTime newYearsEve = *ParseCivilTime("2026-12-31T23:55+09:00");
    EXPECT_EQ(MomentText(MinutesLater(newYearsEve, 10)), QStringLiteral("2027-01-01T00:05+09:00"));
    EXPECT_EQ(MomentText(MinutesLater(*ParseCivilTime("2028-03-01T00:00-03:30"), -10)),
        QStringLiteral("2028-02-29T23:50-03:30"));
    EXPECT_EQ(MomentText(AtMinuteOfDay(newYearsEve, 7 * 60)), QStringLiteral("2026-12-31T07:00+09:00"));
    EXPECT_EQ(DayAndClockText(newYearsEve), QStringLiteral("12-31 23:55"));
}
