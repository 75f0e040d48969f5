#include "app/flightrecording.h"

#include <memory>
#include <new>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QProgressDialog>
#include <QStandardPaths>

#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/savedialog.h"
#include "app/savepicture.h"
#include "flight/chaseflight.h"
#include "flight/democircle.h"
#include "flight/groundheight.h"
#include "overlays/flightfilm.h"

namespace {

constexpr int kProgressSteps = 1000;

// The flight to film, from a copy of the eye: along the GPX track shown,
// else the demo's lap round the circle it flies or would fly.
std::unique_ptr<Flight> NextFlight(MainWindow& window, bool demoFlying, const RenderParams& params, Viewpoint& eye)
{
    if (const GpxLine* line = window.Gpx().FlightLine(); line && line->points.size() >= 2) {
        return std::make_unique<ChaseFlight>(PathOf(*line),
            DrawnGround(*window.Model().terrain, params, window.FrameRenderer().settings.heightQuarters));
    }
    return std::make_unique<DemoLap>(demoFlying ? window.DemoFlown().centreLat : params.centreLat,
        demoFlying ? window.DemoFlown().centreLon : params.centreLon, eye);
}

QString AskVideoPath(MainWindow& window, const QString& title)
{
    static SaveFolder videos(QStandardPaths::MoviesLocation);
    QString name = ViewPictureName(window.Model().params, window.Model().eye);
    name.replace(QStringLiteral(".png"), QStringLiteral(".mp4"));
    //: The save dialog's filter for videos.
    return videos.AskPath(&window, title, name, QCoreApplication::translate("FlightRecording", "MP4 動画 (*.mp4)"),
        QStringLiteral("mp4"));
}

// Films frame after frame until the flight ends or the user stops it; the
// progress window's value and the frames it lets through keep the window
// answering in between.
int Film(MainWindow& window, FlightFilm& film, Flight& flight, Viewpoint& eye, VideoWriter& writer)
{
    QProgressDialog progress(QCoreApplication::translate("FlightRecording", "飛行を録画しています…"),
        QCoreApplication::translate("FlightRecording", "中止"), 0, kProgressSteps, &window);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    do {
        if (!film.Shoot(flight, eye))
            break;
        progress.setLabelText(
            QCoreApplication::translate("FlightRecording", "飛行を録画しています… %1 コマ").arg(film.shot()));
        progress.setValue(int(flight.Done() * (kProgressSteps - 1)));
    } while (!flight.Finished() && !progress.wasCanceled());
    return writer.ok() && writer.Finish() ? writer.framesWritten() : -1;
}

}  // namespace

QString VideoErrorText(const VideoError& error)
{
    const std::string_view text = VideoProblemText(error.problem);
    QString reason = QString::fromStdString(error.reason);
    if (error.systemError != 0)
        reason = WriteFailureReason(error.systemError);
    return QCoreApplication::translate("VideoWriter", std::string(text).c_str())
        .arg(QDir::toNativeSeparators(QString::fromStdString(error.file)), reason);
}

int RecordFlightTo(MainWindow& window, const QString& path)
{
    if (!window.Model().HasLandscape())
        return -1;
    const QSize size = window.FrameSize();
    VideoWriter writer(QFile::encodeName(path).toStdString(), size.width(), size.height());
    if (!writer.ok()) {
        ShowMessage(VideoErrorText(writer.error()));
        return -1;
    }
    // Neither flies on the screen meanwhile: moving the eye there could load
    // another landscape under the film.
    const bool demoFlying = window.DemoFlying();
    window.StopFlying();
    const RenderParams params = window.Model().params;
    Viewpoint eye = window.Model().eye;
    const std::unique_ptr<Flight> flight = NextFlight(window, demoFlying, params, eye);
    const ReliefPictures pictures = window.FramePictures();
    const FlightScene scene{window.Model().terrain.get(), pictures.relief, pictures.levels, params, &window.Gpx()};
    int frames = -1;
    try {
        FlightFilm film(scene, window.FrameRenderer().settings, writer);
        frames = Film(window, film, *flight, eye, writer);
    } catch (const std::bad_alloc&) {
        ShowMessage(QCoreApplication::translate("SavePicture", "メモリが足りません．"));
        return -1;
    }
    if (frames < 0)
        ShowMessage(VideoErrorText(writer.error()));
    return frames;
}

void AddFlightRecording(MainWindow& window)
{
    auto* action = new QAction(QCoreApplication::translate("FlightRecording", "飛行を録画…"), window.Form().view3d);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    MainWindow* w = &window;
    QObject::connect(action, &QAction::triggered, w, [w] {
        if (!w->Model().HasLandscape())
            return;
        //: The title of the save dialog for a flight's video.
        const QString path = AskVideoPath(*w, QCoreApplication::translate("FlightRecording", "飛行を録画"));
        if (!path.isEmpty())
            RecordFlightTo(*w, path);
    });
    window.Form().view3d->addAction(action);
}
