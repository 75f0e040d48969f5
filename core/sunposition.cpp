#include "core/sunposition.h"

#include <charconv>
#include <chrono>
#include <cmath>

#include "core/geometry.h"

namespace {

constexpr double kJulianDay2000 = 2451545.0;  // 2000 January 1, 12h
constexpr double kDaysPerCentury = 36525.0;

double Radians(double degrees)
{
    return degrees * kDegToRad;
}
double Degrees(double radians)
{
    return radians / kDegToRad;
}

// An angle in degrees brought into [0, 360).
double FullTurn(double degrees)
{
    const double turned = std::fmod(degrees, 360.0);
    return turned < 0 ? turned + 360 : turned;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads `digits` digits at `at` into `value`, moving `at` past them.
bool ReadNumber(std::string_view text, std::size_t& at, std::size_t digits, int& value)
{
    if (at + digits > text.size())
        return false;
    const char* first = text.data() + at;
    const auto [end, error] = std::from_chars(first, first + digits, value);
    if (error != std::errc() || end != first + digits)
        return false;
    at += digits;
    return true;
}

bool ReadChar(std::string_view text, std::size_t& at, char expected)
{
    if (at >= text.size() || text[at] != expected)
        return false;
    ++at;
    return true;
}

// Where the sun stands on the sky's sphere at a Julian day: its declination
// and the equation of time.
struct SolarCoordinates {
    double declination;  // degrees
    double equationOfTime;  // minutes
};

SolarCoordinates SolarCoordinatesAt(double julianDay)
{
    const double t = (julianDay - kJulianDay2000) / kDaysPerCentury;
    const double meanLongitude = FullTurn(280.46646 + t * (36000.76983 + t * 0.0003032));
    const double meanAnomaly = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double m = Radians(meanAnomaly);
    const double centre = std::sin(m) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
        std::sin(2 * m) * (0.019993 - 0.000101 * t) + std::sin(3 * m) * 0.000289;
    const double omega = Radians(125.04 - 1934.136 * t);
    const double apparentLongitude = meanLongitude + centre - 0.00569 - 0.00478 * std::sin(omega);
    const double meanObliquity = 23 + (26 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60) / 60;
    const double obliquity = Radians(meanObliquity + 0.00256 * std::cos(omega));

    const double declination = std::asin(std::sin(obliquity) * std::sin(Radians(apparentLongitude)));
    const double y = std::pow(std::tan(obliquity / 2), 2);
    const double l0 = Radians(meanLongitude);
    const double e = eccentricity;
    const double equationOfTime = 4 *
        Degrees(y * std::sin(2 * l0) - 2 * e * std::sin(m) + 4 * e * y * std::sin(m) * std::cos(2 * l0) -
            0.5 * y * y * std::sin(4 * l0) - 1.25 * e * e * std::sin(2 * m));
    return {Degrees(declination), equationOfTime};
}

// How much the atmosphere lifts the sun seen at `elevation` degrees, in
// degrees, for a standard atmosphere.
double RefractionAt(double elevation)
{
    if (elevation > 85)
        return 0;
    const double te = std::tan(Radians(elevation));
    double arcseconds = 0;
    if (elevation > 5)
        arcseconds = 58.1 / te - 0.07 / std::pow(te, 3) + 0.000086 / std::pow(te, 5);
    else if (elevation > -0.575)
        arcseconds = 1735 + elevation * (-518.2 + elevation * (103.4 + elevation * (-12.79 + elevation * 0.711)));
    else
        arcseconds = -20.772 / te;
    return arcseconds / 3600;
}

}  // namespace

std::optional<CivilTime> ParseCivilTime(std::string_view text)
{
    CivilTime time;
    std::size_t at = 0;
    if (!ReadNumber(text, at, 4, time.year) || !ReadChar(text, at, '-') || !ReadNumber(text, at, 2, time.month) ||
        !ReadChar(text, at, '-') || !ReadNumber(text, at, 2, time.day) || !ReadChar(text, at, 'T') ||
        !ReadNumber(text, at, 2, time.hour) || !ReadChar(text, at, ':') || !ReadNumber(text, at, 2, time.minute))
        return std::nullopt;
    if (time.month < 1 || time.month > 12 || time.day < 1 || time.day > DaysInMonth(time.year, time.month) ||
        time.hour > 23 || time.minute > 59)
        return std::nullopt;
    if (at < text.size() && text[at] == 'Z') {
        ++at;
    } else {
        if (at >= text.size() || (text[at] != '+' && text[at] != '-'))
            return std::nullopt;
        const int sign = text[at++] == '-' ? -1 : 1;
        int hours = 0, minutes = 0;
        if (!ReadNumber(text, at, 2, hours) || !ReadChar(text, at, ':') || !ReadNumber(text, at, 2, minutes) ||
            hours > 14 || minutes > 59)
            return std::nullopt;
        time.utcOffsetMinutes = sign * (hours * 60 + minutes);
    }
    if (at != text.size())
        return std::nullopt;
    return time;
}

CivilTime LocalNoonToday(double longitude)
{
    using namespace std::chrono;
    const year_month_day today{floor<days>(system_clock::now())};
    CivilTime noon;
    noon.year = int(today.year());
    noon.month = int(unsigned(today.month()));
    noon.day = int(unsigned(today.day()));
    noon.utcOffsetMinutes = int(std::lround(WrapLongitude(longitude) * 4));
    return noon;
}

double JulianDay(const CivilTime& time)
{
    int year = time.year;
    int month = time.month;
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    const int century = year / 100;
    const int gregorian = 2 - century + century / 4;
    const double minutes = time.hour * 60.0 + time.minute + time.second / 60 - time.utcOffsetMinutes;
    return std::floor(365.25 * (year + 4716)) + std::floor(30.6001 * (month + 1)) + time.day + minutes / 1440 +
        gregorian - 1524.5;
}

SunPosition SunAt(const CivilTime& time, double latitude, double longitude)
{
    const SolarCoordinates sky = SolarCoordinatesAt(JulianDay(time));
    const double utcMinutes = time.hour * 60.0 + time.minute + time.second / 60 - time.utcOffsetMinutes;
    const double trueSolarMinutes = std::fmod(utcMinutes + sky.equationOfTime + 4 * longitude + 4 * 1440, 1440);
    const double hourAngle = trueSolarMinutes / 4 - 180;

    const double phi = Radians(latitude);
    const double delta = Radians(sky.declination);
    const double cosZenith = std::clamp(
        std::sin(phi) * std::sin(delta) + std::cos(phi) * std::cos(delta) * std::cos(Radians(hourAngle)), -1.0, 1.0);
    const double zenith = std::acos(cosZenith);
    // Clockwise from north, from the angle between the meridian and the sun.
    const double denominator = std::cos(phi) * std::sin(zenith);
    double azimuth = 180;
    if (std::fabs(denominator) > 1e-12) {
        const double fromNorth =
            Degrees(std::acos(std::clamp((std::sin(phi) * cosZenith - std::sin(delta)) / denominator, -1.0, 1.0)));
        azimuth = hourAngle > 0 ? FullTurn(fromNorth + 180) : FullTurn(540 - fromNorth);
    }
    const double trueElevation = 90 - Degrees(zenith);
    return {azimuth, trueElevation + RefractionAt(trueElevation), sky.declination, sky.equationOfTime};
}
