#pragma once
// Named places from the lists people download (OpenStreetMap, GeoNames, CSV)
// and the user's own (GPX waypoints): what each list says of a place, and
// which list said it.

#include <cstdint>
#include <optional>
#include <string>

#include "core/viewrecords.h"

enum class PlaceKind : uint8_t {
    Peak,
    Volcano,
    Hill,
    Saddle,  // a place of its own: never stands on a summit
};

// The kinds of list, most trusted first: where lists name the same summit,
// the name of the first shows. The user's own lists come first because the
// user chose them for this view.
enum class ListKind : uint8_t {
    User,  // CSV, or waypoints the app read (GPX)
    Osm,
    GeoNames,
};

struct PlaceSource {
    ListKind kind = ListKind::User;
    std::string file;  // as given, for messages and for the user
};

struct Place {
    std::string name;  // the list's own name (OSM `name`, GeoNames' name)
    std::string nameJa;  // OSM `name:ja`; GeoNames: an alternate name in Japanese script
    std::string nameEn;  // OSM `name:en`
    std::string nameLatin;  // GeoNames' ASCII name, else an alternate in Latin script
    double latitude = 0;
    double longitude = 0;
    std::optional<double> listedElevation;  // metres, as the list gives it
    PlaceKind kind = PlaceKind::Peak;
    int32_t source = -1;  // index into PlaceList::sources() once listed
};

// A place as any source gives it, for lists read elsewhere (GPX waypoints).
struct UserPlace {
    std::string name;  // UTF-8
    double latitude = 0;
    double longitude = 0;
    std::optional<double> elevation;
};

// A latitude-longitude box, edges included.
struct GeoArea {
    double south = 0;
    double north = 0;
    double west = 0;
    double east = 0;

    bool Contains(double latitude, double longitude) const
    {
        return latitude >= south && latitude <= north && longitude >= west && longitude <= east;
    }
};

// The box the loaded grid covers, from its corner samples.
GeoArea AreaOfGrid(const RenderParams& params);
