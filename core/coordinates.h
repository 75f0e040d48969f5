#pragma once
// Positions as people write them, read into latitude and longitude. Plain
// C++ without Qt, so that tests and fuzzers read them without a window.

#include <optional>
#include <string_view>

struct GeoPosition {
    double latitude = 0;  // degrees, north positive, within [-90, 90]
    double longitude = 0;  // degrees, east positive, within [-180, 180]
};

// Reads a latitude and a longitude from UTF-8 text:
// - decimal degrees, signed: "35.3606, 138.7274", "-33.86 151.21";
// - degrees, minutes and seconds with or without their marks:
//   35°21'38"N 138°43'39"E, "35 21 38 N 138 43 39 E", 北緯35度21分38秒;
// - the hemisphere letters N S E W before or after each number, on both
//   numbers or on neither;
// - full-width digits, letters and marks (３５°２１′３８″Ｎ);
// - the 3D view's status line as it is shown, whatever the language of its
//   labels ("視点：N  35ﾟ21'38\"5　E 138ﾟ43'39\"0　　最低高度：...", the digit
//   after the seconds mark being tenths of a second).
// Anything else, ambiguous splits and positions off the globe are refused.
std::optional<GeoPosition> ParsePosition(std::string_view text);
