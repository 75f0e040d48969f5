#pragma once
// The tiled copies of a frame's three buffers, which the column fill writes
// (kTileColumns x kTileRows tiles, framebuffers.h), and the rows they are
// copied into afterwards.

#include <cstddef>
#include <cstdint>

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
    // The frame's rows, which finished tiles are copied into.
    uint32_t* const* colourRows;
    uint32_t* const* depthRows;
    int16_t* const* heightRows;

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

// The whole frame of `fb`'s frame-size pair.
inline TiledTarget TiledTargetOf(const FrameBufferSet& fb)
{
    const std::ptrdiff_t tilesAcross = (fb.frameWidth + kTileColumns - 1) / kTileColumns;
    return {fb.TiledColours, fb.TiledDepths, fb.TiledHeights, fb.ColumnTop, fb.ColumnColour, fb.SkyRowColours,
        fb.ReciprocalTable, fb.frameWidth, fb.frameHeight, 0, fb.frameWidth, tilesAcross * kTilePixels,
        fb.TiledRowStarts, fb.ColourRows, fb.DepthRows, fb.HeightRows};
}
