// The name a saved view is offered under, and what a failed save says.

#include <gtest/gtest.h>

#include <cerrno>

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "app/savepicture.h"

namespace {

struct NameCase {
    double centreLat;  // the tile's centre
    double centreLon;
    double latitude;  // the eye
    double longitude;
    double azimuth;
    const char* name;
};

const NameCase kNames[] = {
    {35.5, 138.5, 35.25, 138.5, 245, "N35E138_35.2500N_138.5000E_az245.png"},
    {-11.5, -76.5, -11.23456, -76.54321, 359.6, "S12W077_11.2346S_76.5432W_az0.png"},
    {0.5, -0.5, 0.00001, -0.99995, 44.5, "N00W001_0.0000N_1.0000W_az45.png"},
    {-0.5, 8.5, -0.00004, 8.12344, 0.4, "S01E008_0.0000N_8.1234E_az0.png"},
};

}  // namespace

TEST(ViewPictureName, TileEyeAndAzimuth)
{
    for (const NameCase& c : kNames) {
        RenderParams params;
        params.centreLat = c.centreLat;
        params.centreLon = c.centreLon;
        Viewpoint view;
        view.latitude = c.latitude;
        view.longitude = c.longitude;
        view.azimuth = c.azimuth;
        EXPECT_EQ(ViewPictureName(params, view).toStdString(), c.name);
    }
}

// A save that fails says which file and why, and keeps the file that was
// there; one that works says nothing.
TEST(WritePicture, FailuresNameTheFileAndTheReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = dir.filePath(QStringLiteral("view.png"));
    EXPECT_EQ(WritePicture(image, path, {}), QString());
    EXPECT_EQ(QImage(path).pixel(3, 3), image.pixel(3, 3));

    const QString full = WritePicture(image, QStringLiteral("/dev/full"), {});
    EXPECT_TRUE(full.contains(QStringLiteral("/dev/full"))) << full.toStdString();
    EXPECT_TRUE(full.endsWith(WriteFailureReason(ENOSPC))) << full.toStdString();

    // Every reason the system gives has words of its own, never "Unknown error".
    for (const int error : {ENOSPC, EFBIG, EACCES, EROFS, EISDIR, ENOENT, ENOMEM, EIO}) {
        EXPECT_FALSE(WriteFailureReason(error).isEmpty()) << error;
        EXPECT_FALSE(WriteFailureReason(error).contains(QStringLiteral("Unknown"))) << error;
    }

    const QString folder = WritePicture(image, dir.path(), {});
    EXPECT_TRUE(folder.contains(dir.path())) << folder.toStdString();
    EXPECT_TRUE(folder.endsWith(WriteFailureReason(EISDIR))) << folder.toStdString();
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    EXPECT_EQ(QImage(path).pixel(3, 3), image.pixel(3, 3)) << "the saved picture was touched";
}
