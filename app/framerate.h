#pragma once
// The 3D view's frame rate, measured over its last sixteen frames on the
// model's tick clock, for the rate label.

#include <array>
#include <cstdint>
#include <optional>

class FrameRateMeter {
public:
    static constexpr int kRing = 16;

    // Counts a frame drawn at `now`. Every kRing frames since the last
    // restart, the rate over them in frames a second.
    std::optional<double> Count(uint32_t now);
    // A new measure from the next frame on, as when the demo starts.
    void Restart() { measured_ = 0; }
    // Every frame counted, and those since the last restart.
    uint32_t frames() const { return frames_; }
    uint32_t measured() const { return measured_; }

private:
    uint32_t frames_ = 0;
    uint32_t measured_ = 0;
    std::array<uint32_t, kRing> ticks_{};
};
