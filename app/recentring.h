#pragma once
// Flying on past the opened tile: when the eye has left it for a neighbour of
// the joined set, the set around that neighbour is loaded on a thread of its
// own while the current one is still drawn, and handed over whole. The GUI
// thread never waits for that thread (app/backgroundjob.h). The set let go
// at a swap is kept for the next load, whose buffers it then serves.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/backgroundjob.h"
#include "app/naturalview.h"
#include "app/reliefrebuild.h"
#include "core/viewrecords.h"
#include "elevation/terrain.h"
#include "elevation/terrainarena.h"
#include "elevation/tileset.h"
#include "summits/summits.h"

// What a finished background load hands over.
struct LoadedSet {
    std::unique_ptr<Terrain> terrain;
    RenderParams params;
    TileSet set;
    std::string path;
    std::vector<Summit> summits;  // found after the load, on the same thread
    LoadReport report;  // what the load found besides its result
    // In the natural look, its relief, built after the summits; none where
    // there was no room for it.
    std::optional<PreparedRelief> natural;
};

class Recentring {
public:
    // `arrived` runs on the GUI thread with each set loaded whole.
    explicit Recentring(std::function<void(LoadedSet)> arrived);

    // Starts loading the set around the tile of `set` under the eye, if the
    // eye has left the opened tile for one, and no load runs already; nor
    // while a stopped one still holds its memory. With a light, the set's
    // natural relief is built too.
    void Follow(const TileSet& set, const Viewpoint& view, std::optional<NaturalLight> light);
    // Stops a running load without waiting for it; nothing is handed over.
    void Stop() { job_.Stop(); }
    bool Running() const { return job_.Running(); }
    // Keeps the buffers of a set no longer drawn for the next load; one
    // tile's are let go.
    void Recycle(std::unique_ptr<Terrain> terrain) { arena_->GiveBack(std::move(terrain)); }
    // Lets kept buffers go, once flying on across sets is over.
    void LetGoKept() { arena_->Clear(); }

private:
    std::function<void(LoadedSet)> arrived_;
    // Shared with the loads, which may outlive this object.
    std::shared_ptr<TerrainArena> arena_ = std::make_shared<TerrainArena>();
    BackgroundJob job_;
};
