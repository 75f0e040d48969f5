// View strips: slope classes, octants, detail rings, corner snapping, the
// detail factor, and the strips themselves on a full-size synthetic tile.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "render-test-support.h"
#include "render/fixedpoint.h"
#include "render/viewstrips.h"

using namespace rendertest;

namespace {

const SyntheticTile& Hills()
{
    static const SyntheticTile tile(kTileSamples,
        [](int32_t c, int32_t r) { return int16_t(500 + 300 * std::sin(c / 50.0) * std::cos(r / 70.0)); });
    return tile;
}

// Builds with the detail factor held where it is.
void BuildHeld(
    Renderer& renderer, const SyntheticTile& tile, int32_t W, int32_t H, const Viewpoint& view, double factor = 0.5)
{
    renderer.carried.detailFactor = factor;
    renderer.carried.rasterFeedback = 1;
    tile.Build(renderer, W, H, view);
}

Viewpoint CentreView(double azimuth)
{
    Viewpoint v = Hills().ViewOver(1800, 1800);
    v.renderAzimuth = azimuth;
    return v;
}

int32_t RoundUp8(int32_t x)
{
    return (x + 7) >> 3 << 3;
}

class DetailSteering : public RendererTest { };
class StripBuild : public RendererTest { };

}  // namespace

TEST(SlopeClasses, TableFollowsTheRowBudgetOfEachSlope)
{
    for (const SlopeClass& sc : kSlopeClasses) {
        const double s = double(sc.L) / sc.M;
        const int32_t rowBudget = int32_t(std::lround(1024 * std::sqrt(1 + s * s)));
        const int32_t stripSlots = int32_t(std::lround(1024 / std::sqrt(1 + s * s)));
        EXPECT_EQ(sc.rowsAllowed, RoundUp8(rowBudget)) << sc.L << "/" << sc.M;
        EXPECT_EQ(sc.stride, RoundUp8(stripSlots)) << sc.L << "/" << sc.M;
    }
}

TEST(SlopeClasses, ThresholdsAreTheMidpointsBetweenSlopes)
{
    EXPECT_EQ(SlopeClassOf(100, 0), 0);
    EXPECT_EQ(SlopeClassOf(100, 8), 0);
    EXPECT_EQ(SlopeClassOf(100, 9), 1);
    EXPECT_EQ(SlopeClassOf(100, -24), 1);
    EXPECT_EQ(SlopeClassOf(100, -25), 2);
    EXPECT_EQ(SlopeClassOf(100, 41), 2);
    EXPECT_EQ(SlopeClassOf(100, 42), 3);
    EXPECT_EQ(SlopeClassOf(100, -58), 3);
    EXPECT_EQ(SlopeClassOf(100, -59), 4);
    EXPECT_EQ(SlopeClassOf(100, 83), 4);
    EXPECT_EQ(SlopeClassOf(100, 84), 5);
    EXPECT_EQ(SlopeClassOf(100, 100), 5);
    // A degenerate axis of no length counts as du = 1.
    EXPECT_EQ(SlopeClassOf(0, 0), 0);
}

TEST(Octants, QuarterTurnPutsTheAxisOnPlusU)
{
    EXPECT_EQ(OctantOf(10, 0), 0);
    EXPECT_EQ(OctantOf(5, -5), 0);
    EXPECT_EQ(OctantOf(3, 10), 1);
    EXPECT_EQ(OctantOf(-10, 2), 2);
    EXPECT_EQ(OctantOf(-5, 5), 2);
    EXPECT_EQ(OctantOf(0, -10), 3);
}

TEST(DetailRings, FullDetailWhileTheRowsCoverTheDistance)
{
    const std::array<int32_t, 3> full{1024, 1024, 1024};
    EXPECT_EQ(DetailRingLimits(1024, 1000.5), full);
    // (8 * 1024 - 1024) / 13 = 551 once the distance reaches the rows.
    EXPECT_EQ(DetailRingLimits(1024, 1024), (std::array<int32_t, 3>{551, 1102, 1110}));
}

TEST(DetailRings, TwentyThousandCellsGiveNegativeLimits)
{
    // (8192 - 20000) / 13 = -908.3, truncated toward zero.
    EXPECT_EQ(DetailRingLimits(1024, 20000), (std::array<int32_t, 3>{-908, -1816, -1808}));
}

TEST(IntersectLines, FirstBranchExactCrossing)
{
    int32_t x = -1, y = -1;
    EXPECT_TRUE(IntersectLines(0, 0, -1, -2, 5, 10, 105, 10, x, y));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 10);
}

TEST(IntersectLines, SecondBranchTruncatesTheCrossing)
{
    // The exact crossing is (12.5, 25).
    int32_t x = -1, y = -1;
    EXPECT_TRUE(IntersectLines(0, 0, -1, -2, 10, 0, 12, 20, x, y));
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 24);
}

TEST(IntersectLines, CoincidingSlopesLeaveTheCornerWhereItWas)
{
    int32_t x = 77, y = 88;
    // Both lines step 1 column per 2 rows: r1 = r2 = 128.
    EXPECT_FALSE(IntersectLines(0, 0, -1, -2, 10, 0, 11, 2, x, y));
    EXPECT_EQ(x, 77);
    EXPECT_EQ(y, 88);
    // A second line that is a single point.
    EXPECT_FALSE(IntersectLines(0, 0, -1, -2, 10, 3, 10, 3, x, y));
    EXPECT_EQ(x, 77);
    EXPECT_EQ(y, 88);
}

TEST(IntersectLines, FarApartCornersDoNotOverflow)
{
    // Corners 2^24 cells out: the 8.8 slopes and products need 64 bits.
    const int32_t big = 1 << 24;
    int32_t x = 0, y = 0;
    EXPECT_TRUE(IntersectLines(0, 0, -1, -6, -big, big, big, big, x, y));
    // y = 6x meets y = 2^24 at x = 2796202.67; y follows the truncated x.
    EXPECT_EQ(x, 2796202);
    EXPECT_EQ(y, 6 * 2796202);
}

TEST_F(DetailSteering, FallsHoldsAndCreeps)
{
    renderer.carried.detailFactor = 1.0;
    renderer.carried.rasterFeedback = 0;
    AdjustDetailFactor(renderer.carried);
    EXPECT_DOUBLE_EQ(renderer.carried.detailFactor, 0.9);

    // Feedback 2 lowers by 0.1 per frame; the ninth step leaves a tiny
    // positive rest of double rounding, not 0.
    for (int step = 1; step <= 9; ++step) {
        renderer.carried.rasterFeedback = 2;
        AdjustDetailFactor(renderer.carried);
        EXPECT_NEAR(renderer.carried.detailFactor, 0.9 - 0.1 * step, 1e-12) << step;
    }
    EXPECT_GT(renderer.carried.detailFactor, 0.0);
    EXPECT_LT(renderer.carried.detailFactor, 1e-15);

    // Below 0.01, feedback 2 or 3 is first turned into 1 and the factor holds.
    const double held = renderer.carried.detailFactor;
    renderer.carried.rasterFeedback = 3;
    AdjustDetailFactor(renderer.carried);
    EXPECT_EQ(renderer.carried.rasterFeedback, 1);
    EXPECT_EQ(renderer.carried.detailFactor, held);

    // No feedback creeps up by 0.03, and not beyond 0.9.
    renderer.carried.rasterFeedback = 0;
    AdjustDetailFactor(renderer.carried);
    EXPECT_NEAR(renderer.carried.detailFactor, held + 0.03, 1e-12);
    renderer.carried.detailFactor = 0.88;
    AdjustDetailFactor(renderer.carried);
    EXPECT_DOUBLE_EQ(renderer.carried.detailFactor, 0.9);

    // Feedback 1 holds; a fall below 0 stops at 0.
    renderer.carried.rasterFeedback = 1;
    AdjustDetailFactor(renderer.carried);
    EXPECT_DOUBLE_EQ(renderer.carried.detailFactor, 0.9);
    renderer.carried.detailFactor = 0.05;
    renderer.carried.rasterFeedback = 2;
    AdjustDetailFactor(renderer.carried);
    EXPECT_EQ(renderer.carried.detailFactor, 0.0);
}

TEST_F(StripBuild, FirstFrameWithoutFeedbackUsesPointNine)
{
    renderer.carried.detailFactor = 1.0;
    renderer.carried.rasterFeedback = 0;
    Hills().Build(renderer, 656, 400, CentreView(0));
    EXPECT_DOUBLE_EQ(renderer.carried.detailFactor, 0.9);
    EXPECT_EQ(renderer.Buffers().frameWidth, 656);
    EXPECT_EQ(renderer.Buffers().frameHeight, 400);
}

TEST_F(StripBuild, LookingEastStripsAreGridColumnsRunningSouth)
{
    BuildHeld(renderer, Hills(), 656, 400, CentreView(90));
    const StripLayout& layout = renderer.last.layout;
    EXPECT_EQ(layout.octant, 0);
    EXPECT_EQ(layout.slopeClass, 0);
    EXPECT_EQ(renderer.last.stripStride, 1024);
    int32_t lastCol = INT32_MIN;
    int32_t filled = 0;
    for (int32_t i = 0; i < renderer.last.stripCount; ++i) {
        const std::vector<StripSample> s = StripSamples(renderer, i);
        if (s.empty())
            continue;  // beyond the tile's east edge
        ++filled;
        EXPECT_GT(s[0].col, lastCol) << "strips move east, nearest first";
        lastCol = s[0].col;
        for (std::size_t k = 1; k < s.size(); ++k) {
            EXPECT_EQ(s[k].col, s[0].col);
            EXPECT_GT(s[k].row, s[k - 1].row) << "samples run north to south";
        }
    }
    EXPECT_GT(filled, 300);
}

TEST_F(StripBuild, LookingNorthStripsAreGridRowsRunningEast)
{
    BuildHeld(renderer, Hills(), 656, 400, CentreView(0));
    const StripLayout& layout = renderer.last.layout;
    EXPECT_EQ(layout.octant, 3);
    EXPECT_EQ(layout.slopeClass, 0);
    EXPECT_EQ(renderer.last.stripStride, 1024);
    int32_t lastRow = INT32_MAX;
    int32_t filled = 0;
    for (int32_t i = 0; i < renderer.last.stripCount; ++i) {
        const std::vector<StripSample> s = StripSamples(renderer, i);
        if (s.empty())
            continue;  // beyond the tile's north edge
        ++filled;
        EXPECT_LT(s[0].row, lastRow) << "strips move north";
        lastRow = s[0].row;
        for (std::size_t k = 1; k < s.size(); ++k) {
            EXPECT_EQ(s[k].row, s[0].row);
            EXPECT_GT(s[k].col, s[k - 1].col) << "samples run west to east";
        }
    }
    EXPECT_GT(filled, 300);
}

TEST_F(StripBuild, LookingNorthEastTakesTheDiagonalClass)
{
    BuildHeld(renderer, Hills(), 656, 400, CentreView(45));
    const StripLayout& layout = renderer.last.layout;
    EXPECT_EQ(layout.octant, 0);
    EXPECT_EQ(layout.slopeClass, 5);
    EXPECT_EQ(layout.signedL, 1);  // the axis runs north (dv < 0)
    EXPECT_EQ(renderer.last.stripStride, 728);
    EXPECT_LE(renderer.last.stripCount, 1448);
    ASSERT_GT(renderer.last.stripCount, 1024) << "the diagonal class allows more strips than 1024";
    // Each strip lies on a line col - row = const (relative to the eye),
    // stepping outwards by the strip's spacing.
    for (int32_t i = 0; i < renderer.last.stripCount; ++i) {
        const std::vector<StripSample> s = StripSamples(renderer, i);
        for (const StripSample& p : s)
            EXPECT_EQ(p.col - p.row, s[0].col - s[0].row) << "strip " << i;
    }
}

TEST_F(StripBuild, SamplesLieOnTheirSpacingLatticeWithTheMatchingLevel)
{
    for (double azimuth : {0.0, 30.0, 45.0, 100.0, 200.0, 290.0}) {
        BuildHeld(renderer, Hills(), 1280, 720, CentreView(azimuth), 0.2);
        const StripLayout& layout = renderer.last.layout;
        EXPECT_EQ(layout.eyeCol % 8, 0);
        EXPECT_EQ(layout.eyeRow % 8, 0);
        int previousLevel = 0;
        std::set<int> seen;
        for (int32_t i = 0; i < renderer.last.stripCount; ++i) {
            const std::vector<StripSample> s = StripSamples(renderer, i);
            if (s.empty())
                continue;
            const int level = LevelOfColour(s[0].colour);
            ASSERT_GE(level, 0);
            ASSERT_LE(level, 3);
            const int32_t R = 1 << level;
            EXPECT_GE(level, previousLevel) << "spacing never falls back, azimuth " << azimuth;
            previousLevel = level;
            seen.insert(level);
            for (const StripSample& p : s) {
                ASSERT_EQ(LevelOfColour(p.colour), level);
                EXPECT_EQ(p.col % R, 0) << "azimuth " << azimuth << " strip " << i;
                EXPECT_EQ(p.row % R, 0) << "azimuth " << azimuth << " strip " << i;
                EXPECT_EQ(p.height, Hills().grid()[p.row][p.col]);
                uint32_t* const* levelRows =
                    level == 0 ? Hills().tileInfo.scanLines : Hills().reliefLevels[level - 1].scanLines;
                EXPECT_EQ(p.colour, levelRows[p.row >> level][p.col >> level]);
            }
        }
        EXPECT_EQ(seen.size(), 4u) << "a long view uses all four levels, azimuth " << azimuth;
    }
}

TEST_F(StripBuild, RingsSwitchSpacingAfterTheirLimits)
{
    // Looking north at 1000 m and 5 degrees down, the far distance is the
    // width limit, far more than the 1024 rows: p = (8192 - trunc(D)) / 13.
    BuildHeld(renderer, Hills(), 656, 400, CentreView(0), 0.9);
    const StripLayout& layout = renderer.last.layout;
    EXPECT_EQ(layout.widthLimit, 5601);  // trunc(5092.58 * 1.1) for 3601 x 3601
    EXPECT_DOUBLE_EQ(layout.farDistance, 5601);
    const int32_t p = (8 * 1024 - int32_t(layout.farDistance - layout.nearDistance)) / 13;
    ASSERT_GT(p, 100);
    auto spacing = [this](int32_t i) {
        const std::vector<StripSample> s = StripSamples(renderer, i);
        return s.empty() ? -1 : 1 << LevelOfColour(s[0].colour);
    };
    // The check runs before each strip: strip p is the last at spacing 1.
    EXPECT_EQ(spacing(p), 1);
    EXPECT_EQ(spacing(p + 1), 2);
    EXPECT_EQ(spacing(2 * p), 2);
    EXPECT_EQ(spacing(2 * p + 1), 4);
    EXPECT_EQ(spacing(2 * p + 8), 4);
    EXPECT_EQ(spacing(2 * p + 9), 8);
    // Strip rows of spacing R advance by R.
    const int32_t rowA = StripSamples(renderer, 2 * p + 10)[0].row;
    const int32_t rowB = StripSamples(renderer, 2 * p + 11)[0].row;
    EXPECT_EQ(rowA - rowB, 8);
}

TEST_F(StripBuild, ShortViewKeepsFullDetail)
{
    // Pitch -60 with a 60 degree angle in a square view: beta = 0.6545 rad,
    // so the far distance is where the upper edge meets the ground,
    // E tan(67.5 deg) = E (1 + sqrt 2), and the lower edge points beyond the
    // vertical, which sets the detail factor to 0.5.
    Viewpoint v = CentreView(0);
    v.pitch = -60;
    v.viewAngle = 60;
    BuildHeld(renderer, Hills(), 500, 500, v, 0.7);
    const double eyeCells = 1000 / kMetresPerCell;
    EXPECT_NEAR(renderer.last.layout.farDistance, eyeCells * (1 + std::sqrt(2.0)), 1e-6);
    EXPECT_DOUBLE_EQ(renderer.carried.detailFactor, 0.5);
    ASSERT_GT(renderer.last.stripCount, 0);
    for (int32_t i = 0; i < renderer.last.stripCount; ++i)
        for (const StripSample& p : StripSamples(renderer, i))
            EXPECT_EQ(LevelOfColour(p.colour), 0) << "strip " << i;
}

TEST_F(StripBuild, ViewAngleIsClampedToFiveAndOneSixty)
{
    auto snapshot = [this] {
        std::vector<StripSample> all;
        for (int32_t i = 0; i < renderer.last.stripCount; ++i) {
            const std::vector<StripSample> s = StripSamples(renderer, i);
            all.insert(all.end(), s.begin(), s.end());
        }
        return std::make_pair(renderer.last.stripCount, all);
    };
    auto same = [](const auto& a, const auto& b) {
        if (a.first != b.first || a.second.size() != b.second.size())
            return false;
        for (std::size_t k = 0; k < a.second.size(); ++k)
            if (a.second[k].col != b.second[k].col || a.second[k].row != b.second[k].row)
                return false;
        return true;
    };
    Viewpoint v = CentreView(30);
    for (auto [outside, limit] : {std::pair{2.0, 5.0}, std::pair{170.0, 160.0}}) {
        v.viewAngle = outside;
        BuildHeld(renderer, Hills(), 656, 400, v);
        const auto clamped = snapshot();
        v.viewAngle = limit;
        BuildHeld(renderer, Hills(), 656, 400, v);
        EXPECT_TRUE(same(clamped, snapshot())) << outside;
    }
}

TEST_F(StripBuild, EyeNeverLowerThanTenCells)
{
    Viewpoint v = CentreView(120);
    v.minAltitude = 50;
    BuildHeld(renderer, Hills(), 656, 400, v);
    const int32_t count = renderer.last.stripCount;
    const std::vector<StripSample> first = StripSamples(renderer, 3);
    v.minAltitude = 10 * kMetresPerCell;
    BuildHeld(renderer, Hills(), 656, 400, v);
    EXPECT_EQ(renderer.last.stripCount, count);
    const std::vector<StripSample> second = StripSamples(renderer, 3);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t k = 0; k < first.size(); ++k)
        EXPECT_EQ(first[k].col, second[k].col);
}

TEST_F(StripBuild, EyeFarOutsideTheTileGivesEmptyStrips)
{
    Viewpoint v = CentreView(0);
    v.latitude += 5;  // 18000 cells north of the tile's centre
    BuildHeld(renderer, Hills(), 656, 400, v);
    ASSERT_GT(renderer.last.stripCount, 0);
    for (int32_t i = 0; i < renderer.last.stripCount; ++i)
        EXPECT_EQ(
            renderer.Buffers().SampleStrips[std::size_t(i) * renderer.last.StripSlotPitch()].colour, kStripTerminator);
}

TEST_F(StripBuild, StripsStayInTheirOwnSlots)
{
    // From 100 km up a strip can gather far more samples than its stride;
    // those beyond the spare slots are dropped and the terminator stays in
    // the strip's own slots. Slots no strip wrote keep what they held.
    const StripSample sentinel{-7, -7, -7, 0x12345678};
    for (double azimuth : {0.0, 45.0, 200.0}) {
        std::fill_n(renderer.Buffers().SampleStrips, kSampleStripSlots, sentinel);
        Viewpoint v = CentreView(azimuth);
        v.minAltitude = 100000;
        v.pitch = -30;
        BuildHeld(renderer, Hills(), 1920, 1080, v);
        const int32_t pitch = renderer.last.StripSlotPitch();
        int32_t longest = 0;
        for (int32_t i = 0; i < renderer.last.stripCount; ++i) {
            const StripSample* slot = renderer.Buffers().SampleStrips + std::size_t(i) * pitch;
            int32_t k = 0;
            while (k < pitch && slot[k].colour != kStripTerminator)
                ++k;
            ASSERT_LT(k, pitch) << "strip " << i << " has no terminator in its slots";
            longest = std::max(longest, k);
            for (int32_t rest = k + 1; rest < pitch; ++rest)
                ASSERT_EQ(slot[rest].colour, sentinel.colour) << "strip " << i << " slot " << rest;
            EXPECT_EQ(slot[k].col, sentinel.col) << "the terminator leaves the other fields alone";
        }
        EXPECT_EQ(longest, renderer.last.stripStride + kStripSpareSlots - 1)
            << "some strip is cut, azimuth " << azimuth;
        const StripSample* after = renderer.Buffers().SampleStrips + std::size_t(renderer.last.stripCount) * pitch;
        EXPECT_EQ(after->colour, sentinel.colour);
    }
}

TEST_F(StripBuild, FrameLargerThanTheBuffersIsClipped)
{
    BuildHeld(renderer, Hills(), 10000, 5000, CentreView(0));
    EXPECT_EQ(renderer.Buffers().frameWidth, kBufferWidth);
    EXPECT_EQ(renderer.Buffers().frameHeight, kBufferHeight);
}
