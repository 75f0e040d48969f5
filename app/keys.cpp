#include "app/keys.h"

#include <algorithm>

#include "app/navigation.h"

std::optional<KeyMotion> MotionForKey(int key)
{
    switch (key) {
    case Qt::Key_Left: return KeyMotion::TurnLeft;
    case Qt::Key_Right: return KeyMotion::TurnRight;
    case Qt::Key_Up: return KeyMotion::Forward;
    case Qt::Key_Down: return KeyMotion::Back;
    case Qt::Key_PageUp: return KeyMotion::Climb;
    case Qt::Key_PageDown: return KeyMotion::Descend;
    case Qt::Key_Plus:
    case Qt::Key_Equal: return KeyMotion::Narrow;  // '+' unshifted on most layouts
    case Qt::Key_Minus: return KeyMotion::Widen;
    default: return std::nullopt;
    }
}

double SpeedScaleFor(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ShiftModifier)
        return 10;
    if (modifiers & Qt::AltModifier)
        return 0.1;
    return 1;
}

bool KeyFlight::Moving() const
{
    return std::any_of(held_.begin(), held_.end(), [](bool h) { return h; });
}

void KeyFlight::Apply(Viewpoint& view, const RenderParams& grid, double speedScale, double seconds) const
{
    const double turn = Sense(KeyMotion::TurnRight, KeyMotion::TurnLeft);
    if (turn != 0)
        view.azimuth = WrapAzimuth(view.azimuth + turn * kTurnDegreesPerSecond * seconds);
    const double move = Sense(KeyMotion::Forward, KeyMotion::Back);
    if (move != 0) {
        const double metres = move * kStepMetres * kStepsPerSecond * speedScale * seconds;
        MoveEye(view, grid, view.azimuth, metres / MetresPerDegree);
    }
    const double climb = Sense(KeyMotion::Climb, KeyMotion::Descend);
    if (climb != 0)
        view.minAltitude =
            std::max(view.minAltitude + climb * kClimbMetresPerSecond * speedScale * seconds, kAltitudeFloor);
    const double widen = Sense(KeyMotion::Widen, KeyMotion::Narrow);
    if (widen != 0)
        view.viewAngle =
            std::clamp(view.viewAngle + widen * kAngleDegreesPerSecond * seconds, kViewAngleMin, kViewAngleMax);
}
