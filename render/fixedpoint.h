#pragma once
// Fixed-point formats shared by the view strips and the rasteriser, and the
// one way a per-frame floating value becomes an integer.

#include <cmath>
#include <cstdint>

inline constexpr double kPi = 3.141592653589793;

// Grid positions and depths: 8 fraction bits, 256 units per cell.
inline constexpr int kCellFracBits = 8;
inline constexpr int32_t kCellUnits = 1 << kCellFracBits;
// Rotation factors: cos and sin scaled by 1024.
inline constexpr int kRotationFracBits = 10;
inline constexpr int32_t kRotationUnit = 1 << kRotationFracBits;

// Truncates toward zero like a plain conversion, but holds the result within
// [-limit, limit] and takes NaN to 0. Degenerate views (an eye far beyond the
// tile, an edge angle next to the horizontal, a view box of extreme aspect)
// give infinite or huge values, whose plain conversion would be undefined.
inline int32_t TruncWithin(double value, int32_t limit)
{
    if (!(value == value))
        return 0;
    if (value >= double(limit))
        return limit;
    if (value <= -double(limit))
        return -limit;
    return int32_t(value);
}

// The largest grid coordinate, in cells, that the strip builder works with.
// Products of two such coordinates are formed in 64 bits.
inline constexpr int32_t kGridCoordLimit = 1 << 24;
// The eye is held within 2^20 cells of the grid origin (far beyond any tile,
// about 290 degrees of latitude), so that every offset from the eye in 1/256
// cell and every rotation of it stays well inside 32 bits.
inline constexpr int32_t kEyeCellLimit = 1 << 20;
