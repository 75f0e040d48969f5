// Panoramas: each column at its azimuth, every column drawn, the tops seen
// reported where they stand.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "core/geometry.h"
#include "render-test-support.h"
#include "render/panorama.h"

using namespace rendertest;

namespace {

// Towers 1,500 m high on a plain 100 m high, 200 cells from the middle of a
// 801-cell tile, at the bearings given.
struct Towers {
    static constexpr int kSide = 801;
    static constexpr int kMiddle = 400;
    static constexpr double kDistance = 200;
    std::vector<double> bearings;
    SyntheticTile tile;

    explicit Towers(std::vector<double> b) :
        bearings(std::move(b)), tile(kSide, [this](int32_t c, int32_t r) { return HeightAt(c, r); })
    {
    }
    int16_t HeightAt(int32_t c, int32_t r) const
    {
        for (const double bearing : bearings) {
            const auto [column, row] = Where(bearing);
            if (std::abs(c - column) <= 1 && std::abs(r - row) <= 1)
                return 1500;
        }
        return 100;
    }
    static std::pair<int32_t, int32_t> Where(double bearing)
    {
        const double a = bearing * kDegToRad;
        return {kMiddle + int32_t(std::lround(kDistance * std::sin(a))),
            kMiddle - int32_t(std::lround(kDistance * std::cos(a)))};
    }
    // The exact bearing of the tower's middle cell from the eye.
    static double BearingOf(double bearing)
    {
        const auto [column, row] = Where(bearing);
        const double b = std::atan2(column - kMiddle, kMiddle - row) / kDegToRad;
        return b < 0 ? b + 360 : b;
    }
};

PanoramaRequest Request(const Towers& towers, double from, double to)
{
    PanoramaRequest request;
    request.fromAzimuth = from;
    request.toAzimuth = to;
    request.eye = towers.tile.ViewOver(Towers::kMiddle, Towers::kMiddle);
    request.eye.minAltitude = 400;
    request.eye.pitch = 0;
    request.eye.viewAngle = 0;
    return request;
}

}  // namespace

TEST(Panorama, EachTopStandsInTheColumnOfItsAzimuth)
{
    const Towers towers({10, 95, 200, 300});
    for (const auto& [from, to, width] : {std::tuple{0.0, 360.0, 1440}, std::tuple{60.0, 250.0, 700}}) {
        const PanoramaRequest request = Request(towers, from, to);
        Bitmap32 out(width, 160);
        const uint32_t mark = 0xC0FFEE;
        for (int y = 0; y < out.height(); ++y)
            std::fill_n(out.scanLine(y), width, mark);
        std::vector<PanoramaPoint> tops;
        for (const double bearing : towers.bearings) {
            const auto [column, row] = Towers::Where(bearing);
            tops.push_back({column, row, 1500});
        }
        std::vector<PanoramaTop> seen;
        const PanoramaScene scene{
            towers.tile.tileInfo, towers.tile.reliefLevels, towers.tile.grid(), towers.tile.params};
        ASSERT_TRUE(RenderPanorama(out, scene, request, FrameSettings{}, tops, seen));
        // Every column drawn, slices joined without gaps.
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_NE(out.scanLine(y)[x], mark) << x << "," << y;
        // The towers within the range, each where its bearing says.
        int expected = 0;
        for (std::size_t i = 0; i < towers.bearings.size(); ++i) {
            const double bearing = Towers::BearingOf(towers.bearings[i]);
            const bool inRange = bearing >= from && bearing <= to;
            expected += inRange;
            const auto top =
                std::find_if(seen.begin(), seen.end(), [i](const PanoramaTop& t) { return t.index == int32_t(i); });
            ASSERT_EQ(top != seen.end(), inRange) << "bearing " << bearing << " in " << from << ".." << to;
            if (inRange) {
                const double column = (bearing - from) / (to - from) * width - 0.5;
                EXPECT_NEAR(top->x, column, 1.0) << "bearing " << bearing;
                EXPECT_NEAR(PanoramaAzimuth(request, width, top->x), bearing, (to - from) / width * 1.5);
                EXPECT_LT(top->y, out.height() / 2) << "above the horizon, the eye being lower than the towers";
            }
        }
        EXPECT_EQ(int(seen.size()), expected);
    }
}

TEST(Panorama, AStopFromTheProgressEndsTheDrawing)
{
    const Towers towers({45});
    Bitmap32 out(720, 100);
    std::vector<PanoramaTop> seen;
    int calls = 0;
    const PanoramaScene scene{towers.tile.tileInfo, towers.tile.reliefLevels, towers.tile.grid(), towers.tile.params};
    EXPECT_FALSE(RenderPanorama(out, scene, Request(towers, 0, 360), FrameSettings{}, {}, seen, [&](double done) {
        EXPECT_GT(done, 0);
        EXPECT_LE(done, 1);
        return ++calls < 3;
    }));
    EXPECT_EQ(calls, 3);
}
