// Opening things: every file of the command line, the refusals that name
// their file in either language, the recent files of the open button's menu
// and the last view taken up again on start.

#include <algorithm>

#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "app/lastview.h"
#include "app/opentile.h"
#include "app/recentfiles.h"
#include "tests/gui-fixture.h"

namespace {

class OpeningTest : public GuiTest {
protected:
    QString WriteGpx(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<gpx><trk><trkseg><trkpt lat=\"35.3\" lon=\"138.6\"/>"
                   "<trkpt lat=\"35.31\" lon=\"138.61\"/></trkseg></trk></gpx>");
        return path;
    }

    // The open button's menu as it drops: rebuilt from the files remembered.
    static QMenu* OpenMenu(MainWindow& form)
    {
        auto* button = form.findChild<QPushButton*>(QStringLiteral("BtnOpen"));
        EXPECT_NE(button, nullptr);
        QMenu* menu = button ? button->menu() : nullptr;
        EXPECT_NE(menu, nullptr);
        if (menu)
            emit menu->aboutToShow();
        return menu;
    }

    static QList<QAction*> RecentActions(QMenu* menu)
    {
        QList<QAction*> actions;
        for (QAction* action : menu->actions())
            if (action->objectName() == QStringLiteral("RecentFile"))
                actions.append(action);
        return actions;
    }
};

TEST_F(OpeningTest, EveryArgumentOpensTheFirstTileThenTheGpxFilesAfterItAndATileMoreIsSaid)
{
    const QString tile = SampleAs(QStringLiteral("cmd_N35E138_dem.tif"));
    const QString gpx = WriteGpx(QStringLiteral("after.gpx"));
    const QString second = SampleAs(QStringLiteral("second_N36E138_dem.tif"));
    MainWindow& form = MakeForm({tile, gpx, second});
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Gpx().files().size() == 1; }, 30000))
        << messages.join(u'|').toStdString();
    EXPECT_EQ(form.TilePath(), QFile::encodeName(tile)) << "the first tile stays open";
    // The tile after it is not dropped without a word.
    ASSERT_EQ(messages.size(), 1) << messages.join(u'|').toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("second_N36E138_dem.tif"))) << messages[0].toStdString();
    EXPECT_FALSE(messages[0].contains(QStringLiteral("cmd_N35E138_dem.tif"))) << messages[0].toStdString();
}

TEST_F(OpeningTest, RefusalsNameTheFileInEitherLanguage)
{
    MainWindow& form = MakeForm();
    const QString missing = dir.filePath(QStringLiteral("nowhere.tif"));
    const QString gpx = dir.filePath(QStringLiteral("gone.gpx"));
    form.OpenTile(missing);
    EXPECT_EQ(messages, QStringList{missing + QStringLiteral(" を開けませんでした：ファイルがありません．")});
    messages.clear();
    form.OpenTile(gpx);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.isEmpty(); }, 30000));
    EXPECT_EQ(messages, QStringList{gpx + QStringLiteral(" を開けませんでした：ファイルがありません．")});

    const InEnglish english;
    messages.clear();
    form.OpenTile(missing);
    form.OpenTile(TextFile(QStringLiteral("notes.txt")));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QStringLiteral("Could not open %1: The file does not exist.").arg(missing));
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Could not open %1: This is not an elevation file (")
                                           .arg(dir.filePath(QStringLiteral("notes.txt")))))
        << messages[1].toStdString();
    for (const QString& message : messages)
        EXPECT_FALSE(message.contains(QChar(0xFF0E)) || message.contains(QChar(0x201D))) << "Japanese punctuation";
    messages.clear();
    const QString bad = dir.filePath(QStringLiteral("bad.gpx"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<kml/>");
    file.close();
    form.OpenTile(bad);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.isEmpty(); }, 30000));
    EXPECT_EQ(messages,
        QStringList{QStringLiteral("Could not open %1: This is not a GPX file (it has no gpx element).").arg(bad)});
}

TEST_F(OpeningTest, RecentFilesAreRememberedNewestFirstAndOpenFromTheMenu)
{
    MainWindow& form = MakeForm();
    EXPECT_TRUE(RecentActions(OpenMenu(form)).isEmpty());
    const QString first = SampleAs(QStringLiteral("first_N35E138_dem.tif"));
    const QString gpx = WriteGpx(QStringLiteral("walk.gpx"));
    const QString second = SampleAs(QStringLiteral("second_N36E138_dem.tif"));
    form.OpenTile(first);
    form.OpenTile(gpx);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Gpx().files().size() == 1; }, 30000));
    form.OpenTile(second);
    form.OpenTile(dir.filePath(QStringLiteral("missing_N20E020_dem.tif")));
    EXPECT_EQ(RecentFiles(), NativePaths({second, gpx, first})) << "refused files are not remembered";

    const QList<QAction*> recent = RecentActions(OpenMenu(form));
    ASSERT_EQ(recent.size(), 3);
    EXPECT_EQ(recent[0]->toolTip(), second);
    EXPECT_TRUE(recent[2]->text().contains(QStringLiteral("first_N35E138_dem.tif")));
    recent[2]->trigger();
    EXPECT_EQ(form.TilePath(), QFile::encodeName(first));
    EXPECT_EQ(RecentFiles().first(), QFile::encodeName(first));

    for (int i = 0; i < kRecentFilesKept + 3; ++i)
        RememberRecentFile(QByteArray("/f") + QByteArray::number(i));
    EXPECT_EQ(RecentFiles().size(), kRecentFilesKept);
    EXPECT_EQ(RecentFiles().first(), QByteArray("/f") + QByteArray::number(kRecentFilesKept + 2));
}

TEST_F(OpeningTest, TheLastViewIsRestoredOnAStartWithoutFilesWhenChosen)
{
    const QString tile = SampleAs(QStringLiteral("last_N35E138_dem.tif"));
    Viewpoint kept;
    kept.latitude = 35.2;
    kept.longitude = 138.7;
    kept.minAltitude = 2500;
    kept.azimuth = 250;
    kept.pitch = -12;
    kept.viewAngle = 35;
    StoreLastView({QFile::encodeName(tile), kept});

    const auto expectKept = [&](const char* when) {
        EXPECT_DOUBLE_EQ(Model().eye.latitude, kept.latitude) << when;
        EXPECT_DOUBLE_EQ(Model().eye.longitude, kept.longitude) << when;
        EXPECT_DOUBLE_EQ(Model().eye.minAltitude, kept.minAltitude) << when;
        EXPECT_DOUBLE_EQ(Model().eye.azimuth, kept.azimuth) << when;
        EXPECT_DOUBLE_EQ(Model().eye.pitch, kept.pitch) << when;
        EXPECT_DOUBLE_EQ(Model().eye.viewAngle, kept.viewAngle) << when;
    };
    EXPECT_TRUE(RestoresLastView()) << "on by default";
    MainWindow* form = &MakeForm();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->TilePath().isEmpty(); }, 30000));
    EXPECT_EQ(form->TilePath(), QFile::encodeName(tile));
    expectKept("restored");

    // Quitting keeps the view the window ends on.
    Model().eye.azimuth = 100;
    Model().eye.minAltitude = 1800;
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    const std::optional<LastView> quit = StoredLastView();
    ASSERT_TRUE(quit.has_value());
    EXPECT_EQ(quit->tile, QFile::encodeName(tile));
    EXPECT_DOUBLE_EQ(quit->view.azimuth, 100);
    EXPECT_DOUBLE_EQ(quit->view.minAltitude, 1800);
    EXPECT_DOUBLE_EQ(quit->view.latitude, kept.latitude);
    StoreLastView({QFile::encodeName(tile), kept});

    // A file named on the command line wins: its own start view.
    Model().eye = {};
    const QString other = SampleAs(QStringLiteral("other_N36E138_dem.tif"));
    form = &MakeForm({other});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->TilePath().isEmpty(); }, 30000));
    EXPECT_EQ(form->TilePath(), QFile::encodeName(other));
    EXPECT_DOUBLE_EQ(Model().eye.latitude, 36.25);
    EXPECT_DOUBLE_EQ(Model().eye.azimuth, 0);
    EXPECT_DOUBLE_EQ(Model().eye.viewAngle, 40);

    // Switched off from the menu: nothing opens.
    QAction* restore = nullptr;
    for (QAction* action : OpenMenu(*form)->actions())
        if (action->objectName() == QStringLiteral("RestoreLastView"))
            restore = action;
    ASSERT_NE(restore, nullptr);
    EXPECT_TRUE(restore->isChecked());
    restore->trigger();
    EXPECT_FALSE(RestoresLastView());
    Model().eye = {};
    Model().params = {};
    form = &MakeForm();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Activated(); }, 30000));
    EXPECT_TRUE(form->TilePath().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();

    // Back on, a kept view whose tile is gone is passed over without a word.
    SetRestoresLastView(true);
    StoreLastView({QFile::encodeName(dir.filePath(QStringLiteral("gone_N35E138_dem.tif"))), kept});
    form = &MakeForm();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Activated(); }, 30000));
    EXPECT_TRUE(form->TilePath().isEmpty());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
}

// The filter the open dialog starts with shows every kind of file the viewer
// opens, in either case.
TEST(OpenFilters, TheFirstShowsTilesGpxFilesAndListsOfNames)
{
    const QString first = OpenFilters().split(QStringLiteral(";;")).first();
    const qsizetype open = first.lastIndexOf(u'('), close = first.lastIndexOf(u')');
    ASSERT_TRUE(open >= 0 && close > open) << first.toStdString();
    const QStringList patterns = first.mid(open + 1, close - open - 1).split(u' ', Qt::SkipEmptyParts);
    const auto shown = [&](const QString& name) {
        return std::any_of(patterns.begin(), patterns.end(), [&](const QString& pattern) {
            return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch();
        });
    };
    for (const char* name : {"ASTGTMV003_N35E138_dem.tif", "N35E138.hgt", "N35E138.SRTMGL1.hgt.zip",
             "Copernicus_DSM_COG_10_N35_00_E138_00_DEM.tif", "ALPSMLC30_N035E138_DSM.tif", "cell.tiff", "walk.gpx",
             "WALK.GPX", "japan.osm", "japan-latest.osm.pbf", "japan.osm.gz", "japan.osm.bz2", "JP.txt", "peaks.csv"})
        EXPECT_TRUE(shown(QString::fromLatin1(name))) << name << " hidden by " << first.toStdString();
    EXPECT_FALSE(shown(QStringLiteral("notes.doc")));
}

}  // namespace
