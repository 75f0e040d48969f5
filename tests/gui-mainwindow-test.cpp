// The main window: layout, start-up, tile intake, title, links and the map view.

#include "gui-fixture.h"

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QDropEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QTableWidget>
#include <QTranslator>
#include <QUrl>

#include "app/backgroundjob.h"
#include "app/gotoplace.h"
#include "app/helpwindow.h"
#include "app/summitsearch.h"
#include "elevation/terrain.h"
#include "overlays/mapmarks.h"

namespace {

// The refusals name the file.
QString NotATile(const QString& file)
{
    return file +
        QStringLiteral(" を開けませんでした：標高データのファイルではありません（開けるのはASTER GDEM，SRTM，NASADEM，"
                       "Copernicus DEM，ALOS World 3Dのタイルと，緯度経度1度分のGeoTIFFです）．");
}
QString NotFound(const QString& file)
{
    return file + QStringLiteral(" を開けませんでした：ファイルがありません．");
}

struct Placement {
    const char* name;
    int x, y, width, height;  // width, height 0: sized to the caption
    const char* caption;
};

// Positions in their panels at the minimum window size.
const Placement kPlacements[] = {
    {"mapView", 0, 4, 360, 360, nullptr},
    {"mapClickHint", 3, 372, 0, 0, "*上地図をクリックすれば視点が移動します。"},
    {"mapRightClickHint", 3, 392, 0, 0, "*マウス右クリックで視線方位を変更します。"},
    {"forwardButton", 296, 368, 57, 20, "前進"},
    {"backButton", 296, 392, 57, 20, "後退"},
    {"statusLine", 8, 3, 0, 0, nullptr},
    {"dragTurnHint", 8, 8, 0, 0, "３D画面上半分を左右にドラッグすれば視線方位が変わります。"},
    {"dragSlideHint", 15, 28, 0, 0, "　〃　下半分を左右にドラッグすれば横方向に移動します。"},
    {"dragPitchHint", 15, 48, 0, 0, "　〃　上半分を上下にドラッグすれば視線ピッチ(上下)が変わります。"},
    {"dragClimbHint", 15, 68, 0, 0, "　〃　下半分を上下にドラッグすれば高度が変わります。"},
    {"frameRate", 408, 8, 0, 0, "***RATE***"},
    {"dropHint", 488, 4, 0, 0, "\"ASTGTM_xxxx_dem.tif\"をドラッグドロップで表示します。"},
    {"linksCaption", 500, 28, 0, 0, "ﾘﾝｸ→"},
    {"asterLink", 556, 28, 0, 0, "ASTER-GDEM,ﾀﾞｳﾝﾛｰﾄﾞ"},
    {"ulvarenLink", 780, 28, 0, 0, "Ulvaren"},
    {"highestPointButton", 680, 56, 81, 25, "最高地点"},
    {"demoButton", 780, 56, 197, 25, "旋回デモ(開始/終了)"},
    {"cursorCaption", 8, 3, 0, 0, "カーソル位置情報"},
    {"cursorInfo", 168, 3, 0, 0, "・・・"},
};

struct FontSpec {
    const char* name;
    int pixelSize;
    bool bold;
    bool underline;
};

const FontSpec kFonts[] = {
    {"MainWindow", 17, false, false},
    {"mapClickHint", 13, false, false},
    {"forwardButton", 13, false, false},
    {"statusLine", 15, false, false},
    {"dragTurnHint", 13, false, false},
    {"frameRate", 13, false, false},
    {"dropHint", 17, true, false},
    {"linksCaption", 17, true, false},
    {"asterLink", 17, false, true},
    {"ulvarenLink", 17, false, true},
    {"highestPointButton", 17, false, false},
    {"demoButton", 17, true, false},
    {"cursorCaption", 15, false, false},
    {"cursorInfo", 15, false, false},
};

QString TextOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    return {};
}

QColor PixelOf(QWidget* widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at);
}

void Drop(QWidget* target, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

// Catches what the links would open in a browser, with the colour the
// label showed at that moment.
class PageCatcher : public QObject {
    Q_OBJECT

public:
    QWidget* watched = nullptr;
    QList<QUrl> pages;
    QColor colourWhenOpened;

public slots:
    void open(const QUrl& page)
    {
        pages.append(page);
        if (watched)
            colourWhenOpened = PixelOf(watched, QPoint(1, 1));
    }
};

class MainWindowTest : public GuiTest { };

TEST_F(MainWindowTest, ComponentsSitWhereTheFormPutsThem)
{
    MainWindow& form = MakeForm();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ulvaren Vantorel 0.08"));
    EXPECT_EQ(form.frameGeometry().size(), QSize(1024, 560));
    for (const Placement& p : kPlacements) {
        SCOPED_TRACE(p.name);
        auto* widget = form.findChild<QWidget*>(QString::fromLatin1(p.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->pos(), QPoint(p.x, p.y));
        if (p.width) {
            EXPECT_EQ(widget->size(), QSize(p.width, p.height));
        }
        if (p.caption) {
            EXPECT_EQ(TextOf(widget), QString::fromUtf8(p.caption));
        }
    }
}

TEST_F(MainWindowTest, PanelsShareTheWindow)
{
    MainWindow& form = MakeForm();
    const QSize client = form.size();
    EXPECT_EQ(form.Form().mapPanel->width(), 360);
    EXPECT_EQ(form.Form().mapPanel->geometry().right(), client.width() - 1);
    EXPECT_EQ(form.Form().statusPanel->height(), 21);
    EXPECT_EQ(form.Form().helpPanel->height(), 90);
    EXPECT_EQ(form.Form().helpPanel->geometry().bottom(), client.height() - 1);
    EXPECT_EQ(form.Form().statusPanel->geometry().bottom() + 1, form.Form().helpPanel->y());
    // The splitter's handle between them.
    const int handle = form.Form().viewSplitter->handleWidth();
    EXPECT_EQ(
        form.Form().view3dPanel->geometry(), QRect(0, 0, client.width() - 360 - handle, client.height() - 21 - 90));
    EXPECT_EQ(form.Form().mapPanel->height(), form.Form().view3dPanel->height());
    EXPECT_EQ(form.Form().cursorPanel->height(), 21);
    // The 3D view fills the panel above the cursor line, inside its bevel.
    EXPECT_EQ(form.Form().view3d->geometry().bottom() + 1, form.Form().cursorPanel->y());
    EXPECT_EQ(form.Form().view3d->width(), form.Form().view3dPanel->width() - 2);
}

TEST_F(MainWindowTest, FontsColoursAndStates)
{
    MainWindow& form = MakeForm();
    for (const FontSpec& f : kFonts) {
        SCOPED_TRACE(f.name);
        auto* widget = form.findChild<QWidget*>(QString::fromLatin1(f.name));
        if (QString::fromLatin1(f.name) == QStringLiteral("MainWindow"))
            widget = &form;
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->font().pixelSize(), f.pixelSize);
        EXPECT_EQ(widget->font().bold(), f.bold);
        EXPECT_EQ(widget->font().underline(), f.underline);
    }
    // "ＭＳ ゴシック" is drawn with an installed Japanese font.
    EXPECT_EQ(QFontInfo(form.Form().mapClickHint->font()).family(), QStringLiteral("IPAGothic"));

    EXPECT_EQ(PixelOf(form.Form().statusPanel, QPoint(400, 10)), QColor(255, 255, 128));
    EXPECT_EQ(PixelOf(form.Form().cursorPanel, QPoint(600, 10)), QColor(208, 249, 147));
    EXPECT_EQ(PixelOf(form.Form().frameRate, QPoint(1, 1)), QColor(240, 243, 116));
    EXPECT_EQ(form.Form().dropHint->palette().color(QPalette::WindowText), QColor(0, 0, 128));

    EXPECT_FALSE(form.Form().forwardButton->isEnabled());
    EXPECT_FALSE(form.Form().backButton->isEnabled());
    EXPECT_FALSE(form.Form().demoButton->isEnabled());
    EXPECT_FALSE(form.Form().forwardButton->focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(form.Form().forwardButton->toolTip(), QStringLiteral("100(m)"));
    EXPECT_EQ(form.Form().backButton->toolTip(), QStringLiteral("100(m)"));
    EXPECT_EQ(form.Form().dropHint->toolTip(), MainWindow::AsterPage().toString());
    EXPECT_EQ(form.Form().asterLink->toolTip(), MainWindow::AsterPage().toString());
    EXPECT_EQ(form.Form().ulvarenLink->toolTip(), MainWindow::UlvarenPage().toString());
    for (QWidget* w : {static_cast<QWidget*>(form.Form().view3d), static_cast<QWidget*>(form.Form().mapView),
             static_cast<QWidget*>(form.Form().demoButton), static_cast<QWidget*>(form.Form().asterLink)})
        EXPECT_EQ(w->cursor().shape(), Qt::PointingHandCursor) << w->objectName().toStdString();
    EXPECT_FALSE(form.DemoFlying());
    EXPECT_EQ(form.DemoTimer().interval(), 10);
}

TEST_F(MainWindowTest, MinimumSizeAndGrowth)
{
    MainWindow& form = MakeForm();
    // The minimum is the outer size, frame included.
    const QSize frame = form.frameGeometry().size() - form.size();
    EXPECT_EQ(form.minimumSize() + frame, QSize(1024, 560));
    form.resize(800, 400);
    EXPECT_EQ(form.frameGeometry().size(), QSize(1024, 560));

    const QSize view = form.Form().view3d->size();
    const QSize growth = QSize(1400, 800) - form.size();
    form.resize(1400, 800);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.Form().helpPanel->width() == 1400; }));
    // The view and the map share the growth across; both take it all down.
    EXPECT_NEAR(form.Form().mapPanel->width() - 360, growth.width() / 2, 1);
    EXPECT_EQ(form.Form().view3d->width() + form.Form().mapPanel->width(), view.width() + 360 + growth.width());
    EXPECT_EQ(form.Form().view3d->height(), view.height() + growth.height());
    EXPECT_EQ(form.Form().mapPanel->height(), form.Form().view3dPanel->height());
    // Anchored right: the demo button and the drop hint keep their distance
    // to the right edge.
    EXPECT_EQ(form.Form().demoButton->x(), 780 + growth.width());
    EXPECT_EQ(form.Form().dropHint->x(), 488 + growth.width());
    EXPECT_EQ(form.Form().highestPointButton->x(), 680);
}

TEST_F(MainWindowTest, CommandLineTileOpensOnceOnFirstActivation)
{
    const QString tile = SampleAs(QStringLiteral("cmd_N35E138_dem.tif"));
    mainWindow =
        std::make_unique<MainWindow>(TheLoadingWindow(), NativePaths({tile, QStringLiteral("second_N10E010_dem.tif")}));
    // Not while being created.
    EXPECT_EQ(Model().params.columns, 0);
    mainWindow->show();
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->Activated(); }));
    EXPECT_EQ(mainWindow->windowTitle(), QStringLiteral("Ulvaren Vantorel 0.08 ： ") + tile);
    EXPECT_DOUBLE_EQ(Model().params.centreLat, 35.5);
    EXPECT_TRUE(mainWindow->Form().demoButton->isEnabled());

    // Later activations open nothing again, but stop the demo.
    Model().eye.azimuth = 123;
    const int32_t serial = Frames();
    mainWindow->DemoTimer().start();
    mainWindow->FormActivate();
    EXPECT_FALSE(mainWindow->DemoFlying());
    EXPECT_EQ(Model().eye.azimuth, 123);
    EXPECT_EQ(Frames(), serial);
    // The second tile was said once, at the first activation.
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("second_N10E010_dem.tif"))) << messages[0].toStdString();
}

TEST_F(MainWindowTest, NoArgumentOpensNothing)
{
    MainWindow& form = MakeForm();
    form.FormActivate();
    EXPECT_TRUE(form.Activated());
    EXPECT_EQ(Model().params.columns, 0);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ulvaren Vantorel 0.08"));
}

TEST_F(MainWindowTest, TheViewIsDrawnIntoAScreenSizedFrameOfItsOwn)
{
    MainWindow& form = MakeForm();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(form.FrameBitmap().width(), screen.width());
    EXPECT_EQ(form.FrameBitmap().height(), screen.height());
    EXPECT_EQ(form.FrameRenderer().Buffers().ColourRows[0], form.FrameBitmap().scanLine(0));
    EXPECT_EQ(form.FrameSize(), form.Form().view3d->size().boundedTo(screen));
}

TEST_F(MainWindowTest, WhatALoadSubstitutedIsToldInTheStatusLine)
{
    // A neighbour that cannot be read is drawn at sea level: the status line
    // says which and why; the samples without data are counted in its tooltip.
    const QString tile = SampleAs(QStringLiteral("N35E138_dem.tif"));
    TextFile(QStringLiteral("N35E139_dem.tif"));
    MainWindow& form = MakeForm();
    form.OpenTile(tile);
    ASSERT_NE(Model().params.columns, 0);
    EXPECT_TRUE(form.Form().statusLine->text().contains(QStringLiteral("N35E139_dem.tif")))
        << form.Form().statusLine->text().toStdString();
    EXPECT_TRUE(form.Form().statusLine->toolTip().contains(QStringLiteral("N35E139_dem.tif")));
    EXPECT_TRUE(form.Form().statusLine->toolTip().contains(QStringLiteral("欠測値")))
        << form.Form().statusLine->toolTip().toStdString();
    // A tile opened alone with nothing substituted says nothing more.
    form.OpenTile(SampleAs(QStringLiteral("alone_N10E010_dem.tif")));
    EXPECT_FALSE(form.Form().statusLine->text().contains(QStringLiteral("N35E139")));
}

TEST_F(MainWindowTest, NamesThatAreNotUtf8OpenAsTheSystemGaveThem)
{
    // 0xFF never stands in UTF-8: a conversion through QString would open
    // another name.
    const QByteArray path = QFile::encodeName(dir.path()) + "/\xff_N36E137_dem.tif";
    ASSERT_EQ(::symlink(VANTOREL_SAMPLE_TILE, path.constData()), 0);

    mainWindow = std::make_unique<MainWindow>(TheLoadingWindow(), QByteArrayList{path});
    mainWindow->show();
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->Activated(); }));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u' ').toStdString();
    EXPECT_DOUBLE_EQ(Model().params.centreLat, 36.5);

    MainWindow& form = MakeForm();
    Drop(&form, {QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u' ').toStdString();
    EXPECT_DOUBLE_EQ(Model().params.centreLon, 137.5);
}

TEST_F(MainWindowTest, DroppedFilesOpenInTurnAndARefusedOneIsReported)
{
    MainWindow& form = MakeForm();
    const QString first = SampleAs(QStringLiteral("first_N35E138_dem.tif"));
    const QString notTile = TextFile(QStringLiteral("notes.txt"));
    const QString third = SampleAs(QStringLiteral("third_N36E137_dem.tif"));

    // What the window showed when the second file was refused.
    QString titleAtMessage;
    double latitudeAtMessage = 0;
    SetMessageSink([&](const QString& text) {
        messages.append(text);
        titleAtMessage = form.windowTitle();
        latitudeAtMessage = Model().params.centreLat;
    });
    Drop(&form, {QUrl::fromLocalFile(first), QUrl::fromLocalFile(notTile), QUrl::fromLocalFile(third)});

    EXPECT_EQ(messages, QStringList{NotATile(notTile)});
    EXPECT_EQ(titleAtMessage, QStringLiteral("Ulvaren Vantorel 0.08 ： ") + first);
    EXPECT_DOUBLE_EQ(latitudeAtMessage, 35.5);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ulvaren Vantorel 0.08 ： ") + third);
    EXPECT_DOUBLE_EQ(Model().params.centreLat, 36.5);
    EXPECT_DOUBLE_EQ(Model().params.centreLon, 137.5);
    EXPECT_TRUE(form.Form().forwardButton->isEnabled());
    EXPECT_TRUE(form.Form().backButton->isEnabled());
    EXPECT_TRUE(form.Form().demoButton->isEnabled());
    EXPECT_FALSE(TheLoadingWindow().isVisible());
}

TEST_F(MainWindowTest, RefusedOpenLeavesEverythingAsItWas)
{
    MainWindow& form = MakeForm();
    form.OpenTile(QStringLiteral("/no/such/folder/x_N10E010_dem.tif"));
    EXPECT_EQ(messages, QStringList{NotFound(QStringLiteral("/no/such/folder/x_N10E010_dem.tif"))});
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ulvaren Vantorel 0.08"));
    EXPECT_FALSE(form.Form().demoButton->isEnabled());
    EXPECT_EQ(Model().params.columns, 0);

    const QString tile = SampleAs(QStringLiteral("kept_N35E138_dem.tif"));
    form.OpenTile(tile);
    Model().eye.azimuth = 42;
    form.PaintView3d();
    const RenderParams params = Model().params;
    const Viewpoint view = Model().eye;
    const QRect mapBox = form.Form().mapView->geometry();
    const QImage frame = form.Form().view3d->picture().copy();

    messages.clear();
    form.OpenTile(dir.filePath(QStringLiteral("missing_N20E020_dem.tif")));
    form.OpenTile(TextFile(QStringLiteral("readme.txt")));
    EXPECT_EQ(messages,
        (QStringList{NotFound(dir.filePath(QStringLiteral("missing_N20E020_dem.tif"))),
            NotATile(dir.filePath(QStringLiteral("readme.txt")))}));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ulvaren Vantorel 0.08 ： ") + tile);
    EXPECT_EQ(params.columns, Model().params.columns);
    EXPECT_EQ(params.rows, Model().params.rows);
    EXPECT_EQ(params.metresPerCell, Model().params.metresPerCell);
    EXPECT_EQ(params.northLat, Model().params.northLat);
    EXPECT_EQ(params.westLon, Model().params.westLon);
    EXPECT_EQ(params.centreLat, Model().params.centreLat);
    EXPECT_EQ(params.centreLon, Model().params.centreLon);
    EXPECT_EQ(0, std::memcmp(&view, &Model().eye, sizeof view));
    EXPECT_EQ(form.Form().mapView->geometry(), mapBox);
    EXPECT_EQ(form.Form().view3d->picture(), frame);
    EXPECT_TRUE(form.Form().demoButton->isEnabled());
}

// A tile beside another opens joined with it; flying past its edge loads the
// set around the neighbour in the background and hands it over whole, with
// the eye where it was.
TEST_F(MainWindowTest, FlyingOnRecentresOnTheNeighbourKeepingTheEye)
{
    MainWindow& form = MakeForm();
    SampleAs(QStringLiteral("set_N35E139_dem.tif"));
    form.OpenTile(SampleAs(QStringLiteral("set_N35E138_dem.tif")));
    ASSERT_TRUE(Model().tiles.joined());
    ASSERT_EQ(Model().params.areaDegrees, 3);
    EXPECT_EQ(Model().terrain->tileInfo.height, 3601);  // one row of cells

    Viewpoint eye = Model().eye;
    eye.latitude = 35.4;
    eye.longitude = 139.3;
    eye.azimuth = 77;
    eye.pitch = -12;
    Model().eye = eye;
    form.PaintView3d();  // the frame that finds the eye beside the opened tile
    ASSERT_TRUE(QTest::qWaitFor([&] { return Model().params.centreLon == 139.5; }, 30000));
    EXPECT_TRUE(form.windowTitle().contains(QStringLiteral("set_N35E139_dem.tif")));
    EXPECT_EQ(Model().tiles.opened.lon, 139);
    EXPECT_EQ(Model().eye.latitude, eye.latitude);
    EXPECT_EQ(Model().eye.longitude, eye.longitude);
    EXPECT_EQ(Model().eye.azimuth, eye.azimuth);
    EXPECT_EQ(Model().eye.pitch, eye.pitch);
}

// Ctrl+G to a place the joined set already holds glides there, with no
// load; a place beyond it with no tile in the folder is named in a message.
TEST_F(MainWindowTest, GoingToAPlaceInTheLoadedSetGlidesWithoutALoad)
{
    MainWindow& form = MakeForm();
    SampleAs(QStringLiteral("goto_N35E139_dem.tif"));
    form.OpenTile(SampleAs(QStringLiteral("goto_N35E138_dem.tif")));
    ASSERT_TRUE(Model().tiles.joined());
    const QString title = form.windowTitle();
    GoToPlace(form, QStringLiteral("35.4, 139.3"));
    EXPECT_EQ(Model().params.centreLon, 138.5) << "no load on the way";
    EXPECT_EQ(form.windowTitle(), title);
    EXPECT_NEAR(Model().eye.latitude, 35.4, 1e-9);
    EXPECT_NEAR(Model().eye.longitude, 139.3, 1e-9);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u' ').toStdString();

    GoToPlace(form, QStringLiteral("36.5, 138.5"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(QStringLiteral("N36E138"))) << messages.front().toStdString();
    EXPECT_NEAR(Model().eye.latitude, 35.4, 1e-9) << "the eye stays where it was";
}

// F1's tables name every key the window answers with a shortcut, and in
// English they are all English and nothing in them is cut short.
TEST_F(MainWindowTest, HelpWindowListsEveryShortcutInBothLanguages)
{
    MainWindow& form = MakeForm();
    std::vector<HelpLine> lines = KeyHelpLines();
    for (const QAction* action : form.findChildren<QAction*>()) {
        if (action->shortcut().isEmpty())
            continue;
        const QString key = action->shortcut().toString(QKeySequence::PortableText);
        const bool listed = std::any_of(lines.begin(), lines.end(), [&](const HelpLine& line) {
            return line.action.split(u'/').contains(key) || line.action.split(QStringLiteral(" / ")).contains(key);
        });
        EXPECT_TRUE(listed) << key.toStdString() << " (" << action->text().toStdString() << ") is not in the help";
    }

    // English for this test alone, taken away however the test ends.
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral("vantorel_en"), QStringLiteral(":/i18n")));
    QCoreApplication::installTranslator(&english);
    const std::unique_ptr<QTranslator, bool (*)(QTranslator*)> removed(&english, &QCoreApplication::removeTranslator);
    HelpWindow help(&form);
    help.show();
    for (const char* name : {"keyTable", "mouseTable"}) {
        const auto* table = help.findChild<QTableWidget*>(QLatin1String(name));
        ASSERT_NE(table, nullptr);
        for (int row = 0; row < table->rowCount(); ++row) {
            const QString does = table->item(row, 1)->text();
            EXPECT_FALSE(does.contains(QRegularExpression(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"))))
                << does.toStdString();
            const QFontMetrics metrics(table->font());
            EXPECT_LE(metrics.horizontalAdvance(does), table->columnWidth(1)) << does.toStdString();
        }
    }
}

// A GPX file as the system's bytes, with a track of `points` points.
QByteArray WriteTrack(const QByteArray& path, int points)
{
    QByteArray text = "<gpx><trk><trkseg>";
    for (int i = 0; i < points; ++i)
        text += QStringLiteral("<trkpt lat=\"%1\" lon=\"138.5\"/>").arg(35.2 + i * 1e-5).toUtf8();
    text += "</trkseg></trk></gpx>";
    QFile file;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_TRUE(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(file.write(text), text.size());
    return path;
}

// A GPX file is read on a thread of its own, with its progress shown, while
// the window answers; it opens under a name that is not UTF-8 too. Esc stops
// a reading, and the landscape stays as it was.
TEST_F(MainWindowTest, GpxFilesAreReadInTheBackgroundAndEscStopsThem)
{
    MainWindow& form = MakeForm();
    form.OpenTile(SampleAs(QStringLiteral("gpx_N35E138_dem.tif")));
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray track = WriteTrack(folder + "/\xff track.gpx", 50000);

    form.OpenTile(track);
    EXPECT_TRUE(form.gpxLoading().Running());
    EXPECT_TRUE(form.gpxLoading().bar()->isVisible());
    EXPECT_TRUE(form.Gpx().empty()) << "read on the GUI thread";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Gpx().empty(); }, 30000));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u' ').toStdString();
    EXPECT_EQ(form.Gpx().files()[0].lines[0].points.size(), 50000u);
    EXPECT_FALSE(form.gpxLoading().bar()->isVisible());

    const Terrain* terrain = Model().terrain.get();
    const RenderParams params = Model().params;
    form.OpenTile(track);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.gpxLoading().Running());
    EXPECT_FALSE(form.gpxLoading().bar()->isVisible());
    QTest::qWait(300);  // a stopped reading that had finished hands nothing over
    EXPECT_EQ(form.Gpx().files().size(), 1u);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u' ').toStdString();
    EXPECT_EQ(Model().terrain.get(), terrain);
    EXPECT_EQ(Model().params.centreLon, params.centreLon);
    ::unlink(track.constData());  // QTemporaryDir cannot name it
}

TEST_F(MainWindowTest, DeveloperFileShowsTheHiddenControls)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    {
        MainWindow& form = MakeForm();
        EXPECT_TRUE(form.Form().highestPointButton->isHidden());
        EXPECT_TRUE(form.Form().frameRate->isHidden());
    }
    TextFile(QStringLiteral("Vantorel.bpr"));
    {
        MainWindow& form = MakeForm();
        EXPECT_TRUE(form.Form().highestPointButton->isVisible());
        EXPECT_TRUE(form.Form().frameRate->isVisible());
    }
    QDir::setCurrent(previous);
}

TEST_F(MainWindowTest, LinksFlashAndOpenTheirPages)
{
    MainWindow& form = MakeForm();
    PageCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");

    catcher.watched = form.Form().asterLink;
    QTest::mouseClick(form.Form().dropHint, Qt::LeftButton);
    EXPECT_EQ(catcher.colourWhenOpened, QColor(255, 255, 0));
    form.AsterLinkClick();
    catcher.watched = form.Form().ulvarenLink;
    QTest::mouseClick(form.Form().ulvarenLink, Qt::LeftButton);
    EXPECT_EQ(catcher.colourWhenOpened, QColor(255, 255, 0));

    EXPECT_EQ(
        catcher.pages, (QList<QUrl>{MainWindow::AsterPage(), MainWindow::AsterPage(), MainWindow::UlvarenPage()}));
    EXPECT_EQ(MainWindow::AsterPage().scheme(), QStringLiteral("https"));
    EXPECT_TRUE(MainWindow::UlvarenPage().toLocalFile().endsWith(QStringLiteral("/README.md")));
    // The flash is over once the page is open.
    EXPECT_EQ(PixelOf(form.Form().asterLink, QPoint(1, 1)), form.palette().color(QPalette::Window));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

// The map view over a map image of one known colour.
class MapViewTest : public GuiTest {
protected:
    static constexpr uint32_t kGround = 0x336699;
    static constexpr QRgb kInverted = 0xFFCC9966;

    void SetUp() override
    {
        GuiTest::SetUp();
        MakeForm();
        // The marks alone, without the grid's lines over them.
        mainWindow->Form().mapView->SetGridShown(false);
        // A landscape of one colour, without a tile.
        Model().terrain = std::make_unique<Terrain>();
        Bitmap32& map = Model().terrain->mapBitmap;
        map.SetWidth(300);
        for (int y = 0; y < map.height(); ++y)
            std::fill_n(map.scanLine(y), map.capacityWidth(), kGround);
        Model().params.columns = 0;  // no 3D frames: the map alone
        Model().params.northLat = 36;
        Model().params.westLon = 138;
        Model().eye.viewAngle = 90;
    }

    // The map is composed twice: the first paint sizes the box.
    void PaintMapWithEyeAt(int x, int y)
    {
        Model().params.columns = 1;
        for (int i = 0; i < 2; ++i) {
            Model().eye.longitude = 138 + (x + 0.5) / mainWindow->Form().mapView->width();
            Model().eye.latitude = 36 - (y + 0.5) / mainWindow->Form().mapView->height();
            mainWindow->PaintMap();
        }
        Model().params.columns = 0;
    }

    QRgb At(int x, int y) const { return mainWindow->Form().mapView->picture().pixel(x, y); }

    // On an edge of the wedge: tan 45° falls a hair short of 1 in doubles,
    // so an edge may pass a pixel above or below the diagonal.
    bool Inverted(int x, int y) const
    {
        return At(x, y) == kInverted || At(x, y - 1) == kInverted || At(x, y + 1) == kInverted;
    }
};

TEST_F(MapViewTest, BoxTakesTheMapSizeCentredInThePanel)
{
    PaintMapWithEyeAt(150, 180);
    EXPECT_EQ(mainWindow->Form().mapView->geometry(), QRect(30, 4, 300, 360));
    // The picture is the box's: it grows with it.
    EXPECT_EQ(mainWindow->Form().mapView->picture().size(), QSize(300, 360));
    EXPECT_EQ(mainWindow->Form().mapView->picture().size(), QSize(300, 360));
}

TEST_F(MapViewTest, RangeCirclesAreCentredOnTheBox)
{
    PaintMapWithEyeAt(20, 20);
    const QRgb grey = qRgb(128, 128, 128);
    for (const int r : {50, 100, 150}) {
        SCOPED_TRACE(r);
        // Somewhere within a pixel of each compass point.
        const auto near = [&](int x, int y) {
            for (int d = -1; d <= 1; ++d) {
                if (mainWindow->Form().mapView->picture().valid(x + d, y) && At(x + d, y) == grey)
                    return true;
                if (mainWindow->Form().mapView->picture().valid(x, y + d) && At(x, y + d) == grey)
                    return true;
            }
            return false;
        };
        // The largest circle's east point lies on the box's edge, just
        // outside the picture, which is the box's size.
        if (150 + r < mainWindow->Form().mapView->picture().width()) {
            EXPECT_TRUE(near(150 + r, 180));
        }
        EXPECT_TRUE(near(150 - r, 180));
        EXPECT_TRUE(near(150, 180 - r));
        EXPECT_TRUE(near(150, 180 + r));
    }
    EXPECT_EQ(At(150, 180), 0xFF000000 | kGround);
}

TEST_F(MapViewTest, WedgeLooksNorthWithAQuarterTurnEachSide)
{
    Model().eye.azimuth = 0;
    PaintMapWithEyeAt(100, 300);
    // Edges to (x + 250, y - 250) and (x - 250, y - 250).
    for (const int k : {60, 120, 190}) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(Inverted(100 + k, 300 - k));
        if (100 - k >= 0) {
            EXPECT_TRUE(Inverted(100 - k, 300 - k));
        }
    }
    EXPECT_EQ(At(100, 200), 0xFF000000 | kGround);  // straight ahead lies inside the wedge
}

TEST_F(MapViewTest, WedgeOpensToTheRightLookingEast)
{
    Model().eye.azimuth = 90;
    PaintMapWithEyeAt(50, 180);
    // Edges to (x + 250, y + 250) and (x + 250, y - 250).
    for (const int k : {60, 120}) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(Inverted(50 + k, 180 + k));
        EXPECT_TRUE(Inverted(50 + k, 180 - k));
    }
    EXPECT_EQ(At(150, 180), 0xFF000000 | kGround);
}

TEST_F(MapViewTest, EyeMarkStaysInsideForAnEyeOffTheTile)
{
    // The mark's middle, a black dot in a ring of the eye's own colour,
    // stays its radius and a pixel inside the box.
    const QRgb ring = kEyeMarkColour.rgb();
    const int inside = kEyeMarkRadius + 1;
    PaintMapWithEyeAt(-40, -70);
    EXPECT_EQ(At(inside, inside), qRgb(0, 0, 0));
    EXPECT_EQ(At(inside + 3, inside), ring);
    EXPECT_EQ(At(inside - 4, inside), ring);
    PaintMapWithEyeAt(900, 900);
    EXPECT_EQ(At(299 - inside, 359 - inside), qRgb(0, 0, 0));
    EXPECT_EQ(At(299 - inside - 4, 359 - inside), ring);
    EXPECT_EQ(At(298, 300), 0xFF000000 | kGround);
}

TEST_F(MapViewTest, NothingIsDrawnWithoutATile)
{
    const QRect before = mainWindow->Form().mapView->geometry();
    mainWindow->PaintMap();
    mainWindow->PaintView3d();
    EXPECT_EQ(mainWindow->Form().mapView->geometry(), before);
    EXPECT_TRUE(mainWindow->Form().statusLine->text().isEmpty());
    EXPECT_EQ(Frames(), 0);
}

// The summits search on a thread of its own: a search stopped before its
// summits arrive never delivers them, even when it had already finished;
// the next one delivers what the search finds.
TEST(SummitSearchTest, OnlyTheLatestSearchDelivers)
{
    constexpr int kSide = 300;
    std::vector<int16_t> samples(std::size_t(kSide) * kSide);
    std::vector<const int16_t*> rows(kSide);
    for (int r = 0; r < kSide; ++r) {
        rows[std::size_t(r)] = &samples[std::size_t(r) * kSide];
        for (int c = 0; c < kSide; ++c)
            samples[std::size_t(r) * kSide + std::size_t(c)] =
                int16_t(std::max(0, 1500 - 10 * std::abs(r - 100) - 10 * std::abs(c - 120)) +
                    std::max(0, 1200 - 10 * std::abs(r - 200) - 10 * std::abs(c - 210)));
    }
    int deliveries = 0;
    std::vector<Summit> delivered;
    SummitSearch search([&](std::vector<Summit> summits) {
        ++deliveries;
        delivered = std::move(summits);
    });
    const auto searchRows = [&](const std::atomic<bool>* stop) {
        return FindSummits(rows.data(), kSide, kSide, kSummitMinProminence, stop);
    };
    search.Start(searchRows);
    QThread::msleep(50);
    EXPECT_TRUE(search.Stop());
    QCoreApplication::processEvents();
    EXPECT_EQ(deliveries, 0);
    EXPECT_FALSE(search.Stop());

    search.Start(searchRows);
    search.Start(searchRows);
    QTRY_COMPARE(deliveries, 1);
    const std::vector<Summit> expected = FindSummits(rows.data(), kSide, kSide);
    ASSERT_EQ(delivered.size(), expected.size());
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(delivered[1].height, expected[1].height);
    EXPECT_EQ(delivered[1].prominence, expected[1].prominence);
    QTest::qWait(50);
    EXPECT_EQ(deliveries, 1);
}

// A job stuck in a long step that never looks at its stop flag, as a load
// of a large set can be: the GUI thread does not wait for it when it is
// stopped or replaced, nor for more than a moment when its owner goes, and
// what it hands over late is dropped.
TEST(BackgroundJobTest, TheGuiThreadNeverWaitsForAJob)
{
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    std::atomic<int> ended{0};
    int delivered = 0;
    const auto stuck = [&ended, &delivered, released](const std::atomic<bool>&) -> BackgroundJob::Delivery {
        released.wait();
        ++ended;
        return [&delivered] { delivered += 1; };
    };
    const auto quick = [&delivered](const std::atomic<bool>&) -> BackgroundJob::Delivery {
        return [&delivered] { delivered += 10; };
    };

    auto job = std::make_unique<BackgroundJob>();
    job->Start(stuck);
    EXPECT_TRUE(job->Running());
    job->Stop();
    EXPECT_FALSE(job->Running());
    EXPECT_TRUE(job->Busy()) << "its thread is still in the step";
    job->Start(quick);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered != 0; }, 10000));
    EXPECT_EQ(delivered, 10);
    EXPECT_FALSE(job->Running());

    job->Start(stuck);
    job.reset();  // as the window closes
    EXPECT_EQ(ended, 0) << "the end waited for the stuck jobs";
    release.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended == 2; }, 10000));
    QTest::qWait(50);
    EXPECT_EQ(delivered, 10);
}

// A job that has ended while its delivery still waits in the event queue
// counts as busy: an owner that starts a job only when none is busy, as the
// loads while flying do at every frame, would otherwise start another and
// drop the finished one's result, again and again.
TEST(BackgroundJobTest, AJobWhoseDeliveryWaitsIsBusy)
{
    int delivered = 0;
    BackgroundJob job;
    job.Start(
        [&delivered](const std::atomic<bool>&) -> BackgroundJob::Delivery { return [&delivered] { ++delivered; }; });
    // The event loop does not run meanwhile, so the delivery cannot.
    for (int i = 0; i < 100 && job.Busy(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(job.Busy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered != 0; }, 10000));
    EXPECT_FALSE(job.Busy());
    EXPECT_EQ(delivered, 1);
}

}  // namespace

#include "gui-mainwindow-test.moc"
