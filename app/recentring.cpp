#include "app/recentring.h"

#include <new>

#include <QMetaObject>

namespace {

class StoppableListener : public LoadListener {
public:
    explicit StoppableListener(const std::atomic<bool>& stop) : stop_(stop) { }
    bool cancelled() override { return stop_.load(std::memory_order_relaxed); }

private:
    const std::atomic<bool>& stop_;
};

}  // namespace

Recentring::Recentring(std::function<void(LoadedSet)> arrived) : arrived_(std::move(arrived))
{
}

Recentring::~Recentring()
{
    Stop();
}

void Recentring::Follow(const TileSet& set, const Viewpoint& view)
{
    if (Running() || !set.joined())
        return;
    const int cell = set.cellAt(view.latitude, view.longitude);
    if (cell < 0 || cell == TileSet::kOpened || set.files[std::size_t(cell)].empty())
        return;
    const std::string path = set.files[std::size_t(cell)];
    stop_ = false;
    const int generation = ++generation_;
    worker_ = std::thread([this, path, generation] {
        auto loaded = std::make_shared<LoadedSet>();
        loaded->path = path;
        Viewpoint startView;
        StoppableListener listener(stop_);
        try {
            const TileError error =
                LoadTileSetInto(path, false, loaded->terrain, loaded->params, startView, loaded->set, listener, true);
            loaded->levelsPending = loaded->set.joined();
            if (error == TileError::None)
                loaded->summits = FindSummits(loaded->terrain->heightGrid.rows(), loaded->terrain->tileInfo.width,
                    loaded->terrain->tileInfo.height, kSummitMinProminence, &stop_);
            else
                loaded.reset();  // a neighbour that cannot be read stays a neighbour
        } catch (const std::bad_alloc&) {
            loaded.reset();  // no room for a second set: the one on screen stays
        }
        QMetaObject::invokeMethod(
            this, [this, generation, loaded] { Finish(generation, loaded); }, Qt::QueuedConnection);
    });
}

void Recentring::Stop()
{
    if (!worker_.joinable())
        return;
    stop_ = true;
    worker_.join();
    ++generation_;
}

void Recentring::Finish(int generation, const std::shared_ptr<LoadedSet>& loaded)
{
    if (generation != generation_)
        return;
    worker_.join();
    if (loaded)
        arrived_(std::move(*loaded));
}
