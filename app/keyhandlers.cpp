// The main window's keyboard: flying keys start the key clock, the others
// act at once. Every change is drawn at once, as for the mouse.

#include <algorithm>

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "app/mainwindow.h"
#include "app/sharedstate.h"
#include "elevation/tilereader.h"
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
        if (!keyTimer_->isActive()) {
            keyClock_.start();
            keyTimer_->start();
        }
        return;
    }
    switch (event->key()) {
    case Qt::Key_Home: ReturnToStartView(); break;
    case Qt::Key_Space: DemoClick(demoButton); break;
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
    if (TheRenderParams.columns == 0)
        return;
    keyFlight_.Apply(TheViewpoint, TheRenderParams, SpeedScaleFor(QGuiApplication::queryKeyboardModifiers()), seconds);
    PaintView3d();
}

void MainWindow::ReturnToStartView()
{
    if (TheRenderParams.columns == 0)
        return;
    ResetViewpoint(TheViewpoint, {TheRenderParams.centreLat, TheRenderParams.centreLon});
    PaintView3d();
}

void MainWindow::StepExaggeration(int quarters)
{
    renderer_.settings.heightQuarters =
        std::clamp(renderer_.settings.heightQuarters + quarters, kExaggerationMin, kExaggerationMax);
    PaintView3d();
}

void MainWindow::ShowKeysHelp()
{
    QMessageBox::information(this, windowTitle(),
        tr("← →\t向きを変える\n"
           "↑ ↓\t前後に進む（Shiftで10倍，Altで1/10）\n"
           "PageUp / PageDown\t最低高度を上げ下げ\n"
           "+ / -\t視野角を狭める・広げる\n"
           "[ / ]\t高さの強調を下げる・上げる\n"
           "L\t山頂の表示を切り替える\n"
           "F\tGPXの軌跡に沿って飛ぶ・止める\n"
           "C\t地球の丸みを表す・表さない\n"
           "N\t自然な見え方・従来の見え方\n"
           "Alt+← / Alt+→\t自然な見え方の太陽を10分戻す・進める\n"
           "Delete\tGPXの表示を消す\n"
           "Home\t最初の視点に戻る\n"
           "Space\tデモを始める・止める\n"
           "Ctrl+O\tタイルかGPXファイルを開く\n"
           "Ctrl+S / Ctrl+Shift+S\t3D表示・陰影図を保存\n"
           "Ctrl+C\t3D表示をコピー\n"
           "Ctrl+G\t位置を入力して移動\n"
           "F11\t全画面\n"
           "F1\tこの一覧\n\n"
           "地図：クリックで移動，ドラッグで移動と向き，右クリックでその方向を向く\n"
           "3D表示：上半分のドラッグで向きと傾き，下半分で横移動と高度，Ctrl+上下で視野角"));
}
