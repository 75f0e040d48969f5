#include "core/raster.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kMappedFrom = std::size_t(16) << 20;  // smaller blocks come from calloc

}  // namespace

void* AllocateZeroedBytes(std::size_t bytes, std::size_t& mappedBytes)
{
    mappedBytes = 0;
    if (bytes < kMappedFrom) {
        void* block = std::calloc(std::max<std::size_t>(bytes, 1), 1);
        if (!block)
            throw std::bad_alloc();
        return block;
    }
    // A huge page must start on a 2 MB boundary: map one more, keep the
    // aligned part and give the rest back.
    const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* mapping = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<uintptr_t>(mapping);
    const uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        ::munmap(mapping, aligned - start);
    if (const std::size_t tail = kHugePage - (aligned - start); tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);  // a hint: refused, small pages do
    mappedBytes = length;
    return reinterpret_cast<void*>(aligned);
}

void ZeroedRelease::operator()(void* block) const
{
    if (mappedBytes != 0)
        ::munmap(block, mappedBytes);
    else
        std::free(block);
}

Bitmap32::Bitmap32(int width, int height) :
    width_(width), height_(height), capacity_(width),
    pixels_(AllocateZeroed<uint32_t>(std::size_t(width) * std::size_t(height))), rows_(height)
{
    for (int y = 0; y < height; ++y)
        rows_[y] = pixels_.get() + std::size_t(y) * capacity_;
}

void Bitmap32::SetWidth(int width)
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
