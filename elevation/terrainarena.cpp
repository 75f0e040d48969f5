#include "elevation/terrainarena.h"

#include <utility>

std::unique_ptr<Terrain> TerrainArena::Take(GridShape shape)
{
    std::unique_ptr<Terrain> kept;
    {
        const std::lock_guard lock(mutex_);
        kept = std::move(kept_);
    }
    if (kept && kept->heightGrid.rowCount() == shape.rows && kept->heightGrid.rowSlots() == shape.columns)
        return kept;
    kept.reset();  // before the new buffers, so that the two are never held at once
    return std::make_unique<Terrain>(shape);
}

void TerrainArena::GiveBack(std::unique_ptr<Terrain> terrain)
{
    if (!terrain || terrain->holdsOneTile())
        return;
    const std::lock_guard lock(mutex_);
    std::swap(kept_, terrain);
    // Whatever was kept before goes with `terrain`, after the lock.
}

void TerrainArena::Clear()
{
    std::unique_ptr<Terrain> kept;
    const std::lock_guard lock(mutex_);
    std::swap(kept_, kept);
}
