#pragma once
// GDAL, loaded the first time a product needs it. Linked in, its hundred or so
// libraries cost every start of the programs about 50 ms of symbol binding,
// although plain ASTER tiles and .hgt files never call it.

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>
#include <ogr_srs_api.h>

// The functions the product reader calls, under their own names.
#define VANTOREL_GDAL_FUNCTIONS(X)                                                                                     \
    X(CPLQuietErrorHandler)                                                                                            \
    X(CPLSetConfigOption)                                                                                              \
    X(CPLSetErrorHandler)                                                                                              \
    X(CSLDestroy)                                                                                                      \
    X(GDALClose)                                                                                                       \
    X(GDALGetBlockSize)                                                                                                \
    X(GDALGetGeoTransform)                                                                                             \
    X(GDALGetRasterBand)                                                                                               \
    X(GDALGetRasterCount)                                                                                              \
    X(GDALGetRasterDataType)                                                                                           \
    X(GDALGetRasterNoDataValue)                                                                                        \
    X(GDALGetRasterXSize)                                                                                              \
    X(GDALGetRasterYSize)                                                                                              \
    X(GDALGetSpatialRef)                                                                                               \
    X(GDALOpenEx)                                                                                                      \
    X(GDALRasterIO)                                                                                                    \
    X(GDALRegister_GTiff)                                                                                              \
    X(OSRGetSemiMajor)                                                                                                 \
    X(OSRIsGeographic)                                                                                                 \
    X(VSIFCloseL)                                                                                                      \
    X(VSIFOpenL)                                                                                                       \
    X(VSIFReadL)                                                                                                       \
    X(VSIReadDirRecursive)                                                                                             \
    X(VSIStatL)

struct GdalLibrary {
#define VANTOREL_GDAL_POINTER(name) decltype(&::name) name = nullptr;
    VANTOREL_GDAL_FUNCTIONS(VANTOREL_GDAL_POINTER)
#undef VANTOREL_GDAL_POINTER
};

// GDAL, loaded, set up and quiet; null when it cannot be loaded, which a
// broken installation is the only cause of.
const GdalLibrary* Gdal();
