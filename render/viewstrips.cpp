// View strips: which cells of the height grid a frame can see, gathered
// nearest first as strips across the view.
//
// Algorithm: the camera's edge angles give, along the view axis, an apex, a
// near distance (where the lower edge meets flat ground) and a far distance.
// The visible ground is taken as a quadrilateral (the wedge) around that
// axis. A quarter turn (the octant) makes the axis run along +u; its slope in
// (u, v) is quantised to L/M, and strips are the lines t = u - v * L' / M for
// t = t_near .. t_far, walked in v with a Bresenham error term. Strips are
// sampled at spacing 1, 2, 4 and 8 in rings that grow with distance, each
// ring coloured from the matching reduced relief level, on a lattice anchored
// to the eye cell snapped to 8 so the samples do not swim as the eye moves.

#include "render/viewstrips.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/workerpool.h"
#include "render/fixedpoint.h"
#include "render/frame.h"
#include "render/renderer.h"

namespace {

// Every slope class's strips fit the strip buffer with their spare slots.
constexpr bool StripsFitBuffer()
{
    for (const SlopeClass& sc : kSlopeClasses)
        if (int64_t(sc.rowsAllowed) * (sc.stride + kStripSpareSlots) > kSampleStripSlots)
            return false;
    return true;
}
static_assert(StripsFitBuffer());

constexpr double kMinEdgeAngle = 0.01;  // rad, keeps tangents finite
constexpr double kMinEyeCells = 10;
constexpr double kMaxNearDistance = 3061;  // cells
constexpr double kOpenFarDistance = 99999;
constexpr double kMinNearHalfWidth = 50;  // cells, about
constexpr double kMaxFarHalfWidth = 3000;
constexpr int32_t kLatticeSnapBits = 3;  // the sample lattice moves in steps of 8 cells
constexpr int32_t kCoarsestSpacingBits = 3;  // spacing 8 is final

constexpr double kApertureWidening = 1.25;  // the vertical half angle planned for

struct Camera {
    double theta;  // view direction, rad counter-clockwise from east
    double phi;  // pitch, rad
    double alpha;  // horizontal half angle
    double beta;  // vertical half angle, widened by a quarter
    double gamma;  // far half angle
    double e1, e2;  // lower and upper edge angles
    double m1, m2;  // their floored magnitudes
    double eyeCells;  // eye height, cells
};

Camera CameraFor(const Viewpoint& eye, const RenderParams& grid, int32_t W, int32_t H)
{
    Camera cam;
    cam.theta = (90 - eye.renderAzimuth) * kPi / 180;
    cam.phi = eye.pitch * kPi / 180;
    const double a = std::clamp(eye.viewAngle, kMinViewAngle, kMaxViewAngle);
    cam.alpha = a * 0.5 * kPi / 180;
    // The angle itself, not its tangent, follows the aspect ratio.
    cam.beta = H * cam.alpha / W * kApertureWidening;
    cam.e1 = cam.phi - cam.beta;
    cam.e2 = cam.phi + cam.beta;
    cam.m1 = std::max(std::fabs(cam.e1), kMinEdgeAngle);
    cam.m2 = std::max(std::fabs(cam.e2), kMinEdgeAngle);
    const double farEdge = cam.phi <= 0 ? cam.m2 : cam.m1;
    cam.gamma = std::atan(std::tan(cam.alpha) * std::cos(cam.beta) / std::cos(farEdge));
    cam.eyeCells = std::max(eye.minAltitude / grid.metresPerCell, kMinEyeCells);
    return cam;
}

struct AxisDistances {
    double apex;  // negative: behind the eye
    double nearDistance;
    double farDistance;
    int32_t widthLimit;  // Wmax: 1.1 tile diagonals
};

AxisDistances DistancesFor(const Camera& cam, const RenderParams& grid, double& detailFactor)
{
    AxisDistances d;
    const double e = cam.eyeCells;
    // Looking down, the apex is the eye; with the lower edge above the
    // horizontal it lies behind the eye by E cot e1.
    const double apexTangent = std::tan(cam.e1 + kPi / 2);
    d.apex = apexTangent < 0 ? e * apexTangent : 0;
    if (cam.m1 < kPi / 2) {
        d.nearDistance = std::min(e * std::tan(kPi / 2 - cam.m1) * detailFactor - 2, kMaxNearDistance);
    } else {
        d.nearDistance = e * std::tan(kPi / 2 - cam.m1);
        detailFactor = 0.5;
    }
    d.farDistance = cam.phi < -(cam.beta + 0.1) ? e * std::tan(kPi / 2 - cam.m2) : kOpenFarDistance;
    const int64_t cols = grid.tileColumns != 0 ? grid.tileColumns : grid.columns;
    const int64_t rows = grid.tileRows != 0 ? grid.tileRows : grid.rows;
    d.widthLimit = TruncWithin(std::sqrt(double(cols * cols + rows * rows)) * 1.1, kGridCoordLimit);
    d.farDistance = std::max(std::min(d.farDistance, double(d.widthLimit)), d.nearDistance + 2);
    return d;
}

// Looking steeply down, the whole frame sees ground within a few cells of the
// eye. The far distance above assumes the eye at its minimum altitude over
// ground at sea level, and the strips are anchored to the eye's lattice cell,
// up to kLatticeSlack cells from the eye itself; either can leave the upper
// part of such a frame without strips, showing sky. Where the strips fall
// short of the ground seen at the upper edge from the eye's real altitude,
// they are stretched to it, and back past the ground under the eye. Up to
// kSteepPitch the planned margins cover the frame, and those frames keep the
// strips they have always had.
constexpr double kLatticeSlack = 8;  // cells: the snap offset, 4 sqrt(2), and a margin
constexpr double kSteepPitch = -kPi / 3;  // 60 degrees down

void ReachGroundInView(const Camera& cam, double eyeAltitudeCells, AxisDistances& d)
{
    if (!(cam.phi < kSteepPitch && cam.phi < -(cam.beta + 0.1)))
        return;
    const double halfAngle = cam.beta / kApertureWidening;  // the frame's own
    const double upperEdge = -(cam.phi + halfAngle);  // depression, > 0.1
    const double ahead = eyeAltitudeCells / std::tan(upperEdge) + kLatticeSlack;
    if (d.farDistance >= ahead)
        return;
    const double lowerEdge = -(cam.phi - halfAngle);
    const double behind = lowerEdge > kPi / 2 ? eyeAltitudeCells * std::tan(lowerEdge - kPi / 2) : 0;
    d.farDistance = std::min(ahead, double(d.widthLimit));
    d.apex = std::min(d.apex, -(behind + kLatticeSlack));
}

int32_t Trunc(double value)
{
    return TruncWithin(value, kGridCoordLimit);
}

struct GridVector {
    double x;  // column component
    double y;
};

GridVector Scaled(GridVector v, double k)
{
    return {v.x * k, v.y * k};
}

double SquaredLength(GridVector v)
{
    return v.x * v.x + v.y * v.y;
}

struct ColRow {
    int32_t col;
    int32_t row;
};

struct Wedge {
    ColRow apex, farPoint;
    ColRow nearLeft, farLeft, nearRight, farRight;
};

Wedge WedgeFor(const Camera& cam, const AxisDistances& d)
{
    Wedge w;
    w.apex = {Trunc(d.apex * std::cos(cam.theta)), Trunc(-d.apex * std::sin(cam.theta))};
    w.farPoint = {Trunc(d.farDistance * std::cos(cam.theta)), Trunc(-d.farDistance * std::sin(cam.theta))};

    // r points to the right of the view direction.
    const GridVector r{std::cos(cam.theta - kPi / 2), std::sin(cam.theta - kPi / 2)};
    GridVector nearHalf = Scaled(r, std::fabs(std::tan(cam.beta) * cam.eyeCells) * 1.5);
    GridVector farHalf = Scaled(r, std::fabs(d.farDistance) * std::fabs(std::tan(cam.gamma)) * 1.5);
    const double nearSquared = SquaredLength(nearHalf);
    if (nearSquared < kMinNearHalfWidth * kMinNearHalfWidth)
        nearHalf = Scaled(nearHalf, kMinNearHalfWidth / std::sqrt(nearSquared + 1));
    const double farSquared = SquaredLength(farHalf);
    if (farSquared > kMaxFarHalfWidth * kMaxFarHalfWidth)
        farHalf = Scaled(farHalf, kMaxFarHalfWidth / std::sqrt(farSquared + 1));
    if (std::fabs(nearHalf.x) > std::fabs(farHalf.x))
        farHalf = nearHalf;

    // The row axis points south, hence the opposite signs of the row parts.
    w.nearLeft = {Trunc(w.apex.col - nearHalf.x), Trunc(w.apex.row + nearHalf.y)};
    w.farLeft = {Trunc(w.farPoint.col - farHalf.x), Trunc(w.farPoint.row + farHalf.y)};
    w.nearRight = {Trunc(w.apex.col + nearHalf.x), Trunc(w.apex.row - nearHalf.y)};
    w.farRight = {Trunc(w.farPoint.col + farHalf.x), Trunc(w.farPoint.row - farHalf.y)};
    return w;
}

// (col, row) = eye + colPerU * u + colPerV * v, and likewise for the row.
struct OctantAxes {
    int32_t colPerU, colPerV;
    int32_t rowPerU, rowPerV;
};
constexpr OctantAxes kOctantAxes[4] = {
    {1, 0, 0, 1},  // (u, v) = (col, row)
    {0, -1, 1, 0},  // (u, v) = (row, -col)
    {-1, 0, 0, -1},  // (u, v) = (-col, -row)
    {0, 1, -1, 0},  // (u, v) = (-row, col)
};

UvPoint ToUv(int32_t octant, ColRow p)
{
    switch (octant) {
    case 0: return {p.col, p.row};
    case 1: return {p.row, -p.col};
    case 2: return {-p.col, -p.row};
    default: return {-p.row, p.col};
    }
}

ColRow SnappedEyeCell(const Viewpoint& eye, const RenderParams& grid, const TileInfo& tileInfo)
{
    const CellOffset d = GeoToCellOffset(grid, eye.latitude, eye.longitude);
    const double col = d.east + (tileInfo.width / 2 + grid.centreColumnShift);
    const double row = (tileInfo.height / 2 + grid.centreRowShift) - d.north;
    auto snap = [](double v) { return ((TruncWithin(v, kEyeCellLimit) + 4) >> kLatticeSnapBits) << kLatticeSnapBits; };
    return {snap(col), snap(row)};
}

// Everything one strip's walk needs that does not change from strip to strip.
struct StripWalker {
    OctantAxes axes;
    int32_t L, M, signedL;
    ColRow eye;
    uint32_t colSpan, rowSpan;  // a sample needs 0 < col < width - 1, 0 < row < height - 1
    const int16_t* const* heightGrid;
    uint32_t* const* colourRows[4];  // relief level per spacing 1, 2, 4, 8
    int32_t capacity;  // samples a strip may hold

    // A strip's walk under way: the lattice from (u0, v0), n steps of R in
    // v, writing the samples inside the tile to slots.
    struct Cursor {
        int32_t col, row;
        int32_t error;
        int32_t k;  // steps taken
        int32_t n;
        int32_t spacingBits;
        int32_t written;
        StripSample* slots;
    };

    Cursor Start(int32_t u0, int32_t v0, int32_t n, int32_t spacingBits, StripSample* slots) const
    {
        return {eye.col + axes.colPerU * u0 + axes.colPerV * v0, eye.row + axes.rowPerU * u0 + axes.rowPerV * v0, M, 0,
            n, spacingBits, 0, slots};
    }

    // Walks on to step `until` or the strip's end.
    void Advance(Cursor& c, int32_t until) const
    {
        const int32_t R = 1 << c.spacingBits;
        const int32_t delta = signedL >= 0 ? R : -R;
        const int32_t colStepV = axes.colPerV * R, rowStepV = axes.rowPerV * R;
        const int32_t colStepU = axes.colPerU * delta, rowStepU = axes.rowPerU * delta;
        uint32_t* const* colours = colourRows[c.spacingBits];
        const int32_t bits = c.spacingBits;
        int32_t col = c.col, row = c.row, error = c.error, written = c.written;
        const int32_t end = std::min(c.n, until);
        int32_t k = c.k;
        for (; k < end && written < capacity; ++k) {
            col += colStepV;
            row += rowStepV;
            error -= L;
            if (error < 1) {
                error += M;
                col += colStepU;
                row += rowStepU;
            }
            if (uint32_t(col - 1) < colSpan && uint32_t(row - 1) < rowSpan) {
                StripSample& s = c.slots[written++];
                s.col = col;
                s.row = row;
                s.height = heightGrid[row][col];
                s.colour = colours[row >> bits][col >> bits];
            }
        }
        c.col = col;
        c.row = row;
        c.error = error;
        c.k = written < capacity ? k : c.n;  // a full strip takes no more steps
        c.written = written;
    }

    static void Finish(const Cursor& c) { c.slots[c.written].colour = kStripTerminator; }
};

int32_t Interpolate(int64_t toFar, int32_t nearValue, int64_t fromNear, int32_t farValue, int64_t span)
{
    return int32_t((toFar * nearValue + fromNear * farValue) / span);
}

// Where one strip's walk starts and how far it goes, as WalkStrips plans it.
struct StripWalk {
    int32_t u0, v0, n, spacingBits;
};

constexpr int32_t MostStrips()
{
    int32_t most = 0;
    for (const SlopeClass& sc : kSlopeClasses)
        most = std::max(most, sc.rowsAllowed);
    return most;
}

// The walks of a frame's strips: planned one after the other (each strip's
// detail level follows from the one before), then walked side by side.
using StripWalks = std::array<StripWalk, MostStrips()>;

constexpr int32_t kAbreast = 8;  // strips walked side by side

}  // namespace

int32_t OctantOf(int32_t dc, int32_t dr)
{
    if (std::abs(dc) >= std::abs(dr))
        return dc >= 0 ? 0 : 2;
    return dr >= 0 ? 1 : 3;
}

int32_t SlopeClassOf(int32_t du, int32_t dv)
{
    // Thresholds: the midpoints between the slopes of the classes, times 100.
    static constexpr int64_t kUpperK[5] = {9, 25, 42, 59, 84};
    const int64_t k = std::abs(int64_t(100) * dv) / std::max(du, 1);
    int32_t cls = 0;
    while (cls < 5 && k >= kUpperK[cls])
        ++cls;
    return cls;
}

std::array<int32_t, 3> DetailRingLimits(int32_t rowsAllowed, double d)
{
    if (rowsAllowed > d)
        return {rowsAllowed, rowsAllowed, rowsAllowed};
    // p rows at spacing 1, p at 2, 8 at 4 and the rest at 8 span about d cells.
    const int32_t p = (8 * rowsAllowed - TruncWithin(d, kGridCoordLimit)) / 13;
    return {p, 2 * p, 2 * p + 8};
}

void AdjustDetailFactor(CarriedState& carried)
{
    if (carried.detailFactor < 0.01 && carried.rasterFeedback >= 1)
        carried.rasterFeedback = 1;
    if (carried.rasterFeedback > 1) {
        const double lowered = carried.detailFactor - 0.1;
        carried.detailFactor = lowered < 0 ? 0 : lowered;
    } else if (carried.rasterFeedback == 0) {
        const double raised = carried.detailFactor + 0.03;
        carried.detailFactor = raised > 0.9 ? 0.9 : raised;
    }
}

bool IntersectLines(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g, int32_t h,
    int32_t& outX, int32_t& outY)
{
    // Slopes in 8.8 fixed point; 64-bit so that wide wedges cannot overflow.
    constexpr int kSlopeBits = 8;
    constexpr int64_t kOne = 1 << kSlopeBits;
    int64_t x, y;
    if (std::abs(int64_t(h) - f) < std::abs(int64_t(g) - e)) {
        if (c == a)
            return false;
        const int64_t s1 = ((int64_t(d) - b) << kSlopeBits) / (int64_t(c) - a);
        const int64_t s2 = ((int64_t(h) - f) * kOne) / (int64_t(g) - e);
        if (s1 == s2)
            return false;
        x = (a * s1 + (int64_t(f) - b) * kOne - e * s2) / (s1 - s2);
        y = (((x - a) * s1) >> kSlopeBits) + b;
    } else {
        if (d == b || h == f)
            return false;
        const int64_t r1 = ((int64_t(c) - a) << kSlopeBits) / (int64_t(d) - b);
        const int64_t r2 = ((int64_t(g) - e) * kOne) / (int64_t(h) - f);
        if (r1 == r2)
            return false;
        y = (b * r1 + (int64_t(e) - a) * kOne - f * r2) / (r1 - r2);
        x = (((y - b) * r1) >> kSlopeBits) + a;
    }
    outX = int32_t(std::clamp<int64_t>(x, -kGridCoordLimit, kGridCoordLimit));
    outY = int32_t(std::clamp<int64_t>(y, -kGridCoordLimit, kGridCoordLimit));
    return true;
}

StripLayout PlanStrips(int32_t W, int32_t H, const TileInfo& tileInfo, const RenderParams& grid, const Viewpoint& eye,
    double eyeAltitude, double detailFactor)
{
    const Camera cam = CameraFor(eye, grid, std::max(W, 1), std::max(H, 1));
    AxisDistances dist = DistancesFor(cam, grid, detailFactor);
    ReachGroundInView(cam, eyeAltitude / grid.metresPerCell, dist);
    const Wedge wedge = WedgeFor(cam, dist);

    StripLayout plan;
    plan.octant = OctantOf(wedge.farPoint.col - wedge.apex.col, wedge.farPoint.row - wedge.apex.row);
    plan.apex = ToUv(plan.octant, wedge.apex);
    plan.farPoint = ToUv(plan.octant, wedge.farPoint);
    plan.nearLeft = ToUv(plan.octant, wedge.nearLeft);
    plan.farLeft = ToUv(plan.octant, wedge.farLeft);
    plan.nearRight = ToUv(plan.octant, wedge.nearRight);
    plan.farRight = ToUv(plan.octant, wedge.farRight);
    const UvPoint apex = plan.apex;
    const UvPoint farPoint = plan.farPoint;

    plan.slopeClass = SlopeClassOf(farPoint.u - apex.u, farPoint.v - apex.v);
    const SlopeClass& sc = kSlopeClasses[plan.slopeClass];
    plan.signedL = farPoint.v - apex.v >= 0 ? -sc.L : sc.L;
    plan.rowsAllowed = sc.rowsAllowed;
    plan.tNear = apex.u - (apex.v * plan.signedL) / sc.M;
    plan.tFar = farPoint.u - (farPoint.v * plan.signedL) / sc.M;
    plan.ringLimits = DetailRingLimits(sc.rowsAllowed, dist.farDistance - dist.nearDistance);
    plan.nearDistance = dist.nearDistance;
    plan.farDistance = dist.farDistance;
    plan.widthLimit = dist.widthLimit;

    if (plan.slopeClass != 0) {
        // Snap the corners onto the first and last strip lines.
        const int32_t L = plan.signedL;
        UvPoint& nl = plan.nearLeft;
        UvPoint& fl = plan.farLeft;
        UvPoint& nr = plan.nearRight;
        UvPoint& fr = plan.farRight;
        IntersectLines(apex.u, apex.v, apex.u - L, apex.v - sc.M, nl.u, nl.v, fl.u, fl.v, nl.u, nl.v);
        IntersectLines(apex.u, apex.v, apex.u - L, apex.v - sc.M, nr.u, nr.v, fr.u, fr.v, nr.u, nr.v);
        IntersectLines(farPoint.u, farPoint.v, farPoint.u - L, farPoint.v - sc.M, nl.u, nl.v, fl.u, fl.v, fl.u, fl.v);
        IntersectLines(farPoint.u, farPoint.v, farPoint.u - L, farPoint.v - sc.M, nr.u, nr.v, fr.u, fr.v, fr.u, fr.v);
    }
    const ColRow eyeCell = SnappedEyeCell(eye, grid, tileInfo);
    plan.eyeCol = eyeCell.col;
    plan.eyeRow = eyeCell.row;
    plan.detailFactor = detailFactor;
    return plan;
}

namespace {

// Walks strips [first, last), at most kAbreast, a stretch of each in turn. A
// strip across the grid's rows reads a new line of the heights and of the
// relief at every sample, more lines along a long strip than the first-level
// cache holds, while its neighbours read mostly the same ones.
void WalkAbreast(const StripWalker& walker, const StripWalks& stripWalks, int32_t first, int32_t last,
    StripSample* strips, int32_t pitch)
{
    constexpr int32_t kStretch = 128;  // steps
    std::array<StripWalker::Cursor, kAbreast> cursors;
    const int32_t abreast = last - first;
    int32_t longest = 0;
    for (int32_t a = 0; a < abreast; ++a) {
        const StripWalk& walk = stripWalks[std::size_t(first + a)];
        cursors[std::size_t(a)] =
            walker.Start(walk.u0, walk.v0, walk.n, walk.spacingBits, strips + int64_t(first + a) * pitch);
        longest = std::max(longest, walk.n);
    }
    for (int32_t until = 0; until < longest;) {
        until += std::min(kStretch, longest - until);
        for (int32_t a = 0; a < abreast; ++a)
            walker.Advance(cursors[std::size_t(a)], until);
    }
    for (int32_t a = 0; a < abreast; ++a)
        StripWalker::Finish(cursors[std::size_t(a)]);
}

}  // namespace

int32_t WalkStrips(const StripLayout& plan, const TileInfo& tileInfo, const ReliefLevels& reliefLevels,
    const int16_t* const* heightGrid, StripSample* strips)
{
    const SlopeClass& sc = kSlopeClasses[plan.slopeClass];
    StripWalker walker;
    walker.axes = kOctantAxes[plan.octant];
    walker.L = sc.L;
    walker.M = sc.M;
    walker.signedL = plan.signedL;
    walker.eye = {plan.eyeCol, plan.eyeRow};
    walker.colSpan = uint32_t(std::max(tileInfo.width - 2, 0));
    walker.rowSpan = uint32_t(std::max(tileInfo.height - 2, 0));
    walker.heightGrid = heightGrid;
    walker.colourRows[0] = tileInfo.scanLines;
    for (int k = 0; k < 3; ++k)
        walker.colourRows[k + 1] = reliefLevels[k].scanLines;
    const int32_t pitch = sc.stride + kStripSpareSlots;
    walker.capacity = pitch - 1;

    const int32_t widthLimit = plan.widthLimit;
    const int32_t tNear = plan.tNear;
    const int32_t tFar = plan.tFar;
    const int64_t span = std::max<int64_t>(int64_t(tFar) - tNear, 1);
    StripWalks stripWalks;
    int32_t i = 0;
    int32_t spacingBits = 0;
    int32_t t = tNear;
    while (t <= tFar && i < sc.rowsAllowed) {
        const int64_t toFar = int64_t(tFar) - t;
        const int64_t fromNear = int64_t(t) - tNear;
        int32_t vL = Interpolate(toFar, plan.nearLeft.v, fromNear, plan.farLeft.v, span);
        int32_t vR = Interpolate(toFar, plan.nearRight.v, fromNear, plan.farRight.v, span);
        const int32_t w = std::abs(vL - vR);
        if (w > widthLimit) {
            const int32_t mid = (vL + vR) >> 1;
            vL = int32_t(int64_t(vL - mid) * widthLimit / w + mid);
            vR = int32_t(int64_t(vR - mid) * widthLimit / w + mid);
        }

        // Level of detail: at most one step coarser per strip.
        if (spacingBits < kCoarsestSpacingBits) {
            const int32_t R = 1 << spacingBits;
            if (i > plan.ringLimits[spacingBits] || w > sc.stride * R) {
                ++spacingBits;
                const int32_t next = 1 << spacingBits;
                t = ((t + next - 1) >> spacingBits) << spacingBits;
            }
        }

        const int32_t R = 1 << spacingBits;
        const int32_t G = sc.M * R;
        const int32_t v0 = G * (vL / G - 1);
        const int32_t u0 = (v0 * plan.signedL) / sc.M + t;
        const int32_t n = (vR - v0) / R;
        stripWalks[std::size_t(i)] = {u0, v0, n, spacingBits};

        t += R;
        ++i;
    }

    // Every strip writes its own slots only; the parts take turns at runs of
    // kAbreast strips, so near and far strips are shared out evenly.
    const int32_t count = i;
    const int32_t parts = std::clamp(count, 1, WorkerPool::Shared().threads());
    WorkerPool::Shared().Run(parts, [&](int part) {
        for (int32_t first = part * kAbreast; first < count; first += parts * kAbreast)
            WalkAbreast(walker, stripWalks, first, std::min(count, first + kAbreast), strips, pitch);
    });
    return count;
}

void BuildViewStrips(Renderer& renderer, int32_t W, int32_t H, const TileInfo& tileInfo,
    const ReliefLevels& reliefLevels, const int16_t* const* heightGrid, const RenderParams& params,
    const Viewpoint& view)
{
    renderer.SetFrameSize(W, H);
    AdjustDetailFactor(renderer.carried);
    const FrameBufferSet& fb = renderer.Buffers();
    const double altitude =
        PlaceEye(tileInfo, heightGrid, params, view, renderer.carried.groundFollow, renderer.settings.heightQuarters)
            .altitude;
    LastFrame& last = renderer.last;
    last.layout =
        PlanStrips(fb.frameWidth, fb.frameHeight, tileInfo, params, view, altitude, renderer.carried.detailFactor);
    renderer.carried.detailFactor = last.layout.detailFactor;
    last.stripStride = kSlopeClasses[last.layout.slopeClass].stride;
    last.stripCount =
        fb.SampleStrips == nullptr ? 0 : WalkStrips(last.layout, tileInfo, reliefLevels, heightGrid, fb.SampleStrips);
}
