#pragma once
// The places of every list read for the loaded area, with the list each came
// from, indexed by one-arc-minute cell so that the places near a point are
// found without a look at the others.

#include <cstdint>
#include <utility>
#include <vector>

#include "places/listreading.h"

class PlaceList {
public:
    explicit PlaceList(const GeoArea& area) : area_(area) { }

    // Takes the places of a list that was read, as a new source; its index in
    // sources(), or -1 when the list was refused or cancelled.
    int32_t Add(ListReading&& reading);

    const GeoArea& area() const { return area_; }
    const std::vector<Place>& places() const { return places_; }
    const std::vector<PlaceSource>& sources() const { return sources_; }
    const PlaceSource& SourceOf(const Place& place) const { return sources_[std::size_t(place.source)]; }

    // The indices in places() of those within `box`, in no set order.
    std::vector<int32_t> Within(const GeoArea& box) const;

private:
    int64_t RowOf(double latitude) const;
    int64_t ColumnOf(double longitude) const;
    int64_t Key(int64_t row, int64_t column) const;

    GeoArea area_;
    std::vector<Place> places_;
    std::vector<PlaceSource> sources_;
    std::vector<std::pair<int64_t, int32_t>> index_;  // (cell key, place), sorted
};
