#include "elevation/sourcetops.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/geometry.h"
#include "elevation/voidrule.h"

namespace {

constexpr int kCellSamples = kTileSamples - 1;  // tiles share their edge samples
static_assert(kCellSamples % SourceTops::kBlock == 0 && SourceTops::kBlock == 4);

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
    constexpr int kWholeBlocks = kTileSamples / kBlock;
    // Values, not std::max's references, so that the compiler sees no aliasing.
    const auto larger = [](int16_t a, int16_t b) { return a < b ? b : a; };
    // A block row's samples are first folded down its rows, a pass that
    // vectorises, and only then across each block.
    std::array<int16_t, kTileSamples> columnHighest;
    int16_t* const highest = columnHighest.data();
    for (int r0 = 0; r0 < kTileSamples; r0 += kBlock) {
        // The last block row holds the tile's last row alone.
        const int16_t* in[kBlock];
        for (int k = 0; k < kBlock; ++k)
            in[k] = source[std::min(r0 + k, kTileSamples - 1)];
        for (int c = 0; c < kTileSamples; ++c)
            highest[c] = larger(larger(in[0][c], in[1][c]), larger(in[2][c], in[3][c]));
        int16_t* out =
            &highest_[std::size_t((firstRow + r0) / kBlock) * std::size_t(blockColumns_) + std::size_t(firstBlock)];
        for (int b = 0; b < kWholeBlocks; ++b) {
            const int16_t* h = highest + b * kBlock;
            out[b] = larger(out[b], larger(larger(h[0], h[1]), larger(h[2], h[3])));
        }
        // The tile's last column, shared with its eastern neighbour.
        for (int c = kWholeBlocks * kBlock; c < kTileSamples; ++c)
            out[kWholeBlocks] = larger(out[kWholeBlocks], highest[c]);
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
