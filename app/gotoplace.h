#pragma once
// Going to a place given as a position: Ctrl+G asks for one and the eye
// glides there, through the tile that covers it when that is another tile in
// the loaded one's folder. The status line's right-click menu copies it, in
// a form the box reads back.

#include <QString>

class MainWindow;

// Moves the eye to the position in `text` (coordinates.h), keeping its
// azimuth. Says why not when the text is no position or no tile at hand
// covers it.
void GoToPlace(MainWindow& window, const QString& text);

void AddGoToPlace(MainWindow& window);
