#pragma once
// Colours worked on as three real channels, for what is made once per
// picture rather than per pixel: palettes, skies, lighting.

#include <algorithm>
#include <cmath>
#include <cstdint>

struct Rgb {
    double r, g, b;
};

// From a to b by t (0 .. 1).
constexpr Rgb Mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// As a pixel 0x00RRGGBB, each channel rounded and held to 0 .. 255.
inline uint32_t PackRgb(Rgb c)
{
    const auto byte = [](double v) { return uint32_t(std::clamp(std::lround(v), 0L, 255L)); };
    return byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

inline Rgb UnpackRgb(uint32_t c)
{
    return {double(c >> 16 & 0xFF), double(c >> 8 & 0xFF), double(c & 0xFF)};
}
