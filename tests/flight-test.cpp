// The flights that move the eye: the demo's lap round its circle and the
// chase camera along a GPX track; and a track's elevation profile.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "elevation/terrain.h"
#include "flight/chaseflight.h"
#include "flight/democircle.h"
#include "flight/groundheight.h"
#include "flight/trackpath.h"
#include "flight/trackprofile.h"
#include "tests/support/tileload.h"

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

namespace {

// The sample tile with its heights replaced by a ramp rising northward
// kRampRise metres a row, from 100 m at the southern row.
constexpr int kRampRise = 2;

struct Ramp {
    Terrain terrain;
    RenderParams params;
    Ramp()
    {
        Viewpoint eye;
        LoadListener quiet;
        EXPECT_EQ(LoadTileInto(VANTOREL_SAMPLE_TILE, terrain, params, eye, quiet), TileError::None);
        for (int row = 0; row < terrain.tileInfo.height; ++row)
            for (int column = 0; column < terrain.tileInfo.width; ++column)
                terrain.heightGrid[row][column] = int16_t(100 + (terrain.tileInfo.height - 1 - row) * kRampRise);
    }
    // The middle of a grid cell.
    GeoPoint Cell(int column, int row) const { return GridToGeo(params, column + 0.5, row + 0.5); }
    HeightLookup Ground() const
    {
        return [this](const GeoPoint& at) { return GridHeightUnder(terrain, params, at).value_or(kNoHeight); };
    }
};

TEST(TrackProfile, AStraightTrackUpARampClimbsItsRiseAndDescendsNothing)
{
    const Ramp ramp;
    // 600 rows north, up 1200 m, in three straight legs: the ramp's rise
    // does not depend on the way up.
    const int south = 2000, north = 1400;
    const TrackPath up({ramp.Cell(1000, south), ramp.Cell(1010, 1800), ramp.Cell(990, 1600), ramp.Cell(1000, north)});
    const TrackProfile profile = ProfileOf(up, {}, ramp.Ground());
    const double bottom = 100 + (ramp.terrain.tileInfo.height - 1 - south) * kRampRise;
    const double top = 100 + (ramp.terrain.tileInfo.height - 1 - north) * kRampRise;
    ASSERT_TRUE(profile.ground.known);
    EXPECT_DOUBLE_EQ(profile.ground.ascent, top - bottom);
    EXPECT_DOUBLE_EQ(profile.ground.descent, 0);
    EXPECT_DOUBLE_EQ(profile.ground.highest, top);
    EXPECT_DOUBLE_EQ(profile.ground.highestAt, up.length());
    EXPECT_DOUBLE_EQ(profile.points.front().ground, bottom);
    EXPECT_DOUBLE_EQ(profile.points.back().ground, top);
    EXPECT_FALSE(profile.file.known);
    EXPECT_TRUE(std::isnan(profile.points[1].file));
    // Evenly spaced, about a cell apart, from the start to the end.
    EXPECT_DOUBLE_EQ(profile.length, up.length());
    EXPECT_EQ(profile.points.front().metres, 0);
    EXPECT_EQ(profile.points.back().metres, up.length());
    EXPECT_LE(profile.points[1].metres, kProfileStepMetres);
    for (std::size_t i = 1; i < profile.points.size(); ++i)
        EXPECT_GE(profile.points[i].ground, profile.points[i - 1].ground);

    // Down the same way: the same figures the other way round.
    const TrackPath down({ramp.Cell(1000, north), ramp.Cell(1000, south)});
    const TrackProfile back = ProfileOf(down, {}, ramp.Ground());
    EXPECT_DOUBLE_EQ(back.ground.ascent, 0);
    EXPECT_DOUBLE_EQ(back.ground.descent, top - bottom);
    EXPECT_DOUBLE_EQ(back.ground.highestAt, 0);

    // Off the loaded grid there is no height, and no climb from it.
    const TrackPath outside({{ramp.params.northLat + 0.5, 138.5}, {ramp.params.northLat + 0.6, 138.5}});
    const TrackProfile none = ProfileOf(outside, {}, ramp.Ground());
    EXPECT_FALSE(none.ground.known);
    EXPECT_TRUE(std::isnan(none.points.front().ground));
}

TEST(TrackProfile, TheFilesHeightsGiveTheirOwnCurveAndFigures)
{
    const GeoPoint start{35.2, 138.2};
    const GeoPoint middle = MoveAlong(start, 90, 1000);
    const GeoPoint end = MoveAlong(middle, 90, 1000);
    const TrackPath path({start, middle, end});
    // Up 300 m to the middle, down 100 m to the end; the ground is flat.
    const TrackProfile profile = ProfileOf(path, {500, 800, 700}, [](const GeoPoint&) { return 40.0; });
    ASSERT_TRUE(profile.file.known);
    EXPECT_NEAR(profile.file.ascent, 300, 1e-9);
    EXPECT_NEAR(profile.file.descent, 100, 1e-9);
    EXPECT_EQ(profile.file.highest, 800);
    EXPECT_NEAR(profile.file.highestAt, 1000, 0.5);
    EXPECT_EQ(profile.ground.ascent, 0);
    EXPECT_EQ(profile.ground.highest, 40);
    // The curve runs straight between the file's points.
    EXPECT_EQ(profile.points.front().file, 500);
    EXPECT_EQ(profile.points.back().file, 700);
    for (const ProfilePoint& point : profile.points) {
        const double expected = point.metres <= path.distances()[1]
            ? 500 + 300 * point.metres / path.distances()[1]
            : 800 - 100 * (point.metres - path.distances()[1]) / (path.length() - path.distances()[1]);
        EXPECT_NEAR(point.file, expected, 1e-6);
    }
    // A point without <ele> leaves a gap in the curve next to it, and the
    // figures come from the points that have one.
    const TrackProfile gap = ProfileOf(path, {500, kNoHeight, 700}, [](const GeoPoint&) { return 40.0; });
    EXPECT_TRUE(std::isnan(gap.points[gap.points.size() / 2].file));
    EXPECT_EQ(gap.file.ascent, 200);
    EXPECT_EQ(gap.file.highest, 700);
}

TEST(TrackProfile, ClimbCountsTurnsBeyondTheHysteresisOnly)
{
    const auto climb = [](const std::vector<double>& heights) {
        std::vector<double> metres;
        for (std::size_t i = 0; i < heights.size(); ++i)
            metres.push_back(double(i));
        return CountClimb(metres, heights);
    };
    // Noise within the hysteresis on a flat track counts nothing.
    const ClimbFigures flat = climb({100, 102, 99, 101.5, 98.5, 100, 101});
    EXPECT_EQ(flat.ascent, 0);
    EXPECT_EQ(flat.descent, 0);
    EXPECT_EQ(flat.highest, 102);
    EXPECT_EQ(flat.highestAt, 1);
    // The same noise over a ramp: the rise is counted once, in full, from
    // the first height to the top; the dips below the hysteresis do not
    // break it into pieces.
    const ClimbFigures ramp = climb({100, 112, 110, 125, 123, 140, 138.5});
    EXPECT_EQ(ramp.ascent, 40);
    EXPECT_EQ(ramp.descent, 0);
    // Turns beyond it count both ways, each from the extreme reached.
    const ClimbFigures hills = climb({100, 150, 146, 120, 124, 180, 170});
    EXPECT_EQ(hills.ascent, 50 + 60);
    EXPECT_EQ(hills.descent, 30 + 10);
    EXPECT_EQ(hills.highest, 180);
    EXPECT_EQ(hills.highestAt, 5);
    // Unknown heights are passed over.
    const ClimbFigures gaps = climb({kNoHeight, 100, kNoHeight, 120, kNoHeight});
    EXPECT_TRUE(gaps.known);
    EXPECT_EQ(gaps.ascent, 20);
    EXPECT_FALSE(climb({kNoHeight}).known);
}

}  // namespace
