#pragma once
// The tile copy stage: the column fill writes tiled copies of the frame's
// buffers (tiles.h), which are copied into the frame's rows as soon as no
// later strip can write to them.

#include <cstdint>

#include "render/tiles.h"

// Copies columns [tg.xLo, tg.xHi) of rows [from, to) of the tiled copies into
// the frame's rows, from each column's top down; `from` is a tile's first row.
// With paintSky the rows above each top get the frame's sky, and the top row
// its skyline blend.
void CopyTilesToRows(const TiledTarget& tg, bool paintSky, int32_t from, int32_t to);

// The first row of the tiles that no later strip can write to: those wholly
// below every column's top, since a strip only writes at or above a column's
// top.
int32_t FinishedTileRows(const TiledTarget& tg);
