#include "flight/trackpath.h"

#include <algorithm>
#include <cmath>

double GroundMetres(const GeoPoint& a, const GeoPoint& b)
{
    const double north = (b.latitude - a.latitude) * MetresPerDegree;
    const double east =
        LongitudeEastOf(b.longitude, a.longitude) * MetresPerDegree * EastWestScale((a.latitude + b.latitude) / 2);
    return std::hypot(north, east);
}

double BearingDegrees(const GeoPoint& a, const GeoPoint& b)
{
    const double north = b.latitude - a.latitude;
    const double east = LongitudeEastOf(b.longitude, a.longitude) * EastWestScale((a.latitude + b.latitude) / 2);
    const double bearing = std::atan2(east, north) * 180 / kPi;
    return bearing < 0 ? bearing + 360 : bearing;
}

GeoPoint MoveAlong(const GeoPoint& from, double bearing, double metres)
{
    const double degrees = metres / MetresPerDegree;
    const double latitude = from.latitude + std::cos(bearing * kDegToRad) * degrees;
    // Near a pole the east-west scale is held, as the grid holds it.
    const double scale = std::max(EastWestScale((from.latitude + latitude) / 2), kGridMinEastWestScale);
    return {latitude, WrapLongitude(from.longitude + std::sin(bearing * kDegToRad) * degrees / scale)};
}

TrackPath::TrackPath(std::vector<GeoPoint> points) : points_(std::move(points))
{
    if (points_.empty())
        return;
    distances_.assign(1, 0.0);
    for (std::size_t i = 1; i < points_.size(); ++i)
        distances_.push_back(distances_.back() + GroundMetres(points_[i - 1], points_[i]));
}

GeoPoint TrackPath::At(double metres) const
{
    if (points_.empty())
        return {0, 0};
    const auto next = std::upper_bound(distances_.begin(), distances_.end(), metres);
    if (next == distances_.begin())
        return points_.front();
    if (next == distances_.end())
        return points_.back();
    const std::size_t i = std::size_t(next - distances_.begin());
    const double span = distances_[i] - distances_[i - 1];
    const double t = span > 0 ? (metres - distances_[i - 1]) / span : 0;
    const GeoPoint& a = points_[i - 1];
    const GeoPoint& b = points_[i];
    return {a.latitude + (b.latitude - a.latitude) * t,
        WrapLongitude(a.longitude + LongitudeEastOf(b.longitude, a.longitude) * t)};
}

double TrackPath::NearestTo(const GeoPoint& place) const
{
    double best = 0;
    double bestMetres = INFINITY;
    for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
        // Metres east and north of the segment's start, where the segment
        // is a straight line.
        const GeoPoint& a = points_[i];
        const double scale = MetresPerDegree * EastWestScale(a.latitude);
        const auto local = [&](const GeoPoint& p) {
            return std::pair{
                LongitudeEastOf(p.longitude, a.longitude) * scale, (p.latitude - a.latitude) * MetresPerDegree};
        };
        const auto [bx, by] = local(points_[i + 1]);
        const auto [px, py] = local(place);
        const double lengthSquared = bx * bx + by * by;
        const double t = lengthSquared > 0 ? std::clamp((px * bx + py * by) / lengthSquared, 0.0, 1.0) : 0;
        const double away = std::hypot(px - bx * t, py - by * t);
        if (away < bestMetres) {
            bestMetres = away;
            best = distances_[i] + (distances_[i + 1] - distances_[i]) * t;
        }
    }
    return best;
}
