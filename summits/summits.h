#pragma once
// Summits found in the heights: local tops with their topographic
// prominence, the height a summit rises above the highest saddle that joins
// it to higher ground. A loaded landscape's summits report the heights of
// its source samples (FindLandscapeSummits).

#include <atomic>
#include <cstdint>
#include <vector>

class SourceTops;
struct RenderParams;
struct Terrain;

struct Summit {
    int32_t row = 0;  // grid cell of the top
    int32_t column = 0;
    int32_t height = 0;  // metres: reported, from the source samples where TakeSourceHeights gave them
    int32_t prominence = 0;  // metres
    int32_t gridHeight = 0;  // metres on the searched grid: where the top is drawn
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

// Each summit's height as the highest source sample at its top (`tops`
// holds the source of the grid drawn with `params`), since resampling and
// sharpening lift a grid's tops above the data, and its prominence above the
// same saddle from that height; most prominent first again. A top the
// sources do not cover keeps its grid height.
void TakeSourceHeights(std::vector<Summit>& summits, const SourceTops& tops, const RenderParams& params);

// The summits of a loaded landscape, drawn with `params`, with their heights
// and prominences from its sources, those still of kSummitMinProminence.
std::vector<Summit> FindLandscapeSummits(
    const Terrain& terrain, const RenderParams& params, const std::atomic<bool>* stop = nullptr);
