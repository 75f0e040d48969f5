#pragma once
// The view the last session ended on (its tile, the eye's place, heading,
// pitch, height and angle of view), kept when the application quits and
// taken up again on the next start that names no file. On by default; the
// open button's menu switches it.

#include <optional>

#include <QByteArray>

#include "core/viewrecords.h"

class MainWindow;

struct LastView {
    QByteArray tile;  // the system's bytes
    Viewpoint view;
};

bool RestoresLastView();
void SetRestoresLastView(bool on);

// What was kept, if anything.
std::optional<LastView> StoredLastView();
void StoreLastView(const LastView& last);

// Keeps the window's view when the application is about to quit, once a
// tile is open.
void KeepLastViewOnQuit(MainWindow& window);
// Opens the kept tile and puts the eye where it was, when switched on and
// kept; false when nothing was restored.
bool RestoreLastView(MainWindow& window);
