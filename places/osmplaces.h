#pragma once
// OpenStreetMap extracts (.osm XML, .osm.pbf, and either compressed with gzip
// or bzip2), read through libosmium: the nodes tagged natural=peak, volcano,
// hill or saddle that have a name, with `name`, `name:ja`, `name:en` and `ele`.
// Ways, relations and every other tag are left unread.

#include <string>

#include "places/listreading.h"

// Reads the extract at `path` (its format from its name). A file libosmium
// cannot follow is refused with libosmium's own words as the detail.
ListReading ReadOsmPlaces(const std::string& path, const GeoArea& area, const ReadControl& control);
