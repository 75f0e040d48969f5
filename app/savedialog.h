#pragma once
// The save dialog every kind of file the viewer writes goes through.

#include <QStandardPaths>
#include <QString>

class QWidget;

// Where one kind of file was saved last: the dialog opens there again.
class SaveFolder {
public:
    // Starts in the user's `location` (pictures, videos), else at home.
    explicit SaveFolder(QStandardPaths::StandardLocation location);

    // Asks where to save, starting from `name` in the folder used last;
    // empty when the user cancels. A name typed without `suffix` gets it
    // before the dialog checks for a file of that name.
    QString AskPath(
        QWidget* parent, const QString& title, const QString& name, const QString& filter, const QString& suffix);

private:
    QString folder_;
};
