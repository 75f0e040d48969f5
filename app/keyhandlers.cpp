// The main window's keyboard: flying keys start the key clock, the others
// act at once. Every change is drawn at once, as for the mouse.

#include <algorithm>

#include <QKeyEvent>
#include <QPushButton>

#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "app/navigation.h"
#include "elevation/landscapeload.h"
#include "elevation/terrain.h"
#include "render/frame.h"

namespace {

// The key clock's tick, and the longest step it takes when frames are slow:
// a slow frame slows the flight instead of making it jump.
constexpr int kKeyTickMs = 10;
constexpr qint64 kKeyStepMaxMs = 100;

constexpr int kExaggerationMin = 4;  // quarters: x 1.0
constexpr int kExaggerationMax = 12;  // x 3.0
constexpr int kSunStepMinutes = 10;

}  // namespace

void MainWindow::SetUpKeyboard()
{
    keyTimer_->setInterval(kKeyTickMs);
    connect(keyTimer_, &QTimer::timeout, this, &MainWindow::KeyTimerTick);
    // The window keeps the focus: a button that took it would swallow Space
    // and the arrow keys.
    setFocusPolicy(Qt::StrongFocus);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // In the natural look Alt+Left and Alt+Right move the sun, again and
    // again while held, and turn the view no more.
    if (natural_.natural() && (event->modifiers() & Qt::AltModifier) &&
        (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        StepSun(event->key() == Qt::Key_Right ? kSunStepMinutes : -kSunStepMinutes);
        return;
    }
    if (event->isAutoRepeat())
        return;  // the key clock moves a held key on
    // Esc stops the GPX files and lists of names being read, before anything
    // else it might do; both stop, so no short-circuit.
    if (event->key() == Qt::Key_Escape && (gpxLoading_.Stop() | nameLists_.Stop()))
        return;
    // While flying a track +, - and Space steer it; any other key ends it.
    if (trackTimer_->isActive() && event->key() != Qt::Key_F) {
        if (!TrackFlightKey(event->key()))
            StopTrackFlight();
        return;
    }
    if (const std::optional<KeyMotion> motion = MotionForKey(event->key())) {
        keyFlight_.Press(*motion);
        if (frameLog_)
            frameLog_->Mark("key");
        if (!keyTimer_->isActive()) {
            keyClock_.start();
            keyTimer_->start();
        }
        return;
    }
    switch (event->key()) {
    case Qt::Key_Home: ReturnToStartView(); break;
    case Qt::Key_Space: DemoClick(ui_.demoButton); break;
    case Qt::Key_F11: isFullScreen() ? showNormal() : showFullScreen(); break;
    case Qt::Key_F1: ShowKeysHelp(); break;
    case Qt::Key_BracketRight: StepExaggeration(1); break;
    case Qt::Key_BracketLeft: StepExaggeration(-1); break;
    case Qt::Key_L: ToggleSummitLabels(); break;
    case Qt::Key_C:
        if (event->modifiers() & Qt::ControlModifier)
            return QWidget::keyPressEvent(event);
        renderer_.settings.earthCurvature = !renderer_.settings.earthCurvature;
        PaintView3d();
        break;
    case Qt::Key_F:
        trackTimer_->isActive() ? StopTrackFlight() : StartTrackFlight(event->modifiers() & Qt::ShiftModifier);
        break;
    case Qt::Key_Delete: ClearGpx(); break;
    default: QWidget::keyPressEvent(event); break;
    }
}

void MainWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    if (const std::optional<KeyMotion> motion = MotionForKey(event->key()))
        keyFlight_.Release(*motion);
    else
        QWidget::keyReleaseEvent(event);
}

void MainWindow::KeyTimerTick()
{
    // A window that lost the focus hears no releases.
    if (!isActiveWindow())
        keyFlight_.ReleaseAll();
    if (!keyFlight_.Moving()) {
        keyTimer_->stop();
        return;
    }
    const double seconds = double(std::clamp<qint64>(keyClock_.restart(), kKeyTickMs, kKeyStepMaxMs)) / 1000;
    if (model_.params.columns == 0)
        return;
    keyFlight_.Apply(model_.eye, model_.params, SpeedScaleFor(QGuiApplication::queryKeyboardModifiers()), seconds);
    PaintView3d();
}

void MainWindow::ReturnToStartView()
{
    if (model_.params.columns == 0)
        return;
    ResetViewpoint(model_.eye, {model_.params.centreLat, model_.params.centreLon});
    PaintView3d();
}

void MainWindow::StepExaggeration(int quarters)
{
    const int32_t before = renderer_.settings.heightQuarters;
    renderer_.settings.heightQuarters = std::clamp(before + quarters, kExaggerationMin, kExaggerationMax);
    if (model_.HasLandscape()) {
        const int32_t ground = GroundBelow(model_.eye, model_.params, model_.terrain->heightGrid.rows());
        model_.eye.minAltitude =
            AltitudeForExaggeration(model_.eye.minAltitude, ground, before, renderer_.settings.heightQuarters);
        // The eye stands at its new height at once rather than climbing to it.
        renderer_.carried.groundFollow.reset();
    }
    PaintView3d();
}

void MainWindow::ShowKeysHelp()
{
    HelpWindow help(this);
    help.exec();
}

void MainWindow::View3dWheel(double notches, Qt::KeyboardModifiers keys)
{
    // A notch moves the eye 500 m (Shift ten times, Alt a tenth as far), or
    // turns the angle of view 5 degrees.
    constexpr double kMetresPerNotch = 5 * kStepMetres;
    constexpr double kDegreesPerNotch = 5;
    if (model_.params.columns == 0)
        return;
    Viewpoint& view = model_.eye;
    if (keys & Qt::ControlModifier)
        view.viewAngle = std::clamp(view.viewAngle - notches * kDegreesPerNotch, kViewAngleMin, kViewAngleMax);
    else
        MoveEye(view, model_.params, view.azimuth, notches * kMetresPerNotch * SpeedScaleFor(keys) / MetresPerDegree);
    PaintView3d();
}
