#pragma once
// The natural look over a frame: a sky that follows the sun, from a deep
// zenith to a paler horizon (warm near a low sun, dark at night), and the
// ground blended into the horizon's haze with its distance, water reflecting
// more of the sky the farther it lies. Classic frames never come here.

#include <cstdint>

#include "render/framebuffers.h"
#include "render/framestate.h"

struct NaturalSkyColours {
    uint32_t zenith;
    uint32_t horizon;  // also the colour of the haze
};
NaturalSkyColours NaturalSkyFor(const SunLight& sun);

// The share of the light of ground `metres` away that reaches the eye
// through the haze (Beer-Lambert): a half at 60 km on a clear day (haze 0),
// at 10 km on a hazy one (haze 1).
double HazeTransmittance(double metres, double haze);

// SkyRowColours[0 .. H-1] of `fb` for a natural W x H frame: the horizon
// where the classic sky puts it, the zenith colour 50 degrees above it.
void FillNaturalSkyRowColours(
    const FrameBufferSet& fb, int32_t W, int32_t H, double viewAngle, double pitch, const SunLight& sun);

// Blends every ground pixel of the W x H frame towards the horizon's colour
// by its depth, cells of metresPerCell; sky pixels stay as drawn.
void ApplyAerialPerspective(
    const FrameBufferSet& fb, int32_t W, int32_t H, double metresPerCell, const FrameSettings& settings);
