// Our bitmaps as Qt images and PNG files (overlays/bitmapimage.h): the
// pixels come through unchanged, images over a bitmap share or guard its
// rows as they say, a picture Qt cannot hold is refused, not copied, and
// files are written whole or not at all.

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include "overlays/bitmapimage.h"

namespace {

std::string Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The names in a folder as the system's bytes, hidden ones too.
std::vector<std::string> Entries(const QString& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Native(folder)))
        names.push_back(entry.path().filename().string());
    return names;
}

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
    ASSERT_EQ(WritePng(Native(path), bitmap.scanLines(), 37, 23), 0);

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
    EXPECT_EQ(WritePng(image, Native(withTexts), {{QStringLiteral("Tile"), QStringLiteral("N35E138")}}), 0);
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
    EXPECT_EQ(WritePng(ImageOverBitmap(bitmap, QSize(8, 8)), Native(nowhere)), ENOENT);
    EXPECT_EQ(WritePng(Native(nowhere), bitmap.scanLines(), 8, 8), ENOENT);
    EXPECT_EQ(WritePng(Native(dir.filePath(QStringLiteral("wide.png"))), bitmap.scanLines(), 1 << 27, 1), ENOMEM);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("wide.png"))));
    // A folder where the file should go, and a device that is always full.
    EXPECT_EQ(WritePng(ImageOverBitmap(bitmap, QSize(8, 8)), Native(dir.path())), EISDIR);
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    EXPECT_EQ(WritePng(Native(QStringLiteral("/dev/full")), bitmap.scanLines(), 8, 8), ENOSPC);
    EXPECT_TRUE(Entries(dir.path()).empty());
}

// Writes `bitmap` as a PNG at `path` in a child process whose files may grow
// to `limit` bytes at most, as on a disk that fills part way; the write's
// errno, or -1 when the child did not end by itself.
int WriteWithSizeLimit(const Bitmap32& bitmap, const std::string& path, rlim_t limit)
{
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &size) != 0)
            _exit(255);
        _exit(WritePng(path, bitmap.scanLines(), bitmap.width(), bitmap.height()));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(BitmapImage, AWriteThatFailsPartWayKeepsTheOldFileAndLeavesNoOther)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("view.png"));
    const Bitmap32 old = Pattern(16, 16);
    ASSERT_EQ(WritePng(Native(path), old.scanLines(), 16, 16), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = file.readAll();
    file.close();

    // A picture of noise, which does not compress to within the limit.
    Bitmap32 noise(256, 256);
    uint32_t state = 12345;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            noise.scanLine(y)[x] = (state = state * 1664525u + 1013904223u) >> 8;
    EXPECT_EQ(WriteWithSizeLimit(noise, Native(path), 8192), EFBIG);

    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), oldBytes) << "the old file was changed";
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"view.png"});

    // Without the limit the new picture takes the old one's place.
    ASSERT_EQ(WritePng(Native(path), noise.scanLines(), 256, 256), 0);
    ExpectPixelsOf(QImage(path), noise);
}

TEST(BitmapImage, NamesThatAreNotUtf8AreWrittenAsGiven)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string name = "\xff\xfe view.png";
    const Bitmap32 bitmap = Pattern(8, 8);
    ASSERT_EQ(WritePng(Native(dir.path()) + "/" + name, bitmap.scanLines(), 8, 8), 0);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{name});
    std::filesystem::remove(Native(dir.path()) + "/" + name);  // QTemporaryDir cannot name it
}

}  // namespace
