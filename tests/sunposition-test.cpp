// The sun's place against published values: the SPA paper's worked example,
// Meeus's examples, and the sun at the 2024 equinox and solstice.

#include <gtest/gtest.h>

#include <cmath>

#include "core/sunposition.h"

namespace {

CivilTime At(int year, int month, int day, int hour, int minute, double second = 0, int offsetMinutes = 0)
{
    return {year, month, day, hour, minute, second, offsetMinutes};
}

}  // namespace

TEST(SunPosition, JulianDaysOfKnownMoments)
{
    EXPECT_DOUBLE_EQ(JulianDay(At(2000, 1, 1, 12, 0)), 2451545.0);
    // Meeus, example 7.a: 1957 October 4.81 (19:26:24 UT).
    EXPECT_NEAR(JulianDay(At(1957, 10, 4, 19, 26, 24)), 2436116.31, 1e-6);
    // The same moment on a clock nine hours ahead.
    EXPECT_DOUBLE_EQ(JulianDay(At(2000, 1, 1, 21, 0, 0, 540)), 2451545.0);
}

TEST(SunPosition, AgreesWithThePublishedExamples)
{
    // Reda and Andreas, "Solar position algorithm for solar radiation
    // applications": 17 October 2003, 12:30:30 at UTC-7, 39.742476 N,
    // 105.1786 W: zenith 50.11162 degrees, azimuth 194.34024.
    const SunPosition golden = SunAt(At(2003, 10, 17, 12, 30, 30, -420), 39.742476, -105.1786);
    EXPECT_NEAR(golden.elevation, 90 - 50.11162, 0.1);
    EXPECT_NEAR(golden.azimuth, 194.34024, 0.1);
    // Meeus, examples 25.a and 28.a: 1992 October 13, 0h: declination
    // -7.78507 degrees, equation of time 13 min 42.6 s.
    const SunPosition meeus = SunAt(At(1992, 10, 13, 0, 0), 0, 0);
    EXPECT_NEAR(meeus.declination, -7.78507, 0.01);
    EXPECT_NEAR(meeus.equationOfTimeMinutes, 13 + 42.6 / 60, 0.1);
}

TEST(SunPosition, EquinoxAndSolstice)
{
    // March equinox 2024, 20 March 03:06 UTC: the sun on the equator; the
    // June solstice, 20 June 20:51 UTC: at the obliquity, 23.44 degrees.
    EXPECT_NEAR(SunAt(At(2024, 3, 20, 3, 6), 0, 0).declination, 0, 0.01);
    const double solstice = SunAt(At(2024, 6, 20, 20, 51), 0, 0).declination;
    EXPECT_NEAR(solstice, 23.44, 0.01);
    // At local solar noon the sun stands due south (north of the tropic) or
    // due north (south of it), 90 - |latitude - declination| high.
    // The longitude where the solstice moment is apparent noon: 12:00 true
    // solar time is 20:51 UTC plus the equation of time plus 4 minutes a
    // degree east. Refraction lifts a sun this high by under 0.03 degrees.
    const double equationOfTime = SunAt(At(2024, 6, 20, 20, 51), 0, 0).equationOfTimeMinutes;
    const double noonLongitude = (12 * 60 - (20 * 60 + 51) - equationOfTime) / 4;
    for (const double latitude : {-33.9, 0.0, 35.36, 51.5, 69.6}) {
        const SunPosition noon = SunAt(At(2024, 6, 20, 20, 51), latitude, noonLongitude);
        EXPECT_NEAR(noon.elevation, 90 - std::abs(latitude - solstice), 0.05) << latitude;
        EXPECT_NEAR(noon.azimuth, latitude > solstice ? 180 : 0, 0.1) << latitude;
    }
}

TEST(SunPosition, ClockTimesAreReadStrictly)
{
    const std::optional<CivilTime> tokyo = ParseCivilTime("2026-12-09T07:00+09:00");
    ASSERT_TRUE(tokyo.has_value());
    EXPECT_EQ(tokyo->year, 2026);
    EXPECT_EQ(tokyo->month, 12);
    EXPECT_EQ(tokyo->day, 9);
    EXPECT_EQ(tokyo->hour, 7);
    EXPECT_EQ(tokyo->utcOffsetMinutes, 540);
    EXPECT_EQ(ParseCivilTime("2024-02-29T23:59-03:30")->utcOffsetMinutes, -210);
    EXPECT_EQ(ParseCivilTime("2024-06-20T20:51Z")->utcOffsetMinutes, 0);
    for (const char* bad : {"2023-02-29T12:00Z", "2024-13-01T12:00Z", "2024-06-20T24:00Z", "2024-06-20T12:60Z",
             "2024-06-20 12:00Z", "2024-06-20T12:00", "2024-06-20T12:00+15:00", "2024-06-20T12:00+0900",
             "2024-06-20T12:00Zjunk", "", "24-06-20T12:00Z"})
        EXPECT_FALSE(ParseCivilTime(bad).has_value()) << bad;
}
