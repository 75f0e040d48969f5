#include "app/sharedstate.h"

#include <chrono>

namespace {

uint32_t SteadyTicks()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TickSource CurrentTickSource = SteadyTicks;

}  // namespace

const QString VersionText = QStringLiteral("0.08");

Viewpoint TheViewpoint;
RenderParams TheRenderParams;

double ShownAltitude = 0;
int32_t CursorX = 0;
int32_t CursorY = 0;

int32_t RateFrameCount = 0;
std::array<uint32_t, kRateRingSize> RateTicks{};

Terrain* TheTerrain = nullptr;
TileSet TheTileSet;

QImage MapViewBitmap;

uint32_t GetTickCount()
{
    return CurrentTickSource();
}

TickSource SetTickSource(TickSource source)
{
    TickSource previous = CurrentTickSource;
    CurrentTickSource = source ? source : SteadyTicks;
    return previous;
}
