// The products besides ASTER's, in their own layouts as GDAL writes them:
// positions from names and georeferencing, sample placement and voids.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <cpl_string.h>
#include <gdal.h>
#include <ogr_srs_api.h>
#include <sys/resource.h>
#include <unistd.h>

#include "core/geometry.h"
#include "elevation/asterreader.h"
#include "elevation/eastwestresampling.h"
#include "elevation/landscapeload.h"
#include "elevation/productreader.h"
#include "elevation/terrainarena.h"
#include "elevation/tilefolder.h"
#include "elevation/tilename.h"
#include "elevation/tileset.h"
#include "elevation/voidrule.h"
#include "elevation/ziplisting.h"
#include "render/offscreenframe.h"
#include "render/renderer.h"
#include "tests/support/tileload.h"
#include "tilefiles.h"

namespace {

constexpr double kSecond = 1.0 / 3600;

struct Raster {
    int width, height;
    GDALDataType type;
    double west, north;  // the outer edges, in degrees
    double stepX, stepY;  // the spacing of columns and rows, in degrees
    std::function<double(int row, int column)> sample;
    bool hasNoData = false;
    double noData = 0;
    bool pixelIsPoint = false;
};

// Writes `raster` with GDAL's own driver for the product's format, through an
// in-memory copy as the SRTM driver only copies.
void Write(const std::string& path, const char* driver, const Raster& raster, const char* const* options = nullptr)
{
    GDALAllRegister();
    GDALDatasetH memory =
        GDALCreate(GDALGetDriverByName("MEM"), "", raster.width, raster.height, 1, raster.type, nullptr);
    ASSERT_NE(memory, nullptr);
    double transform[6] = {raster.west, raster.stepX, 0, raster.north, 0, -raster.stepY};
    GDALSetGeoTransform(memory, transform);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 4326);
    GDALSetSpatialRef(memory, srs);
    OSRDestroySpatialReference(srs);
    if (raster.pixelIsPoint)
        GDALSetMetadataItem(memory, GDALMD_AREA_OR_POINT, GDALMD_AOP_POINT, nullptr);
    GDALRasterBandH band = GDALGetRasterBand(memory, 1);
    if (raster.hasNoData)
        GDALSetRasterNoDataValue(band, raster.noData);
    std::vector<double> row(std::size_t(raster.width));
    for (int r = 0; r < raster.height; ++r) {
        for (int c = 0; c < raster.width; ++c)
            row[std::size_t(c)] = raster.sample(r, c);
        ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, r, raster.width, 1, row.data(), raster.width, 1, GDT_Float64, 0, 0),
            CE_None);
    }
    GDALDatasetH copy = GDALCreateCopy(
        GDALGetDriverByName(driver), path.c_str(), memory, FALSE, const_cast<char**>(options), nullptr, nullptr);
    ASSERT_NE(copy, nullptr) << path;
    GDALClose(copy);
    GDALClose(memory);
}

struct Loaded {
    TileError error;
    RenderParams params;
};

// The whole load, as the viewer does it; the source grid holds the samples.
Loaded Load(const std::string& path, Terrain& terrain)
{
    Loaded loaded{};
    Viewpoint view;
    LoadListener listener;
    loaded.error = LoadTileInto(path, terrain, loaded.params, view, listener);
    return loaded;
}

Terrain& SharedTerrain()
{
    static const std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>();
    return *terrain;
}

TEST(TileName, FindsTheGroupAnywhereAndRefusesCellsOffTheGlobe)
{
    struct Case {
        const char* path;
        bool found;
        long lat, lon;
    };
    const Case cases[] = {
        {"/t/ASTGTMV003_N35E138_dem.tif", true, 35, 138},
        {"/t/N60E138_dem.tif", true, 60, 138},  // the group first
        {"/t/n35e138.hgt", true, 35, 138},
        {"/t/N35E138.SRTMGL1.hgt.zip", true, 35, 138},
        {"/t/NASADEM_HGT_s05w072.zip", true, -5, -72},
        {"/t/Copernicus_DSM_COG_10_S12_00_W077_00_DEM.tif", true, -12, -77},
        {"/t/ALPSMLC30_N035E138_DSM.tif", true, 35, 138},
        {"/N35E138/dem.tif", false, 0, 0},  // in the folder's name only
        {"/t/DSN35E138.tif", false, 0, 0},  // inside a word
        {"/t/N1234E138.tif", false, 0, 0},
        {"/t/a_N35", false, 0, 0},
    };
    for (const Case& c : cases) {
        const NamedCell named = CellFromName(c.path);
        EXPECT_EQ(named.found, c.found) << c.path;
        EXPECT_EQ(named.cell.lat, c.lat) << c.path;
        EXPECT_EQ(named.cell.lon, c.lon) << c.path;
    }

    testtiles::TempDir dir;
    const auto whole = dir / "whole.bin";
    testtiles::writeRaw(whole, testtiles::makeSamples([](int, int) { return int16_t(100); }));
    struct Refusal {
        const char* name;
        TileError error;
    };
    for (const Refusal& refusal : {Refusal{"N90E138_dem.tif", TileError::PolarLatitude},
             Refusal{"x_N10E181_dem.tif", TileError::LongitudeOutOfRange},
             Refusal{"x_N10E180_dem.tif", TileError::LongitudeOutOfRange},
             Refusal{"x_N10W181_dem.tif", TileError::LongitudeOutOfRange},
             Refusal{"N10E010.hgt", TileError::WrongSize}}) {  // 8 bytes too long
        std::filesystem::copy_file(whole, dir / refusal.name);
        EXPECT_EQ(Load((dir / refusal.name).string(), SharedTerrain()).error, refusal.error) << refusal.name;
    }
    std::filesystem::copy_file(whole, dir / "x_N10W180_dem.tif");
    EXPECT_EQ(Load((dir / "x_N10W180_dem.tif").string(), SharedTerrain()).params.centreLon, -179.5);

    // A folder opens the tile in the middle of those named in it.
    const auto folder = dir / "folder";
    std::filesystem::create_directory(folder);
    for (const char* name : {"N35E138.hgt", "N36E139.hgt", "N37E140.hgt", "notes.txt"})
        std::ofstream(folder / name) << "x";
    EXPECT_EQ(TileToOpen(folder.string()), (folder / "N36E139.hgt").string());
}

// 3" SRTM zipped as NASADEM ships it: each sample lands on every third grid
// point, the points between are interpolated, voids stay voids.
TEST(Products, ZippedThreeSecondHgt)
{
    testtiles::TempDir dir;
    const std::string zip = (dir / "NASADEM_HGT_n35e138.zip").string();
    const Raster raster{1201, 1201, GDT_Int16, 138 - 1.5 * kSecond, 36 + 1.5 * kSecond, 3 * kSecond, 3 * kSecond,
        [](int r, int c) { return r == 600 && c == 600 ? -32768.0 : 5.0 * r + 3.0 * c; }};
    Write("/vsizip/" + zip + "/n35e138.hgt", "SRTMHGT", raster);

    Terrain& terrain = SharedTerrain();
    const Loaded loaded = Load(zip, terrain);
    ASSERT_EQ(loaded.error, TileError::None);
    EXPECT_DOUBLE_EQ(loaded.params.centreLat, 35.5);
    EXPECT_DOUBLE_EQ(loaded.params.centreLon, 138.5);
    const SampleGrid& grid = terrain.sourceGrid;
    EXPECT_EQ(grid[0][0], 0);
    EXPECT_EQ(grid[3][6], 5 + 6);  // sample (1, 2)
    EXPECT_EQ(grid[3600][2400], 6000 + 2400);
    EXPECT_EQ(grid[4][7], 7 + 7);  // a third of the way in both directions, rounded
    EXPECT_EQ(grid[1800][1800], -9999);
    EXPECT_EQ(grid[1801][1800], -9999);  // mostly the void's
    EXPECT_EQ(grid[1802][1800], 3005 + 1800);  // mostly the valid sample south of it

    std::filesystem::copy_file(zip, dir / "N35E138.zip");
    const std::string empty = "/vsizip/" + (dir / "empty_N35E138.zip").string() + "/readme.txt";
    VSILFILE* text = VSIFOpenL(empty.c_str(), "wb");
    ASSERT_NE(text, nullptr);
    VSIFWriteL("x", 1, 1, text);
    VSIFCloseL(text);
    EXPECT_EQ(Load((dir / "empty_N35E138.zip").string(), terrain).error, TileError::NoElevationInZip);
}

// A 3" .hgt of rising heights, as an SRTM zip holds it.
std::string ThreeSecondHgtBytes()
{
    std::string bytes;
    for (int r = 0; r < 1201; ++r)
        for (int c = 0; c < 1201; ++c) {
            const int height = 5 * r + c;
            bytes.push_back(char(height >> 8));
            bytes.push_back(char(height & 0xFF));
        }
    return bytes;
}

// A zip's directory is read once, entry by entry: an archive of many small
// files still opens if its .hgt comes within the first ten thousand
// entries, is refused past them without being listed, and the listing stops
// when the load is stopped.
TEST(Products, ZipsOfManyEntries)
{
    testtiles::TempDir dir;
    std::vector<testtiles::ZipEntry> entries;
    for (int i = 0; i < int(kMaxZipEntries) - 1; ++i)
        entries.push_back({"docs/page" + std::to_string(i) + ".txt", "x"});
    entries.push_back({"data/N35E138.hgt", ThreeSecondHgtBytes()});
    const auto many = dir / "many_N35E138.zip";
    testtiles::writeStoredZip(many, entries);

    Terrain& terrain = SharedTerrain();
    const Loaded loaded = Load(many.string(), terrain);
    ASSERT_EQ(loaded.error, TileError::None);
    EXPECT_EQ(terrain.sourceGrid[3][6], 5 + 2);  // sample (1, 2)
    EXPECT_EQ(terrain.sourceGrid[3600][3600], 6000 + 1200);
    EXPECT_EQ(ProductFile(many.string()).InnerName(), "N35E138.hgt");

    entries.insert(entries.begin(), {"docs/one-too-many.txt", "x"});
    const auto tooMany = dir / "toomany_N35E138.zip";
    testtiles::writeStoredZip(tooMany, entries);
    EXPECT_EQ(Load(tooMany.string(), terrain).error, TileError::TooManyZipEntries);
    EXPECT_FALSE(TileErrorMessage(TileError::TooManyZipEntries).empty());

    // Stopped at the listing's first question, and after a few hundred entries.
    for (const int stopAt : {1, 3}) {
        int asks = 0;
        const ProductFile stopped(many.string(), [&] { return ++asks >= stopAt; });
        EXPECT_EQ(stopped.Error(), TileError::Cancelled) << stopAt;
        EXPECT_EQ(asks, stopAt);
    }
    struct Stopping : LoadListener {
        bool Cancelled() override { return true; }
    } stopping;
    std::unique_ptr<Terrain> none;
    RenderParams params;
    Viewpoint view;
    TileSet set;
    EXPECT_EQ(LoadTileSetInto(many.string(), false, none, params, view, set, stopping), TileError::Cancelled);
    EXPECT_EQ(none, nullptr);
}

// One rule for voids whichever reader reads the file: ASTER's fast reader
// (a plain GeoTIFF of 3601 x 3601 integers, placed by libtiff) and GDAL's
// (floats, or samples off the grid) turn the file's no-data value, values
// no land reaches, wrapped 16-bit values and what is no number into voids
// at the same places, and the load counts them. A file of voids only is
// refused.
TEST(Products, OneVoidRuleOnEveryReadPath)
{
    testtiles::TempDir dir;
    // Row 1000: the no-data value, past the highest and lowest heights, a
    // value that wraps when read as signed 16 bits, infinities and a float's
    // overflow where the type has them.
    const std::vector<double> junk = {32767, 9001, -1000, 40000, HUGE_VAL, -HUGE_VAL, 3e38};
    auto surface = [&](GDALDataType type) {
        return [&, type](int r, int c) {
            const std::size_t k = std::size_t(c / 100);
            if (r != 1000 || c % 100 != 0 || k >= junk.size())
                return 500.0 + (r + c) % 300;
            const bool floats = type == GDT_Float32;
            const double value = junk[k];
            if (!floats && (std::isinf(value) || value > 40000))
                return 500.0;  // not in the type: an ordinary height
            if (type == GDT_Int16 && value == 40000)
                return 500.0;
            if (type == GDT_UInt16 && value < 0)
                return 500.0;
            return value;
        };
    };
    struct Case {
        const char* name;
        GDALDataType type;
        int side;
        int voids;  // junk values the type can hold
    };
    const Case cases[] = {
        {"fast-int16", GDT_Int16, kTileSamples, 3},  // 32767, 9001, -1000
        {"fast-uint16", GDT_UInt16, kTileSamples, 3},  // 32767, 9001, 40000
        {"gdal-uint16", GDT_UInt16, 3600, 3},
        {"gdal-float", GDT_Float32, kTileSamples, 7},
    };
    for (const Case& c : cases) {
        const std::string path = (dir / (std::string(c.name) + "_N35E138_dem.tif")).string();
        // 3601 samples centred on the cell's edges, or 3600 half a second inside them.
        const double edge = c.side == kTileSamples ? kSecond / 2 : 0;
        Raster raster{c.side, c.side, c.type, 138 - edge, 36 + edge, kSecond, kSecond, surface(c.type)};
        raster.hasNoData = true;
        raster.noData = 32767;
        Write(path, "GTiff", raster);
        EXPECT_EQ(ReadTiffNoData(CheckedFile(path)), std::optional(32767.0)) << c.name;  // as the fast reader sees it
        Terrain& terrain = SharedTerrain();
        Viewpoint view;
        LoadListener listener;
        RenderParams params;
        ASSERT_EQ(LoadTileInto(path, terrain, params, view, listener), TileError::None) << c.name;
        EXPECT_EQ(listener.report.voidSamples, uint64_t(c.voids)) << c.name;
        if (c.side == kTileSamples) {
            for (std::size_t k = 0; k < junk.size(); ++k) {
                const int16_t sample = terrain.sourceGrid[1000][int(k) * 100];
                EXPECT_TRUE(sample == kGridVoid || sample == 500) << c.name << " " << junk[k];
            }
            EXPECT_EQ(terrain.sourceGrid[1000][0], kGridVoid) << c.name;  // the no-data value
            EXPECT_EQ(terrain.sourceGrid[1000][100], kGridVoid) << c.name;  // above the highest height
        }
        for (int r = 0; r < kTileSamples; r += 97)
            for (int k = 0; k < terrain.tileInfo.width; k += 89)
                ASSERT_LE(terrain.heightGrid[r][k], 1000) << c.name << " " << r << "," << k;
    }

    const std::string infinite = (dir / "infinite_N35E138_dem.tif").string();
    Write(infinite, "GTiff",
        {kTileSamples, kTileSamples, GDT_Float32, 138 - kSecond / 2, 36 + kSecond / 2, kSecond, kSecond,
            [](int, int) { return HUGE_VAL; }});
    EXPECT_EQ(Load(infinite, SharedTerrain()).error, TileError::NoValidHeights);
    EXPECT_FALSE(TileErrorMessage(TileError::NoValidHeights).empty());
}

// What a load puts in place of what it cannot use is told, not silent: a
// neighbour refused when opened or when read stays sea level with a note
// naming its cell, file and why; without the memory for a joined set the
// tile opens alone, with a note. A folder opens its nearest tile that is
// readable; an encrypted zip says so.
TEST(Products, SubstitutionsAreToldAndFoldersOpenAReadableTile)
{
    testtiles::TempDir dir;
    const testtiles::Samples land = testtiles::makeSamples([](int r, int c) { return int16_t(100 + (r + c) % 50); });
    testtiles::writeRaw(dir / "ASTGTMV003_N35E138_dem.tif", land);
    testtiles::writeRaw(dir / "ASTGTMV003_N35E139_dem.tif", land, 1000000);  // cut short: refused when read
    testtiles::writeRaw(dir / "ASTGTMV003_N35E137_dem.tif", land);
    std::ofstream(dir / "N36E138.hgt") << "not a tile";  // refused when opened
    const std::string opened = (dir / "ASTGTMV003_N35E138_dem.tif").string();

    std::unique_ptr<Terrain> terrain;
    RenderParams params;
    Viewpoint view;
    TileSet set;
    LoadListener listener;
    ASSERT_EQ(LoadTileSetInto(opened, false, terrain, params, view, set, listener), TileError::None);
    ASSERT_TRUE(set.joined());
    const std::vector<LoadNote>& notes = listener.report.notes;
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].kind, LoadNoteKind::NeighbourAtSeaLevel);
    EXPECT_EQ(notes[0].cell, 1);  // north
    EXPECT_EQ(notes[0].file, (dir / "N36E138.hgt").string());
    EXPECT_EQ(notes[0].why, TileError::WrongSize);
    EXPECT_EQ(notes[1].kind, LoadNoteKind::NeighbourAtSeaLevel);
    EXPECT_EQ(notes[1].cell, 5);  // east
    EXPECT_EQ(notes[1].file, (dir / "ASTGTMV003_N35E139_dem.tif").string());
    EXPECT_EQ(notes[1].why, TileError::TooShort);
    EXPECT_NE(LoadNoteMessage(LoadNoteKind::NeighbourAtSeaLevel).find("%1"), std::string_view::npos);
    EXPECT_NE(LoadNoteMessage(LoadNoteKind::NeighbourAtSeaLevel).find("%2"), std::string_view::npos);

    // Read again, the notes are this load's alone.
    ASSERT_EQ(LoadTileSetInto(opened, true, terrain, params, view, set, listener), TileError::None);
    EXPECT_TRUE(listener.report.notes.empty());

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Too little address space for the joined set's buffers; the tile's own,
    // held from the load above, are filled in place.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &before), 0);
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    statm >> pages;
    rlimit tight = before;
    tight.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(64) << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    const TileError error = LoadTileSetInto(opened, false, terrain, params, view, set, listener);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &before), 0);
    EXPECT_EQ(error, TileError::None);
    EXPECT_FALSE(set.joined());
    ASSERT_EQ(listener.report.notes.size(), 1u);
    EXPECT_EQ(listener.report.notes[0].kind, LoadNoteKind::OpenedAlone);
    EXPECT_EQ(listener.report.notes[0].file, opened);
#endif

    // The tile nearest the folder's middle is broken; the next one is read.
    const auto folder = dir / "folder";
    std::filesystem::create_directory(folder);
    for (const char* name : {"N35E138.hgt", "N36E139.hgt", "N37E140.hgt"})
        std::ofstream(folder / name) << "x";
    std::filesystem::resize_file(folder / "N37E140.hgt", 1201 * 1201 * 2);
    EXPECT_EQ(TileToOpen(folder.string()), (folder / "N37E140.hgt").string());

    const auto encrypted = dir / "N35E138.SRTMGL3.hgt.zip";
    testtiles::writeStoredZip(encrypted, {{"N35E138.hgt", ThreeSecondHgtBytes(), true}});
    EXPECT_EQ(Load(encrypted.string(), SharedTerrain()).error, TileError::EncryptedZip);
    EXPECT_FALSE(TileErrorMessage(TileError::EncryptedZip).empty());
}

// Copernicus GLO-30 between 50 and 60 degrees: 2400 float samples a row,
// 1.5" apart, the first on the corner; the south row and east column are
// not in the file and repeat the last ones.
TEST(Products, CopernicusFloatsAtHighLatitude)
{
    testtiles::TempDir dir;
    const std::string path = (dir / "Copernicus_DSM_COG_10_N55_00_E012_00_DEM.tif").string();
    const Raster raster{2400, 3600, GDT_Float32, 12 - 0.75 * kSecond, 56 + 0.5 * kSecond, 1.5 * kSecond, kSecond,
        [](int r, int c) {
            if (r == 10 && c == 10)
                return std::nan("");
            if (r == 20 && c == 20)
                return -32767.0;  // the file's no-data value
            return 0.25 * r + 2.0 * c + 0.4;
        },
        true, -32767};
    const char* const options[] = {"TILED=YES", "COMPRESS=DEFLATE", "PREDICTOR=3", nullptr};
    Write(path, "GTiff", raster, options);

    Terrain& terrain = SharedTerrain();
    const Loaded loaded = Load(path, terrain);
    ASSERT_EQ(loaded.error, TileError::None);
    EXPECT_DOUBLE_EQ(loaded.params.centreLat, 55.5);
    EXPECT_DOUBLE_EQ(loaded.params.centreLon, 12.5);
    const SampleGrid& grid = terrain.sourceGrid;
    EXPECT_EQ(grid[0][0], 0);  // 0.4 rounds down
    EXPECT_EQ(grid[4][3], 1 + 4);  // sample (4, 2): 1 + 4 + 0.4
    EXPECT_EQ(grid[4][4], 7);  // 2/3 of the way from sample 2 to 3: 1 + 5.33 + 0.4
    EXPECT_EQ(grid[3600][3], grid[3599][3]);  // the missing south row
    EXPECT_EQ(grid[100][3600], grid[100][3599]);  // the missing east column
    EXPECT_EQ(grid[3599][3598], 5697);  // 899.75 + 2 x 2398.67 + 0.4
    EXPECT_EQ(grid[10][15], -9999);  // the NaN
    EXPECT_EQ(grid[20][30], -9999);  // the no-data value
}

// ASTER tiles with their georeferencing are placed by libtiff alone, sample
// centres on the cell's edges given as pixel areas or as points: the
// geotransform must be GDAL's to the last bit, and the tile land in its cell
// whatever its name says.
TEST(Products, PlainGeoTiffsArePlacedExactlyAsGdalPlacesThem)
{
    testtiles::TempDir dir;
    for (const bool pixelIsPoint : {false, true}) {
        const std::string path = (dir / (pixelIsPoint ? "N10E010_dem.tif" : "N11E011_dem.tif")).string();
        Raster raster{kTileSamples, kTileSamples, GDT_Int16, 138 - kSecond / 2, 36 + kSecond / 2, kSecond, kSecond,
            [](int r, int c) { return r + 2 * c; }};
        raster.pixelIsPoint = pixelIsPoint;
        Write(path, "GTiff", raster);

        const CheckedFile file(path);
        ASSERT_EQ(file.Error(), TileError::None);
        const TiffGeoreferencing georeferencing = ReadTiffGeoreferencing(file);
        ASSERT_EQ(georeferencing.kind, TiffGeoreferencing::Kind::PlainGeographic) << path;
        GDALDatasetH dataset = GDALOpen(path.c_str(), GA_ReadOnly);
        ASSERT_NE(dataset, nullptr);
        std::array<double, 6> transform{};
        ASSERT_EQ(GDALGetGeoTransform(dataset, transform.data()), CE_None);
        GDALClose(dataset);
        for (std::size_t i = 0; i < transform.size(); ++i)
            EXPECT_EQ(std::bit_cast<uint64_t>(georeferencing.transform[i]), std::bit_cast<uint64_t>(transform[i]))
                << path << " term " << i;

        const Loaded loaded = Load(path, SharedTerrain());
        ASSERT_EQ(loaded.error, TileError::None);
        EXPECT_DOUBLE_EQ(loaded.params.centreLat, 35.5);
        EXPECT_DOUBLE_EQ(loaded.params.centreLon, 138.5);
        EXPECT_EQ(SharedTerrain().sourceGrid[3600][2000], 3600 + 2 * 2000);
    }
}

// An ALOS tile renamed to another cell: the georeferencing places it. Its
// sample centres lie half an arc-second inside the cell, so every grid
// point inside is the mean of four samples.
TEST(Products, GeoreferencingOutweighsTheName)
{
    testtiles::TempDir dir;
    const std::string path = (dir / "ALPSMLC30_N035E138_DSM.tif").string();
    const Raster raster{3600, 3600, GDT_Int16, -71, -4, kSecond, kSecond,
        [](int r, int c) { return r == 7 && c == 7 ? -9999 : (2 * r + 4 * c) % 9000; }};
    const char* const options[] = {"COMPRESS=LZW", nullptr};
    Write(path, "GTiff", raster, options);

    Terrain& terrain = SharedTerrain();
    const Loaded loaded = Load(path, terrain);
    ASSERT_EQ(loaded.error, TileError::None);
    EXPECT_DOUBLE_EQ(loaded.params.centreLat, -4.5);
    EXPECT_DOUBLE_EQ(loaded.params.centreLon, -70.5);
    const SampleGrid& grid = terrain.sourceGrid;
    EXPECT_EQ(grid[0][0], 0);  // the corner takes the corner sample
    EXPECT_EQ(grid[100][200], 2 * 99.5 + 4 * 199.5);
    EXPECT_EQ(grid[3600][3600], (2 * 3599 + 4 * 3599) % 9000);
    EXPECT_EQ(grid[8][8], 2 * 7.5 + 4 * 7.5 + 1);  // three valid taps around the void: (22+26+24)/3

    // A GeoTIFF of two cells is no tile.
    const std::string wide = (dir / "wide_N10E010.tif").string();
    Write(wide, "GTiff", Raster{7200, 100, GDT_Int16, 10, 11, kSecond, kSecond, [](int, int) { return 1.0; }});
    EXPECT_EQ(Load(wide, terrain).error, TileError::WrongSize);
}

}  // namespace

// A landscape of 3 x 3 tiles whose heights are one smooth surface, steep
// enough that a seam (a sea-level edge, a repeated row or column, an edge
// left unsharpened, a tile shifted by a sample) shows as a kink.
double JoinedSurface(double latitude, double longitude)
{
    constexpr double kWave = 2 * 3.14159265358979 * 3;  // three waves a degree, up to 10 m a cell
    return 4000 + 2000 * std::sin(kWave * latitude) + 2000 * std::sin(kWave * longitude);
}

// The set around N35E138: ASTER tiles but for the opened one, a Copernicus
// tile whose south row and east column must come from its neighbours.
void WriteJoinedSet(const testtiles::TempDir& dir)
{
    for (int lat = 34; lat <= 36; ++lat)
        for (int lon = 137; lon <= 139; ++lon) {
            if (lat == 35 && lon == 138)
                continue;
            const std::string name = "ASTGTMV003_N" + std::to_string(lat) + "E" + std::to_string(lon) + "_dem.tif";
            testtiles::writeRaw(dir / name, testtiles::makeSamples([&](int r, int c) {
                return int16_t(std::lround(JoinedSurface(lat + 1 - r * kSecond, lon + c * kSecond)));
            }));
        }
    const Raster copernicus{3600, 3600, GDT_Float32, 138 - 0.5 * kSecond, 36 + 0.5 * kSecond, kSecond, kSecond,
        [](int r, int c) { return JoinedSurface(36 - r * kSecond, 138 + c * kSecond); }};
    Write((dir / "Copernicus_DSM_COG_10_N35_00_E138_00_DEM.tif").string(), "GTiff", copernicus);
}

struct LoadedSet {
    TileError error;
    std::unique_ptr<Terrain> terrain;
    RenderParams params;
    TileSet set;
};

LoadedSet LoadSet(const std::string& path)
{
    LoadedSet loaded{};
    Viewpoint view;
    LoadListener listener;
    loaded.error = LoadTileSetInto(path, false, loaded.terrain, loaded.params, view, loaded.set, listener);
    return loaded;
}

// The largest second difference across a line of the grid, and within the
// tiles beside it.
int SecondDifference(const SampleGrid& grid, int row, int column, bool acrossRows)
{
    const int a = acrossRows ? grid[row - 1][column] : grid[row][column - 1];
    const int b = acrossRows ? grid[row + 1][column] : grid[row][column + 1];
    return std::abs(a - 2 * grid[row][column] + b);
}

TEST(TileSet, JoinsNeighboursIntoOneSeamlessGridAndLeavesMissingCellsAtSeaLevel)
{
    testtiles::TempDir dir;
    WriteJoinedSet(dir);
    const std::string opened = (dir / "Copernicus_DSM_COG_10_N35_00_E138_00_DEM.tif").string();

    LoadedSet all = LoadSet(opened);
    ASSERT_EQ(all.error, TileError::None);
    const int n = ResampledLastColumn(35.5);
    const TileInfo& grid = all.terrain->tileInfo;
    ASSERT_EQ(grid.width, 3 * n + 1);
    ASSERT_EQ(grid.height, 3 * 3600 + 1);
    const SampleGrid& heights = all.terrain->heightGrid;
    int interior = 0;
    for (int c = 100; c < 3 * n - 100; c += 37)
        for (int r : {1800, 5400, 9000})
            interior = std::max(interior, SecondDifference(heights, r, c, true));
    for (int r = 100; r < 3 * 3600 - 100; r += 37)
        for (int c : {n / 2, 3 * n / 2, 5 * n / 2})
            interior = std::max(interior, SecondDifference(heights, r, c, false));
    ASSERT_LT(interior, 8);
    for (int c = 100; c < 3 * n - 100; c += 37)
        for (int r : {3599, 3600, 3601, 7199, 7200, 7201})
            EXPECT_LE(SecondDifference(heights, r, c, true), interior) << r << "," << c;
    for (int r = 100; r < 3 * 3600 - 100; r += 37)
        for (int c : {n - 1, n, n + 1, 2 * n - 1, 2 * n, 2 * n + 1})
            EXPECT_LE(SecondDifference(heights, r, c, false), interior) << r << "," << c;

    // Every place lies where the renderer looks for it, within a cell.
    for (const auto& [lat, lon] : {std::pair{35.5, 138.5}, {34.2, 137.3}, {36.9, 139.8}, {35.01, 138.99}}) {
        const GridPosition at = GeoToGrid(all.params, lat, lon);
        const int16_t height = heights[int(at.gy / kGeoUnitsPerCell)][int(at.gx / kGeoUnitsPerCell)];
        EXPECT_NEAR(height, JoinedSurface(lat, lon), 15) << lat << "," << lon;
    }

    // Views from the set's far corners, out of it and across it, on the
    // larger grid (the sanitizer run watches the renderer's reads): straight
    // down, each shows ground only.
    Bitmap32 frame(160, 100);
    Bitmap32 screen(160, 100);
    const Renderer screenRenderer(screen);
    for (const auto& [lat, lon] : {std::pair{36.98, 137.02}, {34.02, 139.98}, {36.98, 139.98}, {34.02, 137.02}})
        for (const double azimuth : {45.0, 225.0})
            for (const double pitch : {-5.0, -40.0, -90.0}) {
                Viewpoint corner;
                corner.latitude = lat;
                corner.longitude = lon;
                corner.minAltitude = 9000;
                corner.azimuth = corner.renderAzimuth = azimuth;
                corner.pitch = pitch;
                corner.viewAngle = 60;
                EXPECT_GE(RenderOffscreen(screenRenderer, frame, 2, *all.terrain, all.params, corner), 9000);
                if (pitch == -90.0) {  // the sky is full blue; no ground colour is
                    EXPECT_NE(frame.scanLine(0)[80] & 0xFF, 0xFFu) << lat << "," << lon;
                }
            }

    // Without the west column and the south-east corner: the rectangle
    // shrinks to two columns, and the corner inside it is sea level.
    for (int lat = 34; lat <= 36; ++lat)
        std::filesystem::remove(dir / ("ASTGTMV003_N" + std::to_string(lat) + "E137_dem.tif"));
    std::filesystem::remove(dir / "ASTGTMV003_N34E139_dem.tif");
    LoadedSet part = LoadSet(opened);
    ASSERT_EQ(part.error, TileError::None);
    ASSERT_EQ(part.terrain->tileInfo.width, 2 * n + 1);
    ASSERT_EQ(part.terrain->tileInfo.height, 3 * 3600 + 1);
    EXPECT_EQ(part.set.CellAt(34.5, 139.5), 8);
    EXPECT_TRUE(part.set.files[8].empty());
    for (int r : {7300, 9000, 10700})
        for (int c : {n + 100, 3 * n / 2, 2 * n - 100})
            EXPECT_EQ(part.terrain->heightGrid[r][c], 0) << r << "," << c;
    EXPECT_GT(part.terrain->heightGrid[9000][n / 2], 0);

    // Alone, the tile loads exactly as it always has.
    LoadedSet single{};
    Viewpoint view;
    LoadListener listener;
    ASSERT_EQ(
        LoadTileSetInto(opened, true, single.terrain, single.params, view, single.set, listener), TileError::None);
    EXPECT_TRUE(single.terrain->holdsOneTile());
    EXPECT_EQ(single.terrain->tileInfo.width, n + 1);
    EXPECT_EQ(single.params.tileColumns, 0);
}

namespace {

bool SameRows(const Bitmap32& a, const Bitmap32& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.scanLine(y), a.scanLine(y) + a.width(), b.scanLine(y)))
            return false;
    return true;
}

}  // namespace

// Buffers kept from one set and given to the next load of the same shape
// hold nothing of the first: the second set, where the opened tile is flat
// and its neighbour unreadable (sea level), loads as into new buffers.
TEST(TileSet, BuffersKeptFromAnotherSetLoadLikeNewOnes)
{
    const testtiles::TempDir dir;
    const auto write = [&dir](const char* name, double longitude) {
        testtiles::writeRaw(dir / name, testtiles::makeSamples([&](int r, int c) {
            return int16_t(std::lround(JoinedSurface(36 - r * kSecond, longitude + c * kSecond)));
        }));
    };
    write("N35E138_dem.tif", 138);
    write("N35E139_dem.tif", 139);
    const auto load = [&dir](TerrainArena* arena) {
        LoadedSet loaded{};
        Viewpoint view;
        LoadListener listener;
        loaded.error = LoadTileSetInto((dir / "N35E138_dem.tif").string(), false, loaded.terrain, loaded.params, view,
            loaded.set, listener, arena);
        return loaded;
    };
    TerrainArena arena;
    LoadedSet before = load(&arena);
    ASSERT_EQ(before.error, TileError::None);
    ASSERT_TRUE(before.set.joined());
    const Terrain* kept = before.terrain.get();
    arena.GiveBack(std::move(before.terrain));
    testtiles::writeRaw(dir / "N35E138_dem.tif", testtiles::makeSamples([](int, int) { return 100; }));
    std::ofstream(dir / "N35E139_dem.tif", std::ios::trunc) << "not elevation data";
    const LoadedSet reused = load(&arena);
    ASSERT_EQ(reused.error, TileError::None);
    ASSERT_EQ(reused.terrain.get(), kept) << "the arena's buffers were not used: this test shows nothing";
    const LoadedSet fresh = load(nullptr);
    ASSERT_EQ(fresh.error, TileError::None);

    const Terrain& r = *reused.terrain;
    const Terrain& f = *fresh.terrain;
    ASSERT_EQ(r.tileInfo.width, f.tileInfo.width);
    ASSERT_EQ(r.tileInfo.height, f.tileInfo.height);
    EXPECT_EQ(r.heightGrid[1800][r.tileInfo.width - 100], 0) << "the unreadable neighbour is sea level";
    for (int y = 0; y < f.tileInfo.height; ++y)
        ASSERT_TRUE(std::equal(f.heightGrid[y], f.heightGrid[y] + f.tileInfo.width, r.heightGrid[y])) << "row " << y;
    EXPECT_TRUE(SameRows(r.reliefBitmap, f.reliefBitmap));
    for (std::size_t level = 0; level < f.levelBitmaps.size(); ++level)
        EXPECT_TRUE(SameRows(r.levelBitmaps[level], f.levelBitmaps[level])) << "level " << level;
    EXPECT_TRUE(SameRows(r.mapBitmap, f.mapBitmap));
    EXPECT_EQ(reused.params.centreColumnShift, fresh.params.centreColumnShift);
    EXPECT_EQ(r.sourceTops.HighestNear(35.5, 138.5, 2000, 2000), std::optional<int32_t>(100));
    EXPECT_EQ(r.sourceTops.HighestNear(35.5, 139.5, 100, 100), std::nullopt) << "tops of the first set remain";
}

// Near the pole the joined grid follows the same east-west rule as a tile
// alone: a longitude maps to the cell whose height was resampled from it.
TEST(TileSet, PlacesOnAJoinedGridAt81NorthLieWhereTheirHeightsAre)
{
    // Heights rise 1 m an arc-second eastwards across both tiles (more would
    // pass the highest height), so a height tells the longitude it was taken
    // from.
    constexpr int kPerSecond = 1;
    testtiles::TempDir dir;
    for (const int lon : {10, 11})
        testtiles::writeRaw(dir / ("ASTGTMV003_N81E0" + std::to_string(lon) + "_dem.tif"),
            testtiles::makeSamples([&](int, int c) { return int16_t(kPerSecond * ((lon - 10) * 3600 + c)); }));
    LoadedSet set = LoadSet((dir / "ASTGTMV003_N81E010_dem.tif").string());
    ASSERT_EQ(set.error, TileError::None);
    ASSERT_EQ(set.terrain->tileInfo.width, 2 * ResampledLastColumn(81.5) + 1);
    // A cell spans 6.8 arc-seconds here; a position is truncated to its cell.
    const double perCell = kPerSecond * 3600.0 / ResampledLastColumn(81.5) + 2;
    for (const double lon : {10.01, 10.3, 10.5, 10.99, 11.2, 11.98}) {
        const GridPosition at = GeoToGrid(set.params, 81.5, lon);
        const int column = int(std::floor(at.gx / kGeoUnitsPerCell));
        ASSERT_GE(column, 0) << lon;
        ASSERT_LT(column, set.terrain->tileInfo.width) << lon;
        const int16_t height = set.terrain->heightGrid[int(at.gy / kGeoUnitsPerCell)][column];
        EXPECT_NEAR(height, kPerSecond * (lon - 10) * 3600, perCell) << lon;
    }
}
