#include "overlays/gpxoverlay.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

#include "core/geometry.h"
#include "elevation/terrain.h"
#include "render/fixedpoint.h"
#include "render/frame.h"
#include "render/framebuffers.h"

namespace {

constexpr int kLift = 5;  // metres above the ground a line is drawn at
constexpr double kStepCells = 3;  // a line follows the ground in steps of about this
constexpr int kMaxStepsPerSegment = 256;
constexpr int kMaxFramePoints = 60000;  // per frame, over all lines
// A line's pixel shows unless the ground drawn there lies nearer than this
// share of its distance, less two cells.
constexpr int64_t kSlackShare = 64;
constexpr int64_t kSlackCells = 2;

// A point on the grid with the ground height there, if the grid has it.
struct GroundPoint {
    int32_t column;
    int32_t row;
    int32_t height;
};
bool OnGround(const Terrain& terrain, const RenderParams& params, double latitude, double longitude, GroundPoint& out)
{
    const GridPosition at = GeoToGrid(params, latitude, longitude);
    const double column = at.gx / kGeoUnitsPerCell, row = at.gy / kGeoUnitsPerCell;
    if (!(column >= 0 && row >= 0 && column < terrain.tileInfo.width - 1 && row < terrain.tileInfo.height - 1))
        return false;
    out.column = int32_t(column);
    out.row = int32_t(row);
    out.height = std::max<int32_t>(terrain.heightGrid[out.row][out.column], 0) + kLift;
    return true;
}

// Plots a segment of the frame with its depth from d0 to d1, pixel by pixel,
// where the frame's ground does not stand in front.
void PlotSegment(const FrameBufferSet& buffers, Bitmap32& frame, int width, int height, const ScreenPoint& a,
    const ScreenPoint& b, uint32_t colour)
{
    const int steps = std::max(std::abs(b.sx - a.sx), std::abs(b.sy - a.sy));
    if (steps > 4 * (width + height))
        return;  // a segment reaching far off the frame: its ends lie behind or beside the eye
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0 : double(i) / steps;
        const int x = int(std::lround(a.sx + (b.sx - a.sx) * t));
        const int y = int(std::lround(a.sy + (b.sy - a.sy) * t));
        if (x < 0 || y < 0 || x >= width - 1 || y >= height)
            continue;
        const int64_t depth = std::llround(a.depth + (b.depth - a.depth) * t);
        const int64_t ground = buffers.DepthAt(x, y);
        if (ground + depth / kSlackShare + kSlackCells * kCellUnits < depth)
            continue;
        frame.scanLine(y)[x] = colour;
        frame.scanLine(y)[x + 1] = colour;
    }
}

}  // namespace

double GroundMetres(const GpxPoint& a, const GpxPoint& b)
{
    const double north = (b.latitude - a.latitude) * MetresPerDegree;
    const double east = (b.longitude - a.longitude) * MetresPerDegree * EastWestScale((a.latitude + b.latitude) / 2);
    return std::hypot(north, east);
}

double BearingDegrees(const GpxPoint& a, const GpxPoint& b)
{
    const double north = b.latitude - a.latitude;
    const double east = (b.longitude - a.longitude) * EastWestScale((a.latitude + b.latitude) / 2);
    const double bearing = std::atan2(east, north) * 180 / kPi;
    return bearing < 0 ? bearing + 360 : bearing;
}

void GpxOverlay::Add(GpxData data)
{
    files_.push_back(std::move(data));
    ++filesSerial_;
}

void GpxOverlay::Clear()
{
    files_.clear();
    ++filesSerial_;
}

const GpxLine* GpxOverlay::FlightLine() const
{
    if (files_.empty() || files_.back().lines.empty())
        return nullptr;
    const auto& lines = files_.back().lines;
    return &*std::max_element(lines.begin(), lines.end(),
        [](const GpxLine& a, const GpxLine& b) { return a.points.size() < b.points.size(); });
}

void GpxOverlay::DrawOnMap(QPainter& painter, int width, int height, const RenderParams& params) const
{
    painter.drawImage(0, 0, mapLayer_.Layer(files_, filesSerial_, width, height, params));
}

void GpxOverlay::DrawOnMap(
    QPainter& painter, const MapViewport& viewport, const RenderParams& params, const QFont& font) const
{
    painter.drawImage(0, 0, mapLayer_.Layer(files_, filesSerial_, viewport, params, &font));
}

void GpxOverlay::DrawInFrame(const Renderer& renderer, Bitmap32& frame, QPainter& painter, const Terrain& terrain,
    const RenderParams& params) const
{
    const FrameBufferSet& fb = renderer.Buffers();
    const int width = fb.frameWidth, height = fb.frameHeight;
    int budget = kMaxFramePoints;
    for (std::size_t f = 0; f < files_.size(); ++f) {
        const uint32_t colour = GpxFileColour(f).rgb() & 0xFFFFFF;
        for (const GpxLine& line : files_[f].lines) {
            bool havePrevious = false;
            ScreenPoint previous{};
            for (std::size_t i = 0; i + 1 < line.points.size() && budget > 0; ++i) {
                const GpxPoint& a = line.points[i];
                const GpxPoint& b = line.points[i + 1];
                const double cells = GroundMetres(a, b) / params.metresPerCell;
                const int steps = std::clamp(int(cells / kStepCells), 1, kMaxStepsPerSegment);
                for (int s = i == 0 ? 0 : 1; s <= steps && budget > 0; ++s, --budget) {
                    const double t = double(s) / steps;
                    GroundPoint ground;
                    if (!OnGround(terrain, params, a.latitude + (b.latitude - a.latitude) * t,
                            WrapLongitude(a.longitude + LongitudeEastOf(b.longitude, a.longitude) * t), ground)) {
                        havePrevious = false;
                        continue;
                    }
                    const ScreenPoint here = ProjectGridSample(renderer, ground.column, ground.row, ground.height);
                    const bool inFront = here.depth >= kCellUnits;
                    if (havePrevious && inFront)
                        PlotSegment(fb, frame, width, height, previous, here, colour);
                    previous = here;
                    havePrevious = inFront;
                }
            }
        }
    }
    // Waypoints: a dot where the frame shows the place; their names are
    // labelled with the other places' (summitlabels.h).
    painter.setPen(Qt::black);
    for (std::size_t f = 0; f < files_.size(); ++f) {
        for (const GpxWaypoint& waypoint : files_[f].waypoints) {
            GroundPoint ground;
            ScreenPoint seen;
            if (!OnGround(terrain, params, waypoint.at.latitude, waypoint.at.longitude, ground) ||
                !GridTopSeen(renderer, ground.column, ground.row, ground.height, seen))
                continue;
            painter.setBrush(GpxFileColour(f));
            painter.drawEllipse(QPoint(seen.sx, seen.sy), 3, 3);
        }
    }
}
