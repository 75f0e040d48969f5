#include "places/placefiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "places/csvplaces.h"
#include "places/geonames.h"
#include "places/osmplaces.h"

namespace {

bool EndsWith(const std::string& lowerName, std::string_view ending)
{
    return lowerName.size() > ending.size() && lowerName.ends_with(ending);
}

ListReading Refusal(const std::string& path, ListFormat format, ListProblemKind kind)
{
    ListReading reading;
    reading.source = {format == ListFormat::Osm ? ListKind::Osm
            : format == ListFormat::GeoNames    ? ListKind::GeoNames
                                                : ListKind::User,
        path};
    PlaceIntake(reading, {}).Refuse(kind);
    return reading;
}

}  // namespace

ListFormat ListFormatOfName(std::string_view path)
{
    std::string name(std::filesystem::path(path).filename().string());
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (const std::string_view osm : {".osm", ".pbf", ".osm.gz", ".osm.bz2"})
        if (EndsWith(name, osm))
            return ListFormat::Osm;
    if (EndsWith(name, ".txt"))
        return ListFormat::GeoNames;
    if (EndsWith(name, ".csv"))
        return ListFormat::Csv;
    return ListFormat::Unknown;
}

ListReading ReadPlaceFile(const std::string& path, const GeoArea& area, const ReadControl& control)
{
    const ListFormat format = ListFormatOfName(path);
    if (format == ListFormat::Unknown)
        return Refusal(path, format, ListProblemKind::UnknownFormat);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return Refusal(path, format, ListProblemKind::CannotOpen);
    if (!std::filesystem::is_regular_file(status))
        return Refusal(path, format, ListProblemKind::NotARegularFile);
    if (format == ListFormat::Osm)
        return ReadOsmPlaces(path, area, control);

    std::ifstream in(path, std::ios::binary);
    const auto size = std::filesystem::file_size(path, error);
    if (!in || error)
        return Refusal(path, format, ListProblemKind::CannotOpen);
    const auto total = int64_t(size);
    return format == ListFormat::GeoNames ? ReadGeoNames(in, total, path, area, control)
                                          : ReadCsvPlaces(in, total, path, area, control);
}
