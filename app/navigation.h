#pragma once
// What every way of steering the view shares: the limits it keeps the view
// within, and how the eye moves over the ground.

#include "core/geometry.h"
#include "core/viewrecords.h"

inline constexpr double kPitchMin = -90;  // degrees: straight down
inline constexpr double kPitchMax = 10;
inline constexpr double kViewAngleMin = kMinViewAngle;  // degrees
inline constexpr double kViewAngleMax = 60;
inline constexpr double kAltitudeFloor = 10;  // metres: the lowest minimum altitude
inline constexpr double kStepMetres = 100;  // one click of a step button; the flying keys move in such steps

// The east-west scale of the loaded grid's latitude, floored near the poles.
double LongitudeScale(const RenderParams& grid);

// Moves the eye by `degrees` of latitude-scaled distance along `heading`
// (degrees clockwise from north).
void MoveEye(Viewpoint& view, const RenderParams& grid, double heading, double degrees);

// The height of the ground below the eye on `heights` (grid.rows x
// grid.columns), sea and voids as 0; 0 off the grid.
int32_t GroundBelow(const Viewpoint& view, const RenderParams& grid, const int16_t* const* heights);

// The minimum altitude that keeps the eye as high over the ground below it
// when the heights are drawn `toQuarters` / 4 high instead of
// `fromQuarters` / 4: the exaggeration lifts the eye with the ground.
double AltitudeForExaggeration(double minAltitude, int32_t ground, int32_t fromQuarters, int32_t toQuarters);

// An azimuth brought into [0, 360).
double WrapAzimuth(double azimuth);
