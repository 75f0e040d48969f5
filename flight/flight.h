#pragma once
// A flight moves the eye in steps of time: the demo's lap round its circle
// (democircle.h) or the chase along a GPX track (chaseflight.h). The viewer
// steps one by its clock, the video recorders by one frame's time, so a
// flight recorded looks as it does when flown.

#include "core/viewrecords.h"

class Flight {
public:
    virtual ~Flight() = default;
    // Moves `eye` on by `seconds` of flight; its view angle is left alone.
    virtual void Step(double seconds, Viewpoint& eye) = 0;
    // True once the flight has come to its end.
    virtual bool Finished() const = 0;
    // How far the flight has come, 0 to 1, for progress shown to the user.
    virtual double Done() const = 0;
};
