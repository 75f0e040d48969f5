#include "render/sky.h"

#include "core/geometry.h"

namespace {

constexpr uint32_t kBaseSkyColour = 0x2020FF;
constexpr int32_t kSkyBandRows = 200;  // rows above the horizon that brighten
constexpr int32_t kMaxSkyLift = 100;  // added to red and green at the horizon
constexpr int32_t kHorizonLimit = 1 << 24;  // rows; keeps a degenerate view's horizon finite

uint32_t SkyColour(int32_t lift)
{
    return kBaseSkyColour + (uint32_t(lift) << 8) + (uint32_t(lift) << 16);
}

}  // namespace

void FillSkyRowColours(const FrameBufferSet& fb, int32_t W, int32_t H, double viewAngle, double pitch)
{
    uint32_t* sky = fb.SkyRowColours;
    H = std::clamp(H, 0, fb.height);
    if (sky == nullptr || H == 0)
        return;
    const double f = H * viewAngle / W;  // vertical angle of view, degrees
    const int32_t horizon = TruncWithin(H / 2 + H * pitch / f, kHorizonLimit);
    const int32_t top = std::min(H, horizon - kSkyBandRows);
    const int32_t bottom = std::min(H, horizon);
    for (int32_t r = 0; r < top; ++r)
        sky[r] = kBaseSkyColour;
    // A horizon high in the frame (a look down) starts the band above row 0.
    int32_t k = std::max(0, -top);
    for (int32_t r = std::max(top, 0); r < bottom; ++r, ++k)
        sky[r] = SkyColour(k / 2);
    const int32_t below = std::min(kMaxSkyLift, std::max(0, k / 2));
    for (int32_t r = std::max(bottom, 0); r < H; ++r)
        sky[r] = SkyColour(below);
}
