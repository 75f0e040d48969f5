#include "app/recentfiles.h"

#include <QSettings>
#include <QVariant>

namespace {

const char* const kRecentFilesKey = "recentFiles";

}  // namespace

QByteArrayList RecentFiles()
{
    QByteArrayList files;
    for (const QVariant& file : QSettings().value(QLatin1String(kRecentFilesKey)).toList())
        if (!file.toByteArray().isEmpty() && files.size() < kRecentFilesKept)
            files.append(file.toByteArray());
    return files;
}

void RememberRecentFile(const QByteArray& nativePath)
{
    if (nativePath.isEmpty())
        return;
    QByteArrayList files = RecentFiles();
    files.removeAll(nativePath);
    files.prepend(nativePath);
    QVariantList values;
    for (qsizetype i = 0; i < files.size() && i < kRecentFilesKept; ++i)
        values.append(files[i]);
    QSettings().setValue(QLatin1String(kRecentFilesKey), values);
}

void ForgetRecentFiles()
{
    QSettings().remove(QLatin1String(kRecentFilesKey));
}
