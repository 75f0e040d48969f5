#include "flight/chaseflight.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSpeedStep = 1.25;  // each +/- press
// The course is taken towards a point this many seconds of flight ahead, and
// at least this far: a short look would follow every kink of a recorded
// track.
constexpr double kCourseSeconds = 4;
constexpr double kCourseMinMetres = 300;
constexpr double kAltitudeSeconds = 1.5;  // the altitude's time constant
// Beyond the track's end its last leg's course is kept.
constexpr double kCourseBackMetres = 50;

// The signed turn from `from` to `to`, degrees in (-180, 180].
double TurnBetween(double from, double to)
{
    double turn = std::fmod(to - from, 360.0);
    if (turn > 180)
        turn -= 360;
    if (turn <= -180)
        turn += 360;
    return turn;
}

double WrapHeading(double heading)
{
    heading = std::fmod(heading, 360.0);
    return heading < 0 ? heading + 360 : heading;
}

}  // namespace

ChaseFlight::ChaseFlight(TrackPath path, GroundHeights ground, double startMetres) :
    path_(std::move(path)), ground_(std::move(ground)), at_(std::clamp(startMetres, 0.0, path_.length()))
{
}

double ChaseFlight::Done() const
{
    return path_.length() > 0 ? std::min(at_ / path_.length(), 1.0) : 1.0;
}

void ChaseFlight::SetSpeed(double metresPerSecond)
{
    speed_ = std::clamp(metresPerSecond, kChaseMinSpeed, kChaseMaxSpeed);
}

void ChaseFlight::Faster()
{
    SetSpeed(speed_ * kSpeedStep);
}

void ChaseFlight::Slower()
{
    SetSpeed(speed_ / kSpeedStep);
}

double ChaseFlight::CourseAhead() const
{
    const double ahead = std::max(speed_ * kCourseSeconds, kCourseMinMetres);
    const double to = std::min(at_ + ahead, path_.length());
    const double from = std::max(std::min(at_, to - kCourseBackMetres), 0.0);
    const GeoPoint a = path_.At(from);
    const GeoPoint b = path_.At(to);
    return GroundMetres(a, b) > 1 ? BearingDegrees(a, b) : heading_;
}

void ChaseFlight::Step(double seconds, Viewpoint& eye)
{
    if (!paused_)
        at_ = std::min(at_ + speed_ * seconds, path_.length());
    const GeoPoint point = path_.At(at_);
    const double pointGround = ground_(point);
    const double course = CourseAhead();
    if (!started_) {
        heading_ = course;
        altitude_ = pointGround + kChaseAbove;
        started_ = true;
    } else {
        const double limit = kChaseMaxTurn * seconds;
        heading_ = WrapHeading(heading_ + std::clamp(TurnBetween(heading_, course), -limit, limit));
        altitude_ += (pointGround + kChaseAbove - altitude_) * (1 - std::exp(-seconds / kAltitudeSeconds));
    }
    // Straight behind the point, so that it stays in the middle of the
    // frame's width whatever the heading does.
    const GeoPoint place = MoveAlong(point, heading_ + 180, kChaseBehind);
    eye.latitude = place.latitude;
    eye.longitude = place.longitude;
    eye.azimuth = heading_;
    eye.minAltitude = altitude_;
    // Looking down at the point from the height the eye will have: the
    // renderer lifts it clear of higher ground beneath it.
    const double eyeHeight = std::max(altitude_, ground_(place) + kChaseClearance);
    eye.pitch = -std::atan2(eyeHeight - pointGround, kChaseBehind) * 180 / kPi;
}
