#include "app/savepicture.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeySequence>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "app/savedialog.h"
#include "app/version.h"
#include "elevation/terrain.h"
#include "overlays/bitmapimage.h"
#include "overlays/frameoverlays.h"
#include "render/frame.h"
#include "render/framebuffers.h"
#include "render/offscreenframe.h"
#include "render/renderer.h"

namespace {

// Frames drawn before the one saved, so that the detail settles at its size.
constexpr int kSettleFrames = 8;
constexpr QSize kLargeSizes[] = {{1920, 1080}, {3840, 2160}};

// "N35E138", "S08W077": the whole degrees of the cell's south-west corner.
QString CellName(const RenderParams& params)
{
    const int lat = int(std::floor(params.centreLat));
    const int lon = int(std::floor(params.centreLon));
    return QString::asprintf("%c%02d%c%03d", lat >= 0 ? 'N' : 'S', std::abs(lat), lon >= 0 ? 'E' : 'W', std::abs(lon));
}

// "35.2500N": four decimals, the hemisphere of the rounded value.
QString Degrees(double angle, char positive, char negative)
{
    const double rounded = std::round(angle * 10000) / 10000;
    return QString::asprintf("%.4f%c", std::fabs(rounded), rounded >= 0 ? positive : negative);
}

PngTexts TileTexts(const MainWindow& window)
{
    return {{QStringLiteral("Software"), ProgramName()},
        {QStringLiteral("Tile"), QFileInfo(QFile::decodeName(window.TilePath())).fileName()}};
}

// Whether saved views carry the labels and GPX lines drawn over the frame.
constexpr char kWithOverlaysKey[] = "pictures/withLabelsAndGpx";

bool SavesWithOverlays()
{
    return QSettings().value(QLatin1String(kWithOverlaysKey), true).toBool();
}

// The labels and GPX lines as the window shows them, where they are shown.
FrameOverlays OverlaysOf(const MainWindow& window)
{
    if (!SavesWithOverlays())
        return {};
    return {&window.Gpx(), window.Labels().shown() ? &window.Labels().subjects() : nullptr};
}

// A wait cursor while a large picture is drawn or written.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

bool TileLoaded(const MainWindow& window)
{
    return window.Model().HasLandscape();
}

void TellNoMemory()
{
    ShowMessage(QCoreApplication::translate("SavePicture", "メモリが足りません．"));
}

// Asks where to save a PNG, starting from `name` in the folder used last.
QString AskPath(MainWindow& window, const QString& title, const QString& name)
{
    static SaveFolder pictures(QStandardPaths::PicturesLocation);
    return pictures.AskPath(&window, title, name, QStringLiteral("PNG (*.png)"), QStringLiteral("png"));
}

void Write(const QImage& image, const QString& path, const PngTexts& texts)
{
    const BusyCursor busy;
    if (const QString message = WritePicture(image, path, texts); !message.isEmpty())
        ShowMessage(message);
}

// The dialog's title is the menu entry's text.
QString TitleOf(QString text)
{
    return text.remove(QChar(0x2026)).remove(QStringLiteral("&"));
}

void SaveView(MainWindow& window, QSize size, const QString& title)
{
    if (!TileLoaded(window))
        return;
    // Drawn before the dialog: the demo flies on while it is open.
    const Viewpoint view = window.Model().eye;
    const QString name = ViewPictureName(window.Model().params, view);
    int32_t altitude = 0;
    const QImage image = ViewPictureOf(window, size.isEmpty() ? window.FrameSize() : size, altitude);
    if (image.isNull())
        return;
    const QString path = AskPath(window, title, name);
    if (!path.isEmpty())
        Write(image, path, ViewPictureTexts(window, view, altitude));
}

void SaveRelief(MainWindow& window, const QString& title)
{
    if (!TileLoaded(window))
        return;
    const QString path = AskPath(window, title, CellName(window.Model().params) + QStringLiteral("_relief.png"));
    if (path.isEmpty())
        return;
    const TileInfo& relief = window.Model().terrain->tileInfo;
    const QImage image = ImageCopyOfRows(relief.scanLines, relief.width, relief.height);
    if (image.isNull()) {
        TellNoMemory();
        return;
    }
    Write(image, path, TileTexts(window));
}

void CopyView(MainWindow& window)
{
    if (!TileLoaded(window))
        return;
    int32_t altitude = 0;
    const QImage image = ViewPictureOf(window, window.FrameSize(), altitude);
    if (!image.isNull())
        QGuiApplication::clipboard()->setImage(image);
}

template <typename Handler> void AddAction(QWidget* owner, const QString& text, QKeySequence keys, Handler handler)
{
    auto* action = new QAction(text, owner);
    action->setShortcut(keys);
    QObject::connect(action, &QAction::triggered, owner, [handler, title = TitleOf(text)] { handler(title); });
    owner->addAction(action);
}

}  // namespace

PngTexts ViewPictureTexts(const MainWindow& window, const Viewpoint& view, int32_t altitude)
{
    PngTexts texts = TileTexts(window);
    const auto number = [](double value, int decimals) { return QString::number(value, 'f', decimals); };
    texts.insert(texts.end(),
        {{QStringLiteral("Latitude"), number(view.latitude, 6)},
            {QStringLiteral("Longitude"), number(view.longitude, 6)},
            {QStringLiteral("MinimumAltitude"), number(view.minAltitude, 0)},
            {QStringLiteral("Altitude"), QString::number(altitude)},
            {QStringLiteral("Azimuth"), number(view.azimuth, 1)}, {QStringLiteral("Pitch"), number(view.pitch, 1)},
            {QStringLiteral("ViewAngle"), number(view.viewAngle, 1)},
            {QStringLiteral("HeightExaggeration"),
                number(window.FrameRenderer().settings.heightQuarters / double(kTrueHeightQuarters), 2)},
            {QStringLiteral("EarthCurvature"),
                window.FrameRenderer().settings.earthCurvature ? QStringLiteral("on") : QStringLiteral("off")}});
    const PngTexts look = window.Natural().PictureTexts();
    texts.insert(texts.end(), look.begin(), look.end());
    QStringList lists;
    for (const ListReading& reading : window.Names().lists())
        lists.append(QFileInfo(QFile::decodeName(QByteArray::fromStdString(reading.source.file))).fileName());
    if (!lists.isEmpty())
        texts.push_back({QStringLiteral("NameLists"), lists.join(QStringLiteral("; "))});
    return texts;
}

// Without the crosshair.
QImage ViewPictureOf(const MainWindow& window, QSize size, int32_t& altitude)
{
    try {
        const BusyCursor busy;
        Bitmap32 bitmap(size.width(), size.height());
        const ReliefPictures pictures = window.FramePictures();
        const FrameOverlays over = OverlaysOf(window);
        altitude =
            RenderOffscreen(window.FrameRenderer(), bitmap, kSettleFrames, *window.Model().terrain, *pictures.relief,
                *pictures.levels, window.Model().params, window.Model().eye, [&](const Renderer& renderer) {
                    DrawFrameOverlays(renderer, bitmap, *window.Model().terrain, window.Model().params, over);
                });
        QImage image = ImageCopyOfRows(bitmap.scanLines(), size.width(), size.height());
        if (image.isNull())
            TellNoMemory();
        return image;
    } catch (const std::bad_alloc&) {
        TellNoMemory();
        return {};
    }
}

QString ViewPictureName(const RenderParams& params, const Viewpoint& view)
{
    int azimuth = int(std::lround(view.azimuth)) % 360;
    if (azimuth < 0)
        azimuth += 360;
    return CellName(params) + QStringLiteral("_") + Degrees(view.latitude, 'N', 'S') + QStringLiteral("_") +
        Degrees(view.longitude, 'E', 'W') + QStringLiteral("_az%1.png").arg(azimuth);
}

QString WriteFailureReason(int error)
{
    switch (error) {
    case ENOSPC: return QCoreApplication::translate("SavePicture", "ディスクがいっぱいです．");
    case EDQUOT: return QCoreApplication::translate("SavePicture", "ディスクの割り当てを超えました．");
    case EFBIG: return QCoreApplication::translate("SavePicture", "ファイルが大きすぎます．");
    case EACCES:
    case EPERM: return QCoreApplication::translate("SavePicture", "書き込む権限がありません．");
    case EROFS: return QCoreApplication::translate("SavePicture", "読み取り専用の場所です．");
    case EISDIR: return QCoreApplication::translate("SavePicture", "同じ名前のフォルダがあります．");
    case ENOENT:
    case ENOTDIR: return QCoreApplication::translate("SavePicture", "フォルダがありません．");
    case ENOMEM: return QCoreApplication::translate("SavePicture", "メモリが足りません．");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString WritePicture(const QImage& image, const QString& path, const PngTexts& texts)
{
    const int error = WritePng(image, QFile::encodeName(path).toStdString(), texts);
    if (error == 0)
        return {};
    //: Followed by the file's path and the reason.
    return QCoreApplication::translate("SavePicture", "保存できません：") + path + QStringLiteral("\n") +
        WriteFailureReason(error);
}

void AddPictureActions(MainWindow& window)
{
    PaintBox* view = window.Form().view3d;
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    MainWindow* w = &window;
    AddAction(view, QCoreApplication::translate("SavePicture", "3D画像を保存…"), QKeySequence(Qt::CTRL | Qt::Key_S),
        [w](const QString& title) { SaveView(*w, {}, title); });
    for (const QSize size : kLargeSizes)
        //: The 3D view's menu: save the view at width × height pixels.
        AddAction(view, QCoreApplication::translate("SavePicture", "%1×%2で保存…").arg(size.width()).arg(size.height()),
            {}, [w, size](const QString& title) { SaveView(*w, size, title); });
    auto* withOverlays = new QAction(QCoreApplication::translate("SavePicture", "ラベルとGPXも保存する"), view);
    withOverlays->setObjectName(QStringLiteral("savesWithOverlaysAction"));
    withOverlays->setCheckable(true);
    withOverlays->setChecked(SavesWithOverlays());
    QObject::connect(withOverlays, &QAction::toggled, view,
        [](bool on) { QSettings().setValue(QLatin1String(kWithOverlaysKey), on); });
    view->addAction(withOverlays);
    AddAction(view, QCoreApplication::translate("SavePicture", "陰影図を保存…"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [w](const QString& title) { SaveRelief(*w, title); });
    AddAction(view, QCoreApplication::translate("SavePicture", "3D画像をコピー"), QKeySequence(Qt::CTRL | Qt::Key_C),
        [w](const QString&) { CopyView(*w); });
}
