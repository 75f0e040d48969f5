#include "relief/naturalrelief.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/colour.h"
#include "core/geometry.h"
#include "core/rowbands.h"
#include "relief/relief.h"

namespace {

constexpr Rgb kWater{52, 88, 128};
constexpr Rgb kSnow{238, 240, 244};
constexpr int32_t kSnowBlend = 150;  // metres below the snow line where rock turns white

// The tints from sea level up, each reached at its height.
struct TintStop {
    int32_t height;
    Rgb colour;
};
constexpr TintStop kTints[] = {
    {0, {108, 146, 84}},  // lowland fields
    {500, {80, 122, 62}},  // forest
    {1300, {96, 120, 70}},
    {1900, {132, 124, 98}},  // scrub and bare ground
    {2500, {142, 134, 124}},  // rock
    {9000, {152, 148, 144}},
};

Rgb TintOf(int32_t height, int32_t snowLine)
{
    if (height <= 0)
        return kWater;
    Rgb ground = kTints[std::size(kTints) - 1].colour;
    for (std::size_t i = 1; i < std::size(kTints); ++i) {
        if (height <= kTints[i].height) {
            const TintStop& low = kTints[i - 1];
            const TintStop& high = kTints[i];
            ground = Mix(low.colour, high.colour, double(height - low.height) / double(high.height - low.height));
            break;
        }
    }
    if (height >= snowLine)
        return kSnow;
    if (height > snowLine - kSnowBlend)
        return Mix(ground, kSnow, double(height - (snowLine - kSnowBlend)) / kSnowBlend);
    return ground;
}

// How the sun's light and the sky's shine at a sun `elevation` degrees high:
// warm and weak near the horizon, white high up, a blue dusk below it.
struct Lighting {
    Rgb direct;  // times the cosine of the sun's angle on the slope
    Rgb ambient;  // what shadowed ground gets
};

Lighting LightingAt(double elevation)
{
    constexpr double kDuskDepth = 8;  // degrees below the horizon where night falls
    if (elevation <= 0) {
        const double dusk = std::clamp(1 + elevation / kDuskDepth, 0.0, 1.0);
        const Rgb night{0.16, 0.19, 0.30};
        const Rgb twilight{0.34, 0.33, 0.42};
        return {{0, 0, 0}, Mix(night, twilight, dusk)};
    }
    const double warmth = std::clamp(elevation / 25, 0.0, 1.0);
    const Rgb direct = Mix({0.95, 0.62, 0.42}, {0.78, 0.76, 0.72}, warmth);
    const Rgb ambient = Mix({0.36, 0.34, 0.40}, {0.40, 0.43, 0.48}, warmth);
    return {direct, ambient};
}

int Halved(int size)
{
    return (size + 1) / 2;
}

}  // namespace

uint32_t HypsometricTint(int32_t height, int32_t snowLine)
{
    return PackRgb(TintOf(height, snowLine));
}

NaturalRelief::NaturalRelief(int width, int height) :
    width_(width), height_(height),
    relief_(width, height), levels_{{{Halved(width), Halved(height)}, {Halved(Halved(width)), Halved(Halved(height))},
                                {Halved(Halved(Halved(width))), Halved(Halved(Halved(height)))}}},
    shadow_(std::size_t(width) * std::size_t(height))
{
    AttachRaster(reliefInfo_, relief_);
    for (std::size_t level = 0; level < levelInfo_.size(); ++level)
        AttachRaster(levelInfo_[level], levels_[level]);
}

void NaturalRelief::Build(const int16_t* const* grid, double metresPerCell, const NaturalReliefStyle& style)
{
    CastShadows(grid, metresPerCell, style.sun);
    Light(grid, metresPerCell, style);
    for (std::size_t level = 0; level < levelInfo_.size(); ++level)
        BuildReducedLevel(level == 0 ? reliefInfo_ : levelInfo_[level - 1], levelInfo_[level]);
}

/* A horizon sweep: rays parallel to the sun's azimuth walk the grid away from
 * the sun, one cell along the major axis per step, each carrying the height
 * the sun's rays graze as they leave the highest ground met so far, lowered
 * by the sun's slope over every step. A sample below it is in shadow. Rays
 * start on every whole row (or column) offset, so each sample is met by
 * exactly one ray; rays are independent and shared over the cores. */
void NaturalRelief::CastShadows(const int16_t* const* grid, double metresPerCell, const SunLight& sun)
{
    if (sun.elevation <= 0) {
        std::fill(shadow_.begin(), shadow_.end(), uint8_t(1));
        return;
    }
    // Away from the sun, in (column, row): east is +column, south is +row.
    const double awayEast = -std::sin(sun.azimuth * kDegToRad);
    const double awaySouth = std::cos(sun.azimuth * kDegToRad);
    const bool alongRows = std::fabs(awayEast) >= std::fabs(awaySouth);
    const int major = alongRows ? width_ : height_;
    const int minor = alongRows ? height_ : width_;
    const double majorStep = alongRows ? awayEast : awaySouth;
    const double slope = (alongRows ? awaySouth : awayEast) / std::fabs(majorStep);
    const int majorFirst = majorStep > 0 ? 0 : major - 1;
    const int majorDirection = majorStep > 0 ? 1 : -1;
    const double drop = std::sqrt(1 + slope * slope) * metresPerCell * std::tan(sun.elevation * kDegToRad);
    const int reach = int(std::ceil(std::fabs(slope) * (major - 1)));
    const int firstRay = slope > 0 ? -reach : 0;
    const int lastRay = slope > 0 ? minor : minor + reach;

    ForRowBands(firstRay, lastRay, [&](int begin, int end) {
        for (int ray = begin; ray < end; ++ray) {
            double graze = -std::numeric_limits<double>::infinity();
            for (int k = 0; k < major; ++k) {
                const int m = majorFirst + majorDirection * k;
                const int n = ray + int(std::floor(k * slope));
                graze -= drop;
                if (n < 0 || n >= minor)
                    continue;
                const int column = alongRows ? m : n;
                const int row = alongRows ? n : m;
                const double h = grid[row][column];
                const bool shaded = h < graze;
                shadow_[std::size_t(row) * std::size_t(width_) + std::size_t(column)] = shaded ? 1 : 0;
                if (!shaded)
                    graze = h;
            }
        }
    });
}

void NaturalRelief::Light(const int16_t* const* grid, double metresPerCell, const NaturalReliefStyle& style)
{
    std::vector<uint32_t> tints(9000);
    for (int32_t h = 0; h < 9000; ++h)
        tints[std::size_t(h)] = HypsometricTint(h, style.snowLine);
    const Lighting light = LightingAt(style.sun.elevation);
    const double cosElevation = std::cos(style.sun.elevation * kDegToRad);
    const double sunEast = std::sin(style.sun.azimuth * kDegToRad) * cosElevation;
    const double sunNorth = std::cos(style.sun.azimuth * kDegToRad) * cosElevation;
    const double sunUp = std::sin(style.sun.elevation * kDegToRad);
    const double across = 2 * metresPerCell;

    ForRowBands(0, height_, [&](int begin, int end) {
        for (int row = begin; row < end; ++row) {
            const int16_t* north = grid[std::max(row - 1, 0)];
            const int16_t* here = grid[row];
            const int16_t* south = grid[std::min(row + 1, height_ - 1)];
            uint32_t* out = reliefInfo_.scanLines[row];
            for (int column = 0; column < width_; ++column) {
                const int east = std::min(column + 1, width_ - 1), west = std::max(column - 1, 0);
                // The surface's normal from the slopes east and north.
                const double normalEast = (here[west] - here[east]) / across;
                const double normalNorth = (south[column] - north[column]) / across;
                const double cosine = (normalEast * sunEast + normalNorth * sunNorth + sunUp) /
                    std::sqrt(normalEast * normalEast + normalNorth * normalNorth + 1);
                const double direct = InShadow(column, row) ? 0 : std::max(cosine, 0.0);
                const int32_t h = std::clamp<int32_t>(here[column], 0, 8999);
                const Rgb tint = here[column] <= 0 ? kWater : UnpackRgb(tints[std::size_t(h)]);
                out[column] = PackRgb({tint.r * (light.ambient.r + light.direct.r * direct),
                    tint.g * (light.ambient.g + light.direct.g * direct),
                    tint.b * (light.ambient.b + light.direct.b * direct)});
            }
        }
    });
}
