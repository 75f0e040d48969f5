// The tile copy: finished tiles of the tiled copies into the frame's rows,
// with the sky above each column's top and the skyline blended on the way.

#include "render/tilecopy.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/sky.h"

namespace {

// Rows [a, b) of the tile at `tile`, whose first row is r0 and first column
// x0, into the frame's rows, its first n columns.
void CopyTileRows(const TiledTarget& tg, std::ptrdiff_t tile, int32_t r0, int32_t a, int32_t b, int32_t x0, int32_t n)
{
    for (int32_t r = a; r < b; ++r) {
        const std::ptrdiff_t at = tile + (r - r0);
        uint32_t* colourOut = tg.colourRows[r] + x0;
        uint32_t* depthOut = tg.depthRows[r] + x0;
        int16_t* heightOut = tg.heightRows[r] + x0;
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
    const int32_t aligned = std::min(b, r0 + (a - r0 + 3) / 4 * 4);
    CopyTileRows(tg, tile, r0, a, aligned, x0, kTileColumns);
    int32_t r = aligned;
    for (; r + 4 <= b; r += 4) {
        const std::ptrdiff_t at = tile + (r - r0);
        for (int32_t buffer = 0; buffer < 2; ++buffer) {
            const uint32_t* from = (buffer == 0 ? tg.colour : tg.depth) + at;
            uint32_t* const* rows = buffer == 0 ? tg.colourRows : tg.depthRows;
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
        int16_t* const* rows = tg.heightRows;
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
        uint32_t* colourOut = tg.colourRows[r] + x0;
        uint32_t* depthOut = tg.depthRows[r] + x0;
        int16_t* heightOut = tg.heightRows[r] + x0;
        const uint32_t* colour = tg.colour + tile + (r - r0);
        const uint32_t* depth = tg.depth + tile + (r - r0);
        const int16_t* height = tg.height + tile + (r - r0);
        if (r < tops.low) {
            if (paintSky)
                PutSkyPixels(colourOut, depthOut, heightOut, n, tg.skyRowColours[r]);
            continue;
        }
        for (int32_t i = 0; i < n; ++i) {
            const int32_t t = top[i];
            if (r < t) {
                if (paintSky)
                    PutSkyPixels(colourOut + i, depthOut + i, heightOut + i, 1, tg.skyRowColours[r]);
                continue;
            }
            const uint32_t c = colour[i * kTileRows];
            colourOut[i] = paintSky ? SkylinePixel(tg.skyRowColours, r, t, H, c) : c;
            depthOut[i] = depth[i * kTileRows];
            heightOut[i] = height[i * kTileRows];
        }
    }
}

}  // namespace

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
