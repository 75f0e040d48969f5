// The reasons given on a machine without GDAL: this program is linked with a
// GDAL loader that looks for a library that is not installed, as the viewer
// does where GDAL is missing (it writes its test files with GDAL itself).

#include <gtest/gtest.h>

#include <gdal.h>
#include <ogr_srs_api.h>

#include <memory>
#include <string>

#include "elevation/gdallibrary.h"
#include "elevation/terrain.h"
#include "tests/support/tileload.h"
#include "tilefiles.h"

namespace {

TileError Load(const std::string& path)
{
    static const std::unique_ptr<Terrain> terrain = std::make_unique<Terrain>();
    RenderParams params;
    Viewpoint view;
    LoadListener listener;
    return LoadTileInto(path, *terrain, params, view, listener);
}

// An ALOS-like tile: 3600 x 3600 samples half an arc-second inside the cell,
// which only GDAL reads.
void WriteAlosTile(const std::string& path)
{
    GDALAllRegister();
    GDALDatasetH dataset = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), 3600, 3600, 1, GDT_Int16, nullptr);
    ASSERT_NE(dataset, nullptr);
    double transform[6] = {138, 1.0 / 3600, 0, 36, 0, -1.0 / 3600};
    GDALSetGeoTransform(dataset, transform);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 4326);
    GDALSetSpatialRef(dataset, srs);
    OSRDestroySpatialReference(srs);
    GDALClose(dataset);
}

TEST(WithoutGdal, TheReasonIsThatGdalIsMissing)
{
    ASSERT_EQ(Gdal(), nullptr);
    testtiles::TempDir dir;

    const auto zip = dir / "N35E138.SRTMGL3.hgt.zip";
    testtiles::writeStoredZip(zip, {{"N35E138.hgt", std::string(1201 * 1201 * 2, '\0')}});
    EXPECT_EQ(Load(zip.string()), TileError::NeedsGdal);

    const auto alos = dir / "ALPSMLC30_N035E138_DSM.tif";
    WriteAlosTile(alos.string());
    EXPECT_EQ(Load(alos.string()), TileError::NeedsGdal);

    // ASTER's own tiles need no GDAL.
    EXPECT_EQ(Load(VANTOREL_SAMPLE_TILE), TileError::None);
    EXPECT_FALSE(TileErrorMessage(TileError::NeedsGdal).empty());
}

}  // namespace
