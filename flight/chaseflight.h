#pragma once
// Flying a GPX track with a chase camera: a point runs along the track at
// the chosen ground speed, and the eye follows it from behind and above,
// looking down at it. The eye's heading turns towards the track's course
// ahead at a limited rate, so that corners and a track's jitter swing the
// view gently, and the eye always stands straight behind the point it
// follows, which stays in the middle of the frame.

#include <functional>

#include "core/geometry.h"
#include "flight/flight.h"
#include "flight/trackpath.h"

inline constexpr double kChaseMinSpeed = 25;  // metres per second over the ground
inline constexpr double kChaseMaxSpeed = 2000;
inline constexpr double kChaseStartSpeed = 150;
inline constexpr double kChaseBehind = 900;  // metres from the eye back to the point it follows
inline constexpr double kChaseAbove = 300;  // metres the eye flies above the point's ground
inline constexpr double kChaseMaxTurn = 30;  // degrees of heading per second
// The renderer keeps the eye this far above the highest ground near it
// (render/frame.cpp).
inline constexpr double kChaseClearance = 100;

// The height of the drawn ground at a point, metres (exaggerated as drawn).
using GroundHeights = std::function<double(const GeoPoint&)>;

class ChaseFlight : public Flight {
public:
    // From `startMetres` along `path` (held to it). The first step puts the
    // eye behind the start, facing along the track.
    ChaseFlight(TrackPath path, GroundHeights ground, double startMetres = 0);

    void Step(double seconds, Viewpoint& eye) override;
    bool Finished() const override { return at_ >= path_.length(); }
    double Done() const override;

    // The speed, held within kChaseMinSpeed and kChaseMaxSpeed.
    double speed() const { return speed_; }
    void SetSpeed(double metresPerSecond);
    // One step faster or slower: +/- while flying.
    void Faster();
    void Slower();
    // A paused flight's steps leave the point where it is; the eye still
    // settles behind it.
    bool paused() const { return paused_; }
    void SetPaused(bool paused) { paused_ = paused; }

    // The point the eye follows, and how far along the track it is.
    GeoPoint Followed() const { return path_.At(at_); }
    double at() const { return at_; }

private:
    double CourseAhead() const;

    TrackPath path_;
    GroundHeights ground_;
    double at_;
    double speed_ = kChaseStartSpeed;
    bool paused_ = false;
    bool started_ = false;
    double heading_ = 0;  // degrees, [0, 360)
    double altitude_ = 0;  // metres, smoothed
};
