#include "app/mainwindow.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include "app/flightrecording.h"
#include "app/gotoplace.h"
#include "app/lastview.h"
#include "app/loadingwindow.h"
#include "app/mappanellayout.h"
#include "app/messagebox.h"
#include "app/namelistsdialog.h"
#include "app/navigation.h"
#include "app/opentile.h"
#include "app/panoramawindow.h"
#include "app/profilepanel.h"
#include "app/readouts.h"
#include "app/recentfiles.h"
#include "app/savepicture.h"
#include "app/version.h"
#include "core/freedmemory.h"
#include "core/geometry.h"
#include "elevation/terrain.h"
#include "elevation/tilefolder.h"
#include "overlays/bitmapimage.h"
#include "overlays/gpx.h"
#include "overlays/usermessages.h"
#include "render/frame.h"
#include "render/framebuffers.h"

namespace {

QSize ScreenSize()
{
    return QGuiApplication::primaryScreen()->size();
}

const char* const kAsterPageAddress = "https://lpdaac.usgs.gov/products/astgtmv003/";
const char* const kDeveloperFile = "Vantorel.bpr";
const char* const kFlashStyle = "background-color: rgb(255, 255, 0);";
constexpr int kFlashMs = 200;

constexpr int kOuterWidth = 1024;  // the window's outer size, also its minimum
constexpr int kOuterHeight = 560;
constexpr int kMapSide = 360;  // the map panel's smallest width
constexpr int kMapTop = 4;  // the map box's distance to its panel's top
constexpr int kMapRoomBelow = 81;  // under the map box: its hints, step buttons and sun controls
constexpr int kTimerIntervalMs = 10;
// A label waiting to come or go is settled by a frame this soon after.
constexpr int kLabelSettleMs = 100;
constexpr int kCursorInfoMargin = 4;  // kept clear at the cursor line's right

constexpr double kDegreesPerMetre = 1 / MetresPerDegree;

// Crosshair of the 3D view: arms of 16 pixels, a black shadow one pixel
// right and below the white cross.
constexpr int kCrossArm = 16;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

// Navigation.
constexpr double kViewAnglePerPixel = 0.2;
constexpr double kPitchPerPixel = 0.1;
constexpr double kAltitudePerPixel = 10;
constexpr double kSlideMetresPerPixel = 10;
constexpr double kTurnPerPixel = 0.1;
constexpr int kPeakEyeRowsSouth = 200;
constexpr double kPeakEyeAbove = 900;

// Demo (its circle: flight/democircle.h).
constexpr int32_t kDemoStepMinMs = 10, kDemoStepMaxMs = 100;

// A dropped file's path as the file system's bytes. The URL keeps bytes that
// are not UTF-8 percent-encoded, where toLocalFile() would replace them.
QByteArray NativePathOf(const QUrl& url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

void DrawCross(Bitmap32& bitmap, QSize frame, int x, int y, uint32_t colour)
{
    if (y >= 0 && y < frame.height()) {
        uint32_t* row = bitmap.scanLine(y);
        for (int i = std::max(0, x - kCrossArm); i <= std::min(frame.width() - 1, x + kCrossArm); ++i)
            row[i] = colour;
    }
    if (x >= 0 && x < frame.width()) {
        for (int j = std::max(0, y - kCrossArm); j <= std::min(frame.height() - 1, y + kCrossArm); ++j)
            bitmap.scanLine(j)[x] = colour;
    }
}

}  // namespace

MainWindow::MainWindow(LoadingWindow& loadingWindow, QByteArrayList commandLine, QWidget* parent) :
    QWidget(parent), demoTimer_(new QTimer(this)), loadingWindow_(loadingWindow),
    frameBitmap_(ScreenSize().width(), ScreenSize().height()), renderer_(frameBitmap_),
    natural_(renderer_.settings, [this] { PaintView3d(); }), commandLine_(std::move(commandLine)),
    keyTimer_(new QTimer(this)), recentring_([this](LoadedSet loaded) { TakeOverSet(std::move(loaded)); }),
    summitSearch_([this](std::vector<Summit> summits) {
        // The last of a new landscape's work on workers ends here.
        ReturnFreedMemory();
        summitLabels_.SetSummits(std::move(summits));
        MatchNames();
        PaintView3d();
    }),
    labelTimer_(new QTimer(this)), nameLists_([this](NameReading reading) { TakeNames(std::move(reading)); }),
    gpxLoading_([this](const QByteArray& path, GpxReading reading) { TakeGpx(path, std::move(reading)); }),
    trackTimer_(new QTimer(this))
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    ui_.setupUi(this);
    // Over the map's hints, while a GPX file is read.
    gpxLoading_.ShowProgressIn(ui_.mapPanel, QRect(ui_.mapClickHint->x(), ui_.mapClickHint->y(), kMapSide - 6, 18));
    nameLists_.ShowProgressIn(ui_.mapPanel, QRect(ui_.mapClickHint->x(), ui_.mapClickHint->y(), kMapSide - 6, 18));
    (new MapPanelLayout(
         ui_.mapPanel, ui_.mapView, kMapTop, kMapRoomBelow, {ui_.forwardButton, ui_.backButton, ui_.sunSlider}))
        ->Place();
    new ViewSplitterPlace(*ui_.viewSplitter, kMapSide);
    labelClock_.start();
    cursorInfoLeft_ = ui_.cursorInfo->x();
    labelTimer_->setSingleShot(true);
    labelTimer_->setInterval(kLabelSettleMs);
    connect(labelTimer_, &QTimer::timeout, this, &MainWindow::PaintView3d);
    demoTimer_->setInterval(kTimerIntervalMs);
    trackTimer_->setInterval(kTimerIntervalMs);
    connect(trackTimer_, &QTimer::timeout, this, &MainWindow::TrackFlightTick);
    const QString asterPage = AsterPage().toString();
    ui_.dropHint->setToolTip(asterPage);
    ui_.asterLink->setToolTip(asterPage);
    ui_.ulvarenLink->setToolTip(UlvarenPage().toString());
    // The hint shows the step; the step never comes from the hint.
    //: The step buttons' hint: how far one click moves, in metres.
    const QString stepHint = tr("%1(m)").arg(kStepMetres);
    ui_.forwardButton->setToolTip(stepHint);
    ui_.backButton->setToolTip(stepHint);
    // Labels take the size of their text, so a coloured label is no wider
    // than its caption.
    ensurePolished();
    for (QLabel* label : findChildren<QLabel*>())
        label->adjustSize();
    ConnectHandlers();
    SetUpKeyboard();
    AddPictureActions(*this);
    AddFlightRecording(*this);
    AddGoToPlace(*this);
    AddOpenTile(*this);
    KeepLastViewOnQuit(*this);
    SetUpNaturalLook();
    AddNameListsAction(*this);
    AddPanoramaAction(*this);
    profilePanel_ = AddProfilePanel(*this);
    FormCreate();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move(screen.x() + (screen.width() - width()) / 2, screen.y() + (screen.height() - height()) / 2);
}

void MainWindow::ConnectHandlers()
{
    connect(ui_.view3d, &PaintBox::paintRequested, this, &MainWindow::PaintView3d);
    connect(ui_.view3d, &PaintBox::mouseDown, this, &MainWindow::View3dMouseDown);
    connect(ui_.view3d, &PaintBox::mouseMove, this, &MainWindow::View3dMouseMove);
    connect(ui_.view3d, &PaintBox::wheelTurned, this, &MainWindow::View3dWheel);
    connect(ui_.mapView, &PaintBox::paintRequested, this, &MainWindow::PaintMap);
    connect(ui_.mapView, &PaintBox::mouseDown, this, &MainWindow::MapMouseDown);
    connect(ui_.mapView, &PaintBox::mouseUp, this, &MainWindow::MapMouseUp);
    connect(ui_.mapView, &MapView::viewChanged, this, &MainWindow::PaintMap);
    connect(ui_.forwardButton, &QPushButton::clicked, this, [this] { StepClick(ui_.forwardButton); });
    connect(ui_.backButton, &QPushButton::clicked, this, [this] { StepClick(ui_.backButton); });
    connect(ui_.highestPointButton, &QPushButton::clicked, this, &MainWindow::HighestPointClick);
    connect(ui_.demoButton, &QPushButton::clicked, this, [this] { DemoClick(ui_.demoButton); });
    connect(demoTimer_, &QTimer::timeout, this, &MainWindow::DemoTick);
    connect(ui_.dropHint, &LinkLabel::clicked, this, &MainWindow::AsterLinkClick);
    connect(ui_.asterLink, &LinkLabel::clicked, this, &MainWindow::AsterLinkClick);
    connect(ui_.ulvarenLink, &LinkLabel::clicked, this, &MainWindow::UlvarenLinkClick);
}

QUrl MainWindow::AsterPage()
{
    return QUrl(QString::fromLatin1(kAsterPageAddress));
}

QUrl MainWindow::UlvarenPage()
{
    // The project's own README until it has a home page on the web.
    return QUrl::fromLocalFile(QStringLiteral(VANTOREL_README_PATH));
}

// ---------------------------------------------------------------------------
// Start-up and tile intake

void MainWindow::FormCreate()
{
    setWindowTitle(ProgramName());
    setAcceptDrops(true);
    if (QFileInfo::exists(QString::fromLatin1(kDeveloperFile))) {
        ui_.highestPointButton->setVisible(true);
        ui_.frameRate->setVisible(true);
    }
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QWidget::event(event);
}

void MainWindow::FormActivate()
{
    demoTimer_->stop();
    if (firstActivation_) {
        firstActivation_ = false;
        // With no file named, the last session's view, when so chosen.
        if (commandLine_.isEmpty())
            RestoreLastView(*this);
        // Every list of names and GPX file, and the first tile; the user
        // hears of the tiles after it, which one landscape cannot show.
        bool tileOpened = false;
        QStringList skipped;
        for (const QByteArray& argument : commandLine_) {
            const QString name = QFile::decodeName(argument);
            const bool overlay = IsGpxName(name) || IsNameListFile(name);
            if (overlay || !std::exchange(tileOpened, true))
                OpenTile(argument);
            else
                skipped.append(ShownFileName(argument));
        }
        if (!skipped.isEmpty())
            ShowMessage(tr("開くタイルは一つです．%1 は開きませんでした．").arg(skipped.join(QStringLiteral(", "))));
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FitOuterSize();
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // A window manager reports its frame after the window is shown, and
    // moves the window as it puts the frame round it.
    FitOuterSize();
}

void MainWindow::FitOuterSize()
{
    // The minimum is the outer size; the frame, where the desktop draws one,
    // is known once the window is on the screen.
    const QSize frame = frameGeometry().size() - size();
    const QSize minimum = QSize(kOuterWidth, kOuterHeight) - frame;
    if (minimum == minimumSize())
        return;
    const bool atMinimum = size() == minimumSize();
    setMinimumSize(minimum);
    if (atMinimum)
        resize(minimum);
    // The form's positions hold at the minimum size.
    ui_.helpPanel->setDesignWidth(minimum.width());
}

void MainWindow::UpdateNow()
{
    // Cheap: the paint boxes show the pictures they hold and never render
    // inside a paint event.
    repaint();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    raise();
    activateWindow();
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            OpenTile(NativePathOf(url));
    }
    PaintView3d();
    PaintMap();
    UpdateNow();
}

void MainWindow::OpenTile(const QString& fileName)
{
    OpenTile(QFile::encodeName(fileName));
}

void MainWindow::OpenTile(const QByteArray& requestedPath)
{
    if (IsGpxName(QFile::decodeName(requestedPath))) {
        AddGpx(requestedPath);
        return;
    }
    if (IsNameListFile(QFile::decodeName(requestedPath))) {
        AddNames(requestedPath);
        return;
    }
    // A folder opens the tile nearest its middle.
    const QByteArray nativePath = QByteArray::fromStdString(TileToOpen(requestedPath.toStdString()));
    // A drop that arrives while the loading window waits for the screen
    // would start a second load inside the first.
    if (opening_)
        return;
    opening_ = true;
    // A background set would arrive over the tile opened (it is let go
    // without waiting); the search reads the landscape the load overwrites.
    recentring_.Stop();
    const bool searching = summitSearch_.Stop();
    UpdateNow();
    const QRect outer = frameGeometry();
    const QRect loader = loadingWindow_.frameGeometry();
    loadingWindow_.move(
        outer.left() + (outer.width() - loader.width()) / 2, outer.top() + (outer.height() - loader.height()) / 2);
    const int result = loadingWindow_.LoadTile(nativePath, model_);
    opening_ = false;
    // What the load read and dropped, whether it succeeded or not.
    ReturnFreedMemory();
    if (result != 0) {
        // The landscape on screen stays, and so does the search for its summits.
        if (searching)
            StartSummitSearch();
        return;
    }
    // Buffers kept while flying from the place left: the next flight may
    // never need them.
    recentring_.LetGoKept();
    tilePath_ = nativePath;
    RememberRecentFile(nativePath);
    ShowLoadReport(loadingWindow_.LastReport());
    model_.TookLandscape();
    natural_.DefaultMomentAt(model_.params.centreLon);
    ShowNaturalControls();
    SetTileTitle();
    summitLabels_.SetSummits({});
    ReadNamesForArea();
    PaintView3d();
    PaintMap();
    ui_.forwardButton->setEnabled(true);
    ui_.backButton->setEnabled(true);
    ui_.demoButton->setEnabled(true);
    // After the first frame is on the screen: the labels follow when found.
    QTimer::singleShot(0, this, &MainWindow::StartSummitSearch);
}

void MainWindow::StopBackgroundLoad()
{
    recentring_.Stop();
}

void MainWindow::ShowLoadReport(const LoadReport& report)
{
    loadNotes_ = LoadNotesText(report);
    ui_.statusLine->setToolTip(LoadReportText(report));
}

void MainWindow::SetTileTitle()
{
    //: The window title with a tile open: the program's name and version, then the tile's path.
    setWindowTitle(tr("%1 ： %2").arg(ProgramName(), QFile::decodeName(tilePath_)));
}

// The set around the tile under the eye, loaded whole in the background,
// takes the place of the one drawn; the eye stays exactly where it is.
void MainWindow::TakeOverSet(LoadedSet loaded)
{
    if (opening_)
        return;
    if (frameLog_)
        frameLog_->Mark("set");
    // The set drawn until now is kept for the next load.
    summitSearch_.Stop();
    recentring_.Recycle(std::exchange(model_.terrain, std::move(loaded.terrain)));
    ReturnFreedMemory();
    model_.params = loaded.params;
    model_.tiles = std::move(loaded.set);
    model_.TookLandscape();
    if (loaded.natural)
        natural_.Adopt(model_.landscapeSerial(), std::move(*loaded.natural));
    summitLabels_.SetSummits(std::move(loaded.summits));
    // Named at once from the lists read for the area before, then again
    // from those read for the new one.
    MatchNames();
    RefreshProfile();
    ReadNamesForArea();
    tilePath_ = QByteArray::fromStdString(loaded.path);
    ShowLoadReport(loaded.report);
    SetTileTitle();
    PaintView3d();
}

void MainWindow::AsterLinkClick()
{
    FlashAndOpen(ui_.asterLink, AsterPage());
}

void MainWindow::UlvarenLinkClick()
{
    FlashAndOpen(ui_.ulvarenLink, UlvarenPage());
}

void MainWindow::FlashAndOpen(QLabel* label, const QUrl& page)
{
    label->setStyleSheet(QString::fromLatin1(kFlashStyle));
    label->repaint();
    QThread::msleep(kFlashMs);
    QDesktopServices::openUrl(page);
    label->setStyleSheet(QString());
}

// ---------------------------------------------------------------------------
// The views

QSize MainWindow::FrameSize() const
{
    // A view stretched beyond the screen shows the part the buffers cover.
    const FrameBufferSet& buffers = renderer_.Buffers();
    return {std::min(ui_.view3d->width(), int(buffers.width)), std::min(ui_.view3d->height(), int(buffers.height))};
}

void MainWindow::PaintView3d()
{
    const QSize frame = FrameSize();
    if (!model_.HasLandscape())
        return;
    // Every frame brings the map's eye with it, even with the 3D view folded away.
    if (frame.isEmpty()) {
        PaintMap();
        return;
    }
    if (frameLog_)
        frameLog_->FrameBegins();
    // Shown before the render so that it is on the screen while the frame is
    // drawn; its altitude is therefore that of the previous frame.
    const Terrain& terrain = *model_.terrain;
    natural_.Follow(terrain, model_.landscapeSerial(), model_.params);
    ui_.statusLine->setText(StatusLine(model_.eye, model_.shownAltitude, renderer_.settings.heightQuarters) +
        (renderer_.settings.earthCurvature ? CurvatureReadout() : QString()) + natural_.StatusText() +
        (loadNotes_.isEmpty() ? QString() : QStringLiteral("　") + loadNotes_));
    ui_.statusLine->adjustSize();
    ui_.statusLine->repaint();
    model_.eye.renderAzimuth = model_.eye.azimuth;

    const ReliefPictures pictures = natural_.Pictures(terrain);
    BuildViewStrips(renderer_, frame.width(), frame.height(), *pictures.relief, *pictures.levels,
        terrain.heightGrid.rows(), model_.params, model_.eye);
    model_.shownAltitude =
        RasteriseFrame(renderer_, *pictures.relief, terrain.heightGrid.rows(), model_.params, model_.eye);
    lastFrame_ = frame;

    const int cx = ui_.view3d->width() / 2;
    const int cy = ui_.view3d->height() / 2;
    DrawCross(frameBitmap_, frame, cx + 1, cy + 1, kBlack);
    DrawCross(frameBitmap_, frame, cx, cy, kWhite);
    DrawOverlays(frame);
    ui_.view3d->Present(ImageOverBitmap(std::as_const(frameBitmap_), frame));

    PaintMap();
    ShowCursorInfo(model_.cursor.x(), model_.cursor.y());
    CountFrame();
    if (frameLog_)
        frameLog_->FrameEnds();
    // A demo circle that lies inside the set on screen is flown without
    // re-centring: following its eye would load a set each time the circle
    // crossed a cell's edge, and again on the way back.
    if (!(demoTimer_->isActive() && DemoCircleInsideSet()))
        recentring_.Follow(model_.tiles, model_.eye, natural_.LightToPrepare());
}

bool MainWindow::DemoCircleInsideSet() const
{
    const double lonRadius = demo_.radius / demo_.longitudeScale;
    for (const auto& [lat, lon] :
        {std::pair{demo_.centreLat + demo_.radius, demo_.centreLon}, {demo_.centreLat - demo_.radius, demo_.centreLon},
            {demo_.centreLat, demo_.centreLon + lonRadius}, {demo_.centreLat, demo_.centreLon - lonRadius}})
        if (model_.tiles.CellAt(lat, lon) < 0)
            return false;
    return true;
}

void MainWindow::CountFrame()
{
    if (const std::optional<double> rate = frameRate_.Count(model_.Ticks())) {
        ui_.frameRate->setText(FrameRateText(*rate));
        ui_.frameRate->adjustSize();
        ui_.frameRate->repaint();
    }
}

void MainWindow::ShowCursorInfo(int x, int y)
{
    // Only pixels of the frame now in the buffers have a distance; a drag
    // that leaves the view reports positions outside it.
    if (x < 0 || y < 0 || x >= lastFrame_.width() || y >= lastFrame_.height())
        return;
    const FrameBufferSet& buffers = renderer_.Buffers();
    const uint32_t depth = buffers.DepthAt(x, y);
    const double distance = std::trunc(depth * model_.params.metresPerCell / 256);
    // Over a label the line takes the caption's room too: it has more to say.
    ui_.cursorCaption->setVisible(highlightedLabel_ < 0);
    ui_.cursorInfo->move(highlightedLabel_ >= 0 ? ui_.cursorCaption->x() : cursorInfoLeft_, ui_.cursorInfo->y());
    if (highlightedLabel_ >= 0) {
        const LabelSubject& subject = summitLabels_.SubjectOf(summitLabels_.placed()[std::size_t(highlightedLabel_)]);
        const SummitSight sight = summitLabels_.Sight(renderer_, subject, model_.params);
        ui_.cursorInfo->setText(LabelInfoText(subject, sight.distance, sight.bearing, ui_.cursorInfo->fontMetrics(),
            ui_.cursorInfo->parentWidget()->width() - ui_.cursorInfo->x() - kCursorInfoMargin));
    } else {
        ui_.cursorInfo->setText(CursorInfoText(std::min(distance, 999999.0), buffers.HeightAt(x, y)));
    }
    ui_.cursorInfo->adjustSize();
}

// ---------------------------------------------------------------------------
// Navigation

void MainWindow::MoveViewTo(double latitude, double longitude, double azimuth)
{
    Viewpoint& view = model_.eye;
    const double lat0 = view.latitude;
    const double lon0 = view.longitude;
    // One frame per hundredth of a degree of travel and per degree of turn.
    const int nMove = TruncInto(100 * std::max(std::fabs(lat0 - latitude), std::fabs(lon0 - longitude)), 3, 20);

    // Offset by two turns so that every angle on the way stays positive;
    // the target is brought within half a turn so the view turns the short way.
    double a0 = view.azimuth + 720;
    double a1 = azimuth + 720;
    if (std::fabs(a0 - a1) < 1e-9) {
        a0 = a1;
    } else {
        while (a0 + 180 < a1)
            a1 -= 360;
        while (a0 - 180 > a1)
            a1 += 360;
    }
    const int nTurn = TruncInto(std::fabs(a1 - a0), 2, 40);
    const int n = std::max(nMove, nTurn);

    // Across the 180th meridian the glide goes the short way round.
    const double lon1 = std::fabs(longitude - lon0) <= 180 ? longitude : lon0 + LongitudeEastOf(longitude, lon0);
    for (int i = 1; i <= n; ++i) {
        view.latitude = (latitude * i + lat0 * (n - i)) / n;
        view.longitude = WrapLongitude((lon1 * i + lon0 * (n - i)) / n);
        double a = (a1 * i + a0 * (n - i)) / n;
        while (a >= 360)
            a -= 360;
        view.azimuth = a;
        PaintView3d();
    }
}

void MainWindow::View3dMouseDown(Qt::MouseButton button, ShiftState, int x, int y)
{
    // A click on a summit's label turns the view to face it.
    if (const int label = summitLabels_.LabelAt(QPoint(x, y)); button == Qt::LeftButton && label >= 0) {
        const LabelSubject& summit = summitLabels_.SubjectOf(summitLabels_.placed()[std::size_t(label)]);
        MoveViewTo(model_.eye.latitude, model_.eye.longitude,
            summitLabels_.Sight(renderer_, summit, model_.params).bearing + 720);
        return;
    }
    dragLastX_ = x;
    dragLastY_ = y;
    dragInLowerHalf_ = y >= ui_.view3d->height() / 2 ? 1 : 0;
}

void MainWindow::View3dMouseMove(ShiftState shift, int x, int y)
{
    model_.cursor = QPoint(x, y);
    ShowCursorInfo(x, y);
    if (!(shift.buttons & Qt::LeftButton)) {
        const int label = summitLabels_.LabelAt(QPoint(x, y));
        if (label != highlightedLabel_) {
            highlightedLabel_ = label;
            PaintView3d();
        }
        return;
    }

    Viewpoint& view = model_.eye;
    const bool ctrl = shift.keys & Qt::ControlModifier;
    const int dy = y - dragLastY_;
    if (ctrl) {
        view.viewAngle = std::clamp(view.viewAngle - dy * kViewAnglePerPixel, kViewAngleMin, kViewAngleMax);
    } else if (dragInLowerHalf_) {
        view.minAltitude = std::max(view.minAltitude + dy * kAltitudePerPixel, kAltitudeFloor);
    } else {
        view.pitch = std::clamp(view.pitch + dy * kPitchPerPixel, kPitchMin, kPitchMax);
    }

    if (!ctrl) {
        const int dx = dragLastX_ - x;
        if (dragInLowerHalf_) {
            // Dragging left moves the eye to its right: the ground follows
            // the pointer.
            MoveEye(view, model_.params, view.azimuth + 90, dx * kSlideMetresPerPixel * kDegreesPerMetre);
            if (demoTimer_->isActive()) {
                DemoClick(nullptr);
                DemoClick(nullptr);
            }
        } else if (!demoTimer_->isActive()) {
            view.azimuth += dx * kTurnPerPixel;
            if (view.azimuth >= 360)
                view.azimuth -= 360;
            if (view.azimuth < 0)
                view.azimuth += 360;
        } else if (y == dragLastY_) {
            // While the demo circles, a sideways drag hurries it along.
            DemoTick();
        }
    }
    dragLastY_ = y;
    dragLastX_ = x;
    PaintView3d();
}

void MainWindow::StepClick(QObject* sender)
{
    const double sense = sender == ui_.forwardButton ? 1 : sender == ui_.backButton ? -1 : 0;
    MoveEye(model_.eye, model_.params, model_.eye.azimuth, sense * kStepMetres * kDegreesPerMetre);
    PaintView3d();
    PaintMap();
}

void MainWindow::HighestPointClick()
{
    if (!model_.terrain)
        return;
    // The opened tile's part of the grid.
    const GridRect tile = OpenedTileRect(model_.params, model_.terrain->tileInfo);
    const SampleGrid& grid = model_.terrain->heightGrid;
    const int columns = std::max(tile.columns, 1);
    const int rows = std::max(tile.rows, 1);
    const int c0 = tile.column + columns / 2;
    const int r0 = tile.row + rows / 2;
    int bestRow = r0;
    int bestColumn = c0;
    int highest = 0;
    // The outermost rows and columns are left out; ties go to the cell met last.
    for (int i = tile.row + 1; i < tile.row + rows - 1; ++i) {
        const int16_t* row = grid[i];
        for (int j = tile.column + 1; j < tile.column + columns - 1; ++j) {
            if (row[j] >= highest) {
                highest = row[j];
                bestRow = i;
                bestColumn = j;
            }
        }
    }
    // The eye 900 m above the peak and 200 rows south of it, looking down at it.
    const int eyeRow = bestRow + kPeakEyeRowsSouth;
    Viewpoint& view = model_.eye;
    view.latitude = model_.params.centreLat + double(r0 - eyeRow) / rows;
    view.longitude = WrapLongitude(model_.params.centreLon + double(bestColumn - c0) / columns);
    view.minAltitude = highest + kPeakEyeAbove;
    view.azimuth = 0;
    view.pitch = -std::atan2(kPeakEyeAbove, kPeakEyeRowsSouth * MetresPerDegree / rows) * kRadToDeg;
    PaintView3d();
    PaintMap();
}

void MainWindow::DemoClick(QObject* sender)
{
    Viewpoint& view = model_.eye;
    // The circle's centre stays where it is while the flight passes into
    // neighbouring tiles and the landscape is re-centred under it.
    if (!demoTimer_->isActive()) {
        demo_.centreLat = model_.params.centreLat;
        demo_.centreLon = model_.params.centreLon;
        demo_.longitudeScale = LongitudeScale(model_.params);
    }
    if (const std::optional<double> heading = FitDemoCircle(demo_, view)) {
        if (sender)
            MoveViewTo(view.latitude, view.longitude, *heading);
        view.azimuth = *heading;
    }
    if (demoTimer_->isActive()) {
        demoTimer_->stop();
    } else {
        demoTimer_->start();
        frameRate_.Restart();
    }
}

void MainWindow::DemoTick()
{
    // Real elapsed time, within limits: a slow frame slows the flight down
    // instead of making it jump.
    demoPrevTick_ = demoLastTick_;
    demoLastTick_ = model_.Ticks();
    const int32_t dt = std::clamp(int32_t(demoLastTick_ - demoPrevTick_), kDemoStepMinMs, kDemoStepMaxMs);

    StepDemoCircle(demo_, dt * 0.001, model_.eye);
    // The frame brings the map's eye with it.
    PaintView3d();
}
