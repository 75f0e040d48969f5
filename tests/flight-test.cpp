// The flights that move the eye: the demo's lap round its circle and the
// chase camera along a GPX track.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "flight/chaseflight.h"
#include "flight/democircle.h"
#include "flight/trackpath.h"

namespace {

constexpr double kStep = 1.0 / 30;

// Flat ground at `height`, and a hill: the ground rises 0.1 m a metre north
// of latitude 35.
GroundHeights Flat(double height)
{
    return [height](const GeoPoint&) { return height; };
}

double Turn(double from, double to)
{
    double turn = std::fmod(to - from + 540, 360.0) - 180;
    return turn;
}

// A zig-zag with right-angle corners every 2 km, heading north-east then
// south-east by turns.
TrackPath ZigZag()
{
    std::vector<GeoPoint> points;
    GeoPoint at{35.2, 138.2};
    points.push_back(at);
    for (int i = 0; i < 6; ++i) {
        at = MoveAlong(at, i % 2 == 0 ? 45 : 135, 2000);
        points.push_back(at);
    }
    return TrackPath(points);
}

TEST(TrackPath, MeasuresItsLengthAndFindsPointsAlongAndNearIt)
{
    const GeoPoint a{35, 138};
    const GeoPoint b = MoveAlong(a, 90, 3000);
    const GeoPoint c = MoveAlong(b, 0, 1000);
    EXPECT_NEAR(GroundMetres(a, b), 3000, 1);
    EXPECT_NEAR(BearingDegrees(a, b), 90, 0.01);
    const TrackPath path({a, b, c});
    EXPECT_NEAR(path.length(), 4000, 2);
    EXPECT_NEAR(GroundMetres(path.At(1500), MoveAlong(a, 90, 1500)), 0, 1);
    EXPECT_NEAR(GroundMetres(path.At(-10), a), 0, 1e-9);
    EXPECT_NEAR(GroundMetres(path.At(1e9), c), 0, 1e-9);
    // 200 m south of the first leg's middle, and past the end.
    EXPECT_NEAR(path.NearestTo(MoveAlong(MoveAlong(a, 90, 1200), 180, 200)), 1200, 2);
    EXPECT_NEAR(path.NearestTo(MoveAlong(c, 0, 500)), path.length(), 1e-6);
}

TEST(ChaseFlight, KeepsTheFollowedPointStraightAheadBelowTheEye)
{
    ChaseFlight flight(ZigZag(), Flat(1000));
    Viewpoint eye;
    for (int k = 0; k < 30 * 120 && !flight.Finished(); ++k) {
        flight.Step(kStep, eye);
        const GeoPoint place{eye.latitude, eye.longitude};
        const GeoPoint followed = flight.Followed();
        ASSERT_NEAR(GroundMetres(place, followed), kChaseBehind, 1) << "step " << k;
        ASSERT_NEAR(Turn(eye.azimuth, BearingDegrees(place, followed)), 0, 0.05) << "step " << k;
        // Looking down at it from above, so that it stays in the frame.
        ASSERT_GT(eye.minAltitude, 1000);
        ASSERT_NEAR(std::tan(-eye.pitch * kPi / 180) * kChaseBehind, eye.minAltitude - 1000, 1e-6);
    }
    EXPECT_TRUE(flight.Finished());
}

TEST(ChaseFlight, TurnsAtALimitedRateAndCatchesUpWithTheCourse)
{
    // East for 3 km, then a hairpin back almost west.
    const GeoPoint start{35.2, 138.2};
    const GeoPoint corner = MoveAlong(start, 90, 3000);
    const GeoPoint end = MoveAlong(corner, 260, 3000);
    ChaseFlight flight(TrackPath({start, corner, end}), Flat(0));
    Viewpoint eye;
    flight.Step(kStep, eye);
    EXPECT_NEAR(eye.azimuth, 90, 0.1);  // the first step faces along the track
    double largest = 0;
    double previous = eye.azimuth;
    while (!flight.Finished()) {
        flight.Step(kStep, eye);
        largest = std::max(largest, std::fabs(Turn(previous, eye.azimuth)));
        previous = eye.azimuth;
    }
    // The hairpin asks for 170 degrees within seconds; the eye turns at
    // most its rate.
    EXPECT_LE(largest, kChaseMaxTurn * kStep + 1e-9);
    EXPECT_GT(largest, kChaseMaxTurn * kStep * 0.99);
    // Held at the end, it settles onto the last leg's course.
    for (int k = 0; k < 30 * 10; ++k)
        flight.Step(kStep, eye);
    EXPECT_NEAR(Turn(eye.azimuth, BearingDegrees(corner, end)), 0, 0.5);
}

TEST(ChaseFlight, SpeedStepsStayWithinTheLimitsAndPauseHoldsThePoint)
{
    ChaseFlight flight(ZigZag(), Flat(0));
    EXPECT_EQ(flight.speed(), kChaseStartSpeed);
    flight.Faster();
    EXPECT_GT(flight.speed(), kChaseStartSpeed);
    for (int i = 0; i < 100; ++i)
        flight.Faster();
    EXPECT_EQ(flight.speed(), 2000);
    for (int i = 0; i < 100; ++i)
        flight.Slower();
    EXPECT_EQ(flight.speed(), 25);
    flight.SetSpeed(1e9);
    EXPECT_EQ(flight.speed(), 2000);

    Viewpoint eye;
    flight.SetSpeed(100);
    flight.Step(1, eye);
    EXPECT_NEAR(flight.at(), 100, 1e-9);
    flight.SetPaused(true);
    flight.Step(1, eye);
    EXPECT_NEAR(flight.at(), 100, 1e-9);
    flight.SetPaused(false);
    flight.Step(1, eye);
    EXPECT_NEAR(flight.at(), 200, 1e-9);
}

TEST(ChaseFlight, StartsWhereAskedAndFollowsTheGroundUpGently)
{
    const TrackPath path = ZigZag();
    const double start = path.NearestTo(MoveAlong(path.At(5000), 315, 300));
    EXPECT_NEAR(start, 5000, 5);
    double ground = 500;
    ChaseFlight flight(
        path, [&ground](const GeoPoint&) { return ground; }, start);
    Viewpoint eye;
    flight.Step(kStep, eye);
    EXPECT_NEAR(flight.at(), start + kChaseStartSpeed * kStep, 1e-6);
    EXPECT_NEAR(eye.minAltitude, 500 + kChaseAbove, 1e-9);
    // A cliff 1000 m high: the eye rises towards it over a few seconds, not
    // in one step.
    ground = 1500;
    flight.Step(kStep, eye);
    EXPECT_GT(eye.minAltitude, 500 + kChaseAbove);
    EXPECT_LT(eye.minAltitude, 600 + kChaseAbove);
    for (int k = 0; k < 30 * 15; ++k)
        flight.Step(kStep, eye);
    EXPECT_NEAR(eye.minAltitude, 1500 + kChaseAbove, 1);
}

TEST(DemoLap, FliesOnceRoundTheCircleThroughTheEye)
{
    Viewpoint eye;
    eye.latitude = 35.25;
    eye.longitude = 138.5;
    DemoLap lap(35.5, 138.5, eye);
    EXPECT_NEAR(eye.azimuth, 90, 1e-9);  // south of the centre, heading east
    EXPECT_NEAR(lap.circle().radius, 0.25, 1e-12);
    EXPECT_NEAR(lap.circle().turnRate, 1.6, 1e-12);
    const double scale = DemoLongitudeScale(35.5);
    int steps = 0;
    double turned = 0;
    double previous = eye.azimuth;
    while (!lap.Finished() && steps < 100000) {
        lap.Step(kStep, eye);
        turned += std::fabs(Turn(previous, eye.azimuth));
        previous = eye.azimuth;
        ++steps;
        const double dy = eye.latitude - 35.5;
        const double dx = (eye.longitude - 138.5) * scale;
        ASSERT_NEAR(std::hypot(dx, dy), 0.25, 1e-9);
    }
    // 360 degrees at 1.6 a second: 225 s of frames.
    EXPECT_EQ(steps, 225 * 30);
    EXPECT_NEAR(turned, 360, 1e-6);
    EXPECT_NEAR(eye.azimuth, 90, 1e-6);
    EXPECT_EQ(lap.Done(), 1);

    // From the centre itself: the smallest circle.
    Viewpoint middle;
    middle.latitude = 35.5;
    middle.longitude = 138.5;
    const DemoLap small(35.5, 138.5, middle);
    EXPECT_EQ(small.circle().radius, kDemoRadiusMin);
}

}  // namespace
