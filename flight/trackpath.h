#pragma once
// A GPX line as a path to fly: its points, the distance to each from the
// first, and the points between them, measured on the ground with an
// equirectangular measure, close enough over the few kilometres between a
// track's points.

#include <vector>

#include "core/geometry.h"

// Metres over the ground between two points, and the bearing from a to b in
// degrees clockwise from north, [0, 360).
double GroundMetres(const GeoPoint& a, const GeoPoint& b);
double BearingDegrees(const GeoPoint& a, const GeoPoint& b);
// The point `metres` from `from` along `bearing`.
GeoPoint MoveAlong(const GeoPoint& from, double bearing, double metres);

class TrackPath {
public:
    explicit TrackPath(std::vector<GeoPoint> points);
    bool empty() const { return points_.empty(); }
    double length() const { return distances_.empty() ? 0 : distances_.back(); }
    // The point `metres` along the path, held to its ends.
    GeoPoint At(double metres) const;
    // How far along the path its point nearest `place` lies, metres.
    double NearestTo(const GeoPoint& place) const;
    // Its points, and the distance to each from the first, metres.
    const std::vector<GeoPoint>& points() const { return points_; }
    const std::vector<double>& distances() const { return distances_; }

private:
    std::vector<GeoPoint> points_;
    std::vector<double> distances_;
};
