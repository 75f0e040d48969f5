#pragma once
// The relief passes one at a time, over the cores as the viewer's own
// passes go: what the one-pass builders are checked against, and timed
// beside them.

#include "relief/relief.h"

// Every row coloured from the palette.
void ColourPass(const HeightPalette& palette, const int16_t* const* grid, const TileInfo& relief);
// Every row but the first and last shaded, in place.
void ShadePass(const int16_t* const* grid, const TileInfo& relief, const ProgressStep& step);
// The map of a tile alone: its width set, then BuildMapPixels.
void BuildMapImage(const TileInfo& relief, Bitmap32& map, const ProgressStep& step);
