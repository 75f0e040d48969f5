// The projection stage: every sample of the view strips, turned to the view
// direction, tilted by the pitch and divided by its depth, in integers; the
// strips past the feedback ones four samples at a time in doubles that give
// the very same integers.

#include "render/projection.h"

#include <algorithm>
#include <cstring>

#include "core/avx2clone.h"
#include "core/geometry.h"
#include "render/fixedpoint.h"

namespace {

constexpr int32_t kHeightScaleBits = 10;
constexpr int32_t kMaxHeightScale = 255;
constexpr int32_t kFeedbackNearStrips = 5;  // strips 0..4 set bit value 2
constexpr int32_t kFeedbackStrips = 10;  // strips 5..9 set bit value 1
constexpr int64_t kNearDepth = kCellUnits;  // closer than one cell: behind the frame's bottom
constexpr int64_t kNearSpread = 32;  // such points spread at most 32 w sideways
// Offsets from the eye that the frame stage can produce stay within 2^29
// (2^21 cells); ProjectOffsets holds its arguments there, so that every product
// below fits 64 bits and every result 32 bits.
constexpr int64_t kOffsetLimit = int64_t(1) << 29;
constexpr int64_t kScreenLimit = int64_t(1) << 30;

int64_t HoldOffset(int64_t d)
{
    return std::clamp(d, -kOffsetLimit, kOffsetLimit);
}

// Numerator / w, w > 0, by a 32-bit division when the numerator fits: far
// cheaper than a 64-bit one on many x86 cores, and the same quotient.
int64_t DivideByDepth(int64_t numerator, int64_t w)
{
    if (numerator == int32_t(numerator) && w == int32_t(w))
        return int32_t(numerator) / int32_t(w);
    return numerator / w;
}

// ProjectOffsets for offsets within kOffsetLimit.
ScreenPoint Project(const ProjectionRecord& p, int32_t W, int32_t H, int64_t dx, int64_t dy, int64_t dz)
{
    // Turn to the view direction, then tilt by the pitch (180 degrees offset
    // built in): w runs forward, h downward.
    const int64_t u0 = (dx * p.cosAz - dy * p.sinAz) >> kRotationFracBits;
    const int64_t v = (dx * p.sinAz + dy * p.cosAz) >> kRotationFracBits;
    int64_t w = (v * p.cosPitch - dz * p.sinPitch) >> kRotationFracBits;
    int64_t h = (v * p.sinPitch + dz * p.cosPitch) >> kRotationFracBits;
    int64_t u = u0;
    if (w < kNearDepth) {
        // Near or behind the eye: far below the frame.
        w = std::max<int64_t>(w, 1);
        const int64_t spread = kNearSpread * w;
        if (u > spread)
            u = spread;
        else if (u < -spread)
            u = -spread;
        h = spread;
    }
    const int64_t sx = std::clamp(DivideByDepth(p.focalX * u, w), -kScreenLimit, kScreenLimit);
    const int64_t sy = std::clamp(DivideByDepth(p.focalY * h, w), -kScreenLimit, kScreenLimit);
    return {int32_t(sx + W / 2), int32_t(sy + H / 2), int32_t(w)};
}

}  // namespace

int32_t HeightScaleFor(double metresPerCell)
{
    const int32_t scale = TruncWithin((metresPerCell * 0.5 + 1 + 1024) / metresPerCell, kMaxHeightScale);
    return std::max(scale, 0);
}

int64_t SampleHeightUnits(int32_t height, int64_t zScale, int32_t heightQuarters)
{
    // In quarters, so that four quarters give the very same integers.
    return (int64_t(height) * kCellUnits * zScale * heightQuarters) >> (kHeightScaleBits + 2);
}

int32_t HeightSeenFromEye(int32_t height, int64_t dx, int64_t dy, int64_t curvatureDrop)
{
    if (curvatureDrop == 0)
        return height;
    // Offsets are held within 2^29 (d^2 below 2^59); the product is taken in
    // 128 bits, so any factor is safe.
    const int64_t reach = int64_t(1) << 29;
    dx = std::clamp(dx, -reach, reach);
    dy = std::clamp(dy, -reach, reach);
    const int64_t drop = int64_t((__int128(dx * dx + dy * dy) * curvatureDrop) >> kCurvatureDropBits);
    return int32_t(std::max<int64_t>(int64_t(height) - drop, INT32_MIN / 2));
}

ScreenPoint ProjectOffsets(const ProjectionRecord& p, int32_t W, int32_t H, int64_t dx, int64_t dy, int64_t dz)
{
    return Project(p, W, H, HoldOffset(dx), HoldOffset(dy), HoldOffset(dz));
}

namespace {

// The offsets from the eye of the top of grid point (column, row), `height`
// metres high, 1/256 cell, as Project takes them once held.
struct SampleOffsets {
    int64_t dx, dy, dz;
};

SampleOffsets OffsetsOf(const ProjectionRecord& p, int64_t zScale, int32_t column, int32_t row, int32_t height)
{
    const int64_t dx = (int64_t(column) << kCellFracBits) - p.eyeX;
    const int64_t dy = (int64_t(row) << kCellFracBits) - p.eyeY;
    const int32_t seen = HeightSeenFromEye(height, dx, dy, p.curvatureDrop);
    return {dx, dy, SampleHeightUnits(seen, zScale, p.heightQuarters) - p.eyeZ};
}

// ProjectGridPoint with HeightScaleFor's scale at hand.
ScreenPoint ProjectGridPointScaled(
    const ProjectionRecord& p, int64_t zScale, int32_t W, int32_t H, int32_t column, int32_t row, int32_t height)
{
    const SampleOffsets d = OffsetsOf(p, zScale, column, row, height);
    return Project(p, W, H, HoldOffset(d.dx), HoldOffset(d.dy), HoldOffset(d.dz));
}

/* Project for four samples at a time, in doubles. Within the limits that
 * ExactProjection::For checks, every integer Project forms stays below 2^53
 * in magnitude (offsets 2^29, rotations below 2^41 before the shift, focal
 * products below 2^52), and there doubles give the very same integers:
 *  - products, sums and scalings by powers of two of such integers are exact;
 *  - x >> k is the nearest integer to x / 2^k - (2^k - 1) / 2^(k+1), which is
 *    never halfway between two; adding and taking away 1.5 * 2^52 rounds to
 *    the nearest integer below 2^51;
 *  - for integers |a| < 2^53 and b > 0, the rounded a / b is off by at most
 *    |a / b| 2^-53 < 1 / b, less than its distance to any other integer
 *    than trunc(a / b) on the far side, so it truncates to that.
 * Nothing is left to the rounding of a sum that could round otherwise, so
 * an FMA or an SSE2-only build changes nothing either.
 * Two vector divisions take the place of eight integer ones. */
using Doubles = double __attribute__((vector_size(32)));
using Ints = int32_t __attribute__((vector_size(16)));

constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 * 2^52

struct ExactProjection {
    double eyeX, eyeY, eyeZ;
    double cosAz, sinAz, cosPitch, sinPitch;  // the factors / 1024
    double heightScale;  // SampleHeightUnits' factor / 4096
    double focalX, focalY;
    int32_t halfW, halfH;
    int64_t zScale;  // HeightScaleFor's, for the curved earth's heights

    // False where some integer could reach 2^53: only a projection no
    // frame sets up, but a ProjectionRecord may hold any values.
    static bool For(const ProjectionRecord& p, int64_t zScale, int32_t W, int32_t H, ExactProjection& out)
    {
        const auto within = [](int64_t v, int64_t limit) { return v >= -limit && v <= limit; };
        const int64_t heightFactor = int64_t(kCellUnits) * zScale * p.heightQuarters;
        if (!within(p.cosAz, kRotationUnit) || !within(p.sinAz, kRotationUnit) || !within(p.cosPitch, kRotationUnit) ||
            !within(p.sinPitch, kRotationUnit) || !within(p.focalX, int64_t(1) << 21) ||
            !within(p.focalY, int64_t(1) << 21) || !within(heightFactor, int64_t(1) << 20))
            return false;
        constexpr double kRotationScale = 1.0 / kRotationUnit;
        out = {double(p.eyeX), double(p.eyeY), double(p.eyeZ), p.cosAz * kRotationScale, p.sinAz * kRotationScale,
            p.cosPitch * kRotationScale, p.sinPitch * kRotationScale,
            double(heightFactor) / double(1 << (kHeightScaleBits + 2)), double(p.focalX), double(p.focalY), W / 2,
            H / 2, zScale};
        return true;
    }
};

// Projects the first `count` samples four at a time, as many as that takes
// whole; returns how many it did. ProjectStrips' points, to the integer, for
// strips that raise no feedback.
VANTOREL_AVX2_CLONE int32_t ProjectFours(const ExactProjection& e, const ProjectionRecord& p, int32_t W, int32_t H,
    const StripSample* slots, ScreenPoint* out, int32_t count)
{
    const double hold = double(kOffsetLimit);
    const double screen = double(kScreenLimit);
    const double nearDepth = double(kNearDepth);
    const double nearSpread = double(kNearSpread);
    // x / 2^k less this, rounded to the nearest, is x >> k.
    constexpr double kRotationFloor = double(kRotationUnit - 1) / (2 * kRotationUnit);
    constexpr double kHeightFloor = double((1 << (kHeightScaleBits + 2)) - 1) / (2 << (kHeightScaleBits + 2));
    // In place, by reference: a vector argument by value has an ABI of its own.
    const auto roundIn = [](Doubles& x) { x = (x + kRoundingShift) - kRoundingShift; };
    // Bounds as whole vectors, four samples at a time. (GCC makes each a
    // compare and a blend, not a min or max, since NaNs are not ruled out.)
    const auto clampIn = [](Doubles& x, const Doubles& lo, const Doubles& hi) {
        x = lo > x ? lo : x;
        x = hi < x ? hi : x;
    };
    const Doubles zero{};
    const Doubles holdLow = zero - hold, holdHigh = zero + hold;
    const Doubles screenLow = zero - screen, screenHigh = zero + screen;
    const Ints none{};
    const Ints lastColumn = none + (W - 1), lastRow = none + (H - 1);
    int32_t j = 0;
    for (; j + 4 <= count; j += 4) {
        Ints s[4];
        for (int k = 0; k < 4; ++k)
            std::memcpy(&s[k], &slots[j + k], sizeof s[k]);
        // Four samples across into their fields.
        const Ints colRow01 = __builtin_shufflevector(s[0], s[1], 0, 4, 1, 5);
        const Ints colRow23 = __builtin_shufflevector(s[2], s[3], 0, 4, 1, 5);
        const Ints heightColour01 = __builtin_shufflevector(s[0], s[1], 2, 6, 3, 7);
        const Ints heightColour23 = __builtin_shufflevector(s[2], s[3], 2, 6, 3, 7);
        const Ints heights = __builtin_shufflevector(heightColour01, heightColour23, 0, 1, 4, 5);
        const Doubles col = __builtin_convertvector(__builtin_shufflevector(colRow01, colRow23, 0, 1, 4, 5), Doubles);
        const Doubles row = __builtin_convertvector(__builtin_shufflevector(colRow01, colRow23, 2, 3, 6, 7), Doubles);

        Doubles dx = col * kCellUnits - e.eyeX;
        Doubles dy = row * kCellUnits - e.eyeY;
        Doubles dz;
        if (p.curvatureDrop == 0) {
            dz = __builtin_convertvector(heights, Doubles) * e.heightScale - kHeightFloor;
            roundIn(dz);
            dz -= e.eyeZ;
        } else {
            // The curved earth's drop takes 128-bit products: one sample at a time.
            for (int k = 0; k < 4; ++k) {
                const StripSample& sample = slots[j + k];
                dz[k] = double(OffsetsOf(p, e.zScale, sample.col, sample.row, sample.height).dz);
            }
        }
        clampIn(dx, holdLow, holdHigh);
        clampIn(dy, holdLow, holdHigh);
        clampIn(dz, holdLow, holdHigh);
        Doubles u = dx * e.cosAz - dy * e.sinAz - kRotationFloor;
        Doubles v = dx * e.sinAz + dy * e.cosAz - kRotationFloor;
        roundIn(u);
        roundIn(v);
        Doubles w = v * e.cosPitch - dz * e.sinPitch - kRotationFloor;
        Doubles h = v * e.sinPitch + dz * e.cosPitch - kRotationFloor;
        roundIn(w);
        roundIn(h);
        // Near or behind the eye (see Project), without a branch.
        const auto near = w < nearDepth;
        const Doubles nearW = 1.0 > w ? 1.0 : w;
        const Doubles spread = nearSpread * nearW;
        Doubles nearU = -spread > u ? -spread : u;
        nearU = spread < nearU ? spread : nearU;
        u = near ? nearU : u;
        h = near ? spread : h;
        w = near ? nearW : w;
        Doubles qx = e.focalX * u / w;
        Doubles qy = e.focalY * h / w;
        clampIn(qx, screenLow, screenHigh);
        clampIn(qy, screenLow, screenHigh);
        Ints sx = __builtin_convertvector(qx, Ints) + e.halfW;
        Ints sy = __builtin_convertvector(qy, Ints) + e.halfH;
        sx = none > sx ? none : sx;
        sx = lastColumn < sx ? lastColumn : sx;
        sy = none > sy ? none : sy;
        sy = lastRow < sy ? lastRow : sy;
        const Ints depth = __builtin_convertvector(w, Ints);
        // Back to ScreenPoint's order, three fields a sample.
        const Ints xy01 = __builtin_shufflevector(sx, sy, 0, 4, 1, 5);
        const Ints yd12 = __builtin_shufflevector(sy, depth, 1, 5, 2, 6);
        const Ints xy23 = __builtin_shufflevector(sx, sy, 2, 6, 3, 7);
        const Ints points[3] = {__builtin_shufflevector(xy01, depth, 0, 1, 4, 2),
            __builtin_shufflevector(yd12, sx, 0, 1, 6, 2), __builtin_shufflevector(xy23, depth, 6, 2, 3, 7)};
        static_assert(sizeof points == 4 * sizeof(ScreenPoint));
        for (int k = 0; k < 3; ++k)
            std::memcpy(reinterpret_cast<char*>(out + j) + k * sizeof(Ints), &points[k], sizeof(Ints));
    }
    return j;
}

// Each band's span of a strip of `count` projected samples: its first
// sample at or right of the band's first column, and one past its last run
// that starts left of the band's last column (a run fills the columns right
// of its first point up to its second).
void SpanBands(const ScreenPoint* sp, int32_t count, const FillBands& bands, BandSpan* spans)
{
    for (int32_t b = 0; b < bands.count; ++b) {
        const int32_t left = bands.edges[std::size_t(b)];
        const int32_t lastStart = bands.edges[std::size_t(b) + 1] - 1;
        int32_t first = 0;
        while (first < count && sp[first].sx < left)
            ++first;
        int32_t end = count;
        while (end > first + 1 && sp[end - 2].sx >= lastStart)
            --end;
        spans[b] = {first, end};
    }
}

}  // namespace

ScreenPoint ProjectGridPoint(
    const ProjectionRecord& p, int32_t W, int32_t H, int32_t column, int32_t row, int32_t height)
{
    return ProjectGridPointScaled(p, HeightScaleFor(p.metresPerCell), W, H, column, row, height);
}

int32_t ProjectStrips(const FrameBufferSet& fb, const ProjectionRecord& projection, int32_t W, int32_t H,
    const StripRange& strips, const FillBands& bands, int32_t first, int32_t last)
{
    // A copy: the stores to the projected samples could change the record
    // for all the compiler knows, and every sample would read it again.
    const ProjectionRecord p = projection;
    const int32_t bottom = H - 1;
    const int64_t zScale = HeightScaleFor(p.metresPerCell);
    ExactProjection exact{};
    const bool inDoubles = ExactProjection::For(p, zScale, W, H, exact);
    int32_t feedback = 0;
    for (int32_t s = first; s < last; ++s) {
        const StripSample* slot = fb.SampleStrips + int64_t(s) * strips.pitch;
        ScreenPoint* out = fb.ProjectedSamples + int64_t(s) * strips.pitch;
        const int32_t count = strips.LengthOf(slot);
        int32_t j = inDoubles && s >= kFeedbackStrips ? ProjectFours(exact, p, W, H, slot, out, count) : 0;
        for (; j < count; ++j) {
            ScreenPoint sp = ProjectGridPointScaled(p, zScale, W, H, slot[j].col, slot[j].row, slot[j].height);
            if (s < kFeedbackStrips && sp.sy < H) {
                feedback |= s < kFeedbackNearStrips ? 2 : 1;
                if (s == 0)
                    sp.sy = bottom;  // the nearest strip only colours the bottom row's columns
            }
            out[j] = {std::clamp(sp.sx, 0, W - 1), std::clamp(sp.sy, 0, bottom), sp.depth};
        }
        SpanBands(out, count, bands, fb.StripBandSpans + BandSpanAt(s, 0));
    }
    return feedback;
}
