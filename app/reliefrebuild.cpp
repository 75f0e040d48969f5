#include "app/reliefrebuild.h"

#include <algorithm>
#include <new>
#include <utility>

ReliefHeights::ReliefHeights(const int16_t* const* from, int w, int h) :
    width(w), height(h), samples(std::size_t(w) * std::size_t(h)), rows(std::size_t(h))
{
    for (int r = 0; r < h; ++r) {
        int16_t* row = samples.data() + std::size_t(r) * std::size_t(w);
        std::copy_n(from[r], w, row);
        rows[std::size_t(r)] = row;
    }
}

PreparedRelief PrepareRelief(const int16_t* const* rows, int width, int height, const ReliefOrder& order)
{
    auto heights = std::make_shared<const ReliefHeights>(rows, width, height);
    auto relief = std::make_shared<NaturalRelief>(width, height);
    relief->Build(heights->rows.data(), order.metresPerCell, order.style);
    return {std::move(heights), std::move(relief), order};
}

bool ReliefOrder::operator==(const ReliefOrder& other) const
{
    return landscape == other.landscape && metresPerCell == other.metresPerCell &&
        style.sun.azimuth == other.style.sun.azimuth && style.sun.elevation == other.style.sun.elevation &&
        style.snowLine == other.style.snowLine;
}

ReliefRebuild::ReliefRebuild(std::function<void()> arrived) : arrived_(std::move(arrived))
{
}

void ReliefRebuild::Request(const ReliefOrder& order, const int16_t* const* rows, int width, int height)
{
    if (heights_ && order == wanted_)
        return;
    if (!heights_ || heightsLandscape_ != order.landscape) {
        LetGoOfLandscape();
        try {
            heights_ = std::make_shared<const ReliefHeights>(rows, width, height);
        } catch (const std::bad_alloc&) {
            return;  // no room for the copy: the classic relief goes on being drawn
        }
        heightsLandscape_ = order.landscape;
    }
    wanted_ = order;
    if (!Building())
        Start();
}

void ReliefRebuild::Adopt(uint64_t landscape, PreparedRelief prepared)
{
    LetGoOfLandscape();
    heights_ = std::move(prepared.heights);
    heightsLandscape_ = landscape;
    relief_ = std::move(prepared.relief);
    built_ = prepared.order;
    built_.landscape = landscape;
    // A build under way is of another landscape: Take drops it.
    wanted_ = built_;
}

void ReliefRebuild::LetGoOfLandscape()
{
    if (letGo_.Busy()) {
        // Still letting the one before go: these go here.
        relief_.reset();
        heights_.reset();
        return;
    }
    letGo_.Start([relief = std::exchange(relief_, nullptr), heights = std::exchange(heights_, nullptr)](
                     const std::atomic<bool>&) mutable -> BackgroundJob::Delivery {
        relief.reset();
        heights.reset();
        return {};
    });
}

void ReliefRebuild::Start()
{
    ++buildsStarted_;
    job_.Start([this, heights = heights_, order = wanted_](const std::atomic<bool>&) -> BackgroundJob::Delivery {
        std::shared_ptr<NaturalRelief> relief;
        try {
            relief = std::make_shared<NaturalRelief>(heights->width, heights->height);
            relief->Build(heights->rows.data(), order.metresPerCell, order.style);
        } catch (const std::bad_alloc&) {
            relief.reset();  // no room for a second relief: the one drawn stays
        }
        // Runs on the GUI thread, where the job, and so `this`, is alive.
        return [this, relief = std::shared_ptr<const NaturalRelief>(std::move(relief)), order] { Take(relief, order); };
    });
}

void ReliefRebuild::Take(std::shared_ptr<const NaturalRelief> relief, const ReliefOrder& order)
{
    // Builds run one after another, so this one is newer than the relief
    // drawn; it is dropped only when its landscape is no longer the one asked for.
    const bool taken = relief && heights_ && order.landscape == heightsLandscape_;
    if (taken) {
        relief_ = std::move(relief);
        built_ = order;
    }
    // The newest order next, unless it is what was just tried or is already
    // built (a relief adopted while this one was under way).
    if (heights_ && !(wanted_ == order) && !(relief_ && wanted_ == built_))
        Start();
    if (taken)
        arrived_();
}
