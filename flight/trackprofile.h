#pragma once
// The elevation profile of a GPX line: height against distance along it,
// from the loaded landscape's grid and from the file's own <ele> where it
// has them, with the climb and the highest point of each.
//
// Nothing is smoothed. The curve is the heights as they are, sampled at
// even steps of about one grid cell (fewer on a long track, at most
// kProfileMaxPoints); the ascent and descent count a rise or a fall only
// once it exceeds kClimbHysteresis metres from the last turn, so that the
// grid's and a receiver's noise of a metre or two does not add up along a
// flat track, while a steady slope counts in full.

#include <functional>
#include <limits>
#include <vector>

#include "core/geometry.h"
#include "flight/trackpath.h"

inline constexpr int kProfileMaxPoints = 4000;
inline constexpr double kProfileStepMetres = 25;  // about a grid cell of one arc-second
inline constexpr double kClimbHysteresis = 3;  // metres

inline constexpr double kNoHeight = std::numeric_limits<double>::quiet_NaN();

// A height in metres at a place, or kNoHeight where there is none.
using HeightLookup = std::function<double(const GeoPoint&)>;

struct ProfilePoint {
    double metres = 0;  // along the track
    double ground = kNoHeight;  // the grid's height
    double file = kNoHeight;  // the file's, between its points with <ele>
};

struct ClimbFigures {
    bool known = false;  // some height was known
    double ascent = 0;
    double descent = 0;
    double highest = kNoHeight;
    double highestAt = 0;  // metres along the track
};

struct TrackProfile {
    double length = 0;
    std::vector<ProfilePoint> points;
    ClimbFigures ground;  // from the points' grid heights
    ClimbFigures file;  // from the file's own points, every one
};

// The ascent and descent through `heights` in order, with the hysteresis
// above, and the highest of them at its `metres`; unknown heights are passed
// over. Both vectors have the same size.
ClimbFigures CountClimb(const std::vector<double>& metres, const std::vector<double>& heights);

// The profile of `path`, whose points have the file's heights
// `fileHeights` (kNoHeight where a point has none; empty for none at all),
// with the ground from `ground`.
TrackProfile ProfileOf(const TrackPath& path, const std::vector<double>& fileHeights, const HeightLookup& ground);
