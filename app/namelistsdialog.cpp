#include "app/namelistsdialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/mainwindow.h"

namespace {

constexpr int kMinimumWidth = 480;

}  // namespace

NameListsDialog::NameListsDialog(MainWindow& window) : QDialog(&window), window_(window), list_(new QListWidget(this))
{
    //: The title of the small window listing the remembered lists of names.
    setWindowTitle(QCoreApplication::translate("NameListsDialog", "名前リスト"));
    setMinimumWidth(kMinimumWidth);
    list_->setObjectName(QStringLiteral("namesList"));
    auto* add = new QPushButton(QCoreApplication::translate("NameListsDialog", "追加…"), this);
    auto* remove = new QPushButton(QCoreApplication::translate("NameListsDialog", "削除"), this);
    auto* close = new QPushButton(QCoreApplication::translate("NameListsDialog", "閉じる"), this);
    add->setObjectName(QStringLiteral("addList"));
    remove->setObjectName(QStringLiteral("removeList"));
    connect(add, &QPushButton::clicked, this, [this] { AskAndAdd(); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    Fill();
}

void NameListsDialog::Fill()
{
    list_->clear();
    for (const QByteArray& file : window_.Names().Files()) {
        auto* item = new QListWidgetItem(QFile::decodeName(file), list_);
        item->setData(Qt::UserRole, file);
    }
}

void NameListsDialog::Add(const QString& fileName)
{
    window_.AddNames(QFile::encodeName(fileName));
    Fill();
}

void NameListsDialog::RemoveSelected()
{
    if (const QListWidgetItem* item = list_->currentItem()) {
        window_.RemoveNames(item->data(Qt::UserRole).toByteArray());
        Fill();
    }
}

void NameListsDialog::AskAndAdd()
{
    const QString file = QFileDialog::getOpenFileName(this,
        QCoreApplication::translate("NameListsDialog", "名前リストを追加"), QString(),
        QCoreApplication::translate("NameListsDialog", "名前リスト (%1)")
            .arg(QStringLiteral("*.osm *.pbf *.osm.gz *.osm.bz2 *.txt *.csv *.OSM *.PBF *.TXT *.CSV")));
    if (!file.isEmpty())
        Add(file);
}

void AddNameListsAction(MainWindow& window)
{
    MainWindow* w = &window;
    auto* action = new QAction(QCoreApplication::translate("NameListsDialog", "名前リスト…"), &window);
    action->setObjectName(QStringLiteral("nameListsAction"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    QObject::connect(action, &QAction::triggered, &window, [w] {
        NameListsDialog dialog(*w);
        dialog.exec();
    });
    window.addAction(action);
}
