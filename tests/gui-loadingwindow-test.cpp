// The loading window: its look, the buffers it creates once, and a load
// seen through its progress bar.

#include "gui-fixture.h"

#include <QFontInfo>
#include <QLineEdit>
#include <QSignalSpy>

#include "elevation/terrain.h"
#include "render/framebuffers.h"

namespace {

class LoadingWindowTest : public GuiTest {
protected:
    // Positions the bar took, and whether the window was on the screen each time.
    void WatchProgress()
    {
        QObject::connect(
            TheLoadingWindow().Form().progressBar, &QProgressBar::valueChanged, &watcher, [this](int value) {
                positions.append(value);
                shownAtEachStep = shownAtEachStep && TheLoadingWindow().isVisible();
            });
    }

    QObject watcher;
    QList<int> positions;
    bool shownAtEachStep = true;
};

TEST_F(LoadingWindowTest, LooksAsLaidOut)
{
    LoadingWindow& form = TheLoadingWindow();
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.size(), QSize(421, 101));
    EXPECT_EQ(form.Form().panel->geometry(), QRect(0, 0, 421, 101));
    EXPECT_EQ(form.Form().caption->pos(), QPoint(32, 20));
    EXPECT_EQ(form.Form().caption->text(), QStringLiteral("読込中．．．"));
    EXPECT_EQ(form.Form().progressBar->geometry(), QRect(32, 52, 357, 25));
    EXPECT_EQ(form.Form().progressBar->minimum(), 0);
    EXPECT_EQ(form.Form().progressBar->maximum(), 18);

    form.ensurePolished();
    EXPECT_EQ(form.Form().caption->font().pixelSize(), 20);
    EXPECT_EQ(QFontInfo(form.Form().caption->font()).family(), QStringLiteral("IPAPMincho"));

    const QImage look = form.Form().panel->grab().toImage();
    const QColor orange(255, 128, 64);
    EXPECT_EQ(look.pixelColor(210, 90), orange);
    // Raised outside, lowered inside: light then dark along the top edge.
    const QPalette& palette = form.Form().panel->palette();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(look.pixel(200, i), palette.color(QPalette::Light).rgb()) << i;
        EXPECT_EQ(look.pixel(200, 3 + i), palette.color(QPalette::Dark).rgb()) << i;
        EXPECT_EQ(look.pixel(200, 100 - i), palette.color(QPalette::Dark).rgb()) << i;
        EXPECT_EQ(look.pixel(200, 97 - i), palette.color(QPalette::Light).rgb()) << i;
    }
    EXPECT_EQ(look.pixelColor(200, 6), orange);
}

TEST_F(LoadingWindowTest, ALoadStepsTheBarToItsEndAndFillsTheModel)
{
    WatchProgress();
    ViewerModel model;
    const QString tile = SampleAs(QStringLiteral("bar_N35E138_dem.tif"));
    EXPECT_EQ(TheLoadingWindow().LoadTile(tile, model), 0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(TheLoadingWindow().isVisible());
    EXPECT_TRUE(shownAtEachStep);
    // Positions 1 to 18 (after a 0 if an earlier load left the bar full);
    // the counter's 19 and 20 leave the bar full.
    if (!positions.isEmpty() && positions.first() == 0)
        positions.removeFirst();
    QList<int> expected;
    for (int p = 1; p <= 18; ++p)
        expected.append(p);
    EXPECT_EQ(positions, expected);
    EXPECT_EQ(TheLoadingWindow().Form().progressBar->value(), 18);
    ASSERT_NE(model.terrain, nullptr);
    EXPECT_EQ(model.params.columns, model.terrain->tileInfo.width);
    EXPECT_DOUBLE_EQ(model.eye.latitude, 35.25);
    EXPECT_TRUE(model.tiles.CellAt(35.5, 138.5) >= 0);

    // The next load starts from an empty bar, into the same buffers.
    const Terrain* terrain = model.terrain.get();
    positions.clear();
    EXPECT_EQ(TheLoadingWindow().LoadTile(tile, model), 0);
    ASSERT_FALSE(positions.isEmpty());
    EXPECT_EQ(positions.first(), 0);
    EXPECT_EQ(model.terrain.get(), terrain);
}

TEST_F(LoadingWindowTest, AWrongNameIsRefusedBeforeTheWindowShows)
{
    WatchProgress();
    ViewerModel model;
    model.params.columns = 77;
    model.eye.azimuth = 12;
    const QString text = TextFile(QStringLiteral("N35E138.txt"));
    EXPECT_EQ(TheLoadingWindow().LoadTile(text, model), -1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(
        messages[0].startsWith(text + QStringLiteral(" を開けませんでした：標高データのファイルではありません")))
        << messages[0].toStdString();
    EXPECT_TRUE(positions.isEmpty());
    EXPECT_FALSE(TheLoadingWindow().isVisible());
    EXPECT_EQ(model.params.columns, 77);
    EXPECT_EQ(model.eye.azimuth, 12);
}

TEST_F(LoadingWindowTest, AnUnreadableFileIsRefusedAndTheWindowHidden)
{
    ViewerModel model;
    bool shownWhenRefused = true;
    // The message is modal: the input held back while the tile loads must reach it.
    QLineEdit answer;
    SetMessageSink([&](const QString& text) {
        messages.append(text);
        shownWhenRefused = TheLoadingWindow().isVisible();
        QTest::keyClicks(&answer, QStringLiteral("ok"));
    });
    const QString gone = dir.filePath(QStringLiteral("gone_N35E138_dem.tif"));
    EXPECT_EQ(TheLoadingWindow().LoadTile(gone, model), -1);
    EXPECT_EQ(messages, QStringList{gone + QStringLiteral(" を開けませんでした：ファイルがありません．")});
    // Hidden before the message, so the always-on-top window cannot cover it.
    EXPECT_FALSE(shownWhenRefused);
    EXPECT_EQ(answer.text(), QStringLiteral("ok"));
    EXPECT_FALSE(TheLoadingWindow().isVisible());
    EXPECT_EQ(model.params.columns, 0);
    EXPECT_EQ(model.terrain, nullptr) << "nothing was loaded, and nothing made";
}

}  // namespace
