#include "app/gotoplace.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string_view>

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeySequence>
#include <QLineEdit>

#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "core/coordinates.h"
#include "core/geometry.h"
#include "elevation/landscapeload.h"
#include "elevation/tilename.h"

namespace {

constexpr int kFieldWidth = 440;

// Whether the landscape loaded (a tile, or a joined set) reaches the
// position, edges included: the eye glides there without a load.
bool Covers(const RenderParams& grid, const GeoPosition& position)
{
    if (grid.columns == 0)
        return false;
    const GridPosition at = GeoToGrid(grid, position.latitude, position.longitude);
    const double column = at.gx / kGeoUnitsPerCell, row = at.gy / kGeoUnitsPerCell;
    // A hair's tolerance keeps a typed edge on the grid it names.
    constexpr double kEdge = 1e-6;
    return column >= -kEdge && column <= grid.columns - 1 + kEdge && row >= -kEdge && row <= grid.rows - 1 + kEdge;
}

// The south-west corner of the cell whose tile covers the position; the
// poles' and the date line's edges belong to the tiles below and left of them.
struct Cell {
    int lat;
    int lon;
};
Cell CellOf(const GeoPosition& position)
{
    return {std::min(int(std::floor(position.latitude)), 89), std::min(int(std::floor(position.longitude)), 179)};
}

// "N36E139", as tiles are named.
QString CellName(const Cell& cell)
{
    return QString::asprintf(
        "%c%02d%c%03d", cell.lat >= 0 ? 'N' : 'S', std::abs(cell.lat), cell.lon >= 0 ? 'E' : 'W', std::abs(cell.lon));
}

// A tile of `cell` beside the loaded one: any product whose name gives that
// cell.
std::optional<QByteArray> NeighbourTile(const MainWindow& window, const Cell& cell)
{
    if (window.TilePath().isEmpty())
        return std::nullopt;
    const QDir folder = QFileInfo(QFile::decodeName(window.TilePath())).absoluteDir();
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files, QDir::Name)) {
        const QByteArray path = QFile::encodeName(file.absoluteFilePath());
        const std::string_view native(path.constData(), std::size_t(path.size()));
        const NamedCell named = CellFromName(native);
        if (IsSupportedTileName(native) && named.found && named.cell.lat == cell.lat && named.cell.lon == cell.lon)
            return path;
    }
    return std::nullopt;
}

void AskAndGo(MainWindow& window)
{
    if (window.Model().params.columns == 0)
        return;
    QInputDialog box(&window);
    box.setWindowTitle(QCoreApplication::translate("GoToPlace", "場所へ移動"));
    box.setLabelText(QCoreApplication::translate("GoToPlace", "緯度と経度："));
    // Where the eye is, as an example of what the box reads.
    box.setTextValue(QString::asprintf("%.4f, %.4f", window.Model().eye.latitude, window.Model().eye.longitude));
    // Wide enough for a pasted status line to be read.
    if (auto* field = box.findChild<QLineEdit*>())
        field->setMinimumWidth(kFieldWidth);
    if (box.exec() == QDialog::Accepted)
        GoToPlace(window, box.textValue());
}

void AddAction(QWidget* owner, const QString& text, QKeySequence keys, const std::function<void()>& handler)
{
    auto* action = new QAction(text, owner);
    action->setShortcut(keys);
    QObject::connect(action, &QAction::triggered, owner, handler);
    owner->addAction(action);
}

}  // namespace

void GoToPlace(MainWindow& window, const QString& text)
{
    const std::optional<GeoPosition> position = ParsePosition(text.toStdString());
    if (!position) {
        //: %1 is the text typed into the go-to box.
        ShowMessage(QCoreApplication::translate("GoToPlace", "「%1」は位置として読めません．").arg(text));
        return;
    }
    const double azimuth = window.Model().eye.azimuth;
    if (!Covers(window.Model().params, *position)) {
        const Cell cell = CellOf(*position);
        const std::optional<QByteArray> tile = NeighbourTile(window, cell);
        if (!tile) {
            //: %1 names a one-degree tile, as in N36E139.
            ShowMessage(
                QCoreApplication::translate("GoToPlace", "%1のタイルが同じフォルダにありません．").arg(CellName(cell)));
            return;
        }
        // A refused tile has been explained by the loading window.
        window.OpenTile(*tile);
        if (!Covers(window.Model().params, *position))
            return;
    }
    window.DemoTimer().stop();
    window.MoveViewTo(position->latitude, position->longitude, azimuth);
}

void AddGoToPlace(MainWindow& window)
{
    MainWindow* w = &window;
    AddAction(window.Form().view3d, QCoreApplication::translate("GoToPlace", "場所へ移動…"),
        QKeySequence(Qt::CTRL | Qt::Key_G), [w] { AskAndGo(*w); });
    QLabel* status = window.Form().statusLine;
    status->setContextMenuPolicy(Qt::ActionsContextMenu);
    AddAction(status, QCoreApplication::translate("GoToPlace", "位置をコピー"), {},
        [status] { QGuiApplication::clipboard()->setText(status->text()); });
}
