// The tile reader: name test, position from the name, reading the layouts
// users have, resampling, sharpening, and refusals that leave the shown tile
// exactly as it was.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <future>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/geometry.h"
#include "elevation/asterreader.h"
#include "elevation/eastwestresampling.h"
#include "elevation/landscapeload.h"
#include "elevation/tileset.h"
#include "elevation/voidrule.h"
#include "tests/support/tileload.h"
#include "tilefiles.h"

namespace {

using testtiles::kSize;

struct RecordingListener : LoadListener {
    int starts = 0;
    std::vector<int> positions;
    int stopAfterAsks = -1;  // the user presses Esc after this many questions
    int asks = 0;
    void Started() override { ++starts; }
    void Progressed(int position) override { positions.push_back(position); }
    bool Cancelled() override { return stopAfterAsks >= 0 && ++asks > stopAfterAsks; }
};

SampleGrid& scratchGrid()
{
    static SampleGrid grid;
    return grid;
}

bool gridEquals(const SampleGrid& grid, const testtiles::Samples& samples)
{
    for (int r = 0; r < kSize; ++r)
        if (std::memcmp(grid[r], &samples[std::size_t(r) * kSize], kSize * 2) != 0)
            return false;
    return true;
}

// A smooth landscape with sea, shore and one void sample, so that every
// reading mistake (byte order, offset, tile placement) shows.
const testtiles::Samples& landscape()
{
    static const testtiles::Samples samples = testtiles::makeSamples([](int r, int c) {
        if (r == 1800 && c == 1800)
            return int16_t(-9999);
        return int16_t((r * 7 + c * 13) % 3000 - 200);
    });
    return samples;
}

TEST(NameTest, AcceptsTheMarkerAnywhereInAnyCase)
{
    EXPECT_TRUE(PassesNameTest("C:\\Data\\abc_N35E139_dem.tif"));
    EXPECT_TRUE(PassesNameTest("/tiles/ABC_N35E139_DEM.TIF"));
    EXPECT_TRUE(PassesNameTest("/tiles/abc_N35E139_Dem.Tif"));
    EXPECT_TRUE(PassesNameTest("/tiles/abc_N35E139_dem.tiff"));
    EXPECT_TRUE(PassesNameTest("/x_dem.tif/tile.bin"));
    EXPECT_FALSE(PassesNameTest("/tiles/abc_N35E139.tif"));
    EXPECT_FALSE(PassesNameTest("/tiles/abc_N35E139-dem.tif"));
    EXPECT_FALSE(PassesNameTest(""));
}

TEST(CatmullRom, HandWorkedValues)
{
    // A straight line is reproduced: halfway between 100 and 200.
    EXPECT_EQ(CatmullRom(0, 100, 200, 300, 512), 150);
    // At t = 0 the spline passes through p1 whatever the other taps are.
    EXPECT_EQ(CatmullRom(-999, 77, 32767, -999, 0), 77);
    // Negative taps: every shift rounds towards minus infinity.
    // A = -40, B = -160, C = 280: -20, -90, 95, (95 + 80) >> 3 = 21.
    EXPECT_EQ(CatmullRom(-50, 10, 20, -30, 512), 21);
    // Overshoot beyond the 16-bit range is returned as is, for the caller to limit.
    EXPECT_EQ(CatmullRom(0, 32767, 32767, 0, 512), 36862);
}

class Resampling : public ::testing::Test {
protected:
    static constexpr double kLat = 35.5;  // width 2931
    void SetUp() override
    {
        for (int r = 0; r < kSize; ++r)
            std::fill_n(source[r], kSize, int16_t(1000));
    }
    int32_t resample() { return resampleAt(kLat); }
    static int32_t resampleAt(double centreLat)
    {
        int steps = 0;
        ResampleBandInto(centreLat, {&source}, resampled, 0, [&] { ++steps; });
        EXPECT_EQ(steps, 4);  // after rows 0, 1024, 2048 and 3072
        return ResampledLastColumn(centreLat) + 1;
    }
    static inline SampleGrid source, resampled;
};

TEST_F(Resampling, WidthFollowsTheCosineOfTheCentre)
{
    EXPECT_EQ(resample(), 2931);
    EXPECT_EQ(resampleAt(0.5), 3600);
}

TEST_F(Resampling, EveryRowIsItsOwnRowStretchedByTheSecantOfTheCentre)
{
    // Each row a ramp of its own slope and offset: the spline reproduces a
    // straight line, so column k of a row holds the ramp at k / cos(35.5°),
    // and a row taken from the wrong place shows at once.
    auto slope = [](int r) { return 1 + r % 8; };
    auto offset = [](int r) { return 100 + r % 13; };
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c)
            source[r][c] = int16_t(offset(r) + slope(r) * c);
    const int32_t width = resample();
    const double secant = 1 / 0.81411551836;  // cos(35.5°)
    for (int r : {0, 1, 1023, 1024, 1025, 1800, 2048, 2049, 3072, 3073, 3599, 3600}) {
        for (int k : {1, 2, 500, 1465, width - 2}) {
            const double expected = offset(r) + slope(r) * k * secant;
            ASSERT_NEAR(resampled[r][k], expected, 1.5) << r << "," << k;
        }
    }
}

// One east-west rule at every latitude ASTER covers: a longitude maps to the
// column where the resampler put that longitude's sample, and a column back
// to the longitude it was taken from.
TEST_F(Resampling, PositionsMapToWhereTheResamplerPutTheirLongitude)
{
    // Source sample c holds 8 c, so a resampled sample tells to an eighth of
    // an arc-second which longitude the resampler took it from.
    constexpr int kEighths = 8;
    for (int r = 0; r < kSize; ++r)
        for (int c = 0; c < kSize; ++c)
            source[r][c] = int16_t(kEighths * c);
    constexpr int kRow = 1000;
    constexpr double kWestLon = 10;
    for (int lat = -83; lat < 83; ++lat) {
        const GeoCentre centre{lat + 0.5, kWestLon + 0.5};
        TileInfo grid;
        grid.width = resampleAt(centre.centreLat);
        grid.height = kSize;
        RenderParams params;
        FillRenderParams(params, centre, grid);
        const double cellsPerDegree = grid.width - 1;  // to within a cell
        // The grid's centre column is a whole cell, up to half a cell from
        // the tile's centre; the spline reads the ramp to within two eighths
        // of an arc-second.
        const double cellSlack = 0.5 + 2 * cellsPerDegree / (kEighths * 3600.0);
        for (const int k : {0, 1, grid.width / 4, grid.width / 2, grid.width * 3 / 4, grid.width - 2}) {
            const double longitude = kWestLon + double(resampled[kRow][k]) / kEighths / 3600;
            const GeoPoint place = GridToGeo(params, k, kRow);
            EXPECT_NEAR(place.longitude, longitude, cellSlack / cellsPerDegree) << lat << " " << k;
            EXPECT_NEAR(place.latitude, lat + 1 - kRow / 3600.0, 1e-9) << lat << " " << k;
            const GridPosition at = GeoToGrid(params, place.latitude, longitude);
            EXPECT_NEAR(at.gx / kGeoUnitsPerCell, k, cellSlack) << lat << " " << k;
            EXPECT_NEAR(at.gy / kGeoUnitsPerCell, kRow, 1e-6) << lat << " " << k;
            const GridPosition back = GeoToGrid(params, place.latitude, place.longitude);
            EXPECT_NEAR(back.gx / kGeoUnitsPerCell, k, 1e-6) << lat << " " << k;
        }
    }
}

TEST_F(Resampling, KeepsEdgeSamplesAndTurnsSeaIntoZero)
{
    source[5][0] = -7;
    source[5][kSize - 1] = -9999;
    std::fill_n(source[6], kSize, int16_t(-3));
    const int32_t width = resample();
    EXPECT_EQ(resampled[5][0], -7);
    // A void on the edge reads as sea, as one inside the row does.
    EXPECT_EQ(resampled[5][width - 1], 0);
    EXPECT_EQ(resampled[5][1000], 1000);
    for (int k = 1; k < width - 1; ++k)
        ASSERT_EQ(resampled[6][k], 0) << k;
    EXPECT_EQ(resampled[6][0], -3);
}

TEST_F(Resampling, VoidMarkersDoNotThrowUpFalsePeaks)
{
    for (int c = 1000; c < 1010; ++c)
        source[9][c] = c % 2 ? -9999 : -32768;
    const int32_t width = resample();
    int16_t highest = 0;
    for (int k = 1; k < width - 1; ++k)
        highest = std::max(highest, resampled[9][k]);
    // Voids read as sea: the spline over a 1000 m to 0 m step overshoots by
    // well under 100 m (a -9999 tap would have thrown up about 740 m more).
    EXPECT_LT(highest, 1100);
    EXPECT_GE(highest, 1000);
}

TEST_F(Resampling, SaturatesInsteadOfWrapping)
{
    for (int c = 0; c < kSize; ++c)
        source[3][c] = c % 4 < 2 ? 32767 : 0;
    const int32_t width = resample();
    bool sawTop = false;
    for (int k = 1; k < width - 1; ++k) {
        ASSERT_GE(resampled[3][k], 0) << k;
        sawTop |= resampled[3][k] == 32767;
    }
    EXPECT_TRUE(sawTop);
}

TEST(Sharpening, TwiceCentreMinusMeanWithAFloorOfOneOnLand)
{
    static SampleGrid height;
    constexpr int kWidth = 10, kRows = 10;
    for (int r = 0; r < kRows; ++r)
        std::fill_n(height[r], kWidth, int16_t(100));
    height[4][4] = 1;  // a dip to 1 m among 100 m: stays land
    height[4][7] = 0;  // sea stays sea
    height[7][4] = 32767;  // a junk spike saturates
    height[2][7] = 90;  // 2 x 90 - (7 x 100 + 90)/8 ... hand-worked below
    height[1][5] = 555;
    height[4][9] = 777;

    int steps = 0;
    SharpenInPlace(height, kWidth, kRows, [&] { ++steps; });
    EXPECT_EQ(steps, 0);  // fewer rows than a step covers
    EXPECT_EQ(height[4][4], 1);
    EXPECT_EQ(height[4][7], 0);
    EXPECT_EQ(height[7][4], 32767);
    // 16 x 90 - 8 x 100 = 640, >> 3 = 80.
    EXPECT_EQ(height[2][7], 80);
    // Neighbour of the 1 m dip: 1600 - (7 x 100 + 1) = 899 >> 3 = 112.
    EXPECT_EQ(height[3][4], 112);
    // Rows 0, 1 and columns 0, 1, width - 2, width - 1 keep the resampled heights.
    EXPECT_EQ(height[1][5], 555);
    EXPECT_EQ(height[4][8], 100);
    EXPECT_EQ(height[4][9], 777);
}

TEST(ReadSamples, ReadsEveryLayoutToTheSameSamples)
{
    testtiles::TempDir dir;
    const testtiles::Samples& samples = landscape();
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> write;
    };
    const Case cases[] = {
        {"raw", [&](auto& p) { testtiles::writeRaw(p, samples); }},
        {"directory-first", [&](auto& p) { testtiles::writeDirectoryFirst(p, samples); }},
        {"lzw-tiles", [&](auto& p) { testtiles::writeTiff(p, samples, {.tiled = true, .lzw = true}); }},
        {"lzw-strips-big-endian", [&](auto& p) { testtiles::writeTiff(p, samples, {.lzw = true, .bigEndian = true}); }},
        {"plain-tiles-big-endian",
            [&](auto& p) { testtiles::writeTiff(p, samples, {.tiled = true, .bigEndian = true}); }},
    };
    for (const Case& c : cases) {
        const auto path = dir / (std::string(c.name) + "_N35E138_dem.tif");
        c.write(path);
        std::fill_n(scratchGrid()[0], kSize, int16_t(0));
        ASSERT_EQ(ReadSamples(path, scratchGrid()), TileError::None) << c.name;
        EXPECT_TRUE(gridEquals(scratchGrid(), samples)) << c.name;
    }
}

TEST(ReadSamples, RefusesWhatIsNotAWholeTile)
{
    testtiles::TempDir dir;
    const testtiles::Samples& samples = landscape();
    const auto shortRaw = dir / "short_N35E138_dem.tif";
    testtiles::writeRaw(shortRaw, samples, 8 + 25934402 - 1);
    EXPECT_EQ(ReadSamples(shortRaw, scratchGrid()), TileError::TooShort);

    const auto small = dir / "small_N35E138_dem.tif";
    testtiles::writeTiff(small, samples, {.width = 1201, .height = 1201});
    EXPECT_EQ(ReadSamples(small, scratchGrid()), TileError::WrongShape);

    const auto bytes = dir / "bytes_N35E138_dem.tif";
    testtiles::writeTiff(bytes, samples, {.bitsPerSample = 8});
    EXPECT_EQ(ReadSamples(bytes, scratchGrid()), TileError::WrongShape);

    // A TIFF cut short inside its compressed data.
    const auto cut = dir / "cut_N35E138_dem.tif";
    testtiles::writeTiff(cut, samples, {.tiled = true, .lzw = true});
    const auto fullSize = std::filesystem::file_size(cut);
    std::filesystem::resize_file(cut, fullSize / 2);
    EXPECT_NE(ReadSamples(cut, scratchGrid()), TileError::None);

    EXPECT_EQ(ReadSamples((dir / "missing_dem.tif").string(), scratchGrid()), TileError::CannotOpen);
    EXPECT_EQ(ReadSamples(dir / "", scratchGrid()), TileError::CannotOpen);  // a folder
}

// Overwrites the entry count of a little-endian file's first directory.
void SetDirectoryCount(const std::filesystem::path& path, bool bigTiff, uint64_t count)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::array<unsigned char, 16> header{};
    file.read(reinterpret_cast<char*>(header.data()), bigTiff ? 16 : 8);
    uint64_t directory = 0;
    for (int i = bigTiff ? 15 : 7; i >= (bigTiff ? 8 : 4); --i)
        directory = directory << 8 | header[std::size_t(i)];
    file.seekp(std::streamoff(directory));
    for (int i = 0; i < (bigTiff ? 8 : 2); ++i)
        file.put(char(count >> (8 * i)));
    ASSERT_TRUE(file.good()) << path;
}

TEST(ReadSamples, RefusesFilesItCannotReadSafelyOrFaithfully)
{
    testtiles::TempDir dir;
    // A FIFO with no writer, by name and through a link: a read would wait forever.
    const auto fifo = dir / "fifo_N35E138_dem.tif";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto link = dir / "link_N35E138_dem.tif";
    std::filesystem::create_symlink(fifo, link);
    for (const auto& path : {fifo, link}) {
        auto refusal = std::async(std::launch::async, [&] { return ReadSamples(path, scratchGrid()); });
        if (refusal.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "blocked on " << path;
            // A writer coming and going ends each blocked open or read.
            while (refusal.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
                if (const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); writer >= 0)
                    ::close(writer);
        }
        EXPECT_EQ(refusal.get(), TileError::NotARegularFile) << path;
    }
    const auto folder = dir / "folder_N35E138_dem.tif";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(ReadSamples(folder, scratchGrid()), TileError::CannotOpen);

    // TIFFs big enough to pass for whole tiles if read from byte 8 as raw
    // samples, which is what damaged ones used to be.
    const testtiles::Samples& samples = landscape();
    const auto tiled = dir / "tiled_N35E138_dem.tif";
    testtiles::writeTiff(tiled, samples, {.tiled = true});
    SetDirectoryCount(tiled, false, 0xFFFF);
    EXPECT_EQ(ReadSamples(tiled, scratchGrid()), TileError::DamagedTiff);

    const auto big = dir / "big_N35E138_dem.tif";
    testtiles::writeTiff(big, samples, {.bigTiff = true});
    ASSERT_EQ(ReadSamples(big, scratchGrid()), TileError::None);
    EXPECT_TRUE(gridEquals(scratchGrid(), samples));
    SetDirectoryCount(big, true, uint64_t(1) << 40);
    EXPECT_EQ(ReadSamples(big, scratchGrid()), TileError::DamagedTiff);

    // Half floats have the tile's shape but are no integers.
    const auto halfFloats = dir / "half_N35E138_dem.tif";
    testtiles::writeTiff(halfFloats, samples, {.lzw = true, .sampleFormat = 3});
    EXPECT_EQ(ReadSamples(halfFloats, scratchGrid()), TileError::UnsupportedSampleFormat);
}

// Loads of the sample tile and refusals after it.
class TileLoad : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        terrain = std::make_unique<Terrain>();
        RecordingListener listener;
        ASSERT_EQ(LoadTileInto(VANTOREL_SAMPLE_TILE, *terrain, params, view, listener), TileError::None);
        firstPositions = listener.positions;
    }
    static void TearDownTestSuite() { terrain.reset(); }

    // A fingerprint of everything a load may change.
    static uint64_t fingerprint()
    {
        uint64_t h = 1469598103934665603ull;
        auto mix = [&](const void* data, std::size_t bytes) {
            const auto* p = static_cast<const unsigned char*>(data);
            for (std::size_t i = 0; i < bytes; ++i)
                h = (h ^ p[i]) * 1099511628211ull;
        };
        for (const SampleGrid* grid : {&terrain->sourceGrid, &terrain->heightGrid})
            for (int r = 0; r < kSize; r += 7)
                mix((*grid)[r], kSize * 2);
        for (int r = 0; r < kSize; r += 7)
            mix(terrain->tileInfo.scanLines[r], kSize * 4);
        for (const TileInfo& level : terrain->reliefLevels) {
            mix(&level.width, sizeof level.width);
            mix(level.scanLines[level.height / 2], std::size_t(level.width) * 4);
        }
        for (int y = 0; y < terrain->mapBitmap.height(); ++y)
            mix(terrain->mapBitmap.scanLine(y), std::size_t(terrain->mapBitmap.width()) * 4);
        mix(&terrain->tileInfo.width, sizeof terrain->tileInfo.width);
        return h;
    }

    static void expectRefusedUnchanged(
        const std::string& path, TileError expected, bool windowShown, int stopAfterAsks = -1)
    {
        const uint64_t before = fingerprint();
        const RenderParams paramsBefore = params;
        const Viewpoint viewBefore = view;
        view.azimuth = 123;  // a view the user has moved to
        const Viewpoint moved = view;
        RecordingListener listener;
        listener.stopAfterAsks = stopAfterAsks;
        EXPECT_EQ(LoadTileInto(path, *terrain, params, view, listener), expected) << path;
        EXPECT_EQ(listener.starts, windowShown ? 1 : 0) << path;
        EXPECT_EQ(fingerprint(), before) << path;
        EXPECT_EQ(std::memcmp(&params, &paramsBefore, sizeof params), 0) << path;
        EXPECT_EQ(std::memcmp(&view, &moved, sizeof view), 0) << path;
        view = viewBefore;
    }

    static inline std::unique_ptr<Terrain> terrain;
    static inline RenderParams params;
    static inline Viewpoint view;
    static inline std::vector<int> firstPositions;
};

TEST_F(TileLoad, FillsParamsAndStartView)
{
    EXPECT_EQ(params.columns, 2931);
    EXPECT_EQ(params.rows, 3601);
    EXPECT_DOUBLE_EQ(params.metresPerCell, 1852.0 / 60.0);
    EXPECT_DOUBLE_EQ(params.centreLat, 35.5);
    EXPECT_DOUBLE_EQ(params.centreLon, 138.5);
    EXPECT_DOUBLE_EQ(params.northLat, 36);
    EXPECT_DOUBLE_EQ(params.westLon, 138);
    EXPECT_DOUBLE_EQ(view.latitude, 35.25);
    EXPECT_DOUBLE_EQ(view.longitude, 138.5);
    EXPECT_DOUBLE_EQ(view.minAltitude, 1000);
    EXPECT_DOUBLE_EQ(view.azimuth, 0);
    EXPECT_DOUBLE_EQ(view.pitch, -5);
    EXPECT_DOUBLE_EQ(view.viewAngle, 40);
    EXPECT_EQ(terrain->tileInfo.width, 2931);
    EXPECT_EQ(terrain->tileInfo.height, 3601);
    EXPECT_EQ(terrain->reliefLevels[0].width, 1466);
    EXPECT_EQ(terrain->reliefLevels[2].width, 367);
    EXPECT_EQ(terrain->reliefLevels[2].height, 451);
    EXPECT_EQ(terrain->mapBitmap.width(), 293);
    EXPECT_EQ(terrain->mapBitmap.height(), 360);
}

TEST_F(TileLoad, StepsTheProgressTwentyTimesInOrder)
{
    ASSERT_EQ(firstPositions.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(firstPositions[i], i + 1);
}

TEST_F(TileLoad, GridsAgreeWithTheFileAndEachOther)
{
    const int width = terrain->tileInfo.width;
    const SampleGrid& source = terrain->sourceGrid;
    const SampleGrid& height = terrain->heightGrid;
    bool sawSea = false, sawVoid = false, sawHigh = false;
    for (int r = 0; r < kSize; ++r) {
        ASSERT_EQ(height[r][0], source[r][0]);
        ASSERT_EQ(height[r][width - 1], source[r][kSize - 1]);
        for (int c = 0; c < kSize; ++c) {
            sawVoid |= source[r][c] <= -1000;
            sawSea |= source[r][c] == 0;
        }
        for (int k = 1; k < width - 1; ++k) {
            ASSERT_GE(height[r][k], 0) << r << "," << k;
            sawHigh |= height[r][k] > 2500;
        }
    }
    EXPECT_TRUE(sawSea && sawVoid && sawHigh);
}

TEST_F(TileLoad, RefusalsLeaveTheShownTileAsItWas)
{
    testtiles::TempDir dir;
    const testtiles::Samples& samples = landscape();

    expectRefusedUnchanged((dir / "notatile.tif").string(), TileError::NotATileName, false);
    expectRefusedUnchanged((dir / "missing_N35E138_dem.tif").string(), TileError::CannotOpen, true);

    const auto shortFile = dir / "short_N35E138_dem.tif";
    testtiles::writeRaw(shortFile, samples, 1000000);
    expectRefusedUnchanged(shortFile.string(), TileError::TooShort, true);

    // Cut short, compressed in tiles, and plain with the directory first,
    // which stays whole.
    const auto cut = dir / "cut_N35E138_dem.tif";
    testtiles::writeTiff(cut, samples, {.tiled = true, .lzw = true});
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) * 3 / 4);
    expectRefusedUnchanged(cut.string(), TileError::TooShort, true);
    testtiles::writeDirectoryFirst(cut, samples);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) * 3 / 4);
    expectRefusedUnchanged(cut.string(), TileError::TooShort, true);

    const auto wrongShape = dir / "shape_N35E138_dem.tif";
    testtiles::writeTiff(wrongShape, samples, {.width = 3600, .height = 3600});
    expectRefusedUnchanged(wrongShape.string(), TileError::WrongShape, true);

    // Esc part-way through the read, of either layout.
    const auto other = dir / "other_N36E137_dem.tif";
    testtiles::writeRaw(other, samples);
    expectRefusedUnchanged(other.string(), TileError::Cancelled, true, 1800);
    testtiles::writeTiff(other, samples, {.tiled = true});
    expectRefusedUnchanged(other.string(), TileError::Cancelled, true, 10);
    testtiles::writeTiff(other, samples, {});
    expectRefusedUnchanged(other.string(), TileError::Cancelled, true, 3);

    // Beyond the poles the rows would have no width; refused before the window shows.
    const auto whole = dir / "whole.bin";
    testtiles::writeRaw(whole, samples);
    for (const char* name : {"a_N90E010_dem.tif", "a_N95E010_dem.tif", "a_S91E010_dem.tif"}) {
        std::filesystem::copy_file(whole, dir / name);
        expectRefusedUnchanged((dir / name).string(), TileError::PolarLatitude, false);
    }
}

TEST_F(TileLoad, SouthernmostRowLoadsAndLaterLoadsResetTheView)
{
    testtiles::TempDir dir;
    const auto polar = dir / "a_S90E010_dem.tif";
    testtiles::writeRaw(polar, landscape());
    view.azimuth = 200;
    RecordingListener listener;
    ASSERT_EQ(LoadTileInto(polar.string(), *terrain, params, view, listener), TileError::None);
    EXPECT_DOUBLE_EQ(params.centreLat, -89.5);
    EXPECT_EQ(params.columns, int(3600 * std::cos(89.5 * M_PI / 180)) + 1);
    EXPECT_DOUBLE_EQ(view.azimuth, 0);
    EXPECT_DOUBLE_EQ(view.latitude, -89.75);

    // The sample tile again: everything is rebuilt as on the first load.
    ASSERT_EQ(LoadTileInto(VANTOREL_SAMPLE_TILE, *terrain, params, view, listener), TileError::None);
    EXPECT_EQ(params.columns, 2931);
    EXPECT_EQ(terrain->mapBitmap.width(), 293);
}

}  // namespace

namespace {

// Every height and relief pixel of a load.
std::vector<uint32_t> HeightsAndRelief(const Terrain& terrain)
{
    std::vector<uint32_t> all;
    for (int r = 0; r < terrain.tileInfo.height; ++r) {
        all.insert(all.end(), terrain.heightGrid[r], terrain.heightGrid[r] + terrain.tileInfo.width);
        all.insert(all.end(), terrain.tileInfo.scanLines[r], terrain.tileInfo.scanLines[r] + terrain.tileInfo.width);
    }
    return all;
}

}  // namespace

// A void on a tile's west or east edge is no 10 km trench: it loads as one
// inside the tile does, as sea level, and the relief beside it is shaded as
// beside the sea.
TEST(EdgeVoids, LoadAsInnerVoidsDo)
{
    testtiles::TempDir dir;
    auto edgeSample = [](int r, int c, int16_t voidMarker) {
        const bool onEdge = c == 0 || c == kSize - 1;
        if (onEdge && r >= 1000 && r < 1400)
            return voidMarker;
        return int16_t(1500 + (r * 3 + c * 5) % 700);
    };
    const auto voids = dir / "voids_N35E138_dem.tif";
    testtiles::writeRaw(voids, testtiles::makeSamples([&](int r, int c) {
        return edgeSample(r, c, r % 2 ? int16_t(-9999) : int16_t(-32768));
    }));
    const auto sea = dir / "sea_N35E138_dem.tif";
    testtiles::writeRaw(sea, testtiles::makeSamples([&](int r, int c) { return edgeSample(r, c, 0); }));

    auto terrain = std::make_unique<Terrain>();
    RenderParams params;
    Viewpoint view;
    LoadListener quiet;
    ASSERT_EQ(LoadTileInto(sea.string(), *terrain, params, view, quiet), TileError::None);
    const std::vector<uint32_t> asSea = HeightsAndRelief(*terrain);
    ASSERT_EQ(LoadTileInto(voids.string(), *terrain, params, view, quiet), TileError::None);
    EXPECT_EQ(terrain->sourceGrid[1000][0], kGridVoid);
    const int last = terrain->tileInfo.width - 1;
    for (int r = 990; r < 1410; ++r)
        for (const int c : {0, 1, 2, last - 2, last - 1, last})
            ASSERT_GE(terrain->heightGrid[r][c], 0) << r << "," << c;
    EXPECT_EQ(terrain->heightGrid[1200][0], 0);
    EXPECT_EQ(terrain->heightGrid[1201][last], 0);
    EXPECT_TRUE(HeightsAndRelief(*terrain) == asSea);
}

namespace {

// Stops the load at its `stopAt`-th question; records the progress at each.
struct StoppingListener : LoadListener {
    int stopAt = -1;
    int progress = 0;
    std::vector<int> progressAtAsk;
    void Progressed(int position) override { progress = position; }
    bool Cancelled() override
    {
        progressAtAsk.push_back(progress);
        return int(progressAtAsk.size()) == stopAt;
    }
};

}  // namespace

// A joined set's load asks whether to stop at every stage (the reads, the
// resampling of each band, the sharpening, the shading, each reduced level
// and the map), and a stop at any of them leaves the landscape on screen,
// its parameters, view and set as they were.
TEST(StoppedLoad, LeavesEverythingAsItWasAtEveryStage)
{
    testtiles::TempDir dir;
    for (const char* name : {"ASTGTMV003_N35E138_dem.tif", "ASTGTMV003_N35E139_dem.tif"})
        testtiles::writeRaw(dir / name, landscape());
    const std::string opened = (dir / "ASTGTMV003_N35E138_dem.tif").string();

    auto shown = std::make_unique<Terrain>();
    RenderParams params;
    Viewpoint view;
    TileSet set;
    LoadListener quiet;
    StoppingListener whole;
    ASSERT_EQ(LoadTileSetInto(opened, false, shown, params, view, set, whole), TileError::None);
    ASSERT_EQ(whole.progress, 18);
    // The first question at each progress count: one in each stage.
    std::vector<int> firstAsks;
    for (std::size_t ask = 0; ask < whole.progressAtAsk.size(); ++ask)
        if (ask == 0 || whole.progressAtAsk[ask] != whole.progressAtAsk[ask - 1])
            firstAsks.push_back(int(ask) + 1);
    EXPECT_GE(firstAsks.size(), 9u);  // two reads, a band, sharpening, shading, three levels, map

    ASSERT_EQ(LoadTileSetInto(VANTOREL_SAMPLE_TILE, true, shown, params, view, set, quiet), TileError::None);
    const Terrain* const shownBefore = shown.get();
    const std::vector<uint32_t> landscapeBefore = HeightsAndRelief(*shown);
    const RenderParams paramsBefore = params;
    const TileSet setBefore = set;
    for (const int stopAt : firstAsks) {
        StoppingListener stopping;
        stopping.stopAt = stopAt;
        view.azimuth = 77;
        EXPECT_EQ(LoadTileSetInto(opened, false, shown, params, view, set, stopping), TileError::Cancelled) << stopAt;
        EXPECT_EQ(int(stopping.progressAtAsk.size()), stopAt);  // not asked again: stopped at once
        ASSERT_EQ(shown.get(), shownBefore) << stopAt;
        EXPECT_TRUE(HeightsAndRelief(*shown) == landscapeBefore) << stopAt;
        EXPECT_EQ(std::memcmp(&params, &paramsBefore, sizeof params), 0) << stopAt;
        EXPECT_DOUBLE_EQ(view.azimuth, 77) << stopAt;
        EXPECT_EQ(set.files, setBefore.files) << stopAt;
    }
}
