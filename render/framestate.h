#pragma once
// A renderer's settings and what one frame leaves to steer the next: plain
// records, read and written by the stages of every frame.

#include <cstdint>
#include <optional>

#include "relief/naturalrelief.h"

// Heights drawn in quarters of their height: four quarters draw them as they are.
inline constexpr int32_t kTrueHeightQuarters = 4;

// The classic look is the original design's: its sky, its colours, no haze.
// The natural look draws a sky that follows the sun and blends the ground
// into the haze with distance; its ground colours come from a NaturalRelief.
enum class Look {
    Classic,
    Natural
};

// How frames are drawn; the defaults draw them as they always were.
struct FrameSettings {
    // Heights drawn this many quarters as high; the readouts' heights stay true.
    int32_t heightQuarters = kTrueHeightQuarters;
    // Far ground drawn where it stands on a curved earth, with refraction.
    bool earthCurvature = false;
    // At most this many column bands per frame (up to kMaxBands), filled
    // side by side; 0 lets every core fill one. Frames are the same either way.
    int32_t bandLimit = 0;
    Look look = Look::Classic;
    // The natural look's sun and haze: 0 a clear day (half the light of
    // ground 60 km away reaches the eye), 1 a hazy one (10 km).
    SunLight sun;
    double haze = 0.3;
};

// What a frame leaves to steer the next one.
struct CarriedState {
    // Scales the near distance of the strips: 1 at the start, then within
    // [0, 0.9], lowered while near strips reach above the frame's bottom.
    double detailFactor = 1.0;
    // Bit 2: a sample of strips 0..4 reached a row above the frame's bottom
    // edge; bit 1: a sample of strips 5..9 did.
    int32_t rasterFeedback = 0;
    // The smoothed ground height under the eye, metres; it carries over from
    // frame to frame and from tile to tile. None before the first frame,
    // which starts from the ground under its eye, so that even a single
    // frame is drawn from above the ground.
    std::optional<int32_t> groundFollow;
};
