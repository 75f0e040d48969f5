#include "loading/unitfileload.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "app/messagebox.h"
#include "app/sharedstate.h"
#include "loading/terrain.h"
#include "loading/tilereader.h"
#include "render/framebuffers.h"

namespace {

// A window that has just been shown takes paints only after the display has
// mapped it; waiting longer than this means the display is not answering.
constexpr int kMapWaitMs = 1000;

class ProgressListener : public LoadListener {
public:
    explicit ProgressListener(TForm2& form) : form_(form) { }
    void started() override { form_.showAtOnce(); }
    void progressed(int counter) override { form_.setProgress(counter); }

private:
    TForm2& form_;
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

void CreateRunBuffers()
{
    if (!TheTerrain)
        TheTerrain = new Terrain;
    if (!FrameBitmap) {
        const QSize screen = QGuiApplication::primaryScreen()->size();
        FrameBitmap = new Bitmap32(screen.width(), screen.height());
        PrepareFrameBuffers(*FrameBitmap);
    }
}

}  // namespace

TForm2::TForm2(QWidget* parent) :
    QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    setupUi(this);
    // The main window stays the active one while a tile loads.
    setAttribute(Qt::WA_ShowWithoutActivating);
    CreateRunBuffers();
}

int TForm2::LoadTile(const QString& fileName, RenderParams& params, Viewpoint& view)
{
    return LoadTile(QFile::encodeName(fileName), params, view);
}

int TForm2::LoadTile(const QByteArray& nativePath, RenderParams& params, Viewpoint& view)
{
    HideOnExit hideOnExit(*this);
    ProgressListener listener(*this);
    const TileError error = LoadTileInto(nativePath.toStdString(), *TheTerrain, params, view, listener);
    if (error == TileError::None)
        return 0;
    // Hidden first: the always-on-top window would cover the message.
    hide();
    const std::string_view message = TileErrorMessage(error);
    ShowMessage(QString::fromUtf8(message.data(), qsizetype(message.size())));
    return -1;
}

void TForm2::setProgress(int counter)
{
    // The counter ends past the bar's range; those steps show a full bar.
    ProgressBar1->setValue(qBound(ProgressBar1->minimum(), counter, ProgressBar1->maximum()));
    ProgressBar1->repaint();
}

void TForm2::showAtOnce()
{
    ProgressBar1->setValue(0);
    show();
    // No other input is taken meanwhile; nothing of the terrain has changed
    // yet, so a paint of the main window that slips in reads a whole tile.
    const QDeadlineTimer deadline(kMapWaitMs);
    while (!(windowHandle() && windowHandle()->isExposed()) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    repaint();
}
