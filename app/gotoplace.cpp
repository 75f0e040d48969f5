#include "app/gotoplace.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeySequence>

#include "app/apunit1.h"
#include "app/coordinates.h"
#include "app/messagebox.h"
#include "app/sharedstate.h"

namespace {

const char* const kContext = "GoToPlace";
const char* const kTileNameEnd = "_dem.tif";

QString Translated(const char* text)
{
    return QCoreApplication::translate(kContext, text);
}

bool Covers(const RenderParams& tile, const GeoPosition& position)
{
    // Tiles are one degree on a side, their edges shared with their
    // neighbours.
    return tile.columns != 0 && position.latitude <= tile.northLat && position.latitude >= tile.northLat - 1 &&
        position.longitude >= tile.westLon && position.longitude <= tile.westLon + 1;
}

// "N36E139": the cell whose tile covers the position; the poles' and the
// date line's edges belong to the tiles below and left of them.
QString CellOf(const GeoPosition& position)
{
    const int lat = std::min(int(std::floor(position.latitude)), 89);
    const int lon = std::min(int(std::floor(position.longitude)), 179);
    return QString::asprintf("%c%02d%c%03d", lat >= 0 ? 'N' : 'S', std::abs(lat), lon >= 0 ? 'E' : 'W', std::abs(lon));
}

// A tile of `cell` beside the loaded one, named as tiles are.
std::optional<QByteArray> NeighbourTile(const TForm1& window, const QString& cell)
{
    if (window.TilePath().isEmpty())
        return std::nullopt;
    const QDir folder = QFileInfo(QFile::decodeName(window.TilePath())).absoluteDir();
    const QString end = QString::fromLatin1(kTileNameEnd);
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name)) {
        const QString name = file.fileName();
        if (name.contains(cell, Qt::CaseInsensitive) && name.contains(end, Qt::CaseInsensitive))
            return QFile::encodeName(file.absoluteFilePath());
    }
    return std::nullopt;
}

void AskAndGo(TForm1& window)
{
    if (TheRenderParams.columns == 0)
        return;
    const QString here = QString::asprintf("%.4f, %.4f", TheViewpoint.latitude, TheViewpoint.longitude);
    bool ok = false;
    const QString text = QInputDialog::getText(
        &window, Translated("場所へ移動"), Translated("緯度と経度："), QLineEdit::Normal, here, &ok);
    if (ok)
        GoToPlace(window, text);
}

void AddAction(QWidget* owner, const QString& text, QKeySequence keys, const std::function<void()>& handler)
{
    auto* action = new QAction(text, owner);
    action->setShortcut(keys);
    QObject::connect(action, &QAction::triggered, owner, handler);
    owner->addAction(action);
}

}  // namespace

void GoToPlace(TForm1& window, const QString& text)
{
    const std::optional<GeoPosition> position = ParsePosition(text.toStdString());
    if (!position) {
        ShowMessage(Translated("位置として読めません：") + text);
        return;
    }
    const double azimuth = TheViewpoint.azimuth;
    if (!Covers(TheRenderParams, *position)) {
        const QString cell = CellOf(*position);
        const std::optional<QByteArray> tile = NeighbourTile(window, cell);
        if (!tile) {
            ShowMessage(Translated("%1 のタイルが同じフォルダにありません").arg(cell));
            return;
        }
        // A refused tile has been explained by the loading window.
        window.OpenTile(*tile);
        if (!Covers(TheRenderParams, *position))
            return;
    }
    window.Timer1->stop();
    window.MoveViewTo(position->latitude, position->longitude, azimuth);
}

void AddGoToPlace(TForm1& window)
{
    TForm1* w = &window;
    AddAction(window.PaintBox1, Translated("場所へ移動…"), QKeySequence(Qt::CTRL | Qt::Key_G), [w] { AskAndGo(*w); });
    QLabel* status = window.lbInfo2;
    status->setContextMenuPolicy(Qt::ActionsContextMenu);
    AddAction(
        status, Translated("位置をコピー"), {}, [status] { QGuiApplication::clipboard()->setText(status->text()); });
}
