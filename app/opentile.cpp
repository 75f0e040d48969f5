#include "app/opentile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

#include "app/mainwindow.h"

namespace {

constexpr int kButtonGap = 8;
constexpr int kButtonHeight = 22;

// The folder the dialog last opened from, for this session only.
QString& LastFolder()
{
    static QString folder;
    return folder;
}

QString Filters()
{
    // Upper-case names too: the dialog's filters tell case apart on Linux.
    return QStringList{
        QCoreApplication::translate("OpenTile", "標高タイル (%1)")
            .arg(QStringLiteral("*.tif *.tiff *.hgt *.zip *.TIF *.TIFF *.HGT *.ZIP")),
        QStringLiteral("ASTER GDEM (*_dem.tif *_DEM.TIF)"),
        QStringLiteral("SRTM / NASADEM (*.hgt *.HGT *.zip *.ZIP)"),
        QStringLiteral("Copernicus DEM (Copernicus_DSM_*.tif)"),
        QStringLiteral("ALOS World 3D (ALPSMLC30_*.tif)"),
        QStringLiteral("GeoTIFF (*.tif *.tiff *.TIF *.TIFF)"),
        QCoreApplication::translate("OpenTile", "名前リストとGPX (%1)")
            .arg(QStringLiteral("*.osm *.pbf *.osm.gz *.osm.bz2 *.txt *.csv *.gpx "
                                "*.OSM *.PBF *.OSM.GZ *.OSM.BZ2 *.TXT *.CSV *.GPX")),
        QCoreApplication::translate("OpenTile", "GPXファイル (%1)").arg(QStringLiteral("*.gpx *.GPX")),
        QCoreApplication::translate("OpenTile", "すべてのファイル (*)"),
    }
        .join(QStringLiteral(";;"));
}

void AskAndOpen(MainWindow& window)
{
    QString folder = LastFolder();
    if (folder.isEmpty() && !window.TilePath().isEmpty())
        folder = QFileInfo(QFile::decodeName(window.TilePath())).absolutePath();
    const QString file = QFileDialog::getOpenFileName(
        &window, QCoreApplication::translate("OpenTile", "標高タイルを開く"), folder, Filters());
    if (file.isEmpty())
        return;
    LastFolder() = QFileInfo(file).absolutePath();
    window.OpenTile(file);
}

// Keeps the button just left of the drop hint, which moves with the
// window's right edge; on its right the hint reaches the window's edge.
class FollowHint : public QObject {
public:
    FollowHint(QWidget* hint, QPushButton* button) : QObject(button), hint_(hint), button_(button)
    {
        hint->installEventFilter(this);
        Place();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == hint_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
            Place();
        return false;
    }

private:
    void Place()
    {
        const QRect hint = hint_->geometry();
        button_->move(hint.left() - kButtonGap - button_->width(), hint.center().y() - kButtonHeight / 2);
    }
    QWidget* hint_;
    QPushButton* button_;
};

}  // namespace

void AddOpenTile(MainWindow& window)
{
    MainWindow* w = &window;
    auto* action = new QAction(QCoreApplication::translate("OpenTile", "開く…"), &window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QObject::connect(action, &QAction::triggered, &window, [w] { AskAndOpen(*w); });
    window.addAction(action);

    auto* button = new QPushButton(QCoreApplication::translate("OpenTile", "開く…"), window.dropHint->parentWidget());
    // As every button here: the keys stay with the main window.
    button->setFocusPolicy(Qt::NoFocus);
    button->setObjectName(QStringLiteral("BtnOpen"));
    button->setToolTip(QCoreApplication::translate("OpenTile", "標高タイルを開く (Ctrl+O)"));
    button->adjustSize();
    button->resize(button->width(), kButtonHeight);
    QObject::connect(button, &QPushButton::clicked, &window, [w] { AskAndOpen(*w); });
    new FollowHint(window.dropHint, button);
}
