#pragma once
// The Open dialog: Ctrl+O and a small button beside the drop hint, with a
// filter for every product the reader takes. The dialog starts in the folder
// last opened from this session, or the loaded tile's.

class MainWindow;

void AddOpenTile(MainWindow& window);
