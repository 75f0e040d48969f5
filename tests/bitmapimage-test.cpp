// Our bitmaps as Qt images and PNG files (overlays/bitmapimage.h): the
// pixels come through unchanged, images over a bitmap share or guard its
// rows as they say, and a picture Qt cannot hold is refused, not copied.

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include "overlays/bitmapimage.h"

namespace {

// A bitmap whose every pixel differs from its neighbours in each channel.
Bitmap32 Pattern(int width, int height)
{
    Bitmap32 bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t red = uint32_t(x * 7 + y * 13) & 0xFF;
            const uint32_t green = uint32_t(x * 3 + y * 200) & 0xFF;
            const uint32_t blue = uint32_t(255 - x - y) & 0xFF;
            bitmap.scanLine(y)[x] = red << 16 | green << 8 | blue;
        }
    return bitmap;
}

// The colours alike; the fourth byte, which Qt's painter sets, is no part of them.
void ExpectPixelsOf(const QImage& image, const Bitmap32& bitmap)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, bitmap.scanLine(y)[x] & 0xFFFFFF) << x << "," << y;
}

TEST(BitmapImage, ImagesOverABitmapShareItsRowsAndOnlyTheWritableOneDrawsIntoThem)
{
    Bitmap32 bitmap = Pattern(40, 30);
    const QSize part(25, 20);  // less than the bitmap: its rows keep their stride
    QImage shared = ImageOverBitmap(bitmap, part);
    ASSERT_EQ(shared.size(), part);
    ExpectPixelsOf(shared, bitmap);
    {
        QPainter painter(&shared);
        painter.fillRect(QRect(2, 3, 4, 5), QColor(0x12, 0x34, 0x56));
    }
    EXPECT_EQ(bitmap.scanLine(3)[2] & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(bitmap.scanLine(7)[5] & 0xFFFFFF, 0x123456u);
    EXPECT_NE(bitmap.scanLine(8)[5] & 0xFFFFFF, 0x123456u);

    const Bitmap32& readOnly = bitmap;
    QImage guarded = ImageOverBitmap(readOnly, part);
    ExpectPixelsOf(guarded, bitmap);
    const uint32_t kept = bitmap.scanLine(10)[10];
    {
        QPainter painter(&guarded);
        painter.fillRect(QRect(0, 0, 25, 20), Qt::white);
    }
    EXPECT_EQ(bitmap.scanLine(10)[10], kept) << "drawing on the read-only image changed the bitmap";
}

TEST(BitmapImage, ACopyOfRowsIsAnImageOfItsOwn)
{
    Bitmap32 bitmap = Pattern(50, 20);
    const QImage copy = ImageCopyOfRows(bitmap.scanLines(), 33, 20);
    ASSERT_EQ(copy.size(), QSize(33, 20));
    ExpectPixelsOf(copy, bitmap);
    const uint32_t pixel = bitmap.scanLine(4)[4];
    bitmap.scanLine(4)[4] = ~pixel & 0xFFFFFF;
    EXPECT_EQ(copy.pixel(4, 4) & 0xFFFFFF, pixel);

    EXPECT_TRUE(ImageCopyOfRows(bitmap.scanLines(), 0, 20).isNull());
    EXPECT_TRUE(ImageCopyOfRows(bitmap.scanLines(), 33, 0).isNull());
    // Wider than Qt takes: a null image, and none of the one row read past its end.
    EXPECT_TRUE(ImageCopyOfRows(bitmap.scanLines(), 1 << 27, 1).isNull());
}

TEST(BitmapImage, PngFilesHoldTheThreeColourChannelsAndTheTexts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Bitmap32 bitmap = Pattern(37, 23);
    const QString path = dir.filePath(QStringLiteral("rows.png"));
    ASSERT_TRUE(WritePng(path.toStdString(), bitmap.scanLines(), 37, 23));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GT(bytes.size(), 26);
    EXPECT_EQ(bytes.mid(12, 4), QByteArray("IHDR"));
    EXPECT_EQ(int(bytes[24]), 8) << "bits per channel";
    EXPECT_EQ(int(bytes[25]), 2) << "colour type: RGB, no alpha";
    const QImage read(path);
    ASSERT_EQ(read.size(), QSize(37, 23));
    ExpectPixelsOf(read, bitmap);

    const QString withTexts = dir.filePath(QStringLiteral("texts.png"));
    const QImage image = ImageOverBitmap(bitmap, QSize(37, 23));
    EXPECT_EQ(WritePng(image, withTexts, {{QStringLiteral("Tile"), QStringLiteral("N35E138")}}), QString());
    QImageReader reader(withTexts);
    EXPECT_EQ(reader.text(QStringLiteral("Tile")), QStringLiteral("N35E138"));
    ExpectPixelsOf(reader.read(), bitmap);
}

TEST(BitmapImage, FailuresToWriteAreReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Bitmap32 bitmap = Pattern(8, 8);
    const QString nowhere = dir.filePath(QStringLiteral("no-such-folder/f.png"));
    EXPECT_FALSE(WritePng(ImageOverBitmap(bitmap, QSize(8, 8)), nowhere).isEmpty());
    EXPECT_FALSE(WritePng(nowhere.toStdString(), bitmap.scanLines(), 8, 8));
    EXPECT_FALSE(WritePng(dir.filePath(QStringLiteral("wide.png")).toStdString(), bitmap.scanLines(), 1 << 27, 1));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("wide.png"))));
}

}  // namespace
