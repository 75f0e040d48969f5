// Summits and their prominence on small grids whose answers are known.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "elevation/terrain.h"
#include "elevation/tileset.h"
#include "summits/summits.h"
#include "tilefiles.h"

namespace {

class Grid {
public:
    Grid(int width, int height, const std::function<double(int row, int column)>& heightAt) :
        width_(width), height_(height), samples_(std::size_t(width) * std::size_t(height)), rows_(std::size_t(height))
    {
        for (int r = 0; r < height; ++r) {
            rows_[std::size_t(r)] = &samples_[std::size_t(r) * std::size_t(width)];
            for (int c = 0; c < width; ++c)
                rows_[std::size_t(r)][c] = int16_t(std::lround(heightAt(r, c)));
        }
    }
    std::vector<Summit> Summits(int minProminence = kSummitMinProminence, const std::atomic<bool>* stop = nullptr) const
    {
        return FindSummits(rows_.data(), width_, height_, minProminence, stop);
    }

private:
    int width_, height_;
    std::vector<int16_t> samples_;
    std::vector<int16_t*> rows_;
};

// A cone of `top` metres at (row, column), falling `slope` metres a cell.
double Cone(int r, int c, int row, int column, double top, double slope)
{
    return std::max(0.0, top - slope * std::hypot(r - row, c - column));
}

TEST(Summits, ConesSaddlesPlateausAndEdges)
{
    // One cone: it rises its whole height above the sea around it.
    const Grid cone(101, 81, [](int r, int c) { return Cone(r, c, 40, 50, 1500, 40); });
    const auto one = cone.Summits();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].row, 40);
    EXPECT_EQ(one[0].column, 50);
    EXPECT_EQ(one[0].height, 1500);
    EXPECT_EQ(one[0].prominence, 1500);
    // The same search stopped from another thread ends with none.
    std::atomic<bool> stop{true};
    EXPECT_TRUE(cone.Summits(kSummitMinProminence, &stop).empty());
    stop = false;
    EXPECT_EQ(cone.Summits(kSummitMinProminence, &stop).size(), 1u);

    // Two cones whose flanks meet: the lower rises above the saddle between.
    const auto two = Grid(121, 61, [](int r, int c) {
        return std::max(Cone(r, c, 30, 30, 2000, 40), Cone(r, c, 30, 90, 1600, 40));
    }).Summits();
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].prominence, 2000);
    EXPECT_EQ(two[1].column, 90);
    EXPECT_EQ(two[1].height, 1600);
    EXPECT_EQ(two[1].prominence, 1600 - 600);  // the flanks cross 35 cells from the higher top

    // A flat top counts once, at its first cell; bumps below the threshold
    // are no summits.
    const auto plateau = Grid(60, 60, [](int r, int c) {
        const double base = (r >= 20 && r < 30 && c >= 20 && c < 35) ? 900 : Cone(r, c, 25, 27, 900, 30);
        return base + ((r == 50 && c == 50) ? 60 : 0);
    }).Summits();
    ASSERT_EQ(plateau.size(), 1u);
    EXPECT_EQ(plateau[0].row, 20);
    EXPECT_EQ(plateau[0].column, 20);
    EXPECT_EQ(plateau.front().prominence, 900);

    // Two ridges along the north edge, their tops on the edge row: the lower
    // rises 100 m above where they meet, at 900 m, and just counts.
    const auto edge = Grid(80, 40, [](int r, int c) {
        const double ridge = std::max(1200 - 10.0 * std::abs(c - 20), 1000 - 10.0 * std::abs(c - 60));
        return std::max(0.0, ridge - 25.0 * r);
    }).Summits();
    ASSERT_EQ(edge.size(), 2u);
    EXPECT_EQ(edge[0].row, 0);
    EXPECT_EQ(edge[0].column, 20);
    EXPECT_EQ(edge[1].column, 60);
    EXPECT_EQ(edge[1].prominence, 100);
}

}  // namespace

// Cones whose tops are whole metres at known samples of two tiles side by
// side, one on the edge they share. Resampling and sharpening lift the
// grid's tops, but a summit reports its top sample, whether its tile is
// loaded alone or either tile is in the middle of the joined set.
TEST(SourceHeights, SummitsReportTheirTopSampleWhicheverTileIsInTheMiddle)
{
    struct Top {
        int row, column;  // in samples from the western tile's north-west corner
        int height;
    };
    const std::vector<Top> tops{{1800, 1500, 3000}, {600, 2400, 2500}, {2400, 3600, 1200}};
    const testtiles::TempDir dir;
    for (const int tile : {0, 1}) {
        const testtiles::Samples samples = testtiles::makeSamples([&](int r, int c) {
            double h = 0;
            for (const Top& top : tops)
                h = std::max(h, top.height - 28 * std::hypot(r - top.row, c + 3600 * tile - top.column));
            return int16_t(std::floor(h));
        });
        testtiles::writeRaw(dir / (tile == 0 ? "N35E138_dem.tif" : "N35E139_dem.tif"), samples);
    }
    const auto heightsOf = [&](const std::string& name, bool alone) {
        std::unique_ptr<Terrain> terrain;
        RenderParams params;
        Viewpoint view;
        TileSet set;
        LoadListener quiet;
        EXPECT_EQ(LoadTileSetInto((dir / name).string(), alone, terrain, params, view, set, quiet), TileError::None);
        std::map<int, std::pair<int, int>> found;  // by reported height: the grid's height, and how many
        for (const Summit& s : FindLandscapeSummits(*terrain, params)) {
            // The prominence is measured from the height reported: never above it.
            EXPECT_LE(s.prominence, s.height) << s.row << ',' << s.column;
            EXPECT_GE(s.prominence, kSummitMinProminence);
            found[s.height].first = std::max(found[s.height].first, s.gridHeight);
            ++found[s.height].second;
        }
        return found;
    };
    bool overshoots = false;
    for (const auto& [name, alone] : {std::pair{"N35E138_dem.tif", true}, std::pair{"N35E138_dem.tif", false},
             std::pair{"N35E139_dem.tif", false}}) {
        SCOPED_TRACE(std::string(name) + (alone ? " alone" : " joined"));
        const auto found = heightsOf(name, alone);
        for (const Top& top : tops) {
            ASSERT_TRUE(found.count(top.height)) << top.height;
            EXPECT_EQ(found.at(top.height).second, 1) << top.height;
            overshoots |= found.at(top.height).first > top.height;
        }
        EXPECT_EQ(found.size(), tops.size());
    }
    EXPECT_TRUE(overshoots) << "the grid no longer lifts its tops: this test shows nothing";
}
