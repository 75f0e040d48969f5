#pragma once
// The Open dialog: Ctrl+O and a small button beside the drop hint, with a
// filter for every product the reader takes. The dialog starts in the folder
// last opened from this session, or the loaded tile's.

#include <QString>

class MainWindow;

void AddOpenTile(MainWindow& window);

// The dialog's filters, separated by ";;"; the first, which it starts with,
// shows everything the viewer opens: tiles, GPX files and lists of names.
QString OpenFilters();
