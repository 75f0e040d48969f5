#pragma once
// The ground a flight keeps above: the loaded landscape's heights as drawn,
// exaggeration included.

#include <cstdint>
#include <optional>

#include "core/viewrecords.h"
#include "flight/chaseflight.h"

struct Terrain;

// The height of the grid cell under a point in metres, unexaggerated, or
// nothing off the grid.
std::optional<double> GridHeightUnder(const Terrain& terrain, const RenderParams& params, const GeoPoint& point);
// The drawn height of the grid cell under a point, metres; 0 off the grid,
// as the renderer takes it.
double DrawnGroundAt(const Terrain& terrain, const RenderParams& params, int32_t heightQuarters, const GeoPoint& point);
// The same as a flight's ground; `terrain` and `params` must outlive it.
GroundHeights DrawnGround(const Terrain& terrain, const RenderParams& params, int32_t heightQuarters);
