// Summits and their prominence on small grids whose answers are known.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <vector>

#include "summits/summits.h"

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
