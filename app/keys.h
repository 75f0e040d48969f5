#pragma once
// Flying with the keyboard. A held key sets a rate that the window's clock
// applies every frame, so holding a key moves smoothly whatever the key
// repeat of the system, within the limits the mouse keeps to.

#include <array>
#include <optional>

#include <Qt>

#include "core/viewrecords.h"

enum class KeyMotion {
    TurnLeft,
    TurnRight,
    Forward,
    Back,
    Climb,
    Descend,
    Narrow,
    Widen
};
inline constexpr int kKeyMotions = 8;

// The motion a key steers, if any (Qt::Key values).
std::optional<KeyMotion> MotionForKey(int key);

// Moves and climbs go ten times as fast with Shift held, a tenth as fast with Alt.
double SpeedScaleFor(Qt::KeyboardModifiers modifiers);

class KeyFlight {
public:
    void Press(KeyMotion motion) { held_[Index(motion)] = true; }
    void Release(KeyMotion motion) { held_[Index(motion)] = false; }
    void ReleaseAll() { held_.fill(false); }
    bool Moving() const;

    // Applies `seconds` of every held motion to `view`. A move covers
    // kStepsPerSecond steps of kStepMetres a second, times `speedScale`.
    void Apply(Viewpoint& view, const RenderParams& grid, double speedScale, double seconds) const;

    static constexpr double kTurnDegreesPerSecond = 45;
    static constexpr double kStepsPerSecond = 10;
    static constexpr double kClimbMetresPerSecond = 500;
    static constexpr double kAngleDegreesPerSecond = 20;

private:
    static int Index(KeyMotion motion) { return static_cast<int>(motion); }
    bool Held(KeyMotion motion) const { return held_[Index(motion)]; }
    // +1, -1 or 0 for a pair of opposite motions.
    double Sense(KeyMotion plus, KeyMotion minus) const { return (Held(plus) ? 1 : 0) - (Held(minus) ? 1 : 0); }

    std::array<bool, kKeyMotions> held_{};
};
