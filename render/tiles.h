#pragma once
// The tiled copies of a frame's three buffers, which the column fill writes
// (kTileColumns x kTileRows tiles, framebuffers.h), and the rows they are
// copied into afterwards.

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/framebuffers.h"

// The frame being drawn in the tiled copies.
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
    // The frame's rows, which finished tiles' colours are copied into.
    uint32_t* const* colourRows;

    std::ptrdiff_t Index(int32_t x, int32_t r) const { return TiledIndex(tileRowStep, x, r); }
    uint32_t& Colour(int32_t x, int32_t r) const { return colour[Index(x, r)]; }
    uint32_t& Depth(int32_t x, int32_t r) const { return depth[Index(x, r)]; }
    int16_t& Height(int32_t x, int32_t r) const { return height[Index(x, r)]; }
};

// The whole frame of `fb`'s frame-size pair.
inline TiledTarget TiledTargetOf(const FrameBufferSet& fb)
{
    return {fb.TiledColours, fb.TiledDepths, fb.TiledHeights, fb.ColumnTop, fb.ColumnColour, fb.SkyRowColours,
        fb.ReciprocalTable, fb.frameWidth, fb.frameHeight, 0, fb.frameWidth, TileRowStep(fb.frameWidth),
        fb.TiledRowStarts, fb.ColourRows};
}

// Four rows of a whole tile into four rows of pixels: `from` is the tile's
// column 0 at the first of the rows, and rows[j] receives row j's
// kTileColumns pixels. By 4 x 4 transpositions where SSE2 is there.
inline void TransposeFourRows(const uint32_t* from, uint32_t* const (&rows)[4])
{
#if defined(__SSE2__)
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
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[0] + i), _mm_unpacklo_epi64(rows01Low, rows01High));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[1] + i), _mm_unpackhi_epi64(rows01Low, rows01High));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[2] + i), _mm_unpacklo_epi64(rows23Low, rows23High));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[3] + i), _mm_unpackhi_epi64(rows23Low, rows23High));
    }
#else
    for (int32_t j = 0; j < 4; ++j)
        for (int32_t i = 0; i < kTileColumns; ++i)
            rows[j][i] = from[i * kTileRows + j];
#endif
}

// TransposeFourRows for heights, by 8 x 4 transpositions.
inline void TransposeFourRows(const int16_t* from, int16_t* const (&rows)[4])
{
#if defined(__SSE2__)
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
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[0] + i), _mm_unpacklo_epi64(q0123Rows01, q4567Rows01));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[1] + i), _mm_unpackhi_epi64(q0123Rows01, q4567Rows01));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[2] + i), _mm_unpacklo_epi64(q0123Rows23, q4567Rows23));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[3] + i), _mm_unpackhi_epi64(q0123Rows23, q4567Rows23));
    }
#else
    for (int32_t j = 0; j < 4; ++j)
        for (int32_t i = 0; i < kTileColumns; ++i)
            rows[j][i] = from[i * kTileRows + j];
#endif
}
