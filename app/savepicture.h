#pragma once
// Keeping what the viewer shows: the 3D view as a PNG at its size on the
// screen or at a larger one, or on the clipboard, and the loaded tile's
// shaded relief at full resolution. Saved pictures carry the tile, the
// viewpoint and the program's version as PNG text.

#include <QString>

#include "core/viewrecords.h"

class MainWindow;

// "N35E138_35.2500N_138.5000E_az245.png": the tile's cell (its south-west
// corner), the eye, and the azimuth in whole degrees.
QString ViewPictureName(const RenderParams& params, const Viewpoint& view);

// Ctrl+S saves the 3D view, Ctrl+Shift+S the relief, Ctrl+C copies the
// view; the 3D view's right-click menu has them and the larger sizes.
void AddPictureActions(MainWindow& window);
