// The tile copy: the colours of finished tiles into the frame's rows, with
// the sky above each column's top and the skyline blended on the way. Depth
// and height stay in their tiles (FrameBufferSet::ReadBlock).

#include "render/tilecopy.h"

#include <algorithm>
#include <array>

#include "render/sky.h"

namespace {

// Rows [a, b) of the tile at `tile`, whose first row is r0 and first column
// x0, into the frame's rows, its first n columns.
void CopyTileRows(const TiledTarget& tg, std::ptrdiff_t tile, int32_t r0, int32_t a, int32_t b, int32_t x0, int32_t n)
{
    for (int32_t r = a; r < b; ++r) {
        const std::ptrdiff_t at = tile + (r - r0);
        uint32_t* colourOut = tg.colourRows[r] + x0;
        for (int32_t i = 0; i < n; ++i)
            colourOut[i] = tg.colour[at + i * kTileRows];
    }
}

// CopyTileRows for a tile kTileColumns wide: four rows at a time by
// TransposeFourRows.
void CopyWholeTileRows(const TiledTarget& tg, std::ptrdiff_t tile, int32_t r0, int32_t a, int32_t b, int32_t x0)
{
    const int32_t aligned = std::min(b, r0 + (a - r0 + 3) / 4 * 4);
    CopyTileRows(tg, tile, r0, a, aligned, x0, kTileColumns);
    int32_t r = aligned;
    for (; r + 4 <= b; r += 4) {
        uint32_t* const* rows = tg.colourRows + r;
        TransposeFourRows(tg.colour + tile + (r - r0), {rows[0] + x0, rows[1] + x0, rows[2] + x0, rows[3] + x0});
    }
    CopyTileRows(tg, tile, r0, r, b, x0, kTileColumns);
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
        const uint32_t* colour = tg.colour + tile + (r - r0);
        if (r < tops.low) {
            if (paintSky)
                std::fill_n(colourOut, n, tg.skyRowColours[r]);
            continue;
        }
        for (int32_t i = 0; i < n; ++i) {
            const int32_t t = top[i];
            if (r < t) {
                if (paintSky)
                    colourOut[i] = tg.skyRowColours[r];
                continue;
            }
            const uint32_t c = colour[i * kTileRows];
            colourOut[i] = paintSky ? SkylinePixel(tg.skyRowColours, r, t, H, c) : c;
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
