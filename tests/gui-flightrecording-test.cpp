// "Record flight" in the viewer: the GPX track's flight filmed at the 3D
// view's size, and the demo's lap stopped part way by Esc, each a whole
// video that FFmpeg reads.

#include <QAction>
#include <QApplication>
#include <QProgressDialog>
#include <QTimer>

#include "app/flightrecording.h"
#include "gui-fixture.h"
#include "videoprobe.h"

namespace {

class FlightRecordingTest : public GuiTest { };

TEST_F(FlightRecordingTest, CtrlRFilmsTheTrackAtTheViewsSize)
{
    MainWindow& form = MakeForm();
    form.OpenTile(SampleAs(QStringLiteral("rec_N35E138_dem.tif")));
    const QList<QAction*> actions = form.view3d->actions();
    const auto record = std::find_if(actions.begin(), actions.end(),
        [](const QAction* a) { return a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_R); });
    ASSERT_NE(record, actions.end()) << "the 3D view's menu has Record flight on Ctrl+R";

    // 300 m north: two seconds at the starting speed.
    const QString track = dir.filePath(QStringLiteral("short.gpx"));
    QFile file(track);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<gpx><trk><trkseg><trkpt lat=\"35.3\" lon=\"138.5\"/><trkpt lat=\"35.302699\" lon=\"138.5\"/>"
               "</trkseg></trk></gpx>");
    file.close();
    form.OpenTile(track);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Gpx().empty(); }, 30000));
    const Viewpoint before = TheViewpoint;

    const QString video = dir.filePath(QStringLiteral("track.mp4"));
    const int frames = RecordFlightTo(form, video);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u' ').toStdString();
    EXPECT_NEAR(frames, 61, 1);
    const auto probed = Probe(video.toStdString());
    EXPECT_EQ(probed.at("codec_name"), "h264");
    EXPECT_EQ(probed.at("width"), std::to_string(form.FrameSize().width() & ~1));
    EXPECT_EQ(probed.at("height"), std::to_string(form.FrameSize().height() & ~1));
    EXPECT_EQ(probed.at("nb_read_frames"), std::to_string(frames));
    // Filmed off the screen: the eye shown stays where it was.
    EXPECT_EQ(TheViewpoint.latitude, before.latitude);
    EXPECT_EQ(TheViewpoint.azimuth, before.azimuth);
}

TEST_F(FlightRecordingTest, EscStopsTheDemoLapKeepingAWholeVideo)
{
    MainWindow& form = MakeForm();
    form.OpenTile(SampleAs(QStringLiteral("rec_N35E138_dem.tif")));
    form.resize(400, 300);  // small frames, quickly filmed
    // Esc on the progress window once it shows a few frames filmed.
    QTimer escape;
    int seen = 0;
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()); progress && ++seen == 3)
            QTest::keyClick(progress, Qt::Key_Escape);
    });
    escape.start(0);
    const QString video = dir.filePath(QStringLiteral("demo.mp4"));
    const int frames = RecordFlightTo(form, video);
    escape.stop();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u' ').toStdString();
    ASSERT_GE(seen, 3) << "the progress window showed";
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, 1000) << "a whole lap is thousands of frames";
    const auto probed = Probe(video.toStdString());
    EXPECT_EQ(probed.at("codec_name"), "h264");
    EXPECT_EQ(probed.at("nb_read_frames"), std::to_string(frames));

    // A folder that is not there: the message names the file.
    const QString nowhere = dir.filePath(QStringLiteral("missing/demo.mp4"));
    EXPECT_EQ(RecordFlightTo(form, nowhere), -1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(nowhere)) << messages[0].toStdString();
}

}  // namespace
