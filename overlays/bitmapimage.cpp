#include "overlays/bitmapimage.h"

#include <cstring>

#include <QImageWriter>

namespace {

// 0x00RRGGBB in native 32-bit words: Qt's RGB32, whose top byte Qt ignores.
constexpr QImage::Format kBitmapFormat = QImage::Format_RGB32;

}  // namespace

QImage ImageOverBitmap(Bitmap32& bitmap, QSize size)
{
    return QImage(reinterpret_cast<uchar*>(bitmap.scanLine(0)), size.width(), size.height(), bitmap.bytesPerLine(),
        kBitmapFormat);
}

QImage ImageOverBitmap(const Bitmap32& bitmap, QSize size)
{
    return QImage(reinterpret_cast<const uchar*>(bitmap.scanLine(0)), size.width(), size.height(),
        bitmap.bytesPerLine(), kBitmapFormat);
}

QImage ImageCopyOfRows(const uint32_t* const* rows, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, kBitmapFormat);
    if (image.isNull())
        return image;
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), rows[y], std::size_t(width) * sizeof(uint32_t));
    return image;
}

QString WritePng(const QImage& image, const QString& path, const PngTexts& texts)
{
    QImageWriter writer(path, "png");
    for (const auto& [key, value] : texts)
        writer.setText(key, value);
    if (writer.write(image))
        return {};
    return writer.errorString();
}

bool WritePng(const std::string& path, const uint32_t* const* rows, int width, int height)
{
    const QImage image = ImageCopyOfRows(rows, width, height);
    return !image.isNull() && WritePng(image, QString::fromStdString(path)).isEmpty();
}
