#include "app/opentile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>

#include "app/lastview.h"
#include "app/mainwindow.h"
#include "app/recentfiles.h"

namespace {

constexpr int kButtonGap = 8;
constexpr int kButtonHeight = 22;

// The folder the dialog last opened from, for this session only.
QString& LastFolder()
{
    static QString folder;
    return folder;
}

}  // namespace

QString OpenFilters()
{
    // Upper-case names too: the dialog's filters tell case apart on Linux.
    // The first, the one the dialog starts with, shows everything the viewer opens.
    return QStringList{
        QCoreApplication::translate("OpenTile", "標高タイル，GPX，山名リスト (%1)")
            .arg(QStringLiteral("*.tif *.tiff *.hgt *.zip *.gpx *.osm *.pbf *.osm.gz *.osm.bz2 *.txt *.csv "
                                "*.TIF *.TIFF *.HGT *.ZIP *.GPX *.OSM *.PBF *.OSM.GZ *.OSM.BZ2 *.TXT *.CSV")),
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

namespace {

void AskAndOpen(MainWindow& window)
{
    QString folder = LastFolder();
    if (folder.isEmpty() && !window.TilePath().isEmpty())
        folder = QFileInfo(QFile::decodeName(window.TilePath())).absolutePath();
    const QString file = QFileDialog::getOpenFileName(
        &window, QCoreApplication::translate("OpenTile", "ファイルを開く"), folder, OpenFilters());
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

// Rebuilt each time it drops, from the files remembered then.
void FillOpenMenu(QMenu* menu, MainWindow& window, QAction* open)
{
    menu->clear();
    menu->addAction(open);
    menu->addSeparator();
    const QByteArrayList recent = RecentFiles();
    //: The heading of the recent files in the open button's menu.
    menu->addSection(QCoreApplication::translate("OpenTile", "最近のファイル"));
    for (int i = 0; i < recent.size(); ++i) {
        const QByteArray path = recent[i];
        const QString name = QFile::decodeName(path);
        // &1 ... &9, &0: a digit picks the file from the keyboard.
        QAction* item = menu->addAction(QStringLiteral("&%1 %2")
                                            .arg((i + 1) % 10)
                                            .arg(QFileInfo(name).fileName().replace(u'&', QStringLiteral("&&"))));
        item->setObjectName(QStringLiteral("RecentFile"));
        item->setToolTip(name);
        item->setStatusTip(name);
        item->setData(path);
        QObject::connect(item, &QAction::triggered, &window, [&window, path] { window.OpenTile(path); });
    }
    if (recent.isEmpty())
        menu->addAction(QCoreApplication::translate("OpenTile", "（なし）"))->setEnabled(false);
    else
        QObject::connect(menu->addAction(QCoreApplication::translate("OpenTile", "履歴を消す")), &QAction::triggered,
            &window, [] { ForgetRecentFiles(); });
    menu->addSeparator();
    QAction* restore = menu->addAction(QCoreApplication::translate("OpenTile", "起動時に前回の視点を復元する"));
    restore->setObjectName(QStringLiteral("RestoreLastView"));
    restore->setCheckable(true);
    restore->setChecked(RestoresLastView());
    QObject::connect(restore, &QAction::toggled, &window, [](bool on) { SetRestoresLastView(on); });
}

QMenu* MakeOpenMenu(MainWindow& window, QAction* open)
{
    auto* menu = new QMenu(&window);
    menu->setObjectName(QStringLiteral("OpenMenu"));
    menu->setToolTipsVisible(true);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, &window, open] { FillOpenMenu(menu, window, open); });
    FillOpenMenu(menu, window, open);
    return menu;
}

}  // namespace

void AddOpenTile(MainWindow& window)
{
    MainWindow* w = &window;
    auto* action = new QAction(QCoreApplication::translate("OpenTile", "開く…"), &window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QObject::connect(action, &QAction::triggered, &window, [w] { AskAndOpen(*w); });
    window.addAction(action);

    auto* button =
        new QPushButton(QCoreApplication::translate("OpenTile", "開く…"), window.Form().dropHint->parentWidget());
    // As every button here: the keys stay with the main window.
    button->setFocusPolicy(Qt::NoFocus);
    button->setObjectName(QStringLiteral("BtnOpen"));
    button->setToolTip(
        QCoreApplication::translate("OpenTile", "標高タイル，GPXファイル，山名リストを開く (Ctrl+O)，最近のファイル"));
    // The menu drops from the button: the dialog, the recent files, and
    // whether the next start takes up the last view.
    button->setMenu(MakeOpenMenu(window, action));
    button->adjustSize();
    button->resize(button->width(), kButtonHeight);
    new FollowHint(window.Form().dropHint, button);
}
