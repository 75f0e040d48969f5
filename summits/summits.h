#pragma once
// Summits found in the heights alone: local tops with their topographic
// prominence, the height a summit rises above the highest saddle that joins
// it to higher ground.

#include <atomic>
#include <cstdint>
#include <vector>

struct Summit {
    int32_t row = 0;  // grid cell of the top
    int32_t column = 0;
    int32_t height = 0;  // metres
    int32_t prominence = 0;  // metres
};

inline constexpr int32_t kSummitMinProminence = 100;  // metres

// The summits of `rows` (height x width samples, row 0 north) whose
// prominence is at least `minProminence`, most prominent first (ties: higher,
// then north-west first). Voids and heights below 0 count as sea level. A
// summit whose higher ground lies beyond the grid gets the prominence it has
// within it; the highest summit rises above the grid's lowest point.
//
// Grids of more than about 16 million samples are first reduced to the
// highest sample of each k x k block, so that the work and memory stay those
// of one tile: tops keep their exact heights and positions, saddles may come
// out up to a block's relief higher, prominences lower by as much.
//
// A search on a thread of its own ends early, with no summits, once `stop`
// is set.
std::vector<Summit> FindSummits(const int16_t* const* rows, int32_t width, int32_t height,
    int32_t minProminence = kSummitMinProminence, const std::atomic<bool>* stop = nullptr);
