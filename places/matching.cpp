#include "places/matching.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "core/geometry.h"
#include "elevation/cellresample.h"
#include "places/placetext.h"

namespace {

struct Candidate {
    double metres;  // to the metre
    int32_t prominence;
    int32_t summit;
    int32_t place;
};

struct GridPoint {
    double column;
    double row;
};

GridPoint GridPointOf(const RenderParams& params, const Place& place)
{
    const GridPosition at = GeoToGrid(params, place.latitude, place.longitude);
    return {at.gx / kGeoUnitsPerCell, at.gy / kGeoUnitsPerCell};
}

bool OnGrid(const RenderParams& params, GridPoint at)
{
    return at.column >= -0.5 && at.row >= -0.5 && at.column < params.columns - 0.5 && at.row < params.rows - 0.5;
}

// Every (summit, place) pair within reach, from the places near each summit.
std::vector<Candidate> CandidatePairs(
    const PlaceList& list, const std::vector<Summit>& summits, const RenderParams& params, double radiusMetres)
{
    std::vector<Candidate> pairs;
    const double reach = radiusMetres / params.metresPerCell;  // cells
    for (std::size_t s = 0; s < summits.size(); ++s) {
        const Summit& summit = summits[s];
        const GeoPoint northWest = GridToGeo(params, summit.column - reach, summit.row - reach);
        const GeoPoint southEast = GridToGeo(params, summit.column + reach, summit.row + reach);
        const GeoArea box{southEast.latitude, northWest.latitude, northWest.longitude, southEast.longitude};
        for (const int32_t p : list.Within(box)) {
            const Place& place = list.places()[std::size_t(p)];
            if (place.kind == PlaceKind::Saddle)
                continue;
            const GridPoint at = GridPointOf(params, place);
            const double metres = std::hypot(at.column - summit.column, at.row - summit.row) * params.metresPerCell;
            if (metres <= radiusMetres)
                pairs.push_back({std::round(metres), summit.prominence, int32_t(s), p});
        }
    }
    // Distances that differ by less than a metre are equal: the lists are
    // tens of metres off, so the more prominent summit is the better guess.
    std::sort(pairs.begin(), pairs.end(), [](const Candidate& a, const Candidate& b) {
        if (a.metres != b.metres)
            return a.metres < b.metres;
        if (a.prominence != b.prominence)
            return a.prominence > b.prominence;
        return a.summit != b.summit ? a.summit < b.summit : a.place < b.place;
    });
    return pairs;
}

// The summit each place snaps to, or -1: pairs taken nearest first, each
// list naming a summit once.
std::vector<int32_t> Assign(const PlaceList& list, const std::vector<Candidate>& pairs, std::size_t summitCount)
{
    std::vector<int32_t> summitOf(list.places().size(), -1);
    std::unordered_set<int64_t> named;  // source x summitCount + summit
    for (const Candidate& pair : pairs) {
        int32_t& assigned = summitOf[std::size_t(pair.place)];
        if (assigned >= 0)
            continue;
        const int64_t key = int64_t(list.places()[std::size_t(pair.place)].source) * int64_t(summitCount) + pair.summit;
        if (named.insert(key).second)
            assigned = pair.summit;
    }
    return summitOf;
}

// Lists in their order of priority: by kind, then the order they were added.
std::vector<int32_t> SourceRanks(const PlaceList& list)
{
    const auto& sources = list.sources();
    std::vector<int32_t> order(sources.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int32_t(i);
    std::stable_sort(order.begin(), order.end(),
        [&](int32_t a, int32_t b) { return sources[std::size_t(a)].kind < sources[std::size_t(b)].kind; });
    std::vector<int32_t> rank(sources.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        rank[std::size_t(order[i])] = int32_t(i);
    return rank;
}

std::optional<int32_t> HeightAt(const RenderParams& params, const int16_t* const* heights, GridPoint at)
{
    if (!heights)
        return std::nullopt;
    const auto column = std::clamp(int32_t(std::lround(at.column)), 0, params.columns - 1);
    const auto row = std::clamp(int32_t(std::lround(at.row)), 0, params.rows - 1);
    const int16_t height = heights[row][column];
    return height == kGridVoid ? std::nullopt : std::optional<int32_t>(height);
}

std::optional<double> FirstListedElevation(const PlaceList& list, const std::vector<int32_t>& places)
{
    for (const int32_t p : places)
        if (const auto& elevation = list.places()[std::size_t(p)].listedElevation)
            return elevation;
    return std::nullopt;
}

}  // namespace

std::vector<NamedPlace> MatchPlaces(const PlaceList& list, const std::vector<Summit>& summits,
    const RenderParams& params, const int16_t* const* heights, double snapRadiusMetres)
{
    std::vector<NamedPlace> named;
    if (params.columns <= 0 || params.rows <= 0 || !(params.metresPerCell > 0))
        return named;
    const std::vector<int32_t> summitOf =
        Assign(list, CandidatePairs(list, summits, params, snapRadiusMetres), summits.size());

    std::vector<std::vector<int32_t>> namesOfSummit(summits.size());
    for (std::size_t p = 0; p < summitOf.size(); ++p)
        if (summitOf[p] >= 0)
            namesOfSummit[std::size_t(summitOf[p])].push_back(int32_t(p));
    const std::vector<int32_t> rank = SourceRanks(list);
    const auto byPriority = [&](int32_t a, int32_t b) {
        return rank[std::size_t(list.places()[std::size_t(a)].source)] <
            rank[std::size_t(list.places()[std::size_t(b)].source)];
    };
    for (std::size_t s = 0; s < summits.size(); ++s) {
        std::vector<int32_t>& places = namesOfSummit[s];
        if (places.empty())
            continue;
        std::stable_sort(places.begin(), places.end(), byPriority);
        const Summit& summit = summits[s];
        NamedPlace place{std::move(places), int32_t(s), double(summit.column), double(summit.row), summit.height,
            summit.prominence, std::nullopt};
        place.listedElevation = FirstListedElevation(list, place.places);
        named.push_back(std::move(place));
    }
    for (std::size_t p = 0; p < summitOf.size(); ++p) {
        if (summitOf[p] >= 0)
            continue;
        const Place& own = list.places()[p];
        const GridPoint at = GridPointOf(params, own);
        if (OnGrid(params, at))
            named.push_back({{int32_t(p)}, -1, at.column, at.row, HeightAt(params, heights, at), std::nullopt,
                own.listedElevation});
    }
    return named;
}

std::string_view PlaceName(const Place& place, Language language)
{
    if (language == Language::Japanese)
        return place.nameJa.empty() ? place.name : place.nameJa;
    if (!place.nameEn.empty())
        return place.nameEn;
    if (IsLatinScript(place.name))
        return place.name;
    return place.nameLatin.empty() ? place.name : place.nameLatin;
}
