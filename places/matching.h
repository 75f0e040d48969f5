#pragma once
// Names for what the view shows: each listed peak snaps to the summit found in
// the heights next to it, or keeps its own place where the heights have none.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/viewrecords.h"
#include "places/placelist.h"
#include "summits/summits.h"

enum class Language : uint8_t {
    Japanese,
    English,
};

// Lists put a peak 50-150 m off its highest point (a survey mark or cairn
// below the top, coordinates rounded to 0.001 degree, old maps), and the
// grid's top can itself lie a cell or two off on a flat summit. 250 m takes
// those in, while summits of 100 m prominence, the least the search finds,
// stand at least about 500 m apart even in steep ground, so a name is
// seldom within reach of the wrong one.
inline constexpr double kSnapRadiusMetres = 250;

struct NamedPlace {
    // Indices into PlaceList::places(): the name shown first, then the
    // alternates, by the lists' priority (ListKind, then the order added).
    std::vector<int32_t> places;
    int32_t summit = -1;  // index into the summits, or -1: the first place's own position
    double column = 0;  // where the name stands on the grid, in cells
    double row = 0;
    std::optional<int32_t> height;  // the data's: the summit's, or the grid's under the place
    std::optional<int32_t> prominence;  // the summit's
    std::optional<double> listedElevation;  // the first of the names' lists to give one
};

// Snaps each peak, volcano and hill of `list` to the summit within
// `snapRadiusMetres` of it, the nearest first (to the metre), then the most
// prominent. A
// list gives a summit one name: where two of its places reach the same
// summit, the nearer has it and the other tries its next summit or keeps its
// own place. Different lists naming one summit share it as one NamedPlace.
// Saddles and unsnapped places stand where their list puts them, with the
// grid's height there when `heights` (params.rows x params.columns, row 0
// north) is given. Summits come first, in the order given, then the places
// left, in list order; places off the grid are left out.
std::vector<NamedPlace> MatchPlaces(const PlaceList& list, const std::vector<Summit>& summits,
    const RenderParams& params, const int16_t* const* heights = nullptr, double snapRadiusMetres = kSnapRadiusMetres);

// The name of `place` in `language`: Japanese takes name:ja, else the name;
// English takes name:en, else a name in Latin script (the name itself, or
// GeoNames' ASCII or Latin alternate name), else the name.
std::string_view PlaceName(const Place& place, Language language);
