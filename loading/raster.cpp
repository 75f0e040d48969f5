#include "raster.h"

#include <algorithm>

Bitmap32::Bitmap32(int width, int height) :
    width_(width), height_(height), capacity_(width),
    pixels_(AllocateZeroed<uint32_t>(std::size_t(width) * std::size_t(height))), rows_(height)
{
    for (int y = 0; y < height; ++y)
        rows_[y] = pixels_.get() + std::size_t(y) * capacity_;
}

void Bitmap32::setWidth(int width)
{
    width_ = std::clamp(width, 0, capacity_);
}

SampleGrid::SampleGrid(int rowCount, int rowSlots) :
    rowSlots_(rowSlots), storage_(AllocateZeroed<int16_t>(std::size_t(rowCount) * std::size_t(rowSlots))),
    rows_(std::size_t(rowCount))
{
    for (int r = 0; r < rowCount; ++r)
        rows_[std::size_t(r)] = storage_.get() + std::size_t(r) * std::size_t(rowSlots);
}
