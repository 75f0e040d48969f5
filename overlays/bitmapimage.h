#pragma once
// Our bitmaps (0x00RRGGBB pixels, core/raster.h) as Qt images and PNG files:
// the one place that knows which Qt format holds their bytes. The fourth
// byte is not alpha; PNG files get three channels.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <QImage>
#include <QSize>
#include <QString>

#include "core/raster.h"

// The top-left `size` pixels of `bitmap` as an image over the bitmap's own
// rows, without a copy: valid while the bitmap lives. A painter on the
// writable one draws into the bitmap; Qt copies the read-only one before
// anything is drawn on it.
QImage ImageOverBitmap(Bitmap32& bitmap, QSize size);
QImage ImageOverBitmap(const Bitmap32& bitmap, QSize size);

// A copy of the top-left width x height pixels of `rows`, an image of its
// own. A null image when there is no memory for it or Qt refuses its size.
QImage ImageCopyOfRows(const uint32_t* const* rows, int width, int height);

// PNG text chunks: keyword and text.
using PngTexts = std::vector<std::pair<QString, QString>>;

// Writes `image` to `path` (the file system's bytes) as PNG with `texts`,
// whole or not at all (core/wholefile.h): 0 when it was written, otherwise
// the errno of why not, ENOMEM for a null image.
int WritePng(const QImage& image, const std::string& path, const PngTexts& texts = {});
// The same in any format Qt writes ("png", "jpeg"), the texts as the format
// keeps them (a JPEG's as its comment).
int WriteImage(const QImage& image, const std::string& path, const char* format, const PngTexts& texts = {});

// The top-left width x height pixels of `rows` as a PNG file at `path`, as
// above; ENOMEM when there was no memory for the picture.
int WritePng(const std::string& path, const uint32_t* const* rows, int width, int height);
