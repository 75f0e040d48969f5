#pragma once
// GeoNames' tab-separated dumps (JP.txt, allCountries.txt): the mountains,
// peaks, volcanoes and hills (feature class T: MT, MTS, PK, PKS, VLC, HLL,
// HLLS) within an area. Read line by line, so that a dump of any size takes
// memory for its matches only.

#include <cstdint>
#include <istream>
#include <string_view>

#include "places/listreading.h"

inline constexpr int kGeoNamesColumns = 19;

// Reads a dump from `in`, `totalBytes` long (for progress), as the list
// `file`.
ListReading ReadGeoNames(
    std::istream& in, int64_t totalBytes, std::string_view file, const GeoArea& area, const ReadControl& control);
