#pragma once
// What a file's name says about a tile: whether it names an elevation
// product the reader takes, and the one-degree cell it covers.

#include <string_view>

// The south-west corner of a one-degree cell, in whole degrees.
struct TileCell {
    long lat = 0;
    long lon = 0;
};

struct NamedCell {
    bool found = false;  // the name holds a latitude-longitude group
    TileCell cell;
};

// The part of a path after its last '/'.
std::string_view FileNameOf(std::string_view path);

// The first latitude-longitude group anywhere in the file name, in any case:
// "N35E138", "n35e138", "N035E138" (ALOS), "N35_00_E138_00" (Copernicus).
// The values are as written; the caller checks their range.
NamedCell CellFromName(std::string_view path);

// ASTER's marker, "_dem.tif", anywhere in the path, in any case.
bool PassesNameTest(std::string_view path);

// True for the names of the products the reader opens: ASTER's marker, or a
// file name ending in .tif, .tiff, .hgt or .zip.
bool IsSupportedTileName(std::string_view path);

// True for a file name ending in .hgt, in any case: SRTM's raw layout.
bool IsHgtName(std::string_view path);

// Cells whose centre lies on the globe: latitudes -90..89, longitudes -180..179.
bool LatitudeInRange(const TileCell& cell);
bool LongitudeInRange(const TileCell& cell);
