#pragma once
// Second stage of a 3D frame, inner part: projects the view strips nearest
// first and fills every screen column upward from the highest row drawn so
// far (a floating horizon), so nearer terrain hides farther terrain without a
// depth test.

#include <cstdint>

#include "render/framebuffers.h"

// Heights drawn in quarters of their height: four quarters draw them as they are.
inline constexpr int32_t kTrueHeightQuarters = 4;

// Per-frame projection constants, set by RasteriseFrame.
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
extern ProjectionRecord ProjectionSetup;

// Bit 2: a sample of strips 0..4 reached a row above the frame's bottom edge;
// bit 1: a sample of strips 5..9 did. Read by the next BuildViewStrips.
extern int32_t RasterFeedback;

inline constexpr uint32_t kBottomRowColour = 0x808080;
// Top byte of ColumnColour while no sample has touched the column this frame.
inline constexpr uint32_t kUntouchedColumn = 0x99FFFFFF;

// Fills rows from each column's top (ColumnTop afterwards) down to the
// bottom; rows above are left as they were.
void RasteriseStrips();
// RasteriseStrips, then the sky from SkyRowColours above every column's top,
// and each column's top row blended half and half with the sky above it.
void RasteriseStripsUnderSky();
// At most this many column bands per frame (up to kMaxBands), filled side by
// side; 0 (the start value) lets every core fill one. Frames are the same
// either way.
void SetRasterBandLimit(int32_t bands);
ScreenPoint ProjectPoint(int32_t dx, int32_t dy, int32_t dz);
// Where the top of grid point (column, row), `height` metres high, lands in
// the last frame drawn, exactly as that frame placed its samples; depth is
// in 1/256 cell like the depth buffer's, below kCellUnits behind the eye.
ScreenPoint ProjectGridSample(int32_t column, int32_t row, int32_t height);
void DrawSegment(
    int32_t x0, int32_t y0, uint32_t c0, int32_t x1, int32_t y1, uint32_t c1, int32_t depth, int32_t height);
void FillColumnSpan(int32_t x, int32_t y, uint32_t colour, int32_t depth, int32_t height);
void FillInts(int32_t* array, int32_t value, int32_t count);

// Heights in metres to 1/256 cell: (height * 256 * scale) >> 10.
int32_t HeightScaleFor(double metresPerCell);
// A sample's height as a frame draws it, 1/256 cell: zScale from
// HeightScaleFor, the height drawn heightQuarters quarters as high.
int64_t SampleHeightUnits(int32_t height, int64_t zScale, int32_t heightQuarters);
// A height as seen from the eye: lower by the curvature's drop over (dx, dy),
// in 1/256 cell, when the projection has one.
int32_t HeightSeenFromEye(int32_t height, int64_t dx, int64_t dy, int64_t curvatureDrop);
