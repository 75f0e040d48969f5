// Flying the GPX track (F, or Shift+F from the point nearest the eye) with
// the chase camera (flight/chaseflight.h): +/- change the speed, Space
// pauses, F, Esc or any other key ends the flight.

#include <algorithm>

#include "app/mainwindow.h"
#include "app/profilepanel.h"
#include "flight/groundheight.h"
#include "overlays/flightfilm.h"

namespace {

constexpr qint64 kTrackStepMaxMs = 100;  // a slow frame slows the flight rather than jumping

}  // namespace

void MainWindow::StartTrackFlight(bool fromNearest)
{
    const GpxLine* line = gpx_.FlightLine();
    if (!line || line->points.size() < 2 || !model_.HasLandscape())
        return;
    demoTimer_->stop();
    TrackPath path = PathOf(*line);
    const double start = fromNearest ? path.NearestTo({model_.eye.latitude, model_.eye.longitude}) : 0;
    // The landscape may be re-centred or reloaded under the flight: the
    // ground is looked up in whichever is shown, at its exaggeration.
    GroundHeights ground = [this](const GeoPoint& point) {
        return DrawnGroundAt(*model_.terrain, model_.params, renderer_.settings.heightQuarters, point);
    };
    trackFlight_ = std::make_unique<ChaseFlight>(std::move(path), std::move(ground), start);
    trackClock_.start();
    trackTimer_->start();
    trackFlight_->Step(0, model_.eye);
    PaintView3d();
}

void MainWindow::StopTrackFlight()
{
    trackTimer_->stop();
    if (profilePanel_)
        profilePanel_->SetFlightAt(std::nullopt);
}

void MainWindow::StopFlying()
{
    demoTimer_->stop();
    StopTrackFlight();
}

bool MainWindow::TrackFlightKey(int key)
{
    if (!trackFlight_)
        return false;
    switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: trackFlight_->Faster(); return true;  // '+' unshifted on most layouts
    case Qt::Key_Minus: trackFlight_->Slower(); return true;
    case Qt::Key_Space: trackFlight_->SetPaused(!trackFlight_->paused()); return true;
    default: return false;
    }
}

void MainWindow::TrackFlightTick()
{
    const double seconds = double(std::clamp<qint64>(trackClock_.restart(), 0, kTrackStepMaxMs)) / 1000;
    trackFlight_->Step(seconds, model_.eye);
    profilePanel_->SetFlightAt(trackFlight_->at());
    if (trackFlight_->Finished())
        StopTrackFlight();
    PaintView3d();
}
