// Flights in the viewer: the GPX track flown with the chase camera and
// steered by keys; "Record flight" filming it at the 3D view's size, and the
// demo's lap stopped part way by Esc, each a whole video that FFmpeg reads.

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QProgressDialog>
#include <QTimer>

#include "app/flightrecording.h"
#include "core/geometry.h"
#include "flight/chaseflight.h"
#include "gui-fixture.h"
#include "videoprobe.h"

namespace {

class FlightRecordingTest : public GuiTest {
protected:
    // Opens a track on the sample tile: `metres` north from 35.3 N.
    void OpenTrack(MainWindow& form, double metres = 300)
    {
        form.OpenTile(SampleAs(QStringLiteral("rec_N35E138_dem.tif")));
        const QString track = dir.filePath(QStringLiteral("track.gpx"));
        QFile file(track);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<gpx><trk><trkseg><trkpt lat=\"35.3\" lon=\"138.5\"/>"
                                  "<trkpt lat=\"%1\" lon=\"138.5\"/></trkseg></trk></gpx>")
                       .arg(35.3 + metres / MetresPerDegree, 0, 'f', 7)
                       .toUtf8());
        file.close();
        form.OpenTile(track);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Gpx().empty(); }, 30000));
    }
};

TEST_F(FlightRecordingTest, KeysSteerTheTrackFlightAndAnyOtherKeyEndsIt)
{
    MainWindow& form = MakeForm();
    OpenTrack(form, 5000);
    QTest::keyClick(&form, Qt::Key_F);
    const ChaseFlight* flight = form.TrackFlight();
    ASSERT_NE(flight, nullptr);
    EXPECT_EQ(flight->at(), 0);
    EXPECT_EQ(flight->speed(), kChaseStartSpeed);
    // The eye behind the start and above it, facing north along the track.
    const GeoPoint eye{Model().eye.latitude, Model().eye.longitude};
    EXPECT_NEAR(GroundMetres(eye, flight->Followed()), kChaseBehind, 1);
    EXPECT_NEAR(Model().eye.azimuth, 0, 0.1);
    EXPECT_LT(Model().eye.pitch, 0);

    QTest::keyClick(&form, Qt::Key_Plus);
    EXPECT_GT(flight->speed(), kChaseStartSpeed);
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(&form, Qt::Key_Minus);
    EXPECT_EQ(flight->speed(), kChaseMinSpeed);
    QTest::keyClick(&form, Qt::Key_Space);
    EXPECT_TRUE(flight->paused());
    EXPECT_FALSE(form.DemoFlying()) << "Space pauses the flight, not the demo";
    QTest::keyClick(&form, Qt::Key_Space);
    EXPECT_FALSE(flight->paused());
    EXPECT_EQ(form.TrackFlight(), flight);
    QTest::keyClick(&form, Qt::Key_A);
    EXPECT_EQ(form.TrackFlight(), nullptr);

    // Shift+F from the point nearest the eye: 2 km along, 500 m to the east.
    Model().eye.latitude = 35.3 + 2000 / MetresPerDegree;
    Model().eye.longitude = 138.5 + 500 / (MetresPerDegree * std::cos(35.318 * kDegToRad));
    QTest::keyClick(&form, Qt::Key_F, Qt::ShiftModifier);
    ASSERT_NE(form.TrackFlight(), nullptr);
    EXPECT_NEAR(form.TrackFlight()->at(), 2000, 5);
    QTest::keyClick(&form, Qt::Key_F);
    EXPECT_EQ(form.TrackFlight(), nullptr);
}

TEST_F(FlightRecordingTest, CtrlRFilmsTheTrackAtTheViewsSize)
{
    MainWindow& form = MakeForm();
    const QList<QAction*> actions = form.Form().view3d->actions();
    const auto record = std::find_if(actions.begin(), actions.end(),
        [](const QAction* a) { return a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_R); });
    ASSERT_NE(record, actions.end()) << "the 3D view's menu has Record flight on Ctrl+R";

    // 300 m north: two seconds at the starting speed.
    OpenTrack(form);
    const Viewpoint before = Model().eye;

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
    EXPECT_EQ(Model().eye.latitude, before.latitude);
    EXPECT_EQ(Model().eye.azimuth, before.azimuth);
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
