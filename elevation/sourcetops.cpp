#include "elevation/sourcetops.h"

#include <algorithm>
#include <cmath>

#include "core/geometry.h"
#include "elevation/voidrule.h"

namespace {

constexpr int kCellSamples = kTileSamples - 1;  // tiles share their edge samples
static_assert(kCellSamples % SourceTops::kBlock == 0);

}  // namespace

void SourceTops::Reset(int tileRows, int tileColumns, long northLat, long westLon)
{
    blockRows_ = tileRows * kCellSamples / kBlock + 1;
    blockColumns_ = tileColumns * kCellSamples / kBlock + 1;
    northLat_ = northLat;
    westLon_ = westLon;
    highest_.assign(std::size_t(blockRows_) * std::size_t(blockColumns_), kNone);
}

void SourceTops::AddTile(int tileRow, int tileColumn, const SampleGrid& source)
{
    // A cell's first sample starts a block, since kBlock divides kCellSamples.
    const int firstRow = tileRow * kCellSamples, firstBlock = tileColumn * kCellSamples / kBlock;
    for (int r = 0; r < kTileSamples; ++r) {
        int16_t* out =
            &highest_[std::size_t((firstRow + r) / kBlock) * std::size_t(blockColumns_) + std::size_t(firstBlock)];
        const int16_t* in = source[r];
        for (int c = 0; c < kTileSamples; ++c)
            out[c / kBlock] = std::max(out[c / kBlock], in[c]);
    }
}

std::optional<int32_t> SourceTops::HighestNear(
    double latitude, double longitude, double rowRadius, double columnRadius) const
{
    const double row = (double(northLat_) - latitude) * kCellSamples;
    const double column = LongitudeEastOf(longitude, double(westLon_)) * kCellSamples;
    const auto blockOf = [](double sample, int blocks) {
        return std::clamp(int(std::floor(sample / kBlock)), 0, blocks - 1);
    };
    int16_t best = kNone;
    for (int by = blockOf(row - rowRadius, blockRows_); by <= blockOf(row + rowRadius, blockRows_); ++by)
        for (int bx = blockOf(column - columnRadius, blockColumns_);
             bx <= blockOf(column + columnRadius, blockColumns_); ++bx)
            best = std::max(best, highest_[std::size_t(by) * std::size_t(blockColumns_) + std::size_t(bx)]);
    // Void markers lie below every height.
    if (best < kLowestHeight)
        return std::nullopt;
    return best;
}
