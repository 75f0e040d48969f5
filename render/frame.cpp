// Frame stage: eye position and terrain-following altitude, sky colours and
// projection constants around the strip rasteriser, then the sky pass.

#include "render/frame.h"

#include <algorithm>
#include <cmath>

#include "core/geometry.h"
#include "render/fixedpoint.h"
#include "render/naturallook.h"
#include "render/rasterise.h"
#include "render/sky.h"

namespace {

constexpr double kEarthRadius = 6371000;  // metres
constexpr double kRefraction = 0.13;  // the standard coefficient

}  // namespace

double CurvatureDrop(double metres)
{
    return metres * metres * (1 - kRefraction) / (2 * kEarthRadius);
}

namespace {

constexpr int32_t kGroundClearance = 100;  // metres above the highest ground near the eye
constexpr int32_t kGroundReach = 8;  // cells either side of the eye cell
constexpr int32_t kGroundStep = 2;
constexpr int kGroundFollowBits = 2;  // a quarter of the gap per frame
// Altitudes are held within 2^24 m (about 16,800 km), so the eye's height in
// 1/256 cell stays well inside the offsets the projection takes.
constexpr int32_t kAltitudeLimit = 1 << 24;
constexpr double kMinHalfAngleX = 0.0436332312999;  // 2.5 degrees
constexpr double kMinHalfAngleY = 0.00872664625997;  // 0.5 degrees
constexpr double kGeoToCellUnits = 8;  // 1/32 cell to 1/256 cell

int32_t DrawnHeight(int16_t height, int32_t heightQuarters)
{
    return (height * heightQuarters) >> 2;
}

// The ground under the eye: the highest of an 8 x 8 sample, every second cell
// around the eye cell, plus the clearance; 0 off the tile.
int32_t HighestGroundNear(
    const TileInfo& tileInfo, const int16_t* const* heightGrid, int32_t eyeX, int32_t eyeY, int32_t heightQuarters)
{
    const int32_t cx = eyeX >> kCellFracBits;
    const int32_t cy = eyeY >> kCellFracBits;
    int32_t highest = 0;
    for (int32_t r = cy - kGroundReach; r < cy + kGroundReach; r += kGroundStep) {
        if (r <= 0 || r >= tileInfo.height)
            continue;
        for (int32_t c = cx - kGroundReach; c < cx + kGroundReach; c += kGroundStep)
            if (c > 0 && c < tileInfo.width)
                highest = std::max(highest, DrawnHeight(heightGrid[r][c], heightQuarters) + kGroundClearance);
    }
    return highest;
}

void SetProjection(ProjectionRecord& p, const FrameSettings& settings, double eyeAltitude, const Viewpoint& eye,
    const RenderParams& grid, int32_t W, int32_t H)
{
    p.eyeZ = TruncWithin(eyeAltitude * 256 / grid.metresPerCell, kEyeCellLimit * kCellUnits);
    const double a = std::clamp(eye.viewAngle, kMinViewAngle, kMaxViewAngle);
    const double ah = a * kPi / 180;
    const double av = H * ah / W;
    const int32_t focalLimit = INT32_MAX;
    p.focalX = TruncWithin((W / 2) / std::tan(std::max(ah / 2, kMinHalfAngleX)), focalLimit);
    p.focalY = TruncWithin((H / 2) / std::tan(std::max(av / 2, kMinHalfAngleY)), focalLimit);
    const double azimuth = -eye.renderAzimuth * kPi / 180;
    const double tilt = (eye.pitch + 180) * kPi / 180;
    p.cosAz = TruncWithin(std::cos(azimuth) * kRotationUnit, kRotationUnit);
    p.sinAz = TruncWithin(std::sin(azimuth) * kRotationUnit, kRotationUnit);
    p.cosPitch = TruncWithin(std::cos(tilt) * kRotationUnit, kRotationUnit);
    p.sinPitch = TruncWithin(std::sin(tilt) * kRotationUnit, kRotationUnit);
    p.metresPerCell = grid.metresPerCell;
    p.heightQuarters = settings.heightQuarters;
    // (d / 256 cells * metresPerCell)^2 (1 - k) / 2R, as a multiplier of d^2.
    const double metresPerUnit = grid.metresPerCell / kCellUnits;
    p.curvatureDrop = settings.earthCurvature
        ? std::llround(CurvatureDrop(metresPerUnit) * double(int64_t(1) << kCurvatureDropBits))
        : 0;
}

// Column 0, which no strip fills, repeats column 1 (its depth does so in
// FrameBufferSet::ReadBlock).
void CopyLeftEdge(const FrameBufferSet& fb, int32_t W, int32_t H)
{
    if (W < 2)
        return;
    for (int32_t r = 0; r < H; ++r)
        fb.ColourRows[r][0] = fb.ColourRows[r][1];
}

}  // namespace

EyePlacement PlaceEye(const TileInfo& tileInfo, const int16_t* const* heightGrid, const RenderParams& params,
    const Viewpoint& view, std::optional<int32_t> groundFollow, int32_t heightQuarters)
{
    EyePlacement placed;
    const GridPosition g = GeoToGrid(params, view.latitude, view.longitude);
    const int32_t eyeLimit = kEyeCellLimit * kCellUnits;
    placed.eyeX = TruncWithin(g.gx * kGeoToCellUnits, eyeLimit);
    placed.eyeY = TruncWithin(g.gy * kGeoToCellUnits, eyeLimit);
    // Follow the ground: rise to stay clear of the highest ground near the eye
    // and sink back as slowly, never below the user's minimum altitude.
    const int32_t ground = HighestGroundNear(tileInfo, heightGrid, placed.eyeX, placed.eyeY, heightQuarters);
    const int32_t from = groundFollow.value_or(ground);
    placed.groundFollow = from + ((ground - from) >> kGroundFollowBits);
    placed.altitude = std::max(placed.groundFollow, TruncWithin(view.minAltitude, kAltitudeLimit));
    return placed;
}

ScreenPoint ProjectGridSample(const Renderer& renderer, int32_t column, int32_t row, int32_t height)
{
    const FrameBufferSet& fb = renderer.Buffers();
    return ProjectGridPoint(renderer.last.projection, fb.frameWidth, fb.frameHeight, column, row, height);
}

bool GridTopSeen(const Renderer& renderer, int32_t column, int32_t row, int32_t height, ScreenPoint& where)
{
    // The ground just below the top may lie this much nearer and still be
    // its own flank: a share of the distance, plus two cells.
    constexpr int64_t kSlackShare = 32;
    constexpr int64_t kSlackCells = 2;
    const FrameBufferSet& fb = renderer.Buffers();
    const ScreenPoint top = ProjectGridSample(renderer, column, row, height);
    if (top.depth < kCellUnits || top.sx < 0 || top.sx >= fb.frameWidth || top.sy < 0 || top.sy >= fb.frameHeight)
        return false;
    int64_t farthest = 0;
    for (int32_t dy = 1; dy <= 3; ++dy)
        farthest = std::max<int64_t>(farthest, fb.DepthAt(top.sx, std::min(top.sy + dy, fb.frameHeight - 1)));
    if (farthest + top.depth / kSlackShare + kSlackCells * kCellUnits < top.depth)
        return false;
    where = top;
    return true;
}

int32_t RasteriseFrame(Renderer& renderer, const TileInfo& tileInfo, const int16_t* const* heightGrid,
    const RenderParams& params, const Viewpoint& view)
{
    const Viewpoint eye = view;
    const RenderParams grid = params;
    // The pair may still hold its size from before the buffers were made.
    renderer.SetFrameSize(renderer.Buffers().frameWidth, renderer.Buffers().frameHeight);
    const FrameBufferSet& fb = renderer.Buffers();
    const int32_t W = fb.frameWidth;
    const int32_t H = fb.frameHeight;

    const FrameSettings& settings = renderer.settings;
    const bool natural = settings.look == Look::Natural;
    if (natural)
        FillNaturalSkyRowColours(fb, W, H, eye.viewAngle, eye.pitch, settings.sun);
    else
        FillSkyRowColours(fb, W, H, eye.viewAngle, eye.pitch);

    const EyePlacement placed =
        PlaceEye(tileInfo, heightGrid, grid, eye, renderer.carried.groundFollow, renderer.settings.heightQuarters);
    LastFrame& last = renderer.last;
    last.projection.eyeX = placed.eyeX;
    last.projection.eyeY = placed.eyeY;
    renderer.carried.groundFollow = placed.groundFollow;
    last.eyeAltitude = placed.altitude;

    if (W > 0 && H > 0 && fb.ColumnTop != nullptr) {
        SetProjection(last.projection, renderer.settings, last.eyeAltitude, eye, grid, W, H);
        RasteriseStripsUnderSky(renderer);
        CopyLeftEdge(fb, W, H);
        if (natural)
            ApplyAerialPerspective(fb, W, H, grid.metresPerCell, settings);
    }
    return int32_t(last.eyeAltitude);
}
