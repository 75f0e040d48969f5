#pragma once
// The buffers of a joined set let go, kept for the next set of the same shape.
// A 3 x 3 set's buffers are most of a gigabyte; mapped afresh for every load,
// the kernel spends most of the load zeroing their pages, and far longer
// whenever it must gather free memory for huge pages. A load overwrites every
// part of its buffers that any load writes, so kept buffers serve as new.
//
// Loads take from it on their own threads while the GUI thread gives back the
// set it stopped drawing, hence the lock.

#include <memory>
#include <mutex>

#include "elevation/terrain.h"

class TerrainArena {
public:
    // Buffers of `shape`: the kept ones where theirs is the same, new ones
    // otherwise (kept ones of another shape are let go first).
    std::unique_ptr<Terrain> Take(GridShape shape);
    // Keeps a joined set's buffers for a later Take; one tile's are let go.
    void GiveBack(std::unique_ptr<Terrain> terrain);
    // Lets the kept buffers go.
    void Clear();

private:
    std::mutex mutex_;
    std::unique_ptr<Terrain> kept_;
};
