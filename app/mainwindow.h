#pragma once
// The main window: the 3D view and the map of the loaded tile side by side,
// sharing the window through a splitter,
// the readouts under them, the step and demo buttons, and the intake of
// tiles from the command line and from files dropped on the window.
//
// Every handler that changes the view draws at once, inside the call, by
// calling the paint handlers itself; the navigation draws many frames inside
// one handler.

#include <cstdint>
#include <memory>

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QSize>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "app/framelog.h"
#include "app/framerate.h"
#include "app/gpxloading.h"
#include "app/keys.h"
#include "app/namelists.h"
#include "app/naturalview.h"
#include "app/paintbox.h"
#include "app/recentring.h"
#include "app/summitsearch.h"
#include "app/viewermodel.h"
#include "flight/chaseflight.h"
#include "flight/democircle.h"
#include "overlays/gpxoverlay.h"
#include "overlays/summitlabels.h"
#include "render/renderer.h"
#include "ui_mainwindow.h"

class LoadingWindow;
class ProfilePanel;
class QAction;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // `commandLine` holds the arguments after the program name, as the
    // system's bytes; the first one, if any, is opened on the first activation.
    MainWindow(LoadingWindow& loadingWindow, QByteArrayList commandLine, QWidget* parent = nullptr);

    // Start-up, tile intake and links.
    void FormCreate();
    void FormActivate();
    // A path as the file system's bytes: a name that is not valid UTF-8
    // opens as it is, a folder as the tile nearest its middle. The QString
    // form is for names typed or shown in Qt.
    void OpenTile(const QByteArray& requestedPath);
    void OpenTile(const QString& fileName);
    // The loaded tile's path as the system's bytes; empty until one loads.
    const QByteArray& TilePath() const { return tilePath_; }
    void AsterLinkClick();
    void UlvarenLinkClick();

    // The views and their readouts.
    void PaintView3d();
    // The size of the 3D frame: the view, within the renderer's buffers,
    // which were made for the screen.
    QSize FrameSize() const;
    Renderer& FrameRenderer() { return renderer_; }
    const Renderer& FrameRenderer() const { return renderer_; }
    Bitmap32& FrameBitmap() { return frameBitmap_; }
    void PaintMap();
    void ShowCursorInfo(int x, int y);

    // Navigation. A null sender marks a call from another handler.
    void MoveViewTo(double latitude, double longitude, double azimuth);
    void MapMouseDown(Qt::MouseButton button, ShiftState shift, int x, int y);
    void MapMouseUp(Qt::MouseButton button, ShiftState shift, int x, int y);
    void View3dMouseDown(Qt::MouseButton button, ShiftState shift, int x, int y);
    void View3dMouseMove(ShiftState shift, int x, int y);
    // The wheel moves the eye forward and back; with Ctrl it narrows and
    // widens the angle of view.
    void View3dWheel(double notches, Qt::KeyboardModifiers keys);
    void StepClick(QObject* sender);
    void HighestPointClick();
    void DemoClick(QObject* sender);
    void DemoTick();
    // Stops the demo and a flight along a track where they are.
    void StopFlying();

    // The keyboard: held keys fly the view (keys.h), the others act at once.
    void KeyTimerTick();
    void ReturnToStartView();
    void StepExaggeration(int quarters);
    void ShowKeysHelp();
    void ToggleSummitLabels();

    // The natural look (naturalhandlers.cpp): N and the 3D view's menu
    // switch it, Alt+Left and Alt+Right move its sun ten minutes, the
    // slider under the map sets the time of day, its settings dialog the
    // rest.
    void ToggleNaturalLook();
    void StepSun(int minutes);
    void SetSunMinuteOfDay(int minute);
    void ShowNaturalSettings();
    const NaturalView& Natural() const { return natural_; }
    // What the 3D view's frames are drawn from.
    ReliefPictures FramePictures() const;

    // The flight along a track while it flies, else null.
    const ChaseFlight* TrackFlight() const { return trackTimer_->isActive() ? trackFlight_.get() : nullptr; }
    // The user's GPX files: those shown, and those being read.
    const GpxOverlay& Gpx() const { return gpx_; }
    const GpxLoading& gpxLoading() const { return gpxLoading_; }
    // The elevation profile of the track flown (E).
    ProfilePanel* Profile() const { return profilePanel_; }
    // The lists of names: remembered, read for the landscape loaded.
    NameLists& Names() { return nameLists_; }
    const NameLists& Names() const { return nameLists_; }
    // Lets a neighbouring set being loaded go: nothing replaces the
    // landscape on screen until the eye moves on.
    void StopBackgroundLoad();
    const SummitLabels& Labels() const { return summitLabels_; }
    // Opens a list of names, remembered for the next sessions too.
    void AddNames(const QByteArray& nativePath);
    void RemoveNames(const QByteArray& nativePath);

    // The viewer's state, which the window's parts read and change.
    ViewerModel& Model() { return model_; }
    const ViewerModel& Model() const { return model_; }
    // The 3D view's frames counted for the rate label.
    const FrameRateMeter& Rate() const { return frameRate_; }

    // The page addresses behind the two links.
    static QUrl AsterPage();
    static QUrl UlvarenPage();

    // The window's components, by their form names (demoButton, view3d, ...).
    const Ui::MainWindow& Form() const { return ui_; }

    // The rotation demo: whether it flies, its clock, which runs exactly
    // while it does, and the circle flown (its centre fixed meanwhile).
    bool DemoFlying() const { return demoTimer_->isActive(); }
    QTimer& DemoTimer() { return *demoTimer_; }
    const DemoCircle& DemoFlown() const { return demo_; }
    // Whether the window has been activated once, which opens the command line's files.
    bool Activated() const { return !firstActivation_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void ConnectHandlers();
    void SetUpKeyboard();
    void FitOuterSize();
    void UpdateNow();
    void FlashAndOpen(QLabel* label, const QUrl& page);
    void CountFrame();
    bool DemoCircleInsideSet() const;
    QPoint MapPixelOfView() const;
    void SetTileTitle();
    void ShowLoadReport(const LoadReport& report);
    void TakeOverSet(LoadedSet loaded);
    void StartSummitSearch();
    void DrawOverlays(QSize frame);
    void AddGpx(const QByteArray& nativePath);
    void TakeGpx(const QByteArray& nativePath, GpxReading reading);
    void ClearGpx();
    // The profile panel follows the track flown and the landscape under it.
    void RefreshProfile();
    void TakeNames(NameReading reading);
    void MatchNames();
    void ReadNamesForArea();
    // From the track's start, or from its point nearest the eye.
    void StartTrackFlight(bool fromNearest);
    void StopTrackFlight();
    void TrackFlightTick();
    // +, - and Space while flying a track; false for other keys.
    bool TrackFlightKey(int key);
    void SetUpNaturalLook();
    void ShowNaturalControls();

    // First, so that it outlives every part that reads it, the renderer and
    // the workers among them.
    ViewerModel model_;
    Ui::MainWindow ui_;
    QTimer* demoTimer_;
    // Window state of the handlers.
    bool firstActivation_ = true;
    int32_t mapPressX_ = 0;  // last left press on the map
    int32_t mapPressY_ = 0;
    int32_t dragLastX_ = 0;  // last press or handled move on the 3D view
    int32_t dragLastY_ = 0;
    int32_t dragInLowerHalf_ = 0;
    DemoCircle demo_;
    uint32_t demoPrevTick_ = 0;
    uint32_t demoLastTick_ = 0;
    LoadingWindow& loadingWindow_;
    // The 3D view's frame, screen-sized, and the renderer that draws into it.
    Bitmap32 frameBitmap_;
    Renderer renderer_;
    NaturalView natural_;  // keeps the renderer's look, sun and haze
    QAction* naturalAction_ = nullptr;
    QByteArrayList commandLine_;
    std::unique_ptr<FrameLog> frameLog_ = FrameLog::FromEnvironment();  // for measurements only
    QSize lastFrame_;  // size of the frame now in the frame buffers
    FrameRateMeter frameRate_;
    bool opening_ = false;  // a tile is being opened
    QByteArray tilePath_;
    // What the load of the landscape shown substituted, for the status line.
    QString loadNotes_;
    KeyFlight keyFlight_;
    QTimer* keyTimer_;  // runs while a flying key is held
    QElapsedTimer keyClock_;
    Recentring recentring_;
    SummitLabels summitLabels_;
    SummitSearch summitSearch_;  // after the labels it fills, so that it stops first
    int highlightedLabel_ = -1;  // the label under the mouse, or -1
    QElapsedTimer labelClock_;  // the labels' time, for their coming and going
    QTimer* labelTimer_;  // another frame, for labels that wait to come or go
    int cursorInfoLeft_ = 0;  // where the form puts the cursor line
    NameLists nameLists_;
    GpxOverlay gpx_;
    GpxLoading gpxLoading_;
    // Flying along a track (trackflying.cpp): the chase camera, and the
    // clock that steps it.
    QTimer* trackTimer_;
    QElapsedTimer trackClock_;
    std::unique_ptr<ChaseFlight> trackFlight_;
    ProfilePanel* profilePanel_ = nullptr;
};
