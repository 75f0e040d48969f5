#include "places/listreading.h"

#include <cmath>

#include "core/geometry.h"
#include "places/placetext.h"

GeoArea AreaOfGrid(const RenderParams& params)
{
    const GeoPoint northWest = GridToGeo(params, 0, 0);
    const GeoPoint southEast = GridToGeo(params, params.columns - 1, params.rows - 1);
    return {southEast.latitude, northWest.latitude, northWest.longitude, southEast.longitude};
}

bool PlaceIntake::CoordinatesValid(double latitude, double longitude, int64_t line)
{
    // Written so that NaN fails every comparison.
    if (std::abs(latitude) <= 90 && std::abs(longitude) <= 180)
        return true;
    Skip(ListProblemKind::OffTheGlobe, line);
    return false;
}

void PlaceIntake::Offer(Place&& place, int64_t line)
{
    if (!CoordinatesValid(place.latitude, place.longitude, line) || !InArea(place.latitude, place.longitude))
        return;
    if (!TidyName(place.name, line, true))
        return;
    TidyName(place.nameJa, line, false);
    TidyName(place.nameEn, line, false);
    TidyName(place.nameLatin, line, false);
    if (place.listedElevation && !std::isfinite(*place.listedElevation)) {
        place.listedElevation.reset();
        Note(ListProblemKind::BadElevation, line);
    }
    place.source = -1;
    reading_.places.push_back(std::move(place));
}

bool PlaceIntake::TidyName(std::string& name, int64_t line, bool required)
{
    if (!IsUtf8(name)) {
        name.clear();
        if (required) {
            Skip(ListProblemKind::NotUtf8, line);
            return false;
        }
    }
    if (name.empty()) {
        if (required)
            Skip(ListProblemKind::NoName, line);
        return !required;
    }
    const std::size_t kept = CutToCharacters(name, kPlaceMaxNameCharacters).size();
    if (kept < name.size()) {
        name.resize(kept);
        Note(ListProblemKind::NameCut, line);
    }
    return true;
}

void PlaceIntake::Note(ListProblemKind kind, int64_t line, std::string_view detail)
{
    ++reading_.problemCount;
    if (reading_.problems.size() < kMaxListProblems)
        reading_.problems.push_back({kind, line, std::string(detail)});
}

void PlaceIntake::Skip(ListProblemKind kind, int64_t line, std::string_view detail)
{
    ++reading_.skipped;
    Note(kind, line, detail);
}

void PlaceIntake::Refuse(ListProblemKind kind, std::string_view detail)
{
    reading_.outcome = ListOutcome::Refused;
    reading_.places.clear();
    reading_.places.shrink_to_fit();
    // The reason for the refusal comes first, whatever was noted before it.
    if (reading_.problems.size() == kMaxListProblems)
        reading_.problems.pop_back();
    reading_.problems.insert(reading_.problems.begin(), {kind, 0, std::string(detail)});
    ++reading_.problemCount;
}

void PlaceIntake::Cancel()
{
    reading_.outcome = ListOutcome::Cancelled;
    reading_.places.clear();
    reading_.places.shrink_to_fit();
}

ListReading UserPlaces(std::string_view file, const std::vector<UserPlace>& places, const GeoArea& area)
{
    ListReading reading;
    reading.source = {ListKind::User, std::string(file)};
    PlaceIntake intake(reading, area);
    int64_t entry = 0;
    for (const UserPlace& given : places) {
        Place place;
        place.name = given.name;
        place.latitude = given.latitude;
        place.longitude = given.longitude;
        place.listedElevation = given.elevation;
        intake.Offer(std::move(place), ++entry);
    }
    return reading;
}
