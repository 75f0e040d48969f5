#include "places/placelist.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kIndexCellsPerDegree = 60;  // one arc-minute, about 1.9 km north-south

}  // namespace

int64_t PlaceList::RowOf(double latitude) const
{
    return int64_t(std::floor((std::clamp(latitude, area_.south, area_.north) - area_.south) * kIndexCellsPerDegree));
}

int64_t PlaceList::ColumnOf(double longitude) const
{
    return int64_t(std::floor((std::clamp(longitude, area_.west, area_.east) - area_.west) * kIndexCellsPerDegree));
}

int64_t PlaceList::Key(int64_t row, int64_t column) const
{
    return row * (ColumnOf(area_.east) + 1) + column;
}

int32_t PlaceList::Add(ListReading&& reading)
{
    if (reading.outcome != ListOutcome::Read)
        return -1;
    const auto source = int32_t(sources_.size());
    sources_.push_back(std::move(reading.source));
    index_.reserve(index_.size() + reading.places.size());
    for (Place& place : reading.places) {
        // Readers keep only what lies in the area they were given; a list read
        // for another area keeps only what lies in this one.
        if (!area_.Contains(place.latitude, place.longitude))
            continue;
        place.source = source;
        index_.emplace_back(Key(RowOf(place.latitude), ColumnOf(place.longitude)), int32_t(places_.size()));
        places_.push_back(std::move(place));
    }
    std::sort(index_.begin(), index_.end());
    return source;
}

std::vector<int32_t> PlaceList::Within(const GeoArea& box) const
{
    std::vector<int32_t> found;
    // Written so that a NaN edge finds nothing.
    if (!(box.north >= area_.south && box.south <= area_.north && box.east >= area_.west && box.west <= area_.east))
        return found;
    for (int64_t row = RowOf(box.south); row <= RowOf(box.north); ++row) {
        const auto first = std::lower_bound(index_.begin(), index_.end(), std::pair(Key(row, ColumnOf(box.west)), 0));
        const auto last = std::lower_bound(first, index_.end(), std::pair(Key(row, ColumnOf(box.east)) + 1, 0));
        for (auto it = first; it != last; ++it) {
            const Place& place = places_[std::size_t(it->second)];
            if (box.Contains(place.latitude, place.longitude))
                found.push_back(it->second);
        }
    }
    return found;
}
