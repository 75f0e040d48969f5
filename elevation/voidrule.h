#pragma once
// The one rule for which samples of an elevation file are heights and which
// are voids, whichever reader read them.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/raster.h"

// No height on land lies outside these, in metres: the Dead Sea's shore is
// at -430 m and Everest's summit at 8,849 m; even a surface model's trees
// and towers stay below 9,000 m. Sea-floor depths are not heights of the
// landscape drawn. Anything beyond them (a wrapped or junk value, a float's
// overflow) is a void, as is a file's own no-data value and what is no number.
inline constexpr int kLowestHeight = -999;
inline constexpr int kHighestHeight = 9000;

// What marks a void in the grid.
inline constexpr int16_t kGridVoid = -9999;

bool IsVoidSample(double sample, std::optional<double> noData);

// Samples as read, voids turned to NaN: the count of voids among them.
uint64_t MarkVoids(std::vector<float>& samples, std::optional<double> noData);
// Rows 0..3600 of one tile's grid, voids turned to kGridVoid: the count of
// voids among them.
uint64_t MarkGridVoids(SampleGrid& grid, std::optional<double> noData);
