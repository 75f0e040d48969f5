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
// Resamples every row to width n + 1 into both grids. Returns the new width.
int32_t ResampleEastWest(
    double centreLat, const SampleGrid& source, SampleGrid& resampled, SampleGrid& height, const ProgressStep& step);
// The same resampling across a band of tiles side by side, west to east (null
// where a cell has no tile): n + 1 samples per tile, written into rows
// row .. row + 3600 of `out`. The positions run on across the tiles' edges,
// so that a ridge crossing one keeps its shape.
void ResampleBandInto(double centreLat, const std::vector<const SampleGrid*>& band, SampleGrid& out, int row);
void Sharpen(const SampleGrid& resampled, SampleGrid& height, int32_t width, int32_t rows, const ProgressStep& step);
// Sharpen with `grid` as both input and output, needing no second grid.
void SharpenInPlace(SampleGrid& grid, int32_t width, int32_t rows);
