#pragma once
// The summits of the landscape on screen, searched on a thread of their own:
// a tile's search takes a fifth of a second and a joined set's more, in which
// the window keeps flying. They arrive on the GUI thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include <QObject>

#include "summits/summits.h"

class SummitSearch : public QObject {
public:
    // `found` runs on the GUI thread with each finished search's summits.
    explicit SummitSearch(std::function<void(std::vector<Summit>)> found);
    ~SummitSearch() override;
    SummitSearch(const SummitSearch&) = delete;
    SummitSearch& operator=(const SummitSearch&) = delete;

    // How a search is made, asked to end early once its flag is set.
    using Search = std::function<std::vector<Summit>(const std::atomic<bool>* stop)>;

    // Stops any search under way, then runs `search` on a thread of its own.
    // What it reads must stay as it is until its summits arrive or Stop
    // returns.
    void Start(Search search);
    // Stops a running search and waits for its thread; its summits never
    // arrive. Whether one was running.
    bool Stop();

private:
    void Finish(int generation, std::vector<Summit> summits);

    std::function<void(std::vector<Summit>)> found_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    // Counts the searches started; a stopped search's late summits are known by it.
    int generation_ = 0;
};
