#pragma once
// Flying on past the opened tile: when the eye has left it for a neighbour of
// the joined set, the set around that neighbour is loaded on a thread of its
// own while the current one is still drawn, and handed over whole.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QObject>

#include "core/viewrecords.h"
#include "elevation/terrain.h"
#include "elevation/tileset.h"
#include "summits/summits.h"

// What a finished background load hands over.
struct LoadedSet {
    std::unique_ptr<Terrain> terrain;
    RenderParams params;
    TileSet set;
    std::string path;
    std::vector<Summit> summits;  // found after the load, on the same thread
    // The reduced levels wait for BuildReliefLevels until the set on screen
    // has been let go.
    bool levelsPending = false;
};

class Recentring : public QObject {
public:
    // `arrived` runs on the GUI thread with each set loaded whole.
    explicit Recentring(std::function<void(LoadedSet)> arrived);
    ~Recentring() override;
    Recentring(const Recentring&) = delete;
    Recentring& operator=(const Recentring&) = delete;

    // Starts loading the set around the tile of `set` under the eye, if the
    // eye has left the opened tile for one, and no load runs already.
    void Follow(const TileSet& set, const Viewpoint& view);
    // Stops a running load and waits for its thread; nothing is handed over.
    void Stop();
    bool Running() const { return worker_.joinable(); }

private:
    void Finish(int generation, const std::shared_ptr<LoadedSet>& loaded);

    std::function<void(LoadedSet)> arrived_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    // Counts the loads started; a stopped load's late hand-over is known by it.
    int generation_ = 0;
};
