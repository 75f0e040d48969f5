#pragma once
// The loading window: a small orange panel with a progress bar, shown while
// a tile is read and its pictures are built.

#include <QByteArray>
#include <QString>
#include <QWidget>

#include "core/viewrecords.h"
#include "elevation/landscapeload.h"
#include "ui_loadingwindow.h"

class ViewerModel;

class LoadingWindow : public QWidget {
    Q_OBJECT

public:
    explicit LoadingWindow(QWidget* parent = nullptr);

    // Reads the tile at `nativePath` (the file system's bytes) with its
    // neighbours into the model's terrain, which the first load makes, fills
    // its params and tiles and puts its eye at the tile's start view.
    // Returns 0 when the tile was loaded, -1 when it was refused or stopped;
    // either leaves everything as it was, and a refusal is told to the user.
    // The window is shown only while the tile is being read; meanwhile the
    // user's input is held back, but for Esc, which stops the read.
    int LoadTile(const QByteArray& nativePath, ViewerModel& model);
    // The same for a name typed or shown in Qt.
    int LoadTile(const QString& fileName, ViewerModel& model);
    // What the last load that succeeded found besides its result.
    const LoadReport& LastReport() const { return lastReport_; }

    // The bar's position for a progress counter that runs past its end.
    void SetProgress(int counter);

    // Shows the window and has it on the screen before the work starts.
    void ShowAtOnce();

    // The window's components, by their form names.
    const Ui::LoadingWindow& Form() const { return ui_; }

private:
    Ui::LoadingWindow ui_;
    LoadReport lastReport_;
};
