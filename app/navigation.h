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

// An azimuth brought into [0, 360).
double WrapAzimuth(double azimuth);
