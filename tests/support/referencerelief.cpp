#include "tests/support/referencerelief.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/geometry.h"

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint32_t Pack(Rgb c)
{
    const auto byte = [](double v) { return uint32_t(std::clamp(std::lround(v), 0L, 255L)); };
    return byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

Rgb Unpack(uint32_t c)
{
    return {double(c >> 16 & 0xFF), double(c >> 8 & 0xFF), double(c & 0xFF)};
}

// The light of the model: warm and weak near the horizon, white high up, a
// blue dusk below it.
struct Lighting {
    Rgb direct;
    Rgb ambient;
};

Lighting LightingAt(double elevation)
{
    if (elevation <= 0) {
        const double dusk = std::clamp(1 + elevation / 8, 0.0, 1.0);
        return {{0, 0, 0}, Mix({0.16, 0.19, 0.30}, {0.34, 0.33, 0.42}, dusk)};
    }
    const double warmth = std::clamp(elevation / 25, 0.0, 1.0);
    return {Mix({0.95, 0.62, 0.42}, {0.78, 0.76, 0.72}, warmth), Mix({0.36, 0.34, 0.40}, {0.40, 0.43, 0.48}, warmth)};
}

std::vector<uint8_t> Shadows(const int16_t* const* grid, int width, int height, double metresPerCell, SunLight sun)
{
    std::vector<uint8_t> shadow(std::size_t(width) * std::size_t(height), 1);
    if (sun.elevation <= 0)
        return shadow;
    // A ray from every whole row (or column) offset, away from the sun, one
    // cell along the major axis per step.
    const double awayEast = -std::sin(sun.azimuth * kDegToRad);
    const double awaySouth = std::cos(sun.azimuth * kDegToRad);
    const bool alongRows = std::fabs(awayEast) >= std::fabs(awaySouth);
    const int major = alongRows ? width : height;
    const int minor = alongRows ? height : width;
    const double majorStep = alongRows ? awayEast : awaySouth;
    const double slope = (alongRows ? awaySouth : awayEast) / std::fabs(majorStep);
    const double drop = std::sqrt(1 + slope * slope) * metresPerCell * std::tan(sun.elevation * kDegToRad);
    const int reach = int(std::ceil(std::fabs(slope) * (major - 1)));
    for (int ray = slope > 0 ? -reach : 0; ray < (slope > 0 ? minor : minor + reach); ++ray) {
        double graze = -std::numeric_limits<double>::infinity();
        for (int k = 0; k < major; ++k) {
            const int m = majorStep > 0 ? k : major - 1 - k;
            const int n = ray + int(std::floor(k * slope));
            graze -= drop;
            if (n < 0 || n >= minor)
                continue;
            const int column = alongRows ? m : n;
            const int row = alongRows ? n : m;
            const double h = grid[row][column];
            shadow[std::size_t(row) * std::size_t(width) + std::size_t(column)] = h < graze ? 1 : 0;
            graze = std::max(graze, h);
        }
    }
    return shadow;
}

}  // namespace

ReferenceRelief BuildReferenceRelief(
    const int16_t* const* grid, int width, int height, double metresPerCell, const NaturalReliefStyle& style)
{
    ReferenceRelief relief{Bitmap32(width, height), Shadows(grid, width, height, metresPerCell, style.sun)};
    const Lighting light = LightingAt(style.sun.elevation);
    const double e = style.sun.elevation * kDegToRad;
    const double a = style.sun.azimuth * kDegToRad;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const auto at = [&](int c, int r) {
                return grid[std::clamp(r, 0, height - 1)][std::clamp(c, 0, width - 1)];
            };
            // The normal from central differences, clamped at the edges.
            const double normalEast = (at(column - 1, row) - at(column + 1, row)) / (2 * metresPerCell);
            const double normalNorth = (at(column, row + 1) - at(column, row - 1)) / (2 * metresPerCell);
            const double cosine =
                (normalEast * std::sin(a) * std::cos(e) + normalNorth * std::cos(a) * std::cos(e) + std::sin(e)) /
                std::sqrt(normalEast * normalEast + normalNorth * normalNorth + 1);
            const bool shaded = relief.shadow[std::size_t(row) * std::size_t(width) + std::size_t(column)] != 0;
            const double direct = shaded ? 0 : std::max(cosine, 0.0);
            const int16_t h = grid[row][column];
            const Rgb tint = Unpack(HypsometricTint(h, style.snowLine));
            relief.colours.scanLine(row)[column] = Pack({tint.r * (light.ambient.r + light.direct.r * direct),
                tint.g * (light.ambient.g + light.direct.g * direct),
                tint.b * (light.ambient.b + light.direct.b * direct)});
        }
    }
    return relief;
}
