#pragma once
// A list read from its file, the reader chosen by the file's name:
// .osm, .osm.pbf, .pbf, .osm.gz, .osm.bz2 (OpenStreetMap), .txt (a GeoNames
// dump), .csv (the user's own). Files that are not regular files are refused
// before anything is read.

#include <string>

#include "places/listreading.h"

enum class ListFormat : uint8_t {
    Unknown,
    Osm,
    GeoNames,
    Csv,
};

// The format a file's name says, in any case.
ListFormat ListFormatOfName(std::string_view path);

ListReading ReadPlaceFile(const std::string& path, const GeoArea& area, const ReadControl& control = {});
