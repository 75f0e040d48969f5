// Golden digests: frames, relief, map and heights of the sample tile and of a
// joined 3 x 3 set, pinned as SHA-256 of their bytes. They were recorded
// before the code was reorganised and must stay equal through any change that
// is not meant to alter a picture. A failure prints the digest now drawn;
// update a recorded one only for a change that means to alter what is drawn.

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <array>
#include <memory>
#include <string>

#include "elevation/terrain.h"
#include "elevation/tileset.h"
#include "render-test-support.h"
#include "tests/support/joinedset.h"

using namespace rendertest;

namespace {

class Digest {
public:
    template <class T> void Add(const T* values, std::size_t count)
    {
        hash_.addData(QByteArrayView(reinterpret_cast<const char*>(values), qsizetype(count * sizeof(T))));
    }
    std::string Hex() { return hash_.result().toHex().toStdString(); }

private:
    QCryptographicHash hash_{QCryptographicHash::Sha256};
};

std::string BitmapDigest(const Bitmap32& bitmap)
{
    Digest d;
    for (int r = 0; r < bitmap.height(); ++r)
        d.Add(bitmap.scanLine(r), std::size_t(bitmap.width()));
    return d.Hex();
}

std::string HeightsDigest(const Terrain& terrain)
{
    Digest d;
    for (int r = 0; r < terrain.tileInfo.height; ++r)
        d.Add(terrain.heightGrid[r], std::size_t(terrain.tileInfo.width));
    return d.Hex();
}

struct Landscape {
    std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>();
    RenderParams params;
    Viewpoint start;
};

Landscape Load(const std::string& path, bool single)
{
    Landscape land;
    TileSet set;
    LoadListener quiet;
    EXPECT_EQ(LoadTileSetInto(path, single, land.terrain, land.params, land.start, set, quiet), TileError::None);
    return land;
}

const Landscape& SampleTile()
{
    static const Landscape land = Load(VANTOREL_SAMPLE_TILE, true);
    return land;
}
const Landscape& JoinedSet()
{
    static const Landscape land = Load(MakeJoinedSetFolder("vantorel-golden-set") + "/N35E138_dem.tif", false);
    return land;
}

// One frame case: the view as offsets from the start view, drawn `frames`
// times in a row by a new renderer.
struct FrameCase {
    const char* name;
    bool joined;
    int32_t W, H;
    double azimuth, pitch, altitude;
    double viewAngle = 0;  // 0: the start view's
    int32_t bands = 0;  // 0: one per core
    bool curvature = false;
    int32_t heightQuarters = kTrueHeightQuarters;
    int frames = 3;
    double north = 0, east = 0;  // degrees from the start
    const char* digest;
};

// Colour, depth and height of every pixel of a W x H frame, and the eye
// altitude the frame was drawn from.
std::string DrawAndDigest(const FrameCase& c)
{
    const Landscape& land = c.joined ? JoinedSet() : SampleTile();
    // Buffers of the frame's own size: a frame does not depend on how much
    // more its renderer could draw.
    Bitmap32 bitmap(c.W, c.H);
    Renderer renderer(bitmap);
    renderer.settings.earthCurvature = c.curvature;
    renderer.settings.heightQuarters = c.heightQuarters;
    renderer.settings.bandLimit = c.bands;
    // The follow as after flying over the sea, as when these were recorded:
    // its climb over the first frames is part of what they pin.
    renderer.carried.groundFollow = 0;

    Viewpoint view = land.start;
    view.azimuth = view.renderAzimuth = c.azimuth;
    view.pitch = c.pitch;
    view.minAltitude = c.altitude;
    view.latitude += c.north;
    view.longitude += c.east;
    if (c.viewAngle > 0)
        view.viewAngle = c.viewAngle;
    const Terrain& t = *land.terrain;
    int32_t altitude = 0;
    for (int k = 0; k < c.frames; ++k) {
        BuildViewStrips(renderer, c.W, c.H, t.tileInfo, t.reliefLevels, t.heightGrid.rows(), land.params, view);
        altitude = RasteriseFrame(renderer, t.tileInfo, t.heightGrid.rows(), land.params, view);
    }

    Digest d;
    for (int32_t r = 0; r < c.H; ++r) {
        d.Add(renderer.Buffers().ColourRows[r], std::size_t(c.W));
        // Depth and height as their readers see them.
        d.Add(DepthRow(renderer.Buffers(), r, c.W).data(), std::size_t(c.W));
        d.Add(HeightRow(renderer.Buffers(), r, c.W).data(), std::size_t(c.W));
    }
    d.Add(&altitude, 1);
    return d.Hex();
}

// Heights, relief, its three reduced levels and the map, in that order.
void ExpectPictures(const Terrain& t, const std::array<const char*, 6>& digests)
{
    EXPECT_EQ(HeightsDigest(t), digests[0]) << "heights";
    EXPECT_EQ(BitmapDigest(t.reliefBitmap), digests[1]) << "relief";
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(BitmapDigest(t.levelBitmaps[k]), digests[2 + k]) << "level " << k + 1;
    EXPECT_EQ(BitmapDigest(t.mapBitmap), digests[5]) << "map";
}

}  // namespace

TEST(GoldenDigests, SampleTileReliefMapAndHeights)
{
    ExpectPictures(*SampleTile().terrain,
        {"c4f0dade0ca14294f02005dabf4bc7d912d8ea41b4a6c7279e5fa8f75b087b56",
            "c760929e7c535c622de407e7284031b00c9dfc66a6f5e3894a5a52780585aca5",
            "7c2202e9b201d6450406d45c5c1ff7cf35e5669733eaf111100f18073fbd6c44",
            "7876a13a33cad79f4dba5c4b2dd8f677ec32010fcf3ffe0433247d9d883b3cbc",
            "b8d14ab95fb26781429f9f612dca6938e890563415b56e30d4fbae7abcbc0995",
            "6fb0bb86062c0d982af76664fc762cac52082de435cbb0fb3121f5d66fc24399"});
}

TEST(GoldenDigests, JoinedSetReliefMapAndHeights)
{
    ExpectPictures(*JoinedSet().terrain,
        {"37512b5cbec74213ac9321bc976f33b0f3af31b4e2e5dc3b4646dbe30346acd9",
            "d3bab18de23c8fa1c5de9cd2f1cf70c8ab5125f710c7914e93e8824640c09347",
            "3852b9b0e8e00bc664e3634b7be85a606af074dca925eb8d2bc77b229a5f3d4a",
            "5bbb3264a682328e229e0069fdb67aa3de96a1e9305cb145139c6aa14448fb7b",
            "b4ab6cec31c0a429d37adea06c5643522300d522a14ab4e58d9f729f093f1dd8",
            "cdbdb98cd6f06608f90bc24e8ba07003ad72854e8872989a3cd61e94ea8a867d"});
}

TEST(GoldenDigests, Frames)
{
    const FrameCase cases[] = {
        {.name = "start view, small",
            .joined = false,
            .W = 656,
            .H = 400,
            .azimuth = 0,
            .pitch = -5,
            .altitude = 1000,
            .digest = "6185d1f2cab19c572815e06fe6a248b927cfb3d5e9dbdd26e3af0c44361c83be"},
        {.name = "1080p north, one band",
            .joined = false,
            .W = 1920,
            .H = 1080,
            .azimuth = 0,
            .pitch = -5,
            .altitude = 1000,
            .bands = 1,
            .digest = "b4d5fdafa1cd1f3bf2c8a3871bcb0c1d785fafe799d7c4a2a19fdd94d4d28160"},
        {.name = "1080p azimuth 45, two bands",
            .joined = false,
            .W = 1920,
            .H = 1080,
            .azimuth = 45,
            .pitch = -30,
            .altitude = 1000,
            .bands = 2,
            .digest = "322ebcdc0623534e83f9940f0a0e9fd6f382a0290e260aebadaa1b5cd9d5e73c"},
        {.name = "1080p azimuth 200 low, three bands",
            .joined = false,
            .W = 1920,
            .H = 1080,
            .azimuth = 200,
            .pitch = -60,
            .altitude = 300,
            .bands = 3,
            .digest = "b2c37e32505159ea2dda3797184c101c10c0ac9b7888e1cf93c9346b086a679a"},
        {.name = "720p steep, seven bands",
            .joined = false,
            .W = 1280,
            .H = 720,
            .azimuth = 120,
            .pitch = -75,
            .altitude = 1500,
            .bands = 7,
            .digest = "cce85b533eb5063f934dadc1d7b4e9eae9917d0e99b7600b2d613e98c705e37e"},
        {.name = "straight down",
            .joined = false,
            .W = 656,
            .H = 400,
            .azimuth = 0,
            .pitch = -90,
            .altitude = 2000,
            .digest = "c6df2c32fc471aa3cd283a21992d8ae854e4a539889e081fc41efbb71423bf93"},
        {.name = "curved earth",
            .joined = false,
            .W = 1024,
            .H = 560,
            .azimuth = 300,
            .pitch = -3,
            .altitude = 3000,
            .curvature = true,
            .digest = "9164302cf4c7665436de13ee41017fe541342097e79c43ed9e5f4ee51a9bcad3"},
        {.name = "three times as high",
            .joined = false,
            .W = 1024,
            .H = 560,
            .azimuth = 90,
            .pitch = -10,
            .altitude = 1000,
            .heightQuarters = 12,
            .digest = "17944b4c3dccec3779bc193e4dbb70bf07faed15a5e1f855e93b763375c65941"},
        {.name = "4K",
            .joined = false,
            .W = 3840,
            .H = 2160,
            .azimuth = 200,
            .pitch = -5,
            .altitude = 1000,
            .frames = 2,
            .digest = "ab6314faf78e2bbf411f4368314ef9bf416233d7d8d7d065fbe50a795ad04e24"},
        {.name = "5 degrees",
            .joined = false,
            .W = 1920,
            .H = 1080,
            .azimuth = 80,
            .pitch = -2,
            .altitude = 2000,
            .viewAngle = 5,
            .digest = "7cbf8a22545fe2b6db8920aea48bd2613dcd6de54075531493c91349393432dd"},
        {.name = "160 degrees",
            .joined = false,
            .W = 1920,
            .H = 1080,
            .azimuth = 80,
            .pitch = -5,
            .altitude = 1000,
            .viewAngle = 160,
            .digest = "99d51aa0d0de92922d2d0b9cd25823baa1bf0b307421eecbb8e51aef719ae7ef"},
        {.name = "looking up",
            .joined = false,
            .W = 656,
            .H = 400,
            .azimuth = 10,
            .pitch = 10,
            .altitude = 1000,
            .digest = "aa308e408100e04f9ca3a4c6997299c5f8990977ed6691ddadb29842f925964e"},
        {.name = "one column",
            .joined = false,
            .W = 1,
            .H = 500,
            .azimuth = 45,
            .pitch = -5,
            .altitude = 1000,
            .digest = "632f7a1ba5ef624b0d801cd8da10a11914aafafa201054a3f771e3ee9769d242"},
        {.name = "one row",
            .joined = false,
            .W = 700,
            .H = 1,
            .azimuth = 45,
            .pitch = -5,
            .altitude = 1000,
            .digest = "8528f99a019acf0c1abae2ae892aa59a314af7c025568f5d7182727028713733"},
        {.name = "far off the tile",
            .joined = false,
            .W = 656,
            .H = 400,
            .azimuth = 30,
            .pitch = -5,
            .altitude = 1000,
            .north = 4,
            .east = -7,
            .digest = "5deea6baafbe06aeeaa94ff5c7e9d606ea7c275b2cab764606026f808781135b"},
        {.name = "joined set, 1080p azimuth 45",
            .joined = true,
            .W = 1920,
            .H = 1080,
            .azimuth = 45,
            .pitch = -5,
            .altitude = 1000,
            .digest = "8f37ff0d71220f7f5bb4acd9910476f97d1dd4f324f335cf582839ae6584820c"},
        {.name = "joined set, 1080p azimuth 225, two bands",
            .joined = true,
            .W = 1920,
            .H = 1080,
            .azimuth = 225,
            .pitch = -8,
            .altitude = 1500,
            .bands = 2,
            .digest = "5c8ba5ac7b4fd9db0fbe6590e56ad75de218bf968c5a62ac8d8975f6c40b9047"},
        {.name = "joined set, curved earth over the neighbour",
            .joined = true,
            .W = 1024,
            .H = 560,
            .azimuth = 150,
            .pitch = -4,
            .altitude = 2500,
            .curvature = true,
            .north = -0.6,
            .east = 0.4,
            .digest = "af06c77adf512fb5c604e12b68b53d0ed1406a83cb15d93ad6cfe0a31b9f5f4b"},
    };
    for (const FrameCase& c : cases)
        EXPECT_EQ(DrawAndDigest(c), c.digest) << c.name;
}
