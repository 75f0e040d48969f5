#include "places/osmplaces.h"

#include <cstring>
#include <optional>
#include <system_error>

#include <osmium/io/any_input.hpp>
#include <osmium/osm/node.hpp>

#include "places/textfields.h"

namespace {

std::optional<PlaceKind> KindOfNatural(const char* natural)
{
    if (!natural)
        return std::nullopt;
    const std::string_view value(natural);
    if (value == "peak")
        return PlaceKind::Peak;
    if (value == "volcano")
        return PlaceKind::Volcano;
    if (value == "hill")
        return PlaceKind::Hill;
    if (value == "saddle")
        return PlaceKind::Saddle;
    return std::nullopt;
}

std::string Tag(const osmium::TagList& tags, const char* key)
{
    const char* value = tags.get_value_by_key(key);
    return value ? std::string(value) : std::string();
}

// `ele` in metres, as mappers write it: "3776", "3776.2", "3776 m".
std::optional<double> Elevation(std::string_view ele)
{
    ele = Trimmed(ele);
    if (ele.ends_with('m'))
        ele.remove_suffix(1);
    return ParseNumber(ele);
}

class OsmIntake {
public:
    explicit OsmIntake(PlaceIntake& intake) : intake_(intake) { }

    void Take(const osmium::Node& node)
    {
        const osmium::TagList& tags = node.tags();
        const auto kind = KindOfNatural(tags.get_value_by_key("natural"));
        if (!kind)
            return;
        Place place;
        place.kind = *kind;
        place.name = Tag(tags, "name");
        place.nameJa = Tag(tags, "name:ja");
        place.nameEn = Tag(tags, "name:en");
        if (place.name.empty() && place.nameJa.empty() && place.nameEn.empty())
            return;  // unnamed tops are not the lists' to name
        if (place.name.empty())
            place.name = place.nameJa.empty() ? place.nameEn : place.nameJa;
        const int64_t entry = ++entries_;
        const osmium::Location at = node.location();
        if (!at.valid()) {
            intake_.Skip(ListProblemKind::OffTheGlobe, entry, "node " + std::to_string(node.id()));
            return;
        }
        place.latitude = at.lat_without_check();
        place.longitude = at.lon_without_check();
        if (const char* ele = tags.get_value_by_key("ele")) {
            place.listedElevation = Elevation(ele);
            if (!place.listedElevation)
                intake_.Note(ListProblemKind::BadElevation, entry, "node " + std::to_string(node.id()));
        }
        intake_.Offer(std::move(place), entry);
    }

private:
    PlaceIntake& intake_;
    int64_t entries_ = 0;  // the named nodes of the kinds read, counted for messages
};

}  // namespace

ListReading ReadOsmPlaces(const std::string& path, const GeoArea& area, const ReadControl& control)
{
    ListReading reading;
    reading.source = {ListKind::Osm, path};
    PlaceIntake intake(reading, area);
    OsmIntake nodes(intake);
    try {
        osmium::io::Reader reader(osmium::io::File(path), osmium::osm_entity_bits::node, osmium::io::read_meta::no);
        while (osmium::memory::Buffer buffer = reader.read()) {
            if (control.Stopped()) {
                reader.close();
                intake.Cancel();
                return reading;
            }
            for (const osmium::Node& node : buffer.select<osmium::Node>())
                nodes.Take(node);
            control.Report(int64_t(reader.offset()), int64_t(reader.file_size()));
        }
        reader.close();
    } catch (const std::system_error& error) {
        intake.Refuse(ListProblemKind::CannotOpen, error.what());
    } catch (const std::exception& error) {
        intake.Refuse(ListProblemKind::Damaged, error.what());
    }
    return reading;
}
