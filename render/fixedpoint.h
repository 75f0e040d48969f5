#pragma once
// Fixed-point formats shared by the view strips and the rasteriser.

#include <cstdint>

#include "core/geometry.h"

// Grid positions and depths: 8 fraction bits, 256 units per cell.
inline constexpr int kCellFracBits = 8;
inline constexpr int32_t kCellUnits = 1 << kCellFracBits;
// Rotation factors: cos and sin scaled by 1024.
inline constexpr int kRotationFracBits = 10;
inline constexpr int32_t kRotationUnit = 1 << kRotationFracBits;

// The largest grid coordinate, in cells, that the strip builder works with.
// Products of two such coordinates are formed in 64 bits.
inline constexpr int32_t kGridCoordLimit = 1 << 24;
// The eye is held within 2^20 cells of the grid origin (far beyond any tile,
// about 290 degrees of latitude), so that every offset from the eye in 1/256
// cell and every rotation of it stays well inside 32 bits.
inline constexpr int32_t kEyeCellLimit = 1 << 20;
