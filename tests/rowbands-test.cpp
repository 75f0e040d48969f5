// Passes over row bands: every row once, progress steps where a pass in one
// thread would take them; the pool they share.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "core/rowbands.h"
#include "core/workerpool.h"

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

// A thread working alone (a load in the background) runs its jobs on
// itself, leaving the pool's threads to the frames; once it stops working
// alone, its jobs are shared out again.
TEST(WorkerPool, AThreadWorkingAloneKeepsItsJobsToItself)
{
    WorkerPool& pool = WorkerPool::Shared();
    if (pool.threads() < 2)
        GTEST_SKIP() << "one core: every job runs on its caller anyway";
    const auto threadsOf = [&pool] {
        std::mutex mutex;
        std::set<std::thread::id> threads;
        pool.Run(64, [&](int) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
        });
        return threads;
    };
    {
        const WorkAloneOnThisThread alone;
        EXPECT_EQ(threadsOf(), std::set{std::this_thread::get_id()});
    }
    EXPECT_GT(threadsOf().size(), 1u);
}

}  // namespace
