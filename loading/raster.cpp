#include "raster.h"

#include <algorithm>

Bitmap32::Bitmap32(int width, int height) :
    width_(width), height_(height), capacity_(width), pixels_(new uint32_t[std::size_t(width) * height]()),
    rows_(height)
{
    for (int y = 0; y < height; ++y)
        rows_[y] = pixels_.get() + std::size_t(y) * capacity_;
}

void Bitmap32::setWidth(int width)
{
    width_ = std::clamp(width, 0, capacity_);
}

SampleGrid::SampleGrid() : storage_(new int16_t[std::size_t(kTileSamples) * kGridRowSlots]())
{
    for (int r = 0; r < kTileSamples; ++r)
        rows_[r] = storage_.get() + std::size_t(r) * kGridRowSlots;
}
