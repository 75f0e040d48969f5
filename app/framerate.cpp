#include "app/framerate.h"

#include "app/readouts.h"

std::optional<double> FrameRateMeter::Count(uint32_t now)
{
    ++frames_;
    ++measured_;
    const uint32_t slot = measured_ % kRing;
    ticks_[slot] = now;
    if (slot != 0)
        return std::nullopt;
    // Slot 1 was written kRing - 1 frames ago.
    return FrameRate(now, ticks_[1]);
}
