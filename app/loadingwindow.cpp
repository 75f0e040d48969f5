#include "app/loadingwindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include <memory>
#include <new>
#include <utility>

#include "app/messagebox.h"
#include "app/viewermodel.h"
#include "elevation/landscapeload.h"
#include "elevation/terrain.h"
#include "elevation/tileset.h"
#include "overlays/usermessages.h"

namespace {

// A window that has just been shown takes paints only after the display has
// mapped it; waiting longer than this means the display is not answering.
constexpr int kMapWaitMs = 1000;

// While a tile is read, events are taken now and then so that the windows
// repaint and Esc can stop the read; this many milliseconds apart at most.
constexpr qint64 kEventPumpMs = 50;

// Holds back the user's input while a load runs, but for Esc, which it notes.
class EscapeWatch : public QObject {
public:
    bool pressed() const { return pressed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                pressed_ = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close: return true;
        default: return QObject::eventFilter(watched, event);
        }
    }

private:
    bool pressed_ = false;
};

class ProgressListener : public LoadListener {
public:
    explicit ProgressListener(LoadingWindow& form) : form_(form)
    {
        QCoreApplication::instance()->installEventFilter(&escape_);
    }
    ~ProgressListener() override { QCoreApplication::instance()->removeEventFilter(&escape_); }
    ProgressListener(const ProgressListener&) = delete;
    ProgressListener& operator=(const ProgressListener&) = delete;

    void Started() override
    {
        form_.ShowAtOnce();
        sincePump_.start();
    }
    void Progressed(int counter) override { form_.SetProgress(counter); }
    // Only the file is being read when this is asked, so the terrain the
    // windows draw from is whole: repaints and timers may run meanwhile.
    bool Cancelled() override
    {
        if (sincePump_.elapsed() >= kEventPumpMs) {
            QCoreApplication::processEvents();
            sincePump_.restart();
        }
        return escape_.pressed();
    }

private:
    LoadingWindow& form_;
    EscapeWatch escape_;
    QElapsedTimer sincePump_;
};

// Hides the window however the load ends.
class HideOnExit {
public:
    explicit HideOnExit(QWidget& window) : window_(window) { }
    ~HideOnExit() { window_.hide(); }
    HideOnExit(const HideOnExit&) = delete;
    HideOnExit& operator=(const HideOnExit&) = delete;

private:
    QWidget& window_;
};

}  // namespace

LoadingWindow::LoadingWindow(QWidget* parent) :
    QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    ui_.setupUi(this);
    // The main window stays the active one while a tile loads.
    setAttribute(Qt::WA_ShowWithoutActivating);
}

int LoadingWindow::LoadTile(const QString& fileName, ViewerModel& model)
{
    return LoadTile(QFile::encodeName(fileName), model);
}

int LoadingWindow::LoadTile(const QByteArray& nativePath, ViewerModel& model)
{
    const TileError error = [&] {
        // Hidden before any message: the always-on-top window would cover it.
        HideOnExit hideOnExit(*this);
        // Holds back the user's input only while the tile loads: a message
        // must take its keys and clicks.
        ProgressListener listener(*this);
        // Made by the first load that succeeds; a joined set's load puts
        // buffers of its own size in its place.
        const bool hadTerrain = model.terrain != nullptr;
        std::unique_ptr<Terrain> terrain = std::move(model.terrain);
        TileError result = TileError::NotEnoughMemory;
        try {
            if (!terrain)
                terrain = std::make_unique<Terrain>();
            result = LoadTileSetInto(
                nativePath.toStdString(), false, terrain, model.params, model.eye, model.tiles, listener);
        } catch (const std::bad_alloc&) {
            // Buffers are had before anything changes: the landscape on screen stays.
        }
        if (hadTerrain || result == TileError::None)
            model.terrain = std::move(terrain);
        if (result == TileError::None)
            lastReport_ = std::move(listener.report);
        return result;
    }();
    if (error == TileError::None)
        return 0;
    if (error == TileError::Cancelled)
        return -1;  // the user's own doing: nothing to tell
    ShowMessage(TileRefusalText(error, ShownFileName(nativePath)));
    return -1;
}

void LoadingWindow::SetProgress(int counter)
{
    // The counter ends past the bar's range; those steps show a full bar.
    ui_.progressBar->setValue(qBound(ui_.progressBar->minimum(), counter, ui_.progressBar->maximum()));
    ui_.progressBar->repaint();
}

void LoadingWindow::ShowAtOnce()
{
    ui_.progressBar->setValue(0);
    show();
    // No other input is taken meanwhile; nothing of the terrain has changed
    // yet, so a paint of the main window that slips in reads a whole tile.
    const QDeadlineTimer deadline(kMapWaitMs);
    while (!(windowHandle() && windowHandle()->isExposed()) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    repaint();
}
