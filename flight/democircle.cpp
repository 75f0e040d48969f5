#include "flight/democircle.h"

#include <algorithm>
#include <cmath>

#include "core/geometry.h"

double DemoLongitudeScale(double latitude)
{
    // The arithmetic of the eye's moves, to the bit.
    return NavigationLongitudeScale(latitude);
}

std::optional<double> FitDemoCircle(DemoCircle& circle, const Viewpoint& eye)
{
    // The eye's offset from the circle's centre in degrees of latitude.
    const double dy = eye.latitude - circle.centreLat;
    const double dx = circle.longitudeScale * LongitudeEastOf(eye.longitude, circle.centreLon);
    if (std::max(std::fabs(dx), std::fabs(dy)) <= kDemoCentreSlack)
        return std::nullopt;
    // The heading along the anticlockwise circle through the eye.
    double heading = std::atan2(dx, dy) * kRadToDeg - 90;
    if (heading < 0)
        heading += 360;
    circle.radius = std::clamp(std::sqrt(dx * dx + dy * dy), kDemoRadiusMin, kDemoRadiusMax);
    // Small circles turn faster, large ones fly faster over the ground.
    circle.turnRate = std::sqrt(circle.radius) * kDemoSpeed / circle.radius;
    return heading;
}

void StepDemoCircle(const DemoCircle& circle, double seconds, Viewpoint& eye)
{
    eye.azimuth -= seconds * circle.turnRate;
    if (eye.azimuth < 0)
        eye.azimuth += 360;
    // The eye stands at bearing azimuth + 90 from the centre, the centre on its left.
    const double bearing = (eye.azimuth + 90) * kDegToRad;
    eye.latitude = circle.centreLat + std::cos(bearing) * circle.radius;
    eye.longitude = WrapLongitude(circle.centreLon + std::sin(bearing) * circle.radius / circle.longitudeScale);
}

DemoLap::DemoLap(double centreLat, double centreLon, Viewpoint& eye)
{
    circle_.centreLat = centreLat;
    circle_.centreLon = centreLon;
    circle_.longitudeScale = DemoLongitudeScale(centreLat);
    if (const std::optional<double> heading = FitDemoCircle(circle_, eye)) {
        eye.azimuth = *heading;
    } else {
        // From the centre itself: the smallest circle, entered south of it.
        eye.latitude = centreLat - kDemoRadiusMin;
        eye.longitude = centreLon;
        eye.azimuth = *FitDemoCircle(circle_, eye);
    }
}

void DemoLap::Step(double seconds, Viewpoint& eye)
{
    const double left = 360 - turned_;
    const double turn = std::min(seconds * circle_.turnRate, left);
    StepDemoCircle(circle_, turn / circle_.turnRate, eye);
    turned_ += turn;
}

double DemoLap::Done() const
{
    return std::min(turned_ / 360, 1.0);
}
