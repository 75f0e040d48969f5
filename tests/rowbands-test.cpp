// Passes over row bands: every row once, progress steps where a pass in one
// thread would take them.

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "core/rowbands.h"

namespace {

TEST(RowBands, EveryRowOnceAndEachStepAfterItsRow)
{
    for (auto [first, last] : {std::pair{0, 3601}, {1, 3600}, {2, 3599}, {5, 70}, {0, 1}, {3, 3}}) {
        std::vector<std::atomic<int>> visits(3601);
        std::mutex mutex;
        std::vector<int> stepsAt;  // rows done when each step was taken
        auto countDone = [&] {
            int done = 0;
            for (auto& v : visits)
                done += v.load();
            return done;
        };
        ForRowBands(
            first, last,
            [&](int begin, int end) {
                for (int r = begin; r < end; ++r)
                    ++visits[r];
            },
            [&] {
                std::lock_guard lock(mutex);
                stepsAt.push_back(countDone());
            });
        for (int r = 0; r < 3601; ++r)
            ASSERT_EQ(visits[r].load(), r >= first && r < last ? 1 : 0) << first << ".." << last << " row " << r;
        std::vector<int> expected;
        for (int r = first; r < last; ++r)
            if (r % 1024 == 0)
                expected.push_back(r - first + 1);
        EXPECT_EQ(stepsAt, expected) << first << ".." << last;
    }
}

}  // namespace
