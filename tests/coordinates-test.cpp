// Positions as people type or paste them into the go-to box.

#include <gtest/gtest.h>

#include <string>

#include "app/readouts.h"
#include "core/coordinates.h"

namespace {

constexpr double kExact = 1e-9;
constexpr double kTenthOfSecond = 0.05 / 3600 + 1e-12;

struct Good {
    const char* text;
    double latitude;
    double longitude;
};

const Good kGood[] = {
    {"35.3606, 138.7274", 35.3606, 138.7274},
    {"35.3606 138.7274", 35.3606, 138.7274},
    {"-33.8568,151.2153", -33.8568, 151.2153},
    {"+0.5 -0.25", 0.5, -0.25},
    {"35.3606N 138.7274E", 35.3606, 138.7274},
    {"S 33.8568, E 151.2153", -33.8568, 151.2153},
    {"138.7274E 35.3606N", 35.3606, 138.7274},
    {"35°21'38\"N 138°43'39\"E", 35 + 21 / 60.0 + 38 / 3600.0, 138 + 43 / 60.0 + 39 / 3600.0},
    {"35 21 38 N 138 43 39 E", 35 + 21 / 60.0 + 38 / 3600.0, 138 + 43 / 60.0 + 39 / 3600.0},
    {"35 21 38 138 43 39", 35 + 21 / 60.0 + 38 / 3600.0, 138 + 43 / 60.0 + 39 / 3600.0},
    {"35°21.5′S, 70°30′W", -(35 + 21.5 / 60), -70.5},
    {"12°34'56.7\"s 98°7'6''w", -(12 + 34 / 60.0 + 56.7 / 3600), -(98 + 7 / 60.0 + 6 / 3600.0)},
    {"３５°２１′３８″Ｎ　１３８°４３′３９″Ｅ", 35 + 21 / 60.0 + 38 / 3600.0, 138 + 43 / 60.0 + 39 / 3600.0},
    {"３５．３６０６，１３８．７２７４", 35.3606, 138.7274},
    {"北緯35度21分38秒 東経138度43分39秒", 35 + 21 / 60.0 + 38 / 3600.0, 138 + 43 / 60.0 + 39 / 3600.0},
    {"視点：N  35ﾟ21'38\"5　E 138ﾟ43'39\"0　　最低高度：  500(m)　高度：  812(m)", 35 + 21 / 60.0 + 38.5 / 3600,
        138 + 43 / 60.0 + 39 / 3600.0},
    // The status line in English.
    {"Eye: N  35°21'38.5\" W   0°43'39.0\"  Min alt:  500 m  Alt:  812 m", 35 + 21 / 60.0 + 38.5 / 3600,
        -(43 / 60.0 + 39 / 3600.0)},
    {"90, 180", 90, 180},
    {"-90 -180", -90, -180},
};

const char* const kBad[] = {
    "",
    "   ",
    "35.3606",
    "abc",
    "35.3606, 138.7274, 12",
    "35,3606 138,7274",
    "91, 0",
    "0, 180.0001",
    "35°61'00\"N 138°E",  // 61 minutes
    "35 21 60 N 138 E",  // 60 seconds
    "35.5°30' 138°",  // a fraction before the minutes
    "10 20 30 40",  // 10°20' 30°40', 10° 20°30'40" or 10°20'30" 40°
    "35N 138",  // a letter on one number only
    "35N 138S",  // two latitudes
    "-35N 138E",  // a sign and a letter
    "35°21'38\"N 138°43'39\"E 12",
    "N35 E138 W",
    "35. 138.",
    "1e1, 2",
    "35\xFF, 138",  // not UTF-8
    "hello N 35 E 138 world",  // a status line gives seconds
    "0x23, 0x8A",
};

}  // namespace

TEST(ParsePosition, ReadsTheFormsPeopleWriteAndTheStatusLine)
{
    for (const Good& good : kGood) {
        SCOPED_TRACE(good.text);
        const std::optional<GeoPosition> position = ParsePosition(good.text);
        ASSERT_TRUE(position.has_value());
        EXPECT_NEAR(position->latitude, good.latitude, kExact);
        EXPECT_NEAR(position->longitude, good.longitude, kExact);
    }

    // Whatever the status line shows reads back to within its rounding.
    Viewpoint view;
    view.minAltitude = 1000;
    view.pitch = -5;
    view.viewAngle = 40;
    for (const auto& [latitude, longitude] :
        {std::pair{35.36061, 138.72737}, {-0.00001, -179.99999}, {89.99999, 0.0}, {-45.123456, 100.987654}}) {
        view.latitude = latitude;
        view.longitude = longitude;
        for (const int heightQuarters : {kTrueHeightQuarters, 6}) {
            const std::string line = StatusLine(view, 1234, heightQuarters).toStdString();
            SCOPED_TRACE(line);
            const std::optional<GeoPosition> position = ParsePosition(line);
            ASSERT_TRUE(position.has_value());
            EXPECT_NEAR(position->latitude, latitude, kTenthOfSecond);
            EXPECT_NEAR(position->longitude, longitude, kTenthOfSecond);
        }
    }
}

TEST(ParsePosition, RefusesWhatIsNoPosition)
{
    for (const char* bad : kBad) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParsePosition(bad).has_value());
    }
    EXPECT_FALSE(ParsePosition(std::string(300, '1')).has_value());
}
