#pragma once
// The projection stage: where each sample of the view strips lands in the
// frame, and the height scale a frame draws heights with.

#include <array>
#include <cstdint>

#include "render/framebuffers.h"
#include "render/framestate.h"
#include "render/viewstrips.h"

// A frame's projection constants, set by RasteriseFrame.
struct ProjectionRecord {
    int32_t eyeX = 0;  // eye position, 1/256 cell, x east
    int32_t eyeY = 0;  // y south
    int32_t eyeZ = 0;  // eye altitude, 1/256 cell
    int32_t cosAz = 0;  // rotation to the view direction, scaled by 1024
    int32_t sinAz = 0;
    int32_t cosPitch = 0;  // tilt with the 180 degree offset built in
    int32_t sinPitch = 0;
    int32_t focalX = 0;  // focal lengths in pixels
    int32_t focalY = 0;
    double metresPerCell = 0;  // the frame's cell size, for the height scale
    int32_t heightQuarters = kTrueHeightQuarters;
    // The earth's curvature with refraction: a point d away (in 1/256 cell)
    // drops by (d^2 curvatureDrop) >> kCurvatureDropBits metres; 0 draws the
    // ground flat.
    int64_t curvatureDrop = 0;
};
inline constexpr int kCurvatureDropBits = 40;

// Heights in metres to 1/256 cell: (height * 256 * scale) >> 10.
int32_t HeightScaleFor(double metresPerCell);
// A sample's height as a frame draws it, 1/256 cell: zScale from
// HeightScaleFor, the height drawn heightQuarters quarters as high.
int64_t SampleHeightUnits(int32_t height, int64_t zScale, int32_t heightQuarters);
// A height as seen from the eye: lower by the curvature's drop over (dx, dy),
// in 1/256 cell, when the projection has one.
int32_t HeightSeenFromEye(int32_t height, int64_t dx, int64_t dy, int64_t curvatureDrop);

// Where a point (dx, dy, dz) from the eye, 1/256 cell, lands in a W x H
// frame, before any clamping to it; depth in 1/256 cell. Points nearer than
// a cell, or behind the eye, land far below the frame.
ScreenPoint ProjectOffsets(const ProjectionRecord& p, int32_t W, int32_t H, int64_t dx, int64_t dy, int64_t dz);
// Where the top of grid point (column, row), `height` metres high, lands,
// exactly as a frame places its samples, before any clamping to the frame.
ScreenPoint ProjectGridPoint(
    const ProjectionRecord& p, int32_t W, int32_t H, int32_t column, int32_t row, int32_t height);

// The column bands a frame is filled in: band b is columns
// [edges[b], edges[b + 1]).
struct FillBands {
    int32_t count;
    std::array<int32_t, kMaxBands + 1> edges;
};

// Projects the samples of strips [first, last) of fb's strip buffer into its
// ProjectedSamples, each clamped to the W x H frame, notes each strip's span
// for each band in its StripBandSpans, and returns the feedback bits they
// raise (see CarriedState::rasterFeedback). The nearest strip only colours
// the bottom row's columns.
int32_t ProjectStrips(const FrameBufferSet& fb, const ProjectionRecord& p, int32_t W, int32_t H,
    const StripRange& strips, const FillBands& bands, int32_t first, int32_t last);
