#include "flight/trackprofile.h"

#include <algorithm>
#include <cmath>

namespace {

// The file's height `metres` along the path: linear between the two points
// around it, unknown where either lacks one.
double FileHeightAt(const TrackPath& path, const std::vector<double>& fileHeights, double metres)
{
    const std::vector<double>& distances = path.distances();
    const auto next = std::upper_bound(distances.begin(), distances.end(), metres);
    if (next == distances.begin())
        return fileHeights.front();
    if (next == distances.end())
        return fileHeights.back();
    const std::size_t i = std::size_t(next - distances.begin());
    const double span = distances[i] - distances[i - 1];
    const double t = span > 0 ? (metres - distances[i - 1]) / span : 0;
    return fileHeights[i - 1] + (fileHeights[i] - fileHeights[i - 1]) * t;
}

}  // namespace

// A turn counts once the height has moved kClimbHysteresis from the extreme
// reached since the last turn: climbing, the highest height so far is the
// candidate top, and only a fall of more than the hysteresis below it makes
// it a top, adding its rise from the last turn to the ascent. The run in
// progress at the end counts up to its extreme, so a steady ramp counts its
// whole rise and a wobble smaller than the hysteresis counts nothing.
ClimbFigures CountClimb(const std::vector<double>& metres, const std::vector<double>& heights)
{
    ClimbFigures figures;
    int direction = 0;  // +1 climbing, -1 descending, 0 not yet moved beyond the hysteresis
    double turn = 0;  // the height at the last turn (or the first height)
    double extreme = 0;  // the farthest height from `turn` in `direction`
    for (std::size_t i = 0; i < heights.size(); ++i) {
        const double h = heights[i];
        if (std::isnan(h))
            continue;
        if (!figures.known || h > figures.highest) {
            figures.highest = h;
            figures.highestAt = metres[i];
        }
        if (!figures.known) {
            figures.known = true;
            turn = extreme = h;
            continue;
        }
        if (direction == 0) {
            if (std::fabs(h - turn) > kClimbHysteresis) {
                direction = h > turn ? 1 : -1;
                extreme = h;
            }
        } else if ((h - extreme) * direction >= 0) {
            extreme = h;
        } else if ((extreme - h) * direction > kClimbHysteresis) {
            (direction > 0 ? figures.ascent : figures.descent) += std::fabs(extreme - turn);
            turn = extreme;
            extreme = h;
            direction = -direction;
        }
    }
    if (direction != 0)
        (direction > 0 ? figures.ascent : figures.descent) += std::fabs(extreme - turn);
    return figures;
}

TrackProfile ProfileOf(const TrackPath& path, const std::vector<double>& fileHeights, const HeightLookup& ground)
{
    TrackProfile profile;
    if (path.empty())
        return profile;
    profile.length = path.length();
    const bool haveFile = fileHeights.size() == path.points().size() &&
        std::any_of(fileHeights.begin(), fileHeights.end(), [](double h) { return !std::isnan(h); });
    const int count = std::clamp(
        int(std::ceil(profile.length / kProfileStepMetres)) + 1, profile.length > 0 ? 2 : 1, kProfileMaxPoints);
    const double step = count > 1 ? profile.length / (count - 1) : 0;
    std::vector<double> metres, groundHeights;
    for (int i = 0; i < count; ++i) {
        ProfilePoint point;
        point.metres = i + 1 == count ? profile.length : step * i;
        point.ground = ground(path.At(point.metres));
        if (haveFile)
            point.file = FileHeightAt(path, fileHeights, point.metres);
        profile.points.push_back(point);
        metres.push_back(point.metres);
        groundHeights.push_back(point.ground);
    }
    profile.ground = CountClimb(metres, groundHeights);
    if (haveFile)
        profile.file = CountClimb(path.distances(), fileHeights);
    return profile;
}
