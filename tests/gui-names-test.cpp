// Lists of names in the viewer: opened from the command line or by a drop,
// read on a worker, remembered for the next session, and their names on the
// labels of the summits they match.

#include "gui-fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLocale>
#include <QMimeData>
#include <QProgressBar>
#include <QUrl>

#include <QListWidget>

#include "app/language.h"
#include "app/namelistsdialog.h"
#include "app/panoramawindow.h"
#include "app/readouts.h"
#include "app/savepicture.h"

namespace {

class NamesTest : public GuiTest {
protected:
    // A CSV list naming the sample tile's most prominent summit (a few tens
    // of metres off its top, as lists are) and a place on a flank.
    QString WriteList(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("name,latitude,longitude,elevation\n"
                   "Mount Arven,35.4834,138.3913,3701\n"
                   "Flank Hut,35.6,138.5,1500\n");
        return path;
    }

    static bool Named(const MainWindow& form, const QString& name)
    {
        const auto& subjects = form.Labels().subjects();
        return std::any_of(
            subjects.begin(), subjects.end(), [&](const LabelSubject& subject) { return subject.name == name; });
    }

    static const LabelSubject* Subject(const MainWindow& form, const QString& name)
    {
        for (const LabelSubject& subject : form.Labels().subjects())
            if (subject.name == name)
                return &subject;
        return nullptr;
    }

    void WaitForNames(const MainWindow& form)
    {
        // The lists and the summits each arrive from a worker of their own.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !form.Labels().summits().empty() && Named(form, QStringLiteral("Mount Arven")); }, 30000))
            << messages.join(u' ').toStdString();
    }
};

void Drop(QWidget* target, const QString& file)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    // Qt delivers a drop only after the drag that entered was accepted.
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

TEST_F(NamesTest, AListOnTheCommandLineNamesTheSummitsAndIsRememberedForTheNextSession)
{
    const QString list = WriteList(QStringLiteral("mine.csv"));
    // The list before the tile: it is read once the tile's area is known.
    MainWindow& form = MakeForm({list, SampleAs(QStringLiteral("names_N35E138_dem.tif"))});
    form.FormActivate();
    WaitForNames(form);
    EXPECT_EQ(form.Names().Files(), QByteArrayList{QFile::encodeName(list)});
    const LabelSubject* arven = Subject(form, QStringLiteral("Mount Arven"));
    ASSERT_NE(arven, nullptr);
    EXPECT_TRUE(arven->summit) << "snapped to the summit found";
    EXPECT_EQ(arven->listedElevation, 3701);
    EXPECT_GT(arven->prominence.value_or(0), 3000);
    const LabelSubject* hut = Subject(form, QStringLiteral("Flank Hut"));
    ASSERT_NE(hut, nullptr);
    EXPECT_FALSE(hut->summit) << "no summit near: it stands on its own";
    EXPECT_EQ(form.Labels().subjects().front().name, QStringLiteral("Mount Arven")) << "named ones first";
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u' ').toStdString();

    // The next session opens the tile alone, and the list names it again.
    mainWindow.reset();
    MainWindow& next = MakeForm({SampleAs(QStringLiteral("names_N35E138_dem.tif"))});
    next.FormActivate();
    WaitForNames(next);

    // Forgotten, it names nothing in the session after.
    next.RemoveNames(QFile::encodeName(list));
    EXPECT_TRUE(next.Names().Files().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Named(next, QStringLiteral("Mount Arven")); }, 30000));
}

// A saved view shows what the window shows: the labels over the frame, unless
// the user keeps the bare frame; its texts name the lists that named them.
TEST_F(NamesTest, SavedViewsCarryTheLabelsAndNameTheListsRead)
{
    const QString list = WriteList(QStringLiteral("saved.csv"));
    MainWindow& form = MakeForm({list, SampleAs(QStringLiteral("saved_N35E138_dem.tif"))});
    form.FormActivate();
    WaitForNames(form);
    auto* withOverlays = form.findChild<QAction*>(QStringLiteral("savesWithOverlaysAction"));
    ASSERT_NE(withOverlays, nullptr);
    const QSize size(800, 450);
    int32_t altitude = 0;
    withOverlays->setChecked(false);
    const QImage bare = ViewPictureOf(form, size, altitude);
    withOverlays->setChecked(true);
    const QImage labelled = ViewPictureOf(form, size, altitude);
    ASSERT_EQ(bare.size(), size);
    ASSERT_EQ(labelled.size(), size);
    int changed = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            changed += bare.pixel(x, y) != labelled.pixel(x, y);
    EXPECT_GT(changed, 200) << "the labels are drawn over the saved frame";
    // Labels hidden in the window are not drawn on the picture either.
    form.ToggleSummitLabels();
    ASSERT_FALSE(form.Labels().shown());
    EXPECT_EQ(ViewPictureOf(form, size, altitude), bare);

    const PngTexts texts = ViewPictureTexts(form, Model().eye, altitude);
    const auto lists = std::find_if(
        texts.begin(), texts.end(), [](const auto& text) { return text.first == QStringLiteral("NameLists"); });
    ASSERT_NE(lists, texts.end());
    EXPECT_EQ(lists->second, QStringLiteral("saved.csv"));
}

// P draws the panorama round the eye, labelled as the 3D view is, into a
// window of its own that saves it as PNG or JPEG with the view's texts.
TEST_F(NamesTest, PanoramaWindowShowsTheLabelledHorizonAndSavesIt)
{
    const QString list = WriteList(QStringLiteral("panorama.csv"));
    MainWindow& form = MakeForm({list, SampleAs(QStringLiteral("panorama_N35E138_dem.tif"))});
    form.FormActivate();
    WaitForNames(form);
    auto* action = form.findChild<QAction*>(QStringLiteral("panoramaAction"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::Key_P));
    action->trigger();
    auto* shown = form.findChild<PanoramaWindow*>();
    ASSERT_NE(shown, nullptr);
    const QImage labelled = shown->image();
    ASSERT_EQ(labelled.size(), QSize(3600, 600));

    // The labels belong to it: without them the picture is another.
    form.ToggleSummitLabels();
    EXPECT_NE(DrawViewPanorama(form), labelled);

    const QString jpeg = dir.filePath(QStringLiteral("round.jpg")), png = dir.filePath(QStringLiteral("round.png"));
    EXPECT_TRUE(shown->SaveTo(jpeg).isEmpty());
    EXPECT_TRUE(shown->SaveTo(png).isEmpty());
    QImageReader jpegReader(jpeg), pngReader(png);
    EXPECT_EQ(jpegReader.format(), QByteArray("jpeg"));
    EXPECT_EQ(pngReader.format(), QByteArray("png"));
    EXPECT_EQ(pngReader.size(), QSize(3600, 600));
    EXPECT_EQ(pngReader.text(QStringLiteral("NameLists")), QStringLiteral("panorama.csv"));
    EXPECT_FALSE(pngReader.text(QStringLiteral("Latitude")).isEmpty());
    const QString nowhere = dir.filePath(QStringLiteral("missing/round.png"));
    EXPECT_TRUE(shown->SaveTo(nowhere).contains(nowhere));
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST_F(NamesTest, ADroppedListIsReadOnAWorkerAndARefusedOneIsReported)
{
    MainWindow& form = MakeForm();
    form.OpenTile(SampleAs(QStringLiteral("drop_N35E138_dem.tif")));
    Drop(&form, WriteList(QStringLiteral("dropped.csv")));
    WaitForNames(form);
    EXPECT_FALSE(form.Names().bar()->isVisible()) << "the bar goes once the lists are read";

    // An OSM extract that is not XML: said, and the CSV still names.
    const QString broken = dir.filePath(QStringLiteral("broken.osm"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not OSM XML");
    file.close();
    Drop(&form, broken);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.isEmpty(); }, 30000));
    EXPECT_TRUE(messages.join(u' ').contains(QStringLiteral("broken.osm"))) << messages.join(u' ').toStdString();
    EXPECT_TRUE(Named(form, QStringLiteral("Mount Arven")));

    // A text file that is no GeoNames dump is answered as a file that is no tile, not remembered.
    const QString notes = TextFile(QStringLiteral("notes.txt"));
    EXPECT_FALSE(IsNameListFile(notes));
    EXPECT_EQ(form.Names().Files().size(), 2);
}

TEST_F(NamesTest, AFifoNamedLikeAListIsRefusedLikeATileWithoutWaiting)
{
    MainWindow& form = MakeForm();
    form.OpenTile(SampleAs(QStringLiteral("fifo_N35E138_dem.tif")));
    const QString fifo = dir.filePath(QStringLiteral("places.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Should the drop wait for a writer, one comes after a while, so that
    // the test fails rather than hangs.
    std::atomic<bool> dropped = false;
    std::thread rescuer([&] {
        for (int i = 0; i < 100 && !dropped; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!dropped)
            if (const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK); writer >= 0)
                ::close(writer);
    });
    QElapsedTimer clock;
    clock.start();
    Drop(&form, fifo);
    dropped = true;
    rescuer.join();
    EXPECT_LT(clock.elapsed(), 5000) << "the drop waited on the FIFO";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("places.txt"))) << messages[0].toStdString();
    EXPECT_TRUE(form.Names().Files().isEmpty()) << "a refused file is not remembered";
}

TEST_F(NamesTest, TheDialogAddsAndRemovesRememberedLists)
{
    MainWindow& form = MakeForm();
    form.OpenTile(SampleAs(QStringLiteral("dialog_N35E138_dem.tif")));
    const QString first = WriteList(QStringLiteral("first.csv"));
    form.AddNames(QFile::encodeName(first));
    NameListsDialog dialog(form);
    auto* shown = dialog.findChild<QListWidget*>(QStringLiteral("namesList"));
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->count(), 1);
    EXPECT_EQ(shown->item(0)->text(), first);

    dialog.Add(WriteList(QStringLiteral("second.csv")));
    EXPECT_EQ(shown->count(), 2);
    EXPECT_EQ(form.Names().Files().size(), 2);
    WaitForNames(form);

    // Both removed: the names go from the labels.
    for (int i = 0; i < 2; ++i) {
        shown->setCurrentRow(0);
        dialog.RemoveSelected();
    }
    EXPECT_EQ(shown->count(), 0);
    EXPECT_TRUE(form.Names().Files().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Named(form, QStringLiteral("Mount Arven")); }, 30000));
    const QAction* action = form.findChild<QAction*>(QStringLiteral("nameListsAction"));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
}

TEST_F(NamesTest, GpxWaypointsNameFirstAndHoverShowsAllFiguresWithinTheLine)
{
    MainWindow& form = MakeForm();
    form.OpenTile(SampleAs(QStringLiteral("gpx_N35E138_dem.tif")));
    Drop(&form, WriteList(QStringLiteral("mine.csv")));
    WaitForNames(form);
    const QString gpx = dir.filePath(QStringLiteral("walk.gpx"));
    QFile file(gpx);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<gpx><wpt lat=\"35.4831\" lon=\"138.3916\"><name>My Top</name></wpt></gpx>");
    file.close();
    Drop(&form, gpx);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Named(form, QStringLiteral("My Top")); }, 30000));
    EXPECT_FALSE(Named(form, QStringLiteral("Mount Arven"))) << "the waypoint's name shows on the summit";
    EXPECT_EQ(Subject(form, QStringLiteral("My Top"))->listedElevation, 3701) << "the list's elevation stays";

    const LabelSubject& top = *Subject(form, QStringLiteral("My Top"));
    const int width = form.Form().cursorInfo->parentWidget()->width() - form.Form().cursorInfo->x();
    const QString line = LabelInfoText(top, 24400, 123, form.Form().cursorInfo->fontMetrics(), width);
    for (const QString& part : {QStringLiteral("My Top"), QStringLiteral("3,701"), QStringLiteral("24.4"),
             QStringLiteral("123°"), QLocale().toString(top.height)})
        EXPECT_TRUE(line.contains(part)) << line.toStdString() << " lacks " << part.toStdString();
    form.Form().cursorInfo->setText(line);
    form.Form().cursorInfo->adjustSize();
    EXPECT_LE(form.Form().cursorInfo->geometry().right(), form.Form().cursorInfo->parentWidget()->width())
        << "the line fits its panel";
    // A long name is cut, never the figures.
    LabelSubject longName = top;
    longName.name = QString(60, u'W');
    const QString cut = LabelInfoText(longName, 24400, 123, form.Form().cursorInfo->fontMetrics(), width);
    EXPECT_LE(form.Form().cursorInfo->fontMetrics().horizontalAdvance(cut), width);
    EXPECT_TRUE(cut.contains(QStringLiteral("123°"))) << cut.toStdString();
    EXPECT_TRUE(cut.contains(QChar(0x2026))) << cut.toStdString();
}

}  // namespace
