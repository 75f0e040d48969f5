#pragma once
// Keeping what the viewer shows: the 3D view as a PNG at its size on the
// screen or at a larger one, or on the clipboard, and the loaded tile's
// shaded relief at full resolution. Saved pictures carry the tile, the
// viewpoint and the program's version as PNG text.

#include <QImage>
#include <QString>

#include "core/viewrecords.h"
#include "overlays/bitmapimage.h"

class MainWindow;

// "N35E138_35.2500N_138.5000E_az245.png": the tile's cell (its south-west
// corner), the eye, and the azimuth in whole degrees.
QString ViewPictureName(const RenderParams& params, const Viewpoint& view);

// Why a file could not be written (an errno value), for the user.
QString WriteFailureReason(int error);
// Writes `image` to `path` as PNG, whole or not at all: a failure keeps the
// file that was there. Empty when it was written, otherwise the message for
// the user, naming the file and the reason.
QString WritePicture(const QImage& image, const QString& path, const PngTexts& texts);

// The current view at `size`, drawn off the screen as the window shows it:
// with its labels and GPX lines, unless the user keeps the bare frame. A
// null image when there is not enough memory, which the user is told.
// `altitude` is the eye's, in metres.
QImage ViewPictureOf(const MainWindow& window, QSize size, int32_t& altitude);
// The PNG texts of that picture, taken of `view`: the tile, the eye, the
// look and the names lists read.
PngTexts ViewPictureTexts(const MainWindow& window, const Viewpoint& view, int32_t altitude);

// Ctrl+S saves the 3D view, Ctrl+Shift+S the relief, Ctrl+C copies the
// view; the 3D view's right-click menu has them and the larger sizes.
void AddPictureActions(MainWindow& window);
