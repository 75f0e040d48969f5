// The GeoNames and CSV readers on any bytes: whatever they keep is a place on
// the globe with a name of whole UTF-8 characters, and what they leave out is
// counted within bounds.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "places/csvplaces.h"
#include "places/geonames.h"
#include "places/placetext.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool NameFits(const std::string& name)
{
    return IsUtf8(name) && CutToCharacters(name, kPlaceMaxNameCharacters).size() == name.size();
}

void Check(const ListReading& reading, const GeoArea& area)
{
    Require(reading.outcome == ListOutcome::Read, "a stream is read whole");
    Require(reading.problems.size() <= kMaxListProblems, "problems kept within bounds");
    Require(reading.problemCount >= int64_t(reading.problems.size()), "problems counted");
    Require(reading.skipped <= reading.problemCount, "every skipped entry has a problem");
    for (const Place& place : reading.places) {
        Require(area.Contains(place.latitude, place.longitude), "a place within the area");
        Require(!place.name.empty() && NameFits(place.name), "a name of whole characters");
        Require(NameFits(place.nameJa) && NameFits(place.nameEn) && NameFits(place.nameLatin), "other names fit");
        Require(!place.listedElevation || std::isfinite(*place.listedElevation), "a finite elevation");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const GeoArea area : {GeoArea{-90, 90, -180, 180}, GeoArea{35, 36, 138, 139}}) {
        std::istringstream geoNames(text);
        Check(ReadGeoNames(geoNames, int64_t(size), "fuzz.txt", area, {}), area);
        std::istringstream csv(text);
        Check(ReadCsvPlaces(csv, int64_t(size), "fuzz.csv", area, {}), area);
    }
    return 0;
}
