#pragma once
// The east-west resampling of a tile's rows (or a band of tiles side by side)
// to square cells, and the unsharp mask that sharpens the result.

#include <cstdint>
#include <vector>

#include "core/raster.h"
#include "core/rowbands.h"

// Resampling positions, and the spline's fraction, carry 10 fraction bits.
inline constexpr int kSplineFractionBits = 10;

// The Catmull-Rom spline through p0..p3 at t / 1024 (0 <= t < 1024) between
// p1 and p2, in integers (not yet limited to the 16-bit range). The taps are
// 16-bit heights: |a t + b| <= 48 x 32768 at any t, so every intermediate
// below fits 32 bits. Value is int32_t, or a vector of them that evaluates
// several splines at once.
template <class Value> constexpr Value CatmullRom(Value p0, Value p1, Value p2, Value p3, Value t)
{
    const Value a = 4 * (-p0 + 3 * p1 - 3 * p2 + p3);
    const Value b = 4 * (2 * p0 - 5 * p1 + 4 * p2 - p3);
    const Value c = 4 * (p2 - p0);
    Value v = (a * t) >> kSplineFractionBits;
    v = ((v + b) * t) >> kSplineFractionBits;
    v = ((v + c) * t) >> kSplineFractionBits;
    return (v + 8 * p1) >> 3;
}

// n = trunc(3600 cos(centreLat)): a resampled row's last column.
int32_t ResampledLastColumn(double centreLat);
// Every row of a band of tiles side by side, west to east (null where a cell
// has no tile; one tile alone is a band of one), resampled to n + 1 samples
// per tile into rows row .. row + 3600 of `out`. The positions run on across
// the tiles' edges, so that a ridge crossing one keeps its shape. Void
// markers, and cells without a tile, read as sea level. Steps as
// ForRowBands over the band's rows.
void ResampleBandInto(
    double centreLat, const std::vector<const SampleGrid*>& band, SampleGrid& out, int row, const ProgressStep& step);
// The unsharp mask over rows 2 .. rows - 3 and columns 2 .. width - 3 of
// `grid`, in place, needing no second grid. A step after every
// kProgressEveryRows rows but the last.
void SharpenInPlace(SampleGrid& grid, int32_t width, int32_t rows, const ProgressStep& step);
