#pragma once
// The reference natural relief: the horizon sweep walked ray by ray, sample by
// sample, and every sample lit on its own, as plainly as the model reads; the
// fast NaturalRelief::Build is checked against it.

#include <cstdint>
#include <vector>

#include "core/raster.h"
#include "relief/naturalrelief.h"

struct ReferenceRelief {
    Bitmap32 colours;
    std::vector<uint8_t> shadow;  // one per sample, row by row: 1 where the sun is hidden
};

ReferenceRelief BuildReferenceRelief(
    const int16_t* const* grid, int width, int height, double metresPerCell, const NaturalReliefStyle& style);
