#include "places/geonames.h"

#include <array>
#include <cstring>

#include "places/linereader.h"
#include "places/placetext.h"
#include "places/textfields.h"

namespace {

// Columns, from 0 (GeoNames' readme counts from 1).
enum Column : std::size_t {
    kName = 1,
    kAsciiName = 2,
    kAlternateNames = 3,
    kLatitude = 4,
    kLongitude = 5,
    kFeatureClass = 6,
    kFeatureCode = 7,
    kElevation = 15,
    kDem = 16,
};

// GeoNames' "no data" in its dem column.
constexpr double kNoDem = -9999;

using Fields = std::array<std::string_view, kGeoNamesColumns>;

// Splits `line` at its tabs; false when it has fewer than 19 columns. Columns
// past the 19th are left in the last.
bool SplitColumns(std::string_view line, Fields& fields)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
        const void* tab = std::memchr(line.data() + start, '\t', line.size() - start);
        if (!tab)
            return false;
        const auto end = std::size_t(static_cast<const char*>(tab) - line.data());
        fields[i] = line.substr(start, end - start);
        start = end + 1;
    }
    fields.back() = line.substr(start);
    return true;
}

std::optional<PlaceKind> KindOfFeature(std::string_view featureClass, std::string_view code)
{
    if (featureClass != "T")
        return std::nullopt;
    if (code == "MT" || code == "MTS" || code == "PK" || code == "PKS")
        return PlaceKind::Peak;
    if (code == "VLC")
        return PlaceKind::Volcano;
    if (code == "HLL" || code == "HLLS")
        return PlaceKind::Hill;
    return std::nullopt;
}

// The first alternate name for which `wanted` holds, or empty.
template <typename Test> std::string_view FirstAlternate(std::string_view alternates, Test wanted)
{
    while (!alternates.empty()) {
        const std::size_t comma = alternates.find(',');
        const std::string_view name = alternates.substr(0, comma);
        if (wanted(name))
            return name;
        if (comma == std::string_view::npos)
            break;
        alternates.remove_prefix(comma + 1);
    }
    return {};
}

// The list's own height: its elevation column, else the DEM's figure it
// gives beside it.
std::optional<double> ListedElevation(const Fields& fields)
{
    if (const auto elevation = ParseNumber(fields[kElevation]))
        return elevation;
    const auto dem = ParseNumber(fields[kDem]);
    return dem && *dem != kNoDem ? dem : std::nullopt;
}

Place PlaceOfLine(const Fields& fields, PlaceKind kind, double latitude, double longitude)
{
    Place place;
    place.kind = kind;
    place.latitude = latitude;
    place.longitude = longitude;
    place.name = fields[kName];
    place.nameJa = FirstAlternate(fields[kAlternateNames], HasJapaneseScript);
    place.nameLatin = fields[kAsciiName];
    if (place.nameLatin.empty())
        place.nameLatin = FirstAlternate(fields[kAlternateNames], IsLatinScript);
    place.listedElevation = ListedElevation(fields);
    return place;
}

void ReadLine(std::string_view line, int64_t number, PlaceIntake& intake)
{
    if (line.empty())
        return;
    Fields fields;
    if (!SplitColumns(line, fields)) {
        intake.Skip(ListProblemKind::TooFewColumns, number);
        return;
    }
    const auto kind = KindOfFeature(fields[kFeatureClass], fields[kFeatureCode]);
    if (!kind)
        return;
    const auto latitude = ParseNumber(fields[kLatitude]);
    const auto longitude = ParseNumber(fields[kLongitude]);
    if (!latitude || !longitude) {
        intake.Skip(ListProblemKind::NotANumber, number);
        return;
    }
    if (intake.CoordinatesValid(*latitude, *longitude, number) && intake.InArea(*latitude, *longitude))
        intake.Offer(PlaceOfLine(fields, *kind, *latitude, *longitude), number);
}

}  // namespace

ListReading ReadGeoNames(
    std::istream& in, int64_t totalBytes, std::string_view file, const GeoArea& area, const ReadControl& control)
{
    ListReading reading;
    reading.source = {ListKind::GeoNames, std::string(file)};
    PlaceIntake intake(reading, area);
    LineReader lines(in, totalBytes, control);
    std::string_view line;
    while (lines.Next(line)) {
        if (lines.overlong())
            intake.Skip(ListProblemKind::LineTooLong, lines.lineNumber());
        else
            ReadLine(line, lines.lineNumber(), intake);
    }
    if (lines.stopped())
        intake.Cancel();
    return reading;
}
