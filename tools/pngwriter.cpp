#include "tools/pngwriter.h"

#include <QImage>

bool WritePng(const std::string& path, const uint32_t* const* rows, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    // Our fourth byte is 0, not an alpha value: write plain RGB.
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* out = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = rows[y][x];
            out[3 * x] = uchar(pixel >> 16);
            out[3 * x + 1] = uchar(pixel >> 8);
            out[3 * x + 2] = uchar(pixel);
        }
    }
    return image.save(QString::fromStdString(path), "PNG");
}
