#include "app/viewermodel.h"

#include <chrono>

#include "elevation/terrain.h"

uint32_t SteadyTicks()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

ViewerModel::ViewerModel(TickClock clock) : clock_(clock ? std::move(clock) : SteadyTicks)
{
}

ViewerModel::~ViewerModel() = default;
