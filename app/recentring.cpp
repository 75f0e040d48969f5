#include "app/recentring.h"

#include <new>
#include <utility>

#include "core/workerpool.h"

namespace {

class StoppableListener : public LoadListener {
public:
    explicit StoppableListener(const std::atomic<bool>& stop) : stop_(stop) { }
    bool Cancelled() override { return stop_.load(std::memory_order_relaxed); }

private:
    const std::atomic<bool>& stop_;
};

}  // namespace

Recentring::Recentring(std::function<void(LoadedSet)> arrived) : arrived_(std::move(arrived))
{
}

void Recentring::Follow(const TileSet& set, const Viewpoint& view, std::optional<NaturalLight> light)
{
    if (!set.joined() || job_.Busy())
        return;
    const int cell = set.CellAt(view.latitude, view.longitude);
    if (cell < 0 || cell == TileSet::kOpened || set.files[std::size_t(cell)].empty())
        return;
    job_.Start([this, arena = arena_, path = set.files[std::size_t(cell)], light](
                   const std::atomic<bool>& stop) -> BackgroundJob::Delivery {
        // The pool's threads stay the frames': flying goes on smoothly while
        // the set loads, on this thread alone.
        const WorkAloneOnThisThread alone;
        auto loaded = std::make_shared<LoadedSet>();
        loaded->path = path;
        Viewpoint startView;
        StoppableListener listener(stop);
        try {
            const TileError error = LoadTileSetInto(
                path, false, loaded->terrain, loaded->params, startView, loaded->set, listener, arena.get());
            if (error != TileError::None)
                return {};  // a neighbour that cannot be read stays a neighbour
            loaded->report = std::move(listener.report);
            loaded->summits = FindLandscapeSummits(*loaded->terrain, loaded->params, &stop);
        } catch (const std::bad_alloc&) {
            return {};  // no room for a second set: the one on screen stays
        }
        if (light && !stop.load(std::memory_order_relaxed)) {
            const Terrain& t = *loaded->terrain;
            try {
                loaded->natural = PrepareRelief(
                    t.heightGrid.rows(), t.tileInfo.width, t.tileInfo.height, NaturalOrder(*light, 0, loaded->params));
            } catch (const std::bad_alloc&) {
                // Built once the set is shown, as for a landscape opened.
            }
        }
        // Runs on the GUI thread, where the job, and so `this`, is alive.
        return [this, loaded] { arrived_(std::move(*loaded)); };
    });
}
