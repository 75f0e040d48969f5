#pragma once
// The natural look's relief, rebuilt on a thread of its own when the light
// or the landscape changes, while frames go on drawing with the one built
// last (app/backgroundjob.h: the GUI thread never waits for it). One build
// runs at a time: what is asked for meanwhile waits, each request replacing
// the one before, so the newest is built next and no stale build queues up
// or replaces a newer relief.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/backgroundjob.h"
#include "relief/naturalrelief.h"

// What a relief is built for: the landscape (a serial the window gives each
// one it shows), its cells and the light.
struct ReliefOrder {
    uint64_t landscape = 0;
    double metresPerCell = 0;
    NaturalReliefStyle style;

    bool operator==(const ReliefOrder& other) const;
};

// A landscape's heights, copied for the builds that read them, since a load
// may overwrite or free the landscape's own while a build runs.
struct ReliefHeights {
    int width;
    int height;
    std::vector<int16_t> samples;
    std::vector<const int16_t*> rows;

    // Throws std::bad_alloc where there is no room for the copy.
    ReliefHeights(const int16_t* const* from, int w, int h);
};

// A relief built beside a landscape's load, off the GUI thread, with the
// heights it was built from: copying a joined set's heights and building its
// relief take the GUI thread a fifth of a second.
struct PreparedRelief {
    std::shared_ptr<const ReliefHeights> heights;
    std::shared_ptr<const NaturalRelief> relief;
    ReliefOrder order;  // its landscape is named when the landscape is shown
};

// Throws std::bad_alloc where there is no room for the heights or the relief.
PreparedRelief PrepareRelief(const int16_t* const* rows, int width, int height, const ReliefOrder& order);

class ReliefRebuild {
public:
    // `arrived` runs on the GUI thread each time a new relief has taken the
    // place of the one before.
    explicit ReliefRebuild(std::function<void()> arrived);

    // Asks for the relief of `order`, from the landscape's heights (height
    // rows of width samples). They are copied the first time a landscape is
    // asked for, since a load may overwrite or free them while a build runs;
    // a relief of another landscape is let go then. Nothing happens when the
    // order is the one asked for last.
    void Request(const ReliefOrder& order, const int16_t* const* rows, int width, int height);
    // Takes a relief prepared for `landscape`, the one to be asked for next,
    // with its heights, as though it had been asked for and built here.
    void Adopt(uint64_t landscape, PreparedRelief prepared);

    // The relief built last for the landscape asked for last, or none.
    const NaturalRelief* Relief() const { return relief_.get(); }
    // What that relief was built for.
    const ReliefOrder& Built() const { return built_; }
    // Whether a build is under way.
    bool Building() const { return job_.Running(); }
    // Builds started so far.
    int BuildsStarted() const { return buildsStarted_; }

private:
    void Start();
    void Take(std::shared_ptr<const NaturalRelief> relief, const ReliefOrder& order);
    // Lets the relief and heights of the landscape before go, on a thread:
    // a joined set's are most of a gigabyte, whose unmapping would hold the
    // next frame up by tens of milliseconds.
    void LetGoOfLandscape();

    std::function<void()> arrived_;
    std::shared_ptr<const ReliefHeights> heights_;  // of the landscape asked for last
    uint64_t heightsLandscape_ = 0;
    ReliefOrder wanted_;  // asked for last
    std::shared_ptr<const NaturalRelief> relief_;
    ReliefOrder built_;
    int buildsStarted_ = 0;
    BackgroundJob letGo_;
    BackgroundJob job_;  // last, so that it stops taking deliveries first
};
