#pragma once
// Where the sun stands in the sky: the NOAA solar calculator's equations
// (after Meeus), good to about 0.01 degree for dates within a few centuries
// of 2000, with the atmosphere's refraction near the horizon.

#include <cstdint>
#include <optional>
#include <string_view>

// A moment as a clock shows it: a calendar date, the time of day and the
// clock's offset from UTC.
struct CivilTime {
    int year = 2000;
    int month = 1;  // 1 .. 12
    int day = 1;  // 1 .. 31
    int hour = 12;
    int minute = 0;
    double second = 0;
    int utcOffsetMinutes = 0;  // east of Greenwich positive: +09:00 is 540
};

// Reads "YYYY-MM-DDTHH:MM" followed by "Z" or a "+HH:MM" / "-HH:MM" offset;
// anything else, and dates or times that do not exist, give nothing.
std::optional<CivilTime> ParseCivilTime(std::string_view text);

// Noon of today's date on the clock of mean solar time at `longitude`.
CivilTime LocalNoonToday(double longitude);

// The Julian day of a moment (days since noon UTC of 1 January 4713 BC).
double JulianDay(const CivilTime& time);

struct SunPosition {
    double azimuth = 0;  // degrees clockwise from north, [0, 360)
    double elevation = 0;  // degrees above the horizon, refraction included
    double declination = 0;  // degrees
    double equationOfTimeMinutes = 0;  // apparent minus mean solar time
};

// The sun seen from `latitude`, `longitude` (degrees, north and east
// positive) at `time`.
SunPosition SunAt(const CivilTime& time, double latitude, double longitude);
