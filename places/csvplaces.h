#pragma once
// The user's own lists as CSV: `name,latitude,longitude[,elevation]` in UTF-8,
// decimal degrees, an optional header row, fields in double quotes where they
// hold commas ("" for a quote). A record stays on one line.

#include <cstdint>
#include <istream>
#include <string_view>

#include "places/listreading.h"

// Reads CSV from `in`, `totalBytes` long (for progress), as the list `file`.
ListReading ReadCsvPlaces(
    std::istream& in, int64_t totalBytes, std::string_view file, const GeoArea& area, const ReadControl& control);
