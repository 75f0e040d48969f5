// The column fill: every run between two neighbouring samples of a strip,
// column by column, by the column rule (columnrule.h), into the tiled copies.

#include "render/columnfill.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/columnrule.h"
#include "render/gradient.h"
#include "render/runrows.h"
#include "render/tilecopy.h"

namespace {

// Strips filled between two looks for finished tiles.
constexpr int32_t kFinishedTileChecks = 8;

// The column rule (columnrule.h) in the tiled copies, with the tiles' layout
// built in: a column's rows within a tile are neighbours in memory, and a
// column starts kTileRows elements after the one to its left.
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
    // The one way a pixel of terrain is written: its colour, depth and height.
    void Put(std::ptrdiff_t at, uint32_t c, int32_t d, int32_t h) const
    {
        colour[at] = c;
        depth[at] = uint32_t(d);
        height[at] = int16_t(h);
    }
    // A column's old top row, half and half with the colour the rise starts from.
    void BlendTop(std::ptrdiff_t at, uint32_t prev) const { colour[at] = AveragePixels(colour[at], prev); }
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

// Any rise: from the bottom row, of a column first touched (sky below its
// terrain), or over rows of more than one tile.
[[gnu::noinline]] void RiseAcrossTiles(const TiledTarget& tg, const TiledColumns& cols, int32_t x, int32_t y,
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
    if (t < bottom)
        cols.BlendTop(column + cols.RowAt(t), prev);
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
    cols.Put(column + cols.RowAt(y), colour, depth, height);
}

// RiseAcrossTiles for a rise of two rows from a top above the bottom row,
// the commonest rise of far terrain. The row between takes the gradient's
// first colour: with a reciprocal of 65536 / 2, each channel's plain mean,
// which needs no gradient at all.
inline void RiseTwoRows(const TiledColumns& cols, int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height)
{
    constexpr uint32_t kLowBitsOff = 0xFEFEFE;
    const int32_t t = y + 2;
    cols.top[x] = y;
    const uint32_t prev = cols.lastColour[x] & kRgbMask;
    cols.lastColour[x] = colour;
    const std::ptrdiff_t column = TiledColumns::ColumnAt(x);
    cols.BlendTop(column + cols.RowAt(t), prev);
    // (a + b) / 2 per channel, rounded down: a & b, plus half of a ^ b.
    const uint32_t mean = (prev & colour) + (((prev ^ colour) & kLowBitsOff) >> 1);
    cols.Put(column + cols.RowAt(y + 1), mean & kRgbMask, depth, height);
    cols.Put(column + cols.RowAt(y), colour, depth, height);
}

// RiseAcrossTiles for a rise of three rows or more from a top above the
// bottom row, the top and the rise's rows all in one tile: they are
// neighbours in memory, row y + i at i from row y.
[[gnu::noinline]] void RiseWithinTile(
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
    cols.BlendTop(at + count, prev);
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
        cols.Put(at, colour, depth, height);
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
    // Hidden by nearer terrain, or at the bottom row, where a rise would only
    // take the colour: it starts the column's next gradient.
    if (t < y || y == cols.bottom) {
        cols.lastColour[x] = colour;
        return;
    }
    if (t - y > 1 || t == cols.bottom) {
        if (t - y == 2 && t != cols.bottom)
            RiseTwoRows(cols, x, y, colour, depth, height);
        else if (t != cols.bottom && (t ^ y) < kTileRows)  // in one tile: t and y differ only below kTileRows
            RiseWithinTile(cols, x, y, colour, depth, height);
        else
            RiseAcrossTiles(tg, cols, x, y, colour, depth, height);
        return;
    }
    // Far terrain mostly meets a column's top or rises it by one row.
    const uint32_t prev = cols.lastColour[x] & kRgbMask;
    cols.lastColour[x] = colour;
    const std::ptrdiff_t column = TiledColumns::ColumnAt(x);
    cols.BlendTop(column + cols.RowAt(t), prev);
    if (t > y) {
        cols.top[x] = y;
        cols.Put(column + cols.RowAt(y), colour, depth, height);
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

// A run's steps over columns x0 + 1 .. x0 + end - 1, filling those from
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
    if constexpr (std::is_same_v<Colours, FlatColour>) {
        // One colour in every column, as over the sea: a plain fill, which
        // the compiler does eight columns at a time.
        std::fill(lastColour + first, lastColour + end, colours.colour);
        return;
    }
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

// FillBand, its runs' rows stepped by Rows. Tiles are copied as soon as
// they are finished, while the cache still holds most of them, rather than
// all at the end.
template <class Rows>
void FillBandWith(const TiledTarget& tg, const StripSample* samples, const ScreenPoint* projected,
    const StripRange& strips, const BandSpan* spans, int32_t band, bool paintSky)
{
    const int32_t bottom = tg.H - 1;
    const int32_t columns = tg.xHi - tg.xLo;
    std::fill_n(tg.columnTop + tg.xLo, columns, bottom);
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
        const StripSample* slot = samples + int64_t(s) * strips.pitch;
        const ScreenPoint* sp = projected + int64_t(s) * strips.pitch;
        // Runs that end left of the band or start right of it fill none of
        // its columns: the walk takes the strip's span for the band, from the
        // sample before its first. The first sample of a strip starts its run
        // in its own column.
        const BandSpan span = spans[BandSpanAt(s, band)];
        int32_t j = span.first;
        const int32_t from = std::max(j - 1, 0);
        int32_t prevX = sp[from].sx;
        int32_t prevY = sp[from].sy;
        uint32_t prevColour = slot[from].colour;
        for (; j < span.end; ++j) {
            DrawTiledRun<Rows>(
                tg, cols, prevX, prevY, prevColour, sp[j].sx, sp[j].sy, slot[j].colour, sp[j].depth, slot[j].height);
            prevX = sp[j].sx;
            prevY = sp[j].sy;
            prevColour = slot[j].colour;
        }
    }
    CopyTilesToRows(tg, paintSky, 0, copiedFrom);
}

}  // namespace

void FillBand(const TiledTarget& tg, const StripSample* samples, const ScreenPoint* projected, const StripRange& strips,
    const BandSpan* spans, int32_t band, bool paintSky)
{
    if (FixedPointRows::Covers(tg.W, tg.H))
        FillBandWith<FixedPointRows>(tg, samples, projected, strips, spans, band, paintSky);
    else
        FillBandWith<BresenhamRows>(tg, samples, projected, strips, spans, band, paintSky);
}
