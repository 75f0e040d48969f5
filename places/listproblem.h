#pragma once
// Why a list was refused, or a line of it left out, and the text the user is
// shown for it.

#include <cstdint>
#include <string>
#include <string_view>

enum class ListProblemKind : uint8_t {
    // The list as a whole: nothing of it is kept.
    CannotOpen,  // missing, unreadable, or a folder
    NotARegularFile,  // a FIFO, device or socket, whose reads could block or never end
    UnknownFormat,  // a name that is none of .osm, .osm.pbf, .txt, .csv
    Damaged,  // OSM XML or PBF that its reader cannot follow
    Cancelled,  // stopped by the user
    // One line or record: left out, the rest read.
    TooFewColumns,  // GeoNames lines have 19 tab-separated columns; CSV rows name, latitude, longitude
    LineTooLong,  // longer than any real entry: skipped unread
    NotANumber,  // a coordinate that is not a decimal number
    OffTheGlobe,  // |latitude| > 90, |longitude| > 180, NaN or infinite
    NotUtf8,  // a name that is not UTF-8
    NoName,
    UnclosedQuote,  // a CSV field whose quote does not close on its line
    // A place kept with a change.
    NameCut,  // longer than kPlaceMaxNameCharacters
    BadElevation,  // an elevation that is not a number: the place is kept without it
};

struct ListProblem {
    ListProblemKind kind = ListProblemKind::CannotOpen;
    int64_t line = 0;  // from 1; 0 for the list as a whole
    std::string detail;  // what a library said, in its own words, or empty
};

// The reason, for the user (UTF-8, Japanese; translated under "PlaceList").
std::string_view ListProblemReason(ListProblemKind kind);
