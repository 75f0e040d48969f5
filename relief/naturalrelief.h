#pragma once
// The natural look's relief: hypsometric tints (low greens through browns to
// rock greys and snow above a snow line), lit from the sun's place in the
// sky, with the shadows the ground casts; and its three reduced levels, for
// the renderer's far strips. Beside the classic relief, never instead of it.

#include <array>
#include <cstdint>
#include <vector>

#include "core/raster.h"

// Where the light comes from: degrees clockwise from north, and above the
// horizon (below it: dusk, then night).
struct SunLight {
    double azimuth = 180;
    double elevation = 45;
};

inline constexpr int32_t kDefaultSnowLine = 2800;  // metres

struct NaturalReliefStyle {
    SunLight sun;
    int32_t snowLine = kDefaultSnowLine;
};

// The colour of ground `height` metres high, before any light.
uint32_t HypsometricTint(int32_t height, int32_t snowLine);

class NaturalRelief {
public:
    // Pictures for a grid of width x height samples. Throws std::bad_alloc.
    NaturalRelief(int width, int height);

    // Colours, lights and shades the whole grid (square cells of
    // metresPerCell), then reduces the levels; the work is shared over the
    // cores.
    void Build(const int16_t* const* grid, double metresPerCell, const NaturalReliefStyle& style);

    const TileInfo& Relief() const { return reliefInfo_; }
    const ReliefLevels& Levels() const { return levelInfo_; }
    // Whether the sample at (column, row) lies in the ground's shadow.
    bool InShadow(int column, int row) const { return shadow_[std::size_t(row) * std::size_t(width_) + column] != 0; }

private:
    void CastShadows(const int16_t* const* grid, double metresPerCell, const SunLight& sun);
    void Light(const int16_t* const* grid, double metresPerCell, const NaturalReliefStyle& style);

    int width_;
    int height_;
    Bitmap32 relief_;
    std::array<Bitmap32, 3> levels_;
    TileInfo reliefInfo_;
    ReliefLevels levelInfo_;
    std::vector<uint8_t> shadow_;  // one per sample: 1 where the sun is hidden
};
