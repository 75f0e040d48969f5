#include "relief/naturalrelief.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/avx2clone.h"
#include "core/colour.h"
#include "core/geometry.h"
#include "core/rowbands.h"
#include "relief/relief.h"

namespace {

// A colour whose channels are at least 0, each rounded to the nearest byte.
uint32_t PackBytes(double r, double g, double b)
{
    const auto byte = [](double v) { return uint32_t(std::min(v, 255.0) + 0.5); };
    return byte(r) << 16 | byte(g) << 8 | byte(b);
}

constexpr Rgb kWater{52, 88, 128};
constexpr Rgb kSnow{238, 240, 244};
constexpr int32_t kSnowBlend = 150;  // metres below the snow line where rock turns white
constexpr int32_t kTintHeights = 9000;  // ground higher than this takes the tint of the highest

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
 * exactly one ray; rays are independent and shared over the cores. All rays
 * step across the minor axis alike, so their offsets are worked out once;
 * and the grid is always read along its rows: eight neighbouring rays side
 * by side when rays run along them, a row of rays at a time when they run
 * down the columns. */
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
    // Step k of every ray lies offsets[k] across from where the ray started.
    std::vector<int> offsets(static_cast<std::size_t>(major));
    for (int k = 0; k < major; ++k)
        offsets[std::size_t(k)] = int(std::floor(k * slope));
    constexpr double kNothingMet = -std::numeric_limits<double>::infinity();

    // Locals, so that the inner loops keep them in registers.
    uint8_t* const shadowRows = shadow_.data();
    const auto shadowPitch = std::size_t(width_);
    const int* const rayOffsets = offsets.data();
    if (alongRows) {
        // A few rays side by side, so that their steps overlap in time.
        constexpr int kRaysTogether = 8;
        ForRowBands(firstRay, lastRay, [=](int begin, int end) {
            for (int ray0 = begin; ray0 < end; ray0 += kRaysTogether) {
                const int rays = std::min(kRaysTogether, end - ray0);
                double graze[kRaysTogether];
                std::fill_n(graze, kRaysTogether, kNothingMet);
                for (int k = 0; k < major; ++k) {
                    const int column = majorFirst + majorDirection * k;
                    const int row0 = ray0 + rayOffsets[k];
                    for (int j = 0; j < rays; ++j) {
                        const int row = row0 + j;
                        graze[j] -= drop;
                        if (row < 0 || row >= minor)
                            continue;
                        const double h = grid[row][column];
                        shadowRows[std::size_t(row) * shadowPitch + std::size_t(column)] = h < graze[j] ? 1 : 0;
                        graze[j] = std::max(graze[j], h);
                    }
                }
            }
        });
        return;
    }
    ForRowBands(firstRay, lastRay, [=](int begin, int end) {
        std::vector<double> graze(std::size_t(end - begin), kNothingMet);
        for (int k = 0; k < major; ++k) {
            for (double& g : graze)
                g -= drop;
            const int row = majorFirst + majorDirection * k;
            const int offset = rayOffsets[k];
            // The rays of the band that cross the grid at this step.
            const int first = std::max(begin, -offset);
            const int last = std::min(end, minor - offset);
            const int16_t* heights = grid[row] + offset;
            uint8_t* shadow = shadowRows + std::size_t(row) * shadowPitch + offset;
            double* rayGraze = graze.data() - begin;
            for (int ray = first; ray < last; ++ray) {
                const double h = heights[ray];
                shadow[ray] = h < rayGraze[ray] ? 1 : 0;
                rayGraze[ray] = std::max(rayGraze[ray], h);
            }
        }
    });
}

namespace {

// Where the sun stands, as a unit vector east, north and up.
struct SunVector {
    double east, north, up;
};

// The share of full sunlight on a sample: the cosine of the sun's angle on
// its surface, whose normal comes from the heights west and east of it and
// south and north of it; none in shadow.
inline double SunlitShare(int west, int east, int south, int north, bool shaded, const SunVector& sun, double perMetre)
{
    const double normalEast = (west - east) * perMetre;
    const double normalNorth = (south - north) * perMetre;
    const double cosine = (normalEast * sun.east + normalNorth * sun.north + sun.up) /
        std::sqrt(normalEast * normalEast + normalNorth * normalNorth + 1);
    const double lit = std::max(cosine, 0.0);
    return shaded ? 0.0 : lit;
}

// SunlitShare of a whole row; its first and last samples take their own
// height for the neighbour beyond the edge.
VANTOREL_AVX2_CLONE void SunlitRow(const int16_t* north, const int16_t* here, const int16_t* south,
    const uint8_t* shadow, int width, SunVector sun, double perMetre, double* __restrict shares)
{
    const int last = width - 1;
    shares[0] = SunlitShare(here[0], here[std::min(1, last)], south[0], north[0], shadow[0], sun, perMetre);
    for (int column = 1; column < last; ++column)
        shares[column] = SunlitShare(
            here[column - 1], here[column + 1], south[column], north[column], shadow[column] != 0, sun, perMetre);
    if (last > 0)
        shares[last] = SunlitShare(here[last - 1], here[last], south[last], north[last], shadow[last], sun, perMetre);
}

// Each height's colour under the sky's light alone, and what full sun adds
// to it, channel by channel, so that a row's colours are looked up four at
// a time.
struct LitTints {
    std::vector<double> ambient[3];
    std::vector<double> direct[3];

    LitTints(const Lighting& light, int32_t snowLine)
    {
        const double Rgb::*channels[3] = {&Rgb::r, &Rgb::g, &Rgb::b};
        for (int c = 0; c < 3; ++c) {
            ambient[c].resize(kTintHeights);
            direct[c].resize(kTintHeights);
        }
        for (int32_t h = 0; h < kTintHeights; ++h) {
            const Rgb tint = UnpackRgb(HypsometricTint(h, snowLine));
            for (int c = 0; c < 3; ++c) {
                ambient[c][std::size_t(h)] = tint.*channels[c] * light.ambient.*channels[c];
                direct[c][std::size_t(h)] = tint.*channels[c] * light.direct.*channels[c];
            }
        }
    }
};

// The colours of a row: its heights' tints lit by their shares of sunlight.
VANTOREL_AVX2_CLONE void ColourRow(
    const int16_t* heights, const double* shares, int width, const LitTints& tints, uint32_t* __restrict out)
{
    const double* ambientR = tints.ambient[0].data();
    const double* ambientG = tints.ambient[1].data();
    const double* ambientB = tints.ambient[2].data();
    const double* directR = tints.direct[0].data();
    const double* directG = tints.direct[1].data();
    const double* directB = tints.direct[2].data();
    for (int column = 0; column < width; ++column) {
        const int h = std::clamp<int>(heights[column], 0, kTintHeights - 1);
        const double share = shares[column];
        out[column] = PackBytes(
            ambientR[h] + directR[h] * share, ambientG[h] + directG[h] * share, ambientB[h] + directB[h] * share);
    }
}

}  // namespace

void NaturalRelief::Light(const int16_t* const* grid, double metresPerCell, const NaturalReliefStyle& style)
{
    const LitTints tints(LightingAt(style.sun.elevation), style.snowLine);
    const double cosElevation = std::cos(style.sun.elevation * kDegToRad);
    const SunVector sun{std::sin(style.sun.azimuth * kDegToRad) * cosElevation,
        std::cos(style.sun.azimuth * kDegToRad) * cosElevation, std::sin(style.sun.elevation * kDegToRad)};
    const double perMetre = 1 / (2 * metresPerCell);

    ForRowBands(0, height_, [&](int begin, int end) {
        std::vector<double> shares(static_cast<std::size_t>(width_));
        for (int row = begin; row < end; ++row) {
            SunlitRow(grid[std::max(row - 1, 0)], grid[row], grid[std::min(row + 1, height_ - 1)],
                shadow_.data() + std::size_t(row) * std::size_t(width_), width_, sun, perMetre, shares.data());
            ColourRow(grid[row], shares.data(), width_, tints, reliefInfo_.scanLines[row]);
        }
    });
}
