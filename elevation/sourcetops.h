#pragma once
// The highest source sample of every small block of a landscape's tiles, in
// the tiles' own arc-second grid. A summit's reported height comes from here:
// the resampled and sharpened grid overshoots its tops, and by an amount that
// depends on which tile is in the middle.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/raster.h"

class SourceTops {
public:
    // Source samples per block side: a joined 3 x 3 set keeps about 15 MB.
    static constexpr int kBlock = 4;

    // Empty blocks for `tileRows` x `tileColumns` one-degree cells whose
    // north-west corner is at `northLat`, `westLon`.
    void Reset(int tileRows, int tileColumns, long northLat, long westLon);
    // The samples of the tile in cell (`tileRow`, `tileColumn`) from the
    // north-west, as read (kTileSamples square).
    void AddTile(int tileRow, int tileColumn, const SampleGrid& source);
    // The highest sample within `rowRadius` samples north and south and
    // `columnRadius` east and west of a place, rounded out to whole blocks;
    // none where no tile has a height there.
    std::optional<int32_t> HighestNear(double latitude, double longitude, double rowRadius, double columnRadius) const;

private:
    static constexpr int16_t kNone = INT16_MIN;
    int blockRows_ = 0;
    int blockColumns_ = 0;
    long northLat_ = 0;
    long westLon_ = 0;
    std::vector<int16_t> highest_;
};
