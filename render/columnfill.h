#pragma once
// The column fill stage: the projected strips, nearest first, filled into
// the tiled copies of one band of columns and copied into the frame's rows.

#include <cstdint>

#include "render/framebuffers.h"
#include "render/tiles.h"
#include "render/viewstrips.h"

// Fills columns [tg.xLo, tg.xHi) from the strips' samples and their
// projections (ProjectStrips), each run between two neighbouring samples of
// a strip column by column, within each strip's span for this band
// (`spans`, BandSpanAt); then copies them into the rows, with the sky above
// the terrain where paintSky. The columns' tops start at the bottom row,
// which is ground right under the eye.
void FillBand(const TiledTarget& tg, const StripSample* samples, const ScreenPoint* projected, const StripRange& strips,
    const BandSpan* spans, int32_t band, bool paintSky);
