// Strip rasteriser.
//
// Algorithm: strips arrive nearest first. Every sample is projected with
// integer rotations (factors scaled by 1024) and joined to the previous sample
// of its strip by a segment that advances to the right across screen columns.
// Each column remembers the highest row drawn so far (ColumnTop): a segment
// point below it is hidden by nearer terrain and only leaves its colour as the
// start of the column's next gradient; a point above it extends the column
// upward with a vertical gradient from that colour to its own. So the frame
// is filled front to back without a depth test, and every pixel is written at
// most once per frame besides the skyline blends.

#include "render/rasterise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/avx2clone.h"
#include "core/workerpool.h"
#include "render/fixedpoint.h"
#include "render/viewstrips.h"

ProjectionRecord ProjectionSetup;
int32_t RasterFeedback = 0;

namespace {

constexpr int32_t kMaxSpanRows = 128;  // one span never rises further
constexpr int32_t kMaxStripSamples = 1024;  // read of a strip without terminator
constexpr int32_t kHeightScaleBits = 10;
constexpr int32_t kMaxHeightScale = 255;
constexpr int32_t kFeedbackNearStrips = 5;  // strips 0..4 set bit value 2
constexpr int32_t kFeedbackStrips = 10;  // strips 5..9 set bit value 1
constexpr int64_t kNearDepth = kCellUnits;  // closer than one cell: behind the frame's bottom
constexpr int64_t kNearSpread = 32;  // such points spread at most 32 w sideways
// Offsets from the eye that the frame stage can produce stay within 2^29
// (2^21 cells); ProjectPoint holds its arguments there, so that every product
// below fits 64 bits and every result 32 bits.
constexpr int64_t kOffsetLimit = int64_t(1) << 29;
constexpr int64_t kScreenLimit = int64_t(1) << 30;
constexpr uint32_t kRgbMask = 0xFFFFFF;

// Blue, green and red of (a (n - k) + b k) / n, top byte 0, for k = 1, 3,
// 5, ... in turn. Each byte is ((a (n - k) + b k) * ReciprocalTable[n]) >> 16
// (a plain division by n where the table has no entry, for segments 2048 or
// more long); the weighted sums are stepped by 2 (b - a) per call rather than
// recomputed, which gives the very same integers.
class GradientStepper {
public:
    GradientStepper(uint32_t a, uint32_t b, int32_t n, const int32_t* reciprocals) :
        n_(n), scale_(n < kReciprocalEntries ? reciprocals[n] : 1), divide_(n >= kReciprocalEntries)
    {
        for (int i = 0; i < 3; ++i) {
            const int32_t from = int32_t((a >> (8 * i)) & 0xFF);
            const int32_t to = int32_t((b >> (8 * i)) & 0xFF);
            // The sum at k = 1: a (n - 1) + b.
            sum_[i] = (from * (n - 1) + to) * scale_;
            step_[i] = 2 * (to - from) * scale_;
        }
    }

    // The colour at the current odd k; then moves on to k + 2.
    uint32_t Next()
    {
        uint32_t mixed = 0;
        for (int i = 0; i < 3; ++i) {
            const int32_t byte = divide_ ? sum_[i] / n_ : sum_[i] >> kReciprocalBits;
            mixed |= uint32_t(byte) << (8 * i);
            sum_[i] += step_[i];
        }
        return mixed;
    }

private:
    int32_t n_;
    int32_t scale_;
    bool divide_;
    int32_t sum_[3];
    int32_t step_[3];
};

#if defined(__SSE2__)
// GradientStepper's colours with its three sums side by side in one register
// (a fourth stays 0): a step is one addition, a colour one shift and two
// packs. Only for n below kReciprocalEntries, where no division is needed.
class PackedGradient {
public:
    PackedGradient(uint32_t a, uint32_t b, int32_t n, const int32_t* reciprocals)
    {
        // Each channel's from and to side by side in 16 bits, so that one
        // multiply-add makes from (n - 1) + to, and another 2 (to - from).
        const __m128i zero = _mm_setzero_si128();
        const __m128i from = _mm_cvtsi32_si128(int32_t(a & kRgbMask));
        const __m128i to = _mm_cvtsi32_si128(int32_t(b & kRgbMask));
        const __m128i pairs = _mm_unpacklo_epi8(_mm_unpacklo_epi8(from, to), zero);
        const __m128i start = _mm_madd_epi16(pairs, _mm_set1_epi32((1 << 16) | (n - 1)));
        const __m128i change = _mm_madd_epi16(pairs, _mm_set1_epi32(int32_t(0x0002FFFE)));
        const __m128i scale = _mm_set1_epi32(reciprocals[n]);
        sum_ = MultiplyLanes(start, scale);
        step_ = MultiplyLanes(change, scale);
    }

    uint32_t Next()
    {
        // The sums never go below 0 nor above 255 << kReciprocalBits, so the
        // shifted lanes pack to bytes without saturating.
        const __m128i bytes = _mm_srli_epi32(sum_, kReciprocalBits);
        sum_ = _mm_add_epi32(sum_, step_);
        const __m128i words = _mm_packs_epi32(bytes, bytes);
        return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
    }
    // The colours of the next four calls of Next, in order, one a lane.
    __m128i NextFour()
    {
        const __m128i s1 = _mm_add_epi32(sum_, step_);
        const __m128i s2 = _mm_add_epi32(s1, step_);
        const __m128i s3 = _mm_add_epi32(s2, step_);
        const __m128i words01 =
            _mm_packs_epi32(_mm_srli_epi32(sum_, kReciprocalBits), _mm_srli_epi32(s1, kReciprocalBits));
        const __m128i words23 =
            _mm_packs_epi32(_mm_srli_epi32(s2, kReciprocalBits), _mm_srli_epi32(s3, kReciprocalBits));
        sum_ = _mm_add_epi32(s3, step_);
        return _mm_packus_epi16(words01, words23);
    }

private:
    // The low 32 bits of each lane's product: the same for signed lanes.
    static __m128i MultiplyLanes(__m128i x, __m128i y)
    {
        const __m128i even = _mm_mul_epu32(x, y);
        const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(x, 32), _mm_srli_epi64(y, 32));
        return _mm_unpacklo_epi32(
            _mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)), _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
    }

    __m128i sum_;
    __m128i step_;
};
#else
class PackedGradient : public GradientStepper {
public:
    using GradientStepper::GradientStepper;
};
#endif

// A segment's colours at each column: its start colour throughout when
// both ends have the same one.
struct FlatColour {
    uint32_t colour;
    uint32_t Next() const { return colour; }
};
template <class Stepper> struct SteppedColour {
    Stepper stepper;
    uint32_t topByte;
    uint32_t Next() { return topByte | stepper.Next(); }
};

// The frame buffers as one frame uses them, within the clipped frame size.
struct Target {
    uint32_t* const* colourRows;
    uint32_t* const* depthRows;
    int16_t* const* heightRows;
    int32_t* columnTop;
    uint32_t* columnColour;
    const uint32_t* skyRowColours;
    const int32_t* reciprocals;
    int32_t W;
    int32_t H;
    int32_t xLo;  // the columns this target fills: [xLo, xHi)
    int32_t xHi;
    std::ptrdiff_t colourStep;  // elements from one row to the next
    std::ptrdiff_t depthStep;
    std::ptrdiff_t heightStep;

    uint32_t& Colour(int32_t x, int32_t r) const { return colourRows[r][x]; }
    uint32_t& Depth(int32_t x, int32_t r) const { return depthRows[r][x]; }
    int16_t& Height(int32_t x, int32_t r) const { return heightRows[r][x]; }
    class ColumnWriter Writer(int32_t x, int32_t row) const;
};

Target CurrentTarget()
{
    const FrameBufferSet& fb = FrameBuffers;
    const bool twoRows = fb.height > 1;
    return {fb.ColourRows, fb.DepthRows, fb.HeightRows, fb.ColumnTop, fb.ColumnColour, fb.SkyRowColours,
        fb.ReciprocalTable, fb.frameWidth, fb.frameHeight, 0, fb.frameWidth,
        twoRows ? fb.ColourRows[1] - fb.ColourRows[0] : 0, twoRows ? fb.DepthRows[1] - fb.DepthRows[0] : 0,
        twoRows ? fb.HeightRows[1] - fb.HeightRows[0] : 0};
}

// Walks up one column of the three buffers. Their rows are evenly spaced
// (each buffer is one block), so a row up is a fixed step back in memory.
class ColumnWriter {
public:
    ColumnWriter(const Target& tg, int32_t x, int32_t row) :
        colour_(tg.colourRows[row] + x), depth_(tg.depthRows[row] + x), height_(tg.heightRows[row] + x),
        colourStep_(tg.colourStep), depthStep_(tg.depthStep), heightStep_(tg.heightStep)
    {
    }
    void PutAndRise(uint32_t colour, int32_t depth, int32_t height)
    {
        *colour_ = colour;
        *depth_ = uint32_t(depth);
        *height_ = int16_t(height);
        colour_ -= colourStep_;
        depth_ -= depthStep_;
        height_ -= heightStep_;
    }

private:
    uint32_t* colour_;
    uint32_t* depth_;
    int16_t* height_;
    std::ptrdiff_t colourStep_, depthStep_, heightStep_;
};

ColumnWriter Target::Writer(int32_t x, int32_t row) const
{
    return ColumnWriter(*this, x, row);
}

// The same frame in the tiled copies (kTileColumns x kTileRows tiles).
struct TiledTarget {
    uint32_t* colour;
    uint32_t* depth;
    int16_t* height;
    int32_t* columnTop;
    uint32_t* columnColour;
    const uint32_t* skyRowColours;
    const int32_t* reciprocals;
    int32_t W;
    int32_t H;
    int32_t xLo;  // the columns this target fills: [xLo, xHi)
    int32_t xHi;
    std::ptrdiff_t tileRowStep;  // elements from one row of tiles to the next
    std::ptrdiff_t* rowStarts;  // per row: Index(0, r), filled for each frame

    std::ptrdiff_t Index(int32_t x, int32_t r) const
    {
        // Both are never negative: unsigned, so that / and % are shifts and masks.
        const auto ux = uint32_t(x);
        const auto ur = uint32_t(r);
        return std::ptrdiff_t(ur / kTileRows) * tileRowStep + std::ptrdiff_t(ux / kTileColumns) * kTilePixels +
            std::ptrdiff_t((ux % kTileColumns) * kTileRows + ur % kTileRows);
    }
    uint32_t& Colour(int32_t x, int32_t r) const { return colour[Index(x, r)]; }
    uint32_t& Depth(int32_t x, int32_t r) const { return depth[Index(x, r)]; }
    int16_t& Height(int32_t x, int32_t r) const { return height[Index(x, r)]; }
};

TiledTarget CurrentTiledTarget()
{
    const FrameBufferSet& fb = FrameBuffers;
    const std::ptrdiff_t tilesAcross = (fb.frameWidth + kTileColumns - 1) / kTileColumns;
    return {fb.TiledColours, fb.TiledDepths, fb.TiledHeights, fb.ColumnTop, fb.ColumnColour, fb.SkyRowColours,
        fb.ReciprocalTable, fb.frameWidth, fb.frameHeight, 0, fb.frameWidth, tilesAcross * kTilePixels,
        fb.TiledRowStarts};
}

template <class Columns> void PutSky(const Columns& tg, int32_t x, int32_t r)
{
    tg.Colour(x, r) = tg.skyRowColours[r];
    tg.Depth(x, r) = kSkyDepth;
    tg.Height(x, r) = 0;
}

// How a rise of a column to row y starts, the same in either layout: the
// column's top and last colour move on, and the rise's rows are bounded.
struct RiseStart {
    // First touched above the bottom row: the rows below show sky. The
    // sample's own row starts as sky as well, so that the blend below mixes
    // only pixels of this frame, never what an earlier frame left.
    bool firstTouch;
    int32_t t;  // the row the rise starts from, blended half and half with prev
    int32_t y;  // the rise's top, at most kMaxSpanRows above t
    int32_t count;  // t - y
    uint32_t prev;  // the colour the rise's gradient starts from
};

inline RiseStart StartRise(int32_t& top, uint32_t& lastColour, int32_t y, uint32_t colour, int32_t bottom)
{
    RiseStart rise{top == bottom && (lastColour >> 24) == (kUntouchedColumn >> 24), top, y, 0, 0};
    if (rise.firstTouch)
        rise.t = y;
    rise.count = rise.t - y;
    if (rise.count > kMaxSpanRows) {
        rise.count = kMaxSpanRows;
        rise.y = rise.t - kMaxSpanRows;
    }
    if (top > rise.y)
        top = rise.y;
    rise.prev = lastColour & kRgbMask;
    lastColour = colour;
    return rise;
}

// FillColumnSpan for a point at or above the column's top.
template <class Columns>
[[gnu::noinline]] void RaiseColumn(
    const Columns& tg, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    const int32_t bottom = tg.H - 1;
    const RiseStart rise = StartRise(tg.columnTop[x], tg.columnColour[x], y, colour, bottom);
    if (rise.firstTouch && y < bottom)
        for (int32_t r = bottom; r >= y; --r)
            PutSky(tg, x, r);
    const int32_t t = rise.t, count = rise.count;
    const uint32_t prev = rise.prev;
    if (t < bottom)
        tg.Colour(x, t) = AveragePixels(tg.Colour(x, t), prev);
    if (count <= 0)
        return;

    // Vertical gradient from prev to colour below row y; the colour changes
    // every second row. Most spans of distant terrain are one row high and
    // need no gradient at all.
    auto column = tg.Writer(x, t - 1);
    if (count > 1 && prev == colour) {
        for (int32_t k = 1; k < count; ++k)
            column.PutAndRise(prev, depth, height);
    } else if (count > 1) {
        GradientStepper gradient(prev, colour, count, tg.reciprocals);
        uint32_t g = prev;
        for (int32_t k = 1; k < count; ++k) {
            if (k & 1)
                g = gradient.Next();
            column.PutAndRise(g, depth, height);
        }
    }
    column.PutAndRise(colour, depth, height);
}

template <class Columns>
inline void FillSpan(const Columns& tg, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    const int32_t t = tg.columnTop[x];
    if (t < y) {
        // Hidden by nearer terrain; the colour starts the column's next gradient.
        tg.columnColour[x] = colour;
        return;
    }
    if (t - y > 1 || t >= tg.H - 1) {
        RaiseColumn(tg, x, y, colour, depth, height);
        return;
    }
    // Distant terrain mostly meets a column's top or rises by one row:
    // RaiseColumn's blend and single row, without the call.
    const uint32_t prev = tg.columnColour[x] & kRgbMask;
    tg.columnColour[x] = colour;
    uint32_t& topPixel = tg.Colour(x, t);
    topPixel = AveragePixels(topPixel, prev);
    if (t > y) {
        tg.columnTop[x] = y;
        tg.Colour(x, y) = colour;
        tg.Depth(x, y) = uint32_t(depth);
        tg.Height(x, y) = int16_t(height);
    }
}

// The rows of a run n columns long that falls or climbs e rows, column
// after column from its first point's row y0: Bresenham's
// "err -= e; while (err < 0) { y += step; err += n; }" with err starting at
// n / 2. Here in one step: err stays within [0, n), so after the whole rows
// of e / n it needs at most one more, and the branch-free form gives the
// same rows. Most runs fall less than a row per column: no division for those.
class BresenhamRows {
public:
    BresenhamRows(int32_t y0, int32_t n, int32_t e, int32_t step) :
        y_(y0), err_(n >> 1), n_(n), step_(step), wholeRows_(e < n ? 0 : e / n * step), partRows_(e < n ? e : e % n)
    {
    }
    int32_t Next()
    {
        err_ -= partRows_;
        y_ += wholeRows_;
        const int32_t carry = err_ >> 31;  // -1 where err < 0
        y_ += carry & step_;
        err_ += carry & n_;
        return y_;
    }

private:
    int32_t y_, err_, n_, step_, wholeRows_, partRows_;
};

// BresenhamRows' rows from one sum with 32 fraction bits: two registers
// instead of six in the fill's busiest loop. After k columns Bresenham has
// moved floor((k e + c) / n) rows, c = n - 1 - n / 2. The sum's start and
// step are that quotient's for k = 0 and its step, each rounded up by less
// than 2^-32, so after k < n steps the sum lies above the quotient by less
// than n 2^-32, at most 1 / n where n <= 2^16. The quotient's fraction is a
// multiple of 1 / n, so the sum never reaches the next whole row. Falling
// rows count down from y0 + 1 - 2^-32, so that the floor of the sum is again
// y0 less the quotient's floor.
class FixedPointRows {
public:
    // Whether every run of a frame this size is stepped exactly: none is
    // longer than the frame is wide, nor falls further than it is high.
    static bool Covers(int32_t W, int32_t H) { return W <= kMaxLength && H <= kMaxLength; }

    FixedPointRows(int32_t y0, int32_t n, int32_t e, int32_t step)
    {
        const auto un = uint64_t(n);
        const auto roundedUp = [un](int32_t numerator) {
            return int64_t(((uint64_t(numerator) << kFractionBits) + un - 1) / un);
        };
        const int64_t start = roundedUp(n - 1 - (n >> 1));
        const int64_t slope = roundedUp(e);
        const int64_t origin = int64_t(y0) << kFractionBits;
        sum_ = step > 0 ? origin + start : origin + (kOne - 1) - start;
        slope_ = step > 0 ? slope : -slope;
    }
    int32_t Next()
    {
        sum_ += slope_;
        return int32_t(sum_ >> kFractionBits);
    }

private:
    static constexpr int kFractionBits = 32;
    static constexpr int64_t kOne = int64_t(1) << kFractionBits;
    static constexpr int32_t kMaxLength = 1 << 16;
    int64_t sum_, slope_;
};

template <class Columns>
void DrawSpanRun(const Columns& tg, int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1,
    int32_t depth, int32_t height)
{
    if (x1 <= x0)
        return;  // only segments that advance to the right; x0 belongs to the previous one
    // Columns x0 + 1 .. x1; nothing to do where none of them is the target's.
    if (x1 < tg.xLo || x0 + 1 >= tg.xHi)
        return;
    if (x1 == x0 + 1) {
        FillSpan(tg, x1, y1, c1, depth, height);
        return;
    }
    const int32_t n = x1 - x0;
    BresenhamRows rows(y0, n, std::abs(y1 - y0), y0 < y1 ? 1 : -1);
    const bool blend = c0 != c1;
    GradientStepper gradient(c0, c1, n, tg.reciprocals);
    const uint32_t topByte = c0 & ~kRgbMask;
    int32_t y = y0;
    uint32_t cur = c0;
    auto advance = [&](int32_t k) {
        y = rows.Next();
        if (blend && (k & 1))
            cur = topByte | gradient.Next();
    };
    // Rows and colours are stepped through columns left of the target too,
    // so that its first column gets exactly what a whole run gives; columns
    // from the target's right edge on are not needed at all.
    const int32_t end = std::min(n, tg.xHi - x0);
    const int32_t first = std::min(std::max(1, tg.xLo - x0), end);
    int32_t k = 1;
    for (; k < first; ++k)
        advance(k);
    for (; k < end; ++k) {
        advance(k);
        FillSpan(tg, x0 + k, y, cur, depth, height);
    }
    if (x1 < tg.xHi)
        FillSpan(tg, x1, y1, c1, depth, height);
}

// The tiled copies' part of RaiseColumn, FillSpan and DrawSpanRun, with
// the tiles' layout built in: a column's rows within a tile are neighbours in
// memory, and a column starts kTileRows elements after the one to its left.
// The buffers' pointers and sizes are held in locals (TiledColumns), since a
// store through the pixel pointers could change TiledTarget's int fields for
// all the compiler knows, and every step would read them again.
struct TiledColumns {
    uint32_t* colour;
    uint32_t* depth;
    int16_t* height;
    int32_t* top;
    uint32_t* lastColour;
    const std::ptrdiff_t* rowStarts;
    const int32_t* reciprocals;
    int32_t bottom;

    explicit TiledColumns(const TiledTarget& tg) :
        colour(tg.colour), depth(tg.depth), height(tg.height), top(tg.columnTop), lastColour(tg.columnColour),
        rowStarts(tg.rowStarts), reciprocals(tg.reciprocals), bottom(tg.H - 1)
    {
    }
    static std::ptrdiff_t ColumnAt(int32_t x) { return std::ptrdiff_t(x) * kTileRows; }
    std::ptrdiff_t RowAt(int32_t r) const { return rowStarts[r]; }
    // Rows `from` up to `to` (from >= to) of the column at `column`, a tile's
    // part at a time: colourOf(r) for each, and one depth and height.
    template <class ColourOf>
    void PutRowsUp(std::ptrdiff_t column, int32_t from, int32_t to, ColourOf colourOf, uint32_t d, int16_t h) const
    {
        int32_t r = from;
        while (r >= to) {
            const int32_t low = std::max(r & ~(kTileRows - 1), to);
            std::ptrdiff_t at = column + RowAt(r);
            for (; r >= low; --r, --at) {
                colour[at] = colourOf(r);
                depth[at] = d;
                height[at] = h;
            }
        }
    }
};
static_assert(kTilePixels == kTileColumns * kTileRows, "tiles lie side by side, column after column");
static_assert((kTileRows & (kTileRows - 1)) == 0, "a row's tile is its bits above those of its place in the tile");

[[gnu::noinline]] void RaiseTiledColumn(const TiledTarget& tg, const TiledColumns& cols, int32_t x, int32_t y,
    uint32_t colour, int32_t depth, int32_t height)
{
    const int32_t bottom = cols.bottom;
    const std::ptrdiff_t column = TiledColumns::ColumnAt(x);
    const RiseStart rise = StartRise(cols.top[x], cols.lastColour[x], y, colour, bottom);
    if (rise.firstTouch && y < bottom) {
        const uint32_t* sky = tg.skyRowColours;
        cols.PutRowsUp(
            column, bottom, y, [sky](int32_t r) { return sky[r]; }, kSkyDepth, 0);
    }
    const int32_t t = rise.t, count = rise.count;
    const uint32_t prev = rise.prev;
    y = rise.y;
    if (t < bottom) {
        uint32_t& topPixel = cols.colour[column + cols.RowAt(t)];
        topPixel = AveragePixels(topPixel, prev);
    }
    if (count <= 0)
        return;

    // Rows t - 1 up to y + 1 (k = 1 .. count - 1) take the gradient, which
    // changes at every odd k; row y takes the colour itself.
    if (count > 1) {
        if (prev == colour) {
            cols.PutRowsUp(
                column, t - 1, y + 1, [prev](int32_t) { return prev; }, uint32_t(depth), int16_t(height));
        } else {
            PackedGradient gradient(prev, colour, count, tg.reciprocals);
            uint32_t g = prev;
            cols.PutRowsUp(
                column, t - 1, y + 1,
                [&](int32_t r) {
                    if ((t - r) & 1)
                        g = gradient.Next();
                    return g;
                },
                uint32_t(depth), int16_t(height));
        }
    }
    const std::ptrdiff_t at = column + cols.RowAt(y);
    cols.colour[at] = colour;
    cols.depth[at] = uint32_t(depth);
    cols.height[at] = int16_t(height);
}

// RaiseTiledColumn for a rise of two rows from a top above the bottom row,
// the commonest rise of far terrain. The row between takes the gradient's
// first colour: with a reciprocal of 65536 / 2, each channel's plain mean,
// which needs no gradient at all.
inline void RaiseTiledColumnTwoRows(
    const TiledColumns& cols, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    constexpr uint32_t kLowBitsOff = 0xFEFEFE;
    const int32_t t = y + 2;
    cols.top[x] = y;
    const uint32_t prev = cols.lastColour[x] & kRgbMask;
    cols.lastColour[x] = colour;
    const std::ptrdiff_t column = TiledColumns::ColumnAt(x);
    uint32_t& topPixel = cols.colour[column + cols.RowAt(t)];
    topPixel = AveragePixels(topPixel, prev);
    // (a + b) / 2 per channel, rounded down: a & b, plus half of a ^ b.
    const uint32_t mean = (prev & colour) + (((prev ^ colour) & kLowBitsOff) >> 1);
    const std::ptrdiff_t between = column + cols.RowAt(y + 1);
    cols.colour[between] = mean & kRgbMask;
    cols.depth[between] = uint32_t(depth);
    cols.height[between] = int16_t(height);
    const std::ptrdiff_t at = column + cols.RowAt(y);
    cols.colour[at] = colour;
    cols.depth[at] = uint32_t(depth);
    cols.height[at] = int16_t(height);
}

// RaiseTiledColumn for a rise of three rows or more from a top above the
// bottom row, the top and the rise's rows all in one tile: they are
// neighbours in memory, row y + i at i from row y.
[[gnu::noinline]] void RaiseWithinTile(
    const TiledColumns& cols, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    const int32_t count = cols.top[x] - y;
    cols.top[x] = y;
    const uint32_t prev = cols.lastColour[x] & kRgbMask;
    cols.lastColour[x] = colour;
    const std::ptrdiff_t at = TiledColumns::ColumnAt(x) + cols.RowAt(y);
    uint32_t* const pixels = cols.colour + at;
    uint32_t* const depths = cols.depth + at;
    int16_t* const heights = cols.height + at;
    pixels[count] = AveragePixels(pixels[count], prev);
    // Row t - k takes the gradient's colour for k = 1 .. count - 1, which
    // changes at every odd k, so the rows go in pairs; row y takes the colour
    // itself.
    auto rise = [&](auto colours) {
        for (int32_t i = count - 1; i > 0; i -= 2) {
            const uint32_t g = colours.Next();
            pixels[i] = pixels[i - 1] = g;
            depths[i] = depths[i - 1] = uint32_t(depth);
            heights[i] = heights[i - 1] = int16_t(height);
        }
        pixels[0] = colour;
        depths[0] = uint32_t(depth);
        heights[0] = int16_t(height);
    };
    if (prev == colour)
        rise(FlatColour{colour});
    else
        rise(PackedGradient(prev, colour, count, cols.reciprocals));
}

inline void FillTiledSpan(const TiledTarget& tg, const TiledColumns& cols, int32_t x, int32_t y, uint32_t colour,
    int32_t depth, int32_t height)
{
    const int32_t t = cols.top[x];
    // Hidden by nearer terrain, or at the bottom row, where RaiseColumn would
    // only take the colour: it starts the column's next gradient.
    if (t < y || y == cols.bottom) {
        cols.lastColour[x] = colour;
        return;
    }
    if (t - y > 1 || t == cols.bottom) {
        if (t - y == 2 && t != cols.bottom)
            RaiseTiledColumnTwoRows(cols, x, y, colour, depth, height);
        else if (t != cols.bottom && (t ^ y) < kTileRows)  // in one tile: t and y differ only below kTileRows
            RaiseWithinTile(cols, x, y, colour, depth, height);
        else
            RaiseTiledColumn(tg, cols, x, y, colour, depth, height);
        return;
    }
    const uint32_t prev = cols.lastColour[x] & kRgbMask;
    cols.lastColour[x] = colour;
    const std::ptrdiff_t column = TiledColumns::ColumnAt(x);
    uint32_t& topPixel = cols.colour[column + cols.RowAt(t)];
    topPixel = AveragePixels(topPixel, prev);
    if (t > y) {
        cols.top[x] = y;
        const std::ptrdiff_t at = column + cols.RowAt(y);
        cols.colour[at] = colour;
        cols.depth[at] = uint32_t(depth);
        cols.height[at] = int16_t(height);
    }
}

// A run's columns k = 1 .. end - 1 and each one's colour, which changes at
// every odd k, so the columns go in pairs: pass() for each column before
// `first`, visit(k, colour) for those from `first` on.
template <class Colours, class Pass, class Visit>
inline void WalkRunColumns(Colours& colours, uint32_t c0, int32_t first, int32_t end, Pass pass, Visit visit)
{
    uint32_t cur = c0;
    int32_t k = 1;
    for (; k < first; ++k) {
        pass();
        if (k & 1)
            cur = colours.Next();
    }
    if (k < end && (k & 1) == 0) {
        visit(k, cur);
        ++k;
    }
    for (; k + 1 < end; k += 2) {
        cur = colours.Next();
        visit(k, cur);
        visit(k + 1, cur);
    }
    if (k < end)
        visit(k, colours.Next());
}

// DrawSpanRun's steps over columns x0 + 1 .. x0 + end - 1, filling those from
// x0 + first on. Out of line, so that its loop has the registers to itself,
// and with its own const copy of the columns: a store through the pixel
// pointers cannot change that copy, so the loop need not read the buffers'
// pointers again after every store.
template <class Colours, class Rows>
[[gnu::noinline]] void StepTiledRun(const TiledTarget& tg, const TiledColumns& cols, Colours colours, Rows rows,
    int32_t x0, uint32_t c0, int32_t first, int32_t end, int32_t depth, int32_t height)
{
    const TiledColumns local = cols;
    WalkRunColumns(
        colours, c0, first, end, [&] { rows.Next(); },
        [&](int32_t k, uint32_t colour) { FillTiledSpan(tg, local, x0 + k, rows.Next(), colour, depth, height); });
}

#if defined(__SSE2__)
// A run's colours from its column 1 on into out[0 ..], as WalkRunColumns
// gives them, eight columns (four of the gradient's steps) at a time while
// at least eight of `columns` are left; returns how many it wrote.
inline int32_t PutGradientEights(uint32_t* out, int32_t columns, SteppedColour<PackedGradient>& colours)
{
    const __m128i topByte = _mm_set1_epi32(int32_t(colours.topByte));
    int32_t i = 0;
    for (; i + 8 <= columns; i += 8) {
        const __m128i four = _mm_or_si128(colours.stepper.NextFour(), topByte);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi32(four, four));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_unpackhi_epi32(four, four));
    }
    return i;
}
#endif

// StepTiledRun for a run behind nearer terrain in all its columns: each
// column only takes its colour, as the start of its next gradient, and the
// run's rows are not needed.
template <class Colours>
inline void HideTiledRun(const TiledColumns& cols, Colours colours, int32_t x0, uint32_t c0, int32_t first, int32_t end)
{
    uint32_t* lastColour = cols.lastColour + x0;
#if defined(__SSE2__)
    // Most columns a frame passes lie in hidden runs of far terrain: a
    // gradient from the run's first column on goes eight columns at a time,
    // and the walk below takes the rest, an even number of columns on.
    if constexpr (std::is_same_v<Colours, SteppedColour<PackedGradient>>) {
        if (first == 1) {
            const int32_t done = PutGradientEights(lastColour + 1, end - 1, colours);
            lastColour += done;
            end -= done;
        }
    }
#endif
    WalkRunColumns(
        colours, c0, first, end, [] {}, [lastColour](int32_t k, uint32_t colour) { lastColour[k] = colour; });
}

// Whether every column of [a, b] has its top above row y. The scan stops at
// the first column that is not, which for most runs that are seen is early.
inline bool TopsAbove(const int32_t* top, int32_t a, int32_t b, int32_t y)
{
    int32_t x = a;
#if defined(__SSE2__)
    const __m128i row = _mm_set1_epi32(y - 1);
    for (; x + 3 <= b; x += 4) {
        const __m128i tops = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + x));
        if (_mm_movemask_epi8(_mm_cmpgt_epi32(tops, row)) != 0)
            return false;
    }
#endif
    for (; x <= b; ++x)
        if (top[x] >= y)
            return false;
    return true;
}

template <class Rows>
void DrawTiledRun(const TiledTarget& tg, const TiledColumns& cols, int32_t x0, int32_t y0, uint32_t c0, int32_t x1,
    int32_t y1, uint32_t c1, int32_t depth, int32_t height)
{
    const int32_t xLo = tg.xLo;
    const int32_t xHi = tg.xHi;
    if (x1 <= x0 || x1 < xLo || x0 + 1 >= xHi)
        return;
    if (x1 > x0 + 1) {
        const int32_t n = x1 - x0;
        const int32_t e = std::abs(y1 - y0);
        const int32_t step = y0 < y1 ? 1 : -1;
        const int32_t end = std::min(n, xHi - x0);
        const int32_t first = std::min(std::max(1, xLo - x0), end);
        const uint32_t topByte = c0 & ~kRgbMask;
        // Far terrain is mostly hidden whole; its rows can be left unstepped.
        // So is a run along the bottom row, as near ground below the frame
        // gives: a point there only leaves its colour, whatever the top.
        const int32_t highest = std::min(y0, y1);
        const bool hidden = highest == cols.bottom || TopsAbove(cols.top, x0 + first, std::min(x1, xHi - 1), highest);
        auto stepWith = [&](auto colours) {
            if (hidden)
                HideTiledRun(cols, colours, x0, c0, first, end);
            else
                StepTiledRun(tg, cols, colours, Rows(y0, n, e, step), x0, c0, first, end, depth, height);
        };
        if (c0 == c1)
            stepWith(FlatColour{c0});
        else if (n < kReciprocalEntries)
            stepWith(SteppedColour<PackedGradient>{PackedGradient(c0, c1, n, tg.reciprocals), topByte});
        else
            stepWith(SteppedColour<GradientStepper>{GradientStepper(c0, c1, n, tg.reciprocals), topByte});
    }
    if (x1 < xHi)
        FillTiledSpan(tg, cols, x1, y1, c1, depth, height);
}

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

// ProjectPoint for offsets within kOffsetLimit.
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

void FillInts(int32_t* array, int32_t value, int32_t count)
{
    std::fill_n(array, std::max(count, 0), value);
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

ScreenPoint ProjectPoint(int32_t dx, int32_t dy, int32_t dz)
{
    const Target tg = CurrentTarget();
    return Project(ProjectionSetup, tg.W, tg.H, HoldOffset(dx), HoldOffset(dy), HoldOffset(dz));
}

void FillColumnSpan(int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    const Target tg = CurrentTarget();
    if (x < 0 || x >= tg.W || y < 0 || y >= tg.H)
        return;
    FillSpan(tg, x, y, colour, depth, height);
}

void DrawSegment(
    int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1, int32_t depth, int32_t height)
{
    const Target tg = CurrentTarget();
    if (tg.W <= 0 || tg.H <= 0)
        return;
    auto clampX = [&](int32_t x) { return std::clamp(x, -1, tg.W - 1); };
    auto clampY = [&](int32_t y) { return std::clamp(y, 0, tg.H - 1); };
    DrawSpanRun(tg, clampX(x0), clampY(y0), c0, clampX(x1), clampY(y1), c1, depth, height);
}

namespace {

int32_t rasterBandLimit = 0;  // 0: one band per core

// Frames narrower than this are filled in one band: a thread costs more.
constexpr int32_t kMinBandColumns = 256;

// Strips filled between two looks for finished tiles.
constexpr int32_t kFinishedTileChecks = 8;

int32_t BandCount(int32_t W)
{
    const int32_t limit = rasterBandLimit > 0 ? rasterBandLimit : WorkerPool::Shared().threads();
    return std::clamp(W / kMinBandColumns, 1, limit);
}

// The strips of this frame in the strip buffer, and how far each may be read.
struct StripRange {
    int32_t count;
    int32_t pitch;  // slots from one strip to the next
    int32_t maxSamples;  // read of a strip without terminator

    // Whether sample j of the strip at `slot` is one: before its terminator.
    bool Holds(const StripSample* slot, int32_t j) const
    {
        return j < maxSamples && slot[j].colour != kStripTerminator;
    }
    int32_t LengthOf(const StripSample* slot) const
    {
        int32_t n = 0;
        while (Holds(slot, n))
            ++n;
        return n;
    }
};

StripRange CurrentStrips()
{
    const int32_t pitch = StripSlotPitch();
    if (pitch < 1)
        return {0, 1, 0};
    return {std::min(StripCount, kSampleStripSlots / pitch), pitch, std::min(kMaxStripSamples, pitch)};
}

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

// Where that point lands, before any clamping to the frame.
ScreenPoint ProjectGridPoint(
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
    // frame sets up, but ProjectionSetup takes any values.
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

// Projects the samples of strips [first, last) into ProjectedSamples, each
// clamped to the frame, and returns the feedback bits they raise. The
// strips that raise none go four samples at a time where they can.
int32_t ProjectStrips(int32_t W, int32_t H, const StripRange& strips, int32_t first, int32_t last)
{
    const int32_t bottom = H - 1;
    const ProjectionRecord p = ProjectionSetup;
    const int64_t zScale = HeightScaleFor(p.metresPerCell);
    ExactProjection exact{};
    const bool inDoubles = ExactProjection::For(p, zScale, W, H, exact);
    int32_t feedback = 0;
    for (int32_t s = first; s < last; ++s) {
        const StripSample* slot = FrameBuffers.SampleStrips + int64_t(s) * strips.pitch;
        ScreenPoint* out = FrameBuffers.ProjectedSamples + int64_t(s) * strips.pitch;
        const int32_t count = strips.LengthOf(slot);
        int32_t j = inDoubles && s >= kFeedbackStrips ? ProjectFours(exact, p, W, H, slot, out, count) : 0;
        for (; j < count; ++j) {
            ScreenPoint sp = ProjectGridPoint(p, zScale, W, H, slot[j].col, slot[j].row, slot[j].height);
            if (s < kFeedbackStrips && sp.sy < H) {
                feedback |= s < kFeedbackNearStrips ? 2 : 1;
                if (s == 0)
                    sp.sy = bottom;  // the nearest strip only colours the bottom row's columns
            }
            out[j] = {std::clamp(sp.sx, 0, W - 1), std::clamp(sp.sy, 0, bottom), sp.depth};
        }
    }
    return feedback;
}

// Rows [a, b) of the tile at `tile`, whose first row is r0 and first column
// x0, into the frame's rows, its first n columns.
void CopyTileRows(const TiledTarget& tg, std::ptrdiff_t tile, int32_t r0, int32_t a, int32_t b, int32_t x0, int32_t n)
{
    const FrameBufferSet& fb = FrameBuffers;
    for (int32_t r = a; r < b; ++r) {
        const std::ptrdiff_t at = tile + (r - r0);
        uint32_t* colourOut = fb.ColourRows[r] + x0;
        uint32_t* depthOut = fb.DepthRows[r] + x0;
        int16_t* heightOut = fb.HeightRows[r] + x0;
        for (int32_t i = 0; i < n; ++i) {
            colourOut[i] = tg.colour[at + i * kTileRows];
            depthOut[i] = tg.depth[at + i * kTileRows];
            heightOut[i] = tg.height[at + i * kTileRows];
        }
    }
}

// CopyTileRows for a tile kTileColumns wide: four rows at a time by 4 x 4
// transpositions of colour and depth and 4 x 8 ones of height where SSE2 is
// there.
void CopyWholeTileRows(const TiledTarget& tg, std::ptrdiff_t tile, int32_t r0, int32_t a, int32_t b, int32_t x0)
{
#if defined(__SSE2__)
    const FrameBufferSet& fb = FrameBuffers;
    const int32_t aligned = std::min(b, r0 + (a - r0 + 3) / 4 * 4);
    CopyTileRows(tg, tile, r0, a, aligned, x0, kTileColumns);
    int32_t r = aligned;
    for (; r + 4 <= b; r += 4) {
        const std::ptrdiff_t at = tile + (r - r0);
        for (int32_t buffer = 0; buffer < 2; ++buffer) {
            const uint32_t* from = (buffer == 0 ? tg.colour : tg.depth) + at;
            uint32_t* const* rows = buffer == 0 ? fb.ColourRows : fb.DepthRows;
            for (int32_t i = 0; i < kTileColumns; i += 4) {
                // Four rows of columns i .. i + 3, then four columns of each row.
                const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + (i + 0) * kTileRows));
                const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + (i + 1) * kTileRows));
                const __m128i c2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + (i + 2) * kTileRows));
                const __m128i c3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + (i + 3) * kTileRows));
                const __m128i rows01Low = _mm_unpacklo_epi32(c0, c1);
                const __m128i rows01High = _mm_unpacklo_epi32(c2, c3);
                const __m128i rows23Low = _mm_unpackhi_epi32(c0, c1);
                const __m128i rows23High = _mm_unpackhi_epi32(c2, c3);
                const int32_t x = x0 + i;
                _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r] + x), _mm_unpacklo_epi64(rows01Low, rows01High));
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(rows[r + 1] + x), _mm_unpackhi_epi64(rows01Low, rows01High));
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(rows[r + 2] + x), _mm_unpacklo_epi64(rows23Low, rows23High));
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(rows[r + 3] + x), _mm_unpackhi_epi64(rows23Low, rows23High));
            }
        }
        const int16_t* from = tg.height + at;
        int16_t* const* rows = fb.HeightRows;
        for (int32_t i = 0; i < kTileColumns; i += 8) {
            __m128i c[8];
            for (int32_t k = 0; k < 8; ++k)
                c[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + (i + k) * kTileRows));
            // Pairs of columns row by row, then quads, then all eight.
            const __m128i p01 = _mm_unpacklo_epi16(c[0], c[1]);
            const __m128i p23 = _mm_unpacklo_epi16(c[2], c[3]);
            const __m128i p45 = _mm_unpacklo_epi16(c[4], c[5]);
            const __m128i p67 = _mm_unpacklo_epi16(c[6], c[7]);
            const __m128i q0123Rows01 = _mm_unpacklo_epi32(p01, p23);
            const __m128i q0123Rows23 = _mm_unpackhi_epi32(p01, p23);
            const __m128i q4567Rows01 = _mm_unpacklo_epi32(p45, p67);
            const __m128i q4567Rows23 = _mm_unpackhi_epi32(p45, p67);
            const int32_t x = x0 + i;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r] + x), _mm_unpacklo_epi64(q0123Rows01, q4567Rows01));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r + 1] + x), _mm_unpackhi_epi64(q0123Rows01, q4567Rows01));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r + 2] + x), _mm_unpacklo_epi64(q0123Rows23, q4567Rows23));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r + 3] + x), _mm_unpackhi_epi64(q0123Rows23, q4567Rows23));
        }
    }
    CopyTileRows(tg, tile, r0, r, b, x0, kTileColumns);
#else
    CopyTileRows(tg, tile, r0, a, b, x0, kTileColumns);
#endif
}

// The lowest and highest of the tops of a tile's columns.
struct TileTops {
    int32_t low, high;
};

TileTops TopsOf(const TiledTarget& tg, int32_t x0, int32_t n)
{
    TileTops tops{tg.H, 0};
    for (int32_t i = 0; i < n; ++i) {
        tops.low = std::min(tops.low, tg.columnTop[x0 + i]);
        tops.high = std::max(tops.high, tg.columnTop[x0 + i]);
    }
    return tops;
}

// Rows [a, b) of the tile whose first row is r0 and first column x0, n
// columns of it, into the frame's rows, from each column's top down: with
// paintSky the rows above the top get the sky and the top row is blended
// half and half with the sky above it.
void CopyTileRowsUnderTops(
    const TiledTarget& tg, bool paintSky, TileTops tops, int32_t r0, int32_t a, int32_t b, int32_t x0, int32_t n)
{
    if (!paintSky && b <= tops.low)
        return;
    const FrameBufferSet& fb = FrameBuffers;
    const int32_t H = tg.H;
    const std::ptrdiff_t tile = tg.Index(x0, r0);
    // Rows below every top of the tile: a plain transposition.
    const int32_t inside = std::clamp(tops.high + 1, a, b);
    if (n == kTileColumns)
        CopyWholeTileRows(tg, tile, r0, inside, b, x0);
    else
        CopyTileRows(tg, tile, r0, inside, b, x0, n);
    const int32_t* top = tg.columnTop + x0;
    for (int32_t r = a; r < inside; ++r) {
        uint32_t* colourOut = fb.ColourRows[r] + x0;
        uint32_t* depthOut = fb.DepthRows[r] + x0;
        int16_t* heightOut = fb.HeightRows[r] + x0;
        const uint32_t* colour = tg.colour + tile + (r - r0);
        const uint32_t* depth = tg.depth + tile + (r - r0);
        const int16_t* height = tg.height + tile + (r - r0);
        if (r < tops.low) {
            if (paintSky) {
                std::fill_n(colourOut, n, tg.skyRowColours[r]);
                std::fill_n(depthOut, n, kSkyDepth);
                std::fill_n(heightOut, n, int16_t(0));
            }
            continue;
        }
        for (int32_t i = 0; i < n; ++i) {
            const int32_t t = top[i];
            if (r < t) {
                if (paintSky) {
                    colourOut[i] = tg.skyRowColours[r];
                    depthOut[i] = kSkyDepth;
                    heightOut[i] = 0;
                }
                continue;
            }
            uint32_t c = colour[i * kTileRows];
            // The skyline: the terrain's top row half and half with the sky above it.
            if (paintSky && r == t && t > 0 && t < H - 1)
                c = AveragePixels(tg.skyRowColours[r - 1], c);
            colourOut[i] = c;
            depthOut[i] = depth[i * kTileRows];
            heightOut[i] = height[i * kTileRows];
        }
    }
}

// Copies columns [tg.xLo, tg.xHi) of rows [from, to) of the tiled copies
// into the frame's rows (see CopyTileRowsUnderTops); `from` is a tile's first
// row. Within a row of tiles the rows go four at a time across up to 32
// tiles, so that the frame's rows are written in a dozen long runs, which the
// processor's prefetching follows, rather than in 48 short ones per tile.
void CopyTilesToRows(const TiledTarget& tg, bool paintSky, int32_t from, int32_t to)
{
    constexpr int32_t kTilesAtOnce = 32;
    constexpr int32_t kRowsAtOnce = 4;  // CopyWholeTileRows' transposition
    for (int32_t r0 = from; r0 < to; r0 += kTileRows) {
        const int32_t r1 = std::min(tg.H, r0 + kTileRows);
        for (int32_t x = tg.xLo; x < tg.xHi; x += kTilesAtOnce * kTileColumns) {
            const int32_t tiles = std::min(kTilesAtOnce, (tg.xHi - x + kTileColumns - 1) / kTileColumns);
            std::array<TileTops, kTilesAtOnce> tops;
            const auto columnsOf = [&](int32_t i) { return std::min(kTileColumns, tg.xHi - x - i * kTileColumns); };
            for (int32_t i = 0; i < tiles; ++i)
                tops[i] = TopsOf(tg, x + i * kTileColumns, columnsOf(i));
            for (int32_t a = r0; a < r1; a += kRowsAtOnce)
                for (int32_t i = 0; i < tiles; ++i)
                    CopyTileRowsUnderTops(tg, paintSky, tops[i], r0, a, std::min(a + kRowsAtOnce, r1),
                        x + i * kTileColumns, columnsOf(i));
        }
    }
}

// The first row of the tiles that no later strip can write to: those wholly
// below every column's top, since a strip only writes at or above a column's
// top. Column 0 is left out: a run fills the columns right of its first
// point, and no point lies left of column 0, so no strip ever fills it.
int32_t FinishedTileRows(const TiledTarget& tg)
{
    int32_t lowestTop = 0;
    for (int32_t x = std::max(tg.xLo, 1); x < tg.xHi; ++x)
        lowestTop = std::max(lowestTop, tg.columnTop[x]);
    return (lowestTop / kTileRows + 1) * kTileRows;
}

// Fills the target's columns from the projected strips, nearest first, and
// copies them into the rows. Tiles are copied as soon as they are finished,
// while the cache still holds most of them, rather than all at the end.
template <class Rows> void FillBand(const TiledTarget& tg, const StripRange& strips, bool paintSky)
{
    const int32_t bottom = tg.H - 1;
    const int32_t columns = tg.xHi - tg.xLo;
    FillInts(tg.columnTop + tg.xLo, bottom, columns);
    std::fill_n(tg.columnColour + tg.xLo, columns, kUntouchedColumn);
    // The bottom row is ground right under the eye: grey, at depth 0.
    for (int32_t x = tg.xLo; x < tg.xHi; ++x) {
        tg.Colour(x, bottom) = kBottomRowColour;
        tg.Depth(x, bottom) = 0;
        tg.Height(x, bottom) = 0;
    }

    const TiledColumns cols(tg);
    int32_t copiedFrom = tg.H;
    for (int32_t s = 0; s < strips.count; ++s) {
        if (s % kFinishedTileChecks == kFinishedTileChecks - 1) {
            const int32_t finished = FinishedTileRows(tg);
            if (finished < copiedFrom) {
                CopyTilesToRows(tg, paintSky, finished, copiedFrom);
                copiedFrom = finished;
            }
        }
        const StripSample* slot = FrameBuffers.SampleStrips + int64_t(s) * strips.pitch;
        const ScreenPoint* sp = FrameBuffers.ProjectedSamples + int64_t(s) * strips.pitch;
        // Runs that end left of the band fill none of its columns: the walk
        // starts at the first sample in the band or right of it, from the one
        // before. The first sample of a strip starts its run in its own column.
        int32_t j = 0;
        while (strips.Holds(slot, j) && sp[j].sx < tg.xLo)
            ++j;
        const int32_t from = std::max(j - 1, 0);
        int32_t prevX = sp[from].sx;
        int32_t prevY = sp[from].sy;
        uint32_t prevColour = slot[from].colour;
        for (; strips.Holds(slot, j); ++j) {
            DrawTiledRun<Rows>(
                tg, cols, prevX, prevY, prevColour, sp[j].sx, sp[j].sy, slot[j].colour, sp[j].depth, slot[j].height);
            prevX = sp[j].sx;
            prevY = sp[j].sy;
            prevColour = slot[j].colour;
        }
    }
    CopyTilesToRows(tg, paintSky, 0, copiedFrom);
}

// Where band i of `bands` starts: on a tile's first column, so that no two
// bands share a tile or a cache line of a row.
int32_t BandEdge(int32_t W, int32_t i, int32_t bands)
{
    return i == bands ? W : W * i / bands / kTileColumns * kTileColumns;
}

/* Two passes, each shared out over all cores. First every sample is
 * projected once, the strips split between the cores. Then the frame is
 * filled in bands of whole columns side by side: columns are independent (each
 * keeps its own top and colour, and a strip only ever fills upward within a
 * column), so each band walks every strip but fills only its own columns, and
 * the pixels are those that one band would give. A band fills the tiled
 * copies and then copies its columns into the rows. */
void RasteriseColumns(bool paintSky)
{
    const TiledTarget whole = CurrentTiledTarget();
    RasterFeedback = 0;
    if (whole.W <= 0 || whole.H <= 0 || whole.columnTop == nullptr || whole.colour == nullptr ||
        whole.rowStarts == nullptr)
        return;
    const StripRange strips = CurrentStrips();
    const int32_t bands = BandCount(whole.W);
    // A load where a row's place would take a multiplication at every step.
    for (int32_t r = 0; r < whole.H; ++r)
        whole.rowStarts[r] = whole.Index(0, r);

    std::array<int32_t, kMaxBands> feedback{};
    WorkerPool::Shared().Run(bands, [&](int i) {
        feedback[i] = ProjectStrips(whole.W, whole.H, strips, strips.count * i / bands, strips.count * (i + 1) / bands);
    });
    WorkerPool::Shared().Run(bands, [&](int i) {
        TiledTarget tg = whole;
        tg.xLo = BandEdge(whole.W, i, bands);
        tg.xHi = BandEdge(whole.W, i + 1, bands);
        if (FixedPointRows::Covers(whole.W, whole.H))
            FillBand<FixedPointRows>(tg, strips, paintSky);
        else
            FillBand<BresenhamRows>(tg, strips, paintSky);
    });
    for (int32_t i = 0; i < bands; ++i)
        RasterFeedback |= feedback[i];
}

}  // namespace

void SetRasterBandLimit(int32_t bands)
{
    rasterBandLimit = std::clamp(bands, 0, kMaxBands);
}

void RasteriseStrips()
{
    RasteriseColumns(false);
}

void RasteriseStripsUnderSky()
{
    RasteriseColumns(true);
}

ScreenPoint ProjectGridSample(int32_t column, int32_t row, int32_t height)
{
    const Target tg = CurrentTarget();
    const ProjectionRecord& p = ProjectionSetup;
    return ProjectGridPoint(p, HeightScaleFor(p.metresPerCell), tg.W, tg.H, column, row, height);
}
