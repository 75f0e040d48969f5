#include "overlays/bitmapimage.h"

#include <cerrno>
#include <cstring>

#include <QIODevice>
#include <QImageWriter>

#include "core/wholefile.h"

namespace {

// 0x00RRGGBB in native 32-bit words: Qt's RGB32, whose top byte Qt ignores.
constexpr QImage::Format kBitmapFormat = QImage::Format_RGB32;

// Qt's writers write into a WholeFile through this.
class WholeFileDevice : public QIODevice {
public:
    explicit WholeFileDevice(WholeFile& file) : file_(file) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        return file_.Write(data, std::size_t(size)) ? size : -1;
    }

private:
    WholeFile& file_;
};

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

int WriteImage(const QImage& image, const std::string& path, const char* format, const PngTexts& texts)
{
    if (image.isNull())
        return ENOMEM;
    WholeFile file(path);
    if (file.error() == 0) {
        WholeFileDevice device(file);
        QImageWriter writer(&device, format);
        for (const auto& [key, value] : texts)
            writer.setText(key, value);
        // A failed write of the device has its errno in the file already.
        if (!writer.write(image))
            file.Fail(EIO);
    }
    return file.Commit();
}

int WritePng(const QImage& image, const std::string& path, const PngTexts& texts)
{
    return WriteImage(image, path, "png", texts);
}

int WritePng(const std::string& path, const uint32_t* const* rows, int width, int height)
{
    return WritePng(ImageCopyOfRows(rows, width, height), path);
}
