#pragma once
// First stage of a 3D frame: the visible part of the height grid, gathered
// nearest first into strips of samples across the view, coarser with distance.

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/raster.h"
#include "core/viewrecords.h"
#include "render/framebuffers.h"
#include "render/framestate.h"

// Strip i of a frame starts at slot i * (stride + kStripSpareSlots) of the
// strip buffer, stride being its slope class's. The spare slots take the
// lattice overhang at the strip's start and the terminator; a strip holds at
// most stride + kStripSpareSlots - 1 samples, so it never reaches the next
// strip's slots.
inline constexpr int32_t kStripSpareSlots = 16;
static_assert(kSampleStripSlots / kStripSpareSlots <= kMaxStripCount);
inline constexpr uint32_t kStripTerminator = 0xF0F0F0F0;
inline constexpr int32_t kMaxStripSamples = 1024;  // read of a strip without terminator

// The strips of a frame in the strip buffer, and how far each may be read.
struct StripRange {
    int32_t count;
    int32_t pitch;  // slots from one strip to the next
    int32_t maxSamples;  // read of a strip without terminator

    // The strips of a build that made `count` of them, `stride` apart.
    static StripRange Of(int32_t count, int32_t stride)
    {
        const int32_t pitch = stride + kStripSpareSlots;
        if (pitch < 1)
            return {0, 1, 0};
        return {std::min(count, kSampleStripSlots / pitch), pitch, std::min(kMaxStripSamples, pitch)};
    }
    // Whether sample j of the strip at `slot` is one: before its terminator.
    bool Holds(const StripSample* slot, int32_t j) const
    {
        return j < maxSamples && slot[j].colour != kStripTerminator;
    }
    int32_t LengthOf(const StripSample* slot) const
    {
        int32_t n = 0;
        while (Holds(slot, n))
            ++n;
        return n;
    }
};

// The view direction quantised to slope L/M within its octant.
struct SlopeClass {
    int32_t L;
    int32_t M;
    int32_t rowsAllowed;  // most strips a frame may build
    int32_t stride;  // samples budgeted per strip
};
inline constexpr std::array<SlopeClass, 6> kSlopeClasses{{
    {0, 1, 1024, 1024},
    {1, 6, 1040, 1016},
    {1, 3, 1080, 976},
    {1, 2, 1152, 920},
    {2, 3, 1232, 856},
    {1, 1, 1448, 728},
}};

// The quarter turn that makes the axis (dc, dr) run along +u with |dv| <= du.
int32_t OctantOf(int32_t dc, int32_t dr);
// Slope class of the axis (du, dv), du >= |dv|.
int32_t SlopeClassOf(int32_t du, int32_t dv);
// The strip indices after which the spacing leaves 1, 2 and 4, for a span of
// d cells between the near and far distances.
std::array<int32_t, 3> DetailRingLimits(int32_t rowsAllowed, double d);
// Moves the detail factor by the feedback of the last frame.
void AdjustDetailFactor(CarriedState& carried);

// Crossing of the line through (a, b), (c, d) with the line through (e, f),
// (g, h), in whole cells (8.8 fixed point inside). Returns false and leaves
// outX, outY untouched when the lines have no single crossing the fixed-point
// slopes can find: coinciding slopes, or a line given by a single point.
bool IntersectLines(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g, int32_t h,
    int32_t& outX, int32_t& outY);

struct UvPoint {
    int32_t u = 0;
    int32_t v = 0;
};
// How a frame's strips lie on the grid: planned from the view alone, then
// walked over the terrain. The strips are the lines t = u - v L' / M for
// t = tNear .. tFar between the snapped corners, in the octant's (u, v).
struct StripLayout {
    int32_t octant = 0;
    int32_t slopeClass = 0;
    int32_t signedL = 0;  // L', the strip line's step in u per M in v, signed
    int32_t rowsAllowed = 0;
    std::array<int32_t, 3> ringLimits{};
    double nearDistance = 0;  // cells
    double farDistance = 0;
    int32_t widthLimit = 0;  // Wmax, cells
    UvPoint apex, farPoint;  // the view axis in (u, v)
    UvPoint nearLeft, farLeft, nearRight, farRight;  // after corner snapping
    int32_t tNear = 0;
    int32_t tFar = 0;
    int32_t eyeCol = 0;  // the eye cell, snapped to multiples of 8
    int32_t eyeRow = 0;
    // The detail factor the plan used, or the one it leaves where the view
    // sees no near ground to steer by (looking up).
    double detailFactor = 0;
};

// The layout of a W x H frame (W, H >= 1 taken) seen from `eye`, drawn from
// `eyeAltitude` metres (see PlaceEye), its near distance scaled by
// detailFactor.
StripLayout PlanStrips(int32_t W, int32_t H, const TileInfo& tileInfo, const RenderParams& grid, const Viewpoint& eye,
    double eyeAltitude, double detailFactor);

// Writes the planned strips, strip i from slot i * (stride + kStripSpareSlots)
// of `strips`, each ended by the terminator. Returns the number of strips.
int32_t WalkStrips(const StripLayout& plan, const TileInfo& tileInfo, const ReliefLevels& reliefLevels,
    const int16_t* const* heightGrid, StripSample* strips);

class Renderer;
// A whole first stage: sets the renderer's frame-size pair to W x H (clipped
// to its buffers), steers its detail factor, then plans and walks the strips
// of the frame into its strip buffer (Renderer::last has the plan and the
// strips' count and stride). The relief levels must have a pixel for every
// [row >> k][col >> k] of the tile, k = 1, 2, 3.
void BuildViewStrips(Renderer& renderer, int32_t W, int32_t H, const TileInfo& tileInfo,
    const ReliefLevels& reliefLevels, const int16_t* const* heightGrid, const RenderParams& params,
    const Viewpoint& view);
