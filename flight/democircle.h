#pragma once
// The demo: the eye circles anticlockwise round a fixed centre, the centre on
// its left, small circles turning faster and large ones flying faster over
// the ground. The viewer's demo button and the demo videos fly the same
// circle.

#include <optional>

#include "core/viewrecords.h"
#include "flight/flight.h"

inline constexpr double kDemoCentreSlack = 0.01;  // degrees: an eye this near the centre keeps the last circle
inline constexpr double kDemoRadiusMin = 0.05;  // degrees of latitude
inline constexpr double kDemoRadiusMax = 0.7;
inline constexpr double kDemoSpeed = 0.8;  // the turn rate of a one-degree circle, degrees per second

struct DemoCircle {
    double centreLat = 0;  // the centre, fixed while the circle is flown
    double centreLon = 0;
    double longitudeScale = 1;  // degrees of latitude a degree of longitude spans, as the eye's moves take it
    double radius = 0.375;  // degrees of latitude
    double turnRate = 0.001;  // degrees of azimuth per second
};

// The scale the eye's moves use east-west round a centre at `latitude`
// (cos(latitude), held at the navigation's floor near the poles).
double DemoLongitudeScale(double latitude);

// Fits `circle` (its centre and scale set) through the eye: its radius,
// within the limits, and its turn rate. Returns the heading along the circle
// at the eye, or nothing when the eye is within kDemoCentreSlack of the
// centre, where the last circle stays as it was.
std::optional<double> FitDemoCircle(DemoCircle& circle, const Viewpoint& eye);

// Turns the eye `seconds` further round the circle and puts it on it.
void StepDemoCircle(const DemoCircle& circle, double seconds, Viewpoint& eye);

// One lap of a circle from where the eye stands: a flight that ends when
// the eye has turned all the way round.
class DemoLap : public Flight {
public:
    // The circle round (centreLat, centreLon) through the eye, which is
    // turned onto it; a centre within the slack gives a circle of the
    // smallest radius.
    DemoLap(double centreLat, double centreLon, Viewpoint& eye);
    void Step(double seconds, Viewpoint& eye) override;
    bool Finished() const override { return turned_ >= 360; }
    double Done() const override;
    const DemoCircle& circle() const { return circle_; }

private:
    DemoCircle circle_;
    double turned_ = 0;  // degrees
};
