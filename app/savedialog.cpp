#include "app/savedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

SaveFolder::SaveFolder(QStandardPaths::StandardLocation location) : folder_(QStandardPaths::writableLocation(location))
{
}

QString SaveFolder::AskPath(
    QWidget* parent, const QString& title, const QString& name, const QString& filter, const QString& suffix)
{
    // The folder may have gone since it was chosen.
    if (folder_.isEmpty() || !QFileInfo(folder_).isDir())
        folder_ = QDir::homePath();
    QFileDialog dialog(parent, title, folder_, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    folder_ = QFileInfo(path).absolutePath();
    return path;
}
