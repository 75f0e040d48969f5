#include "summits/summits.h"

#include <algorithm>
#include <cmath>

#include "core/geometry.h"
#include "elevation/terrain.h"

namespace {

constexpr int64_t kMaxCells = int64_t(4) << 20;
constexpr int32_t kHeightLevels = 1 << 15;  // 0 .. 32767 after the floor at sea level
constexpr std::size_t kCellsBetweenStopChecks = std::size_t(1) << 16;

// The grid as the search sees it: every sample, or the highest of each
// block, with where that highest sample lies.
struct Reduced {
    int32_t width = 0;
    int32_t height = 0;
    int32_t block = 1;
    std::vector<int16_t> heights;
};

int16_t SeaFloored(int16_t h)
{
    return h < 0 ? int16_t(0) : h;
}

Reduced Reduce(const int16_t* const* rows, int32_t width, int32_t height)
{
    Reduced r;
    const int64_t cells = int64_t(width) * height;
    while (cells / (int64_t(r.block) * r.block) > kMaxCells)
        ++r.block;
    r.width = (width + r.block - 1) / r.block;
    r.height = (height + r.block - 1) / r.block;
    r.heights.assign(std::size_t(r.width) * std::size_t(r.height), 0);
    for (int32_t y = 0; y < height; ++y) {
        int16_t* out = &r.heights[std::size_t(y / r.block) * std::size_t(r.width)];
        const int16_t* in = rows[y];
        for (int32_t x0 = 0, k = 0; x0 < width; x0 += r.block, ++k) {
            int16_t highest = out[k];
            for (int32_t x = x0; x < std::min(x0 + r.block, width); ++x)
                highest = std::max(highest, in[x]);
            out[k] = highest;
        }
    }
    return r;
}

// Where in its block a reduced cell's height stands: the first such sample.
void PlaceInBlock(const int16_t* const* rows, int32_t width, int32_t height, int32_t block, Summit& summit)
{
    const int32_t y0 = summit.row * block, x0 = summit.column * block;
    for (int32_t y = y0; y < std::min(y0 + block, height); ++y)
        for (int32_t x = x0; x < std::min(x0 + block, width); ++x)
            if (SeaFloored(rows[y][x]) == summit.height) {
                summit.row = y;
                summit.column = x;
                return;
            }
}

class Components {
public:
    explicit Components(std::size_t cells) : parent_(cells, -1) { }
    bool Seen(int32_t i) const { return parent_[std::size_t(i)] >= 0; }
    int32_t Root(int32_t i)
    {
        int32_t root = i;
        while (parent_[std::size_t(root)] != root)
            root = parent_[std::size_t(root)];
        while (parent_[std::size_t(i)] != root) {
            const int32_t next = parent_[std::size_t(i)];
            parent_[std::size_t(i)] = root;
            i = next;
        }
        return root;
    }
    void Attach(int32_t i, int32_t root) { parent_[std::size_t(i)] = root; }

private:
    std::vector<int32_t> parent_;
};

bool MoreProminentFirst(const Summit& a, const Summit& b)
{
    if (a.prominence != b.prominence)
        return a.prominence > b.prominence;
    if (a.height != b.height)
        return a.height > b.height;
    return a.row != b.row ? a.row < b.row : a.column < b.column;
}

}  // namespace

/* Cells are flooded from the highest down (a counting sort orders them). A
 * cell with no flooded neighbour starts a component whose root is its top;
 * a cell that touches several components is their saddle: every component
 * but the one with the highest top ends there, its top's prominence being
 * its height above the saddle. Roots stay the tops, so the survivor of a
 * merge is simply the higher root. */
std::vector<Summit> FindSummits(
    const int16_t* const* rows, int32_t width, int32_t height, int32_t minProminence, const std::atomic<bool>* stop)
{
    std::vector<Summit> summits;
    if (width <= 0 || height <= 0)
        return summits;
    const Reduced grid = Reduce(rows, width, height);
    const int32_t w = grid.width, h = grid.height;
    const std::size_t cells = std::size_t(w) * std::size_t(h);

    std::vector<int32_t> order(cells);
    {
        std::vector<int32_t> start(kHeightLevels + 1, 0);
        for (const int16_t v : grid.heights)
            ++start[std::size_t(kHeightLevels - 1 - v)];
        int32_t sum = 0;
        for (int32_t& s : start) {
            const int32_t count = s;
            s = sum;
            sum += count;
        }
        for (std::size_t i = 0; i < cells; ++i)
            order[std::size_t(start[std::size_t(kHeightLevels - 1 - grid.heights[i])]++)] = int32_t(i);
    }

    const auto higher = [&](int32_t a, int32_t b) {  // a's top outranks b's
        const int16_t ha = grid.heights[std::size_t(a)], hb = grid.heights[std::size_t(b)];
        return ha != hb ? ha > hb : a < b;
    };
    const auto stopped = [stop] { return stop != nullptr && stop->load(std::memory_order_relaxed); };
    Components components(cells);
    for (std::size_t k = 0; k < cells; ++k) {
        if (k % kCellsBetweenStopChecks == 0 && stopped())
            return {};
        const int32_t i = order[k];
        const int32_t y = i / w, x = i % w;
        const int16_t saddle = grid.heights[std::size_t(i)];
        int32_t root = -1;
        for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx) {
                const int32_t ny = y + dy, nx = x + dx;
                if ((dy == 0 && dx == 0) || ny < 0 || ny >= h || nx < 0 || nx >= w)
                    continue;
                const int32_t n = ny * w + nx;
                if (!components.Seen(n))
                    continue;
                const int32_t other = components.Root(n);
                if (root < 0) {
                    root = other;
                } else if (other != root) {
                    const int32_t low = higher(root, other) ? other : root;
                    const int32_t high = low == root ? other : root;
                    const int32_t prominence = grid.heights[std::size_t(low)] - saddle;
                    if (prominence >= minProminence)
                        summits.push_back({low / w, low % w, grid.heights[std::size_t(low)], prominence});
                    components.Attach(low, high);
                    root = high;
                }
            }
        }
        components.Attach(i, root < 0 ? i : root);
    }
    // The highest top: above the lowest cell, the last flooded.
    const int32_t top = order.front();
    const int32_t topProminence = grid.heights[std::size_t(top)] - grid.heights[std::size_t(order.back())];
    if (topProminence >= minProminence)
        summits.push_back({top / w, top % w, grid.heights[std::size_t(top)], topProminence});

    for (Summit& summit : summits) {
        if (grid.block > 1)
            PlaceInBlock(rows, width, height, grid.block, summit);
        summit.gridHeight = summit.height;
    }
    std::sort(summits.begin(), summits.end(), MoreProminentFirst);
    return summits;
}

void TakeSourceHeights(std::vector<Summit>& summits, const SourceTops& tops, const RenderParams& params)
{
    // The source's top may stand up to a cell and a half from the grid's.
    constexpr double kReachCells = 1.5;
    const double cellDegrees = params.metresPerCell / MetresPerDegree;
    const double rowRadius = kReachCells * cellDegrees * 3600;
    const double columnRadius = rowRadius / GridEastWestScale(params.centreLat);
    for (Summit& summit : summits) {
        const GeoPoint top = GridToGeo(params, summit.column, summit.row);
        if (const std::optional<int32_t> source =
                tops.HighestNear(top.latitude, top.longitude, rowRadius, columnRadius)) {
            // The key saddle stays where the grid has it: the summit rises
            // above it by what its reported top does.
            summit.prominence += *source - summit.height;
            summit.height = *source;
        }
    }
    std::sort(summits.begin(), summits.end(), MoreProminentFirst);
}

std::vector<Summit> FindLandscapeSummits(
    const Terrain& terrain, const RenderParams& params, const std::atomic<bool>* stop)
{
    std::vector<Summit> summits = FindSummits(
        terrain.heightGrid.rows(), terrain.tileInfo.width, terrain.tileInfo.height, kSummitMinProminence, stop);
    TakeSourceHeights(summits, terrain.sourceTops, params);
    std::erase_if(summits, [](const Summit& s) { return s.prominence < kSummitMinProminence; });
    return summits;
}
