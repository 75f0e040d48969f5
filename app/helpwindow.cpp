#include "app/helpwindow.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString Does(const char* text)
{
    return QCoreApplication::translate("HelpWindow", text);
}

QTableWidget* TableOf(const std::vector<HelpLine>& lines, const QString& objectName, QWidget* parent)
{
    auto* table = new QTableWidget(int(lines.size()), 2, parent);
    table->setObjectName(objectName);
    table->setHorizontalHeaderLabels(
        {QCoreApplication::translate("HelpWindow", "操作"), QCoreApplication::translate("HelpWindow", "はたらき")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setWordWrap(false);
    for (int row = 0; row < int(lines.size()); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(lines[std::size_t(row)].action));
        table->setItem(row, 1, new QTableWidgetItem(lines[std::size_t(row)].does));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

}  // namespace

std::vector<HelpLine> KeyHelpLines()
{
    return {
        {QStringLiteral("← →"), Does(QT_TRANSLATE_NOOP("HelpWindow", "向きを変える"))},
        {QStringLiteral("↑ ↓"), Does(QT_TRANSLATE_NOOP("HelpWindow", "前後に進む（Shiftで10倍，Altで1/10）"))},
        {QStringLiteral("PageUp / PageDown"), Does(QT_TRANSLATE_NOOP("HelpWindow", "最低高度を上げ下げ"))},
        {QStringLiteral("+ / -"), Does(QT_TRANSLATE_NOOP("HelpWindow", "視野角を狭める・広げる"))},
        {QStringLiteral("[ / ]"), Does(QT_TRANSLATE_NOOP("HelpWindow", "高さの強調を下げる・上げる"))},
        {QStringLiteral("L"), Does(QT_TRANSLATE_NOOP("HelpWindow", "山頂のラベルを表示する・隠す"))},
        {QStringLiteral("F"), Does(QT_TRANSLATE_NOOP("HelpWindow", "GPXの軌跡に沿って飛ぶ・止める"))},
        {QStringLiteral("Shift+F"), Does(QT_TRANSLATE_NOOP("HelpWindow", "視点に最も近い点から軌跡を飛ぶ"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "飛行中の + / -")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "速さを上げる・下げる"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "飛行中のSpace")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "一時停止・再開"))},
        {QStringLiteral("E"), Does(QT_TRANSLATE_NOOP("HelpWindow", "GPXの軌跡の標高断面図を表示する・隠す"))},
        {QStringLiteral("C"), Does(QT_TRANSLATE_NOOP("HelpWindow", "地球の丸みを表す・表さない"))},
        {QStringLiteral("N"), Does(QT_TRANSLATE_NOOP("HelpWindow", "自然な見え方・従来の見え方"))},
        {QStringLiteral("Alt+← / Alt+→"),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "自然な見え方の太陽を10分戻す・進める"))},
        {QStringLiteral("P"), Does(QT_TRANSLATE_NOOP("HelpWindow", "視点からのパノラマ"))},
        {QStringLiteral("Delete"), Does(QT_TRANSLATE_NOOP("HelpWindow", "GPXの表示を消す"))},
        {QStringLiteral("Home"), Does(QT_TRANSLATE_NOOP("HelpWindow", "最初の視点に戻る"))},
        {QStringLiteral("Space"), Does(QT_TRANSLATE_NOOP("HelpWindow", "デモを始める・止める"))},
        {QStringLiteral("Ctrl+O"), Does(QT_TRANSLATE_NOOP("HelpWindow", "タイル，GPXファイル，名前リストを開く"))},
        {QStringLiteral("Ctrl+S / Ctrl+Shift+S"), Does(QT_TRANSLATE_NOOP("HelpWindow", "3D表示・陰影図を保存"))},
        {QStringLiteral("Ctrl+C"), Does(QT_TRANSLATE_NOOP("HelpWindow", "3D表示をコピー"))},
        {QStringLiteral("Ctrl+G"), Does(QT_TRANSLATE_NOOP("HelpWindow", "位置を入力して移動"))},
        {QStringLiteral("Ctrl+R"), Does(QT_TRANSLATE_NOOP("HelpWindow", "次の飛行を動画に録画"))},
        {QStringLiteral("Ctrl+Shift+N"), Does(QT_TRANSLATE_NOOP("HelpWindow", "名前リストの一覧"))},
        {QStringLiteral("F11"), Does(QT_TRANSLATE_NOOP("HelpWindow", "全画面"))},
        {QStringLiteral("F1"), Does(QT_TRANSLATE_NOOP("HelpWindow", "この一覧"))},
        {QStringLiteral("Esc"), Does(QT_TRANSLATE_NOOP("HelpWindow", "GPXや名前リストの読み込みを止める"))},
    };
}

std::vector<HelpLine> MouseHelpLines()
{
    return {
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "地図：クリック")), Does(QT_TRANSLATE_NOOP("HelpWindow", "そこへ移動"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "地図：ドラッグ")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "移動して，ドラッグの向きを見る"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "地図：右クリック")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "その方向を向く"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "地図：ホイール")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "カーソルを中心に拡大・縮小"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "地図：中ボタンのドラッグ")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "地図を動かす"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "地図：中ボタンのダブルクリック")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "全体を表示"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "地図：Shift+ドラッグ")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "2点間の距離と方位を測る"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "3D表示：上半分のドラッグ")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "向きと傾き"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "3D表示：下半分のドラッグ")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "横移動と高度"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "3D表示：Ctrl+上下ドラッグ")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "視野角"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "3D表示：ホイール")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "前後に進む（Ctrlで視野角）"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "3D表示：ラベルをクリック")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "その山を向く"))},
        {Does(QT_TRANSLATE_NOOP("HelpWindow", "3D表示：右クリック")),
            Does(QT_TRANSLATE_NOOP("HelpWindow", "保存とコピーのメニュー"))},
    };
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent)
{
    //: The title of the F1 window listing the keys and mouse actions.
    setWindowTitle(QCoreApplication::translate("HelpWindow", "キーとマウス"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QCoreApplication::translate("HelpWindow", "キー"), this));
    QTableWidget* keys = TableOf(KeyHelpLines(), QStringLiteral("keyTable"), this);
    layout->addWidget(keys, int(KeyHelpLines().size()));
    layout->addWidget(new QLabel(QCoreApplication::translate("HelpWindow", "マウス"), this));
    QTableWidget* mouse = TableOf(MouseHelpLines(), QStringLiteral("mouseTable"), this);
    layout->addWidget(mouse, int(MouseHelpLines().size()));
    // Our own caption: Qt's standard buttons speak only the languages it was translated into here.
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QCoreApplication::translate("HelpWindow", "閉じる"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Wide enough for the longest line, as tall as the screen lets it be.
    const int width = std::max(keys->horizontalHeader()->length(), mouse->horizontalHeader()->length()) + 60;
    const QRect screen = (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(std::min(std::max(width, 520), screen.width()), std::min(720, screen.height() * 9 / 10));
}
