// The tile load as a whole (file in the page cache) and each of its passes.
// The "largest_alloc" counter shows that a load allocates nothing large: the
// buffers exist from start-up.

#include <benchmark/benchmark.h>

// The counting operator new below hands out malloc memory on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "elevation/asterreader.h"
#include "elevation/eastwestresampling.h"
#include "elevation/landscapeload.h"
#include "elevation/terrainarena.h"
#include "elevation/tileset.h"
#include "relief/naturalrelief.h"
#include "summits/summits.h"
#include "tests/support/joinedset.h"
#include "tests/support/reliefpasses.h"
#include "tests/support/tileload.h"

namespace {

std::atomic<std::size_t> largestAllocation{0};

Terrain& terrain()
{
    static Terrain instance;
    return instance;
}

struct Loaded {
    Loaded()
    {
        LoadListener quiet;
        if (LoadTileInto(VANTOREL_SAMPLE_TILE, terrain(), params, view, quiet) != TileError::None)
            std::abort();
    }
    RenderParams params;
    Viewpoint view;
};

const Loaded& loaded()
{
    static Loaded once;
    return once;
}

const ProgressStep kNoProgress = [] {};

void BM_WholeLoad(benchmark::State& state)
{
    loaded();
    RenderParams params;
    Viewpoint view;
    LoadListener quiet;
    largestAllocation = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadTileInto(VANTOREL_SAMPLE_TILE, terrain(), params, view, quiet));
    state.counters["largest_alloc"] = double(largestAllocation.load());
}
BENCHMARK(BM_WholeLoad)->Unit(benchmark::kMillisecond);

// Any product's whole load: VANTOREL_BENCH_TILE names the file.
void BM_WholeLoadOfFile(benchmark::State& state)
{
    const char* tile = std::getenv("VANTOREL_BENCH_TILE");
    if (!tile) {
        state.SkipWithError("VANTOREL_BENCH_TILE is not set");
        return;
    }
    RenderParams params;
    Viewpoint view;
    LoadListener quiet;
    for (auto _ : state)
        if (LoadTileInto(tile, terrain(), params, view, quiet) != TileError::None)
            state.SkipWithError("the tile was refused");
}
BENCHMARK(BM_WholeLoadOfFile)->Unit(benchmark::kMillisecond);

// Resident memory of the process, from /proc.
double ResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// A 3 x 3 set joined, into new buffers each time as the viewer's first load
// of a set does, or with an arena of buffers kept from the loads before, as
// the viewer's loads while flying do: the set drawn and the one loading. The
// arena outlives the runs, as the viewer's does, so that it is warm after
// the first two loads.
void BM_JoinedSetLoad(benchmark::State& state)
{
    struct Flight {
        TerrainArena arena;
        std::unique_ptr<Terrain> shown;
    };
    static Flight flight;
    const std::string opened = JoinedSetFolder() + "/N35E138_dem.tif";
    RenderParams params;
    Viewpoint view;
    TileSet set;
    LoadListener quiet;
    const bool kept = state.range(0) != 0;
    double resident = 0;
    for (auto _ : state) {
        std::unique_ptr<Terrain> joined;
        if (LoadTileSetInto(opened, false, joined, params, view, set, quiet, kept ? &flight.arena : nullptr) !=
                TileError::None ||
            !set.joined())
            state.SkipWithError("the set was not joined");
        if (kept)
            flight.arena.GiveBack(std::exchange(flight.shown, std::move(joined)));
        resident = std::max(resident, ResidentMegabytes());
    }
    state.counters["resident_MB"] = resident;
}
BENCHMARK(BM_JoinedSetLoad)->ArgName("arena")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
// Ten loads in a row, each timed on the wall clock on its own: what a user
// flying across sets meets, worst case beside the median.
BENCHMARK(BM_JoinedSetLoad)
    ->Name("BM_JoinedSetLoadTenInARow")
    ->ArgName("arena")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(10)
    ->UseRealTime()
    ->ComputeStatistics(
        "max", [](const std::vector<double>& times) { return *std::max_element(times.begin(), times.end()); })
    ->Unit(benchmark::kMillisecond);

// The summit search after a load, on one tile and on a joined 3 x 3 set.
void BM_FindSummits(benchmark::State& state)
{
    loaded();
    const Terrain& t = terrain();
    for (auto _ : state)
        benchmark::DoNotOptimize(FindSummits(t.heightGrid.rows(), t.tileInfo.width, t.tileInfo.height));
}
BENCHMARK(BM_FindSummits)->Unit(benchmark::kMillisecond);

void BM_FindSummitsOfJoinedSet(benchmark::State& state)
{
    RenderParams params;
    Viewpoint view;
    TileSet set;
    LoadListener quiet;
    std::unique_ptr<Terrain> joined;
    if (LoadTileSetInto(JoinedSetFolder() + "/N35E138_dem.tif", false, joined, params, view, set, quiet) !=
        TileError::None) {
        state.SkipWithError("the set did not load");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(
            FindSummits(joined->heightGrid.rows(), joined->tileInfo.width, joined->tileInfo.height));
}
BENCHMARK(BM_FindSummitsOfJoinedSet)->Unit(benchmark::kMillisecond);

void BM_ReadSamples(benchmark::State& state)
{
    loaded();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadSamples(VANTOREL_SAMPLE_TILE, terrain().incomingGrid));
    state.SetBytesProcessed(int64_t(state.iterations()) * 3601 * 3601 * 2);
}
BENCHMARK(BM_ReadSamples)->Unit(benchmark::kMillisecond);

void BM_Resample(benchmark::State& state)
{
    const Loaded& tile = loaded();
    Terrain& t = terrain();
    for (auto _ : state)
        ResampleBandInto(tile.params.centreLat, {&t.sourceGrid}, t.heightGrid, 0, kNoProgress);
}
BENCHMARK(BM_Resample)->Unit(benchmark::kMillisecond);

// Sharpens the same heights over and over: the mask's work does not depend
// on them.
void BM_Sharpen(benchmark::State& state)
{
    loaded();
    Terrain& t = terrain();
    for (auto _ : state)
        SharpenInPlace(t.heightGrid, t.tileInfo.width, t.tileInfo.height, kNoProgress);
}
BENCHMARK(BM_Sharpen)->Unit(benchmark::kMillisecond);

void BM_ColourPass(benchmark::State& state)
{
    loaded();
    Terrain& t = terrain();
    for (auto _ : state)
        ColourPass(t.heightPalette, t.heightGrid.rows(), t.tileInfo);
}
BENCHMARK(BM_ColourPass)->Unit(benchmark::kMillisecond);

void BM_ShadePass(benchmark::State& state)
{
    loaded();
    Terrain& t = terrain();
    for (auto _ : state)
        ShadePass(t.heightGrid.rows(), t.tileInfo, kNoProgress);
}
BENCHMARK(BM_ShadePass)->Unit(benchmark::kMillisecond);

void BM_ReducedLevels(benchmark::State& state)
{
    loaded();
    Terrain& t = terrain();
    for (auto _ : state) {
        BuildReducedLevel(t.tileInfo, t.reliefLevels[0]);
        BuildReducedLevel(t.reliefLevels[0], t.reliefLevels[1]);
        BuildReducedLevel(t.reliefLevels[1], t.reliefLevels[2]);
    }
}
BENCHMARK(BM_ReducedLevels)->Unit(benchmark::kMillisecond);

void BM_MapImage(benchmark::State& state)
{
    loaded();
    Terrain& t = terrain();
    for (auto _ : state)
        BuildMapImage(t.tileInfo, t.mapBitmap, kNoProgress);
}
BENCHMARK(BM_MapImage)->Unit(benchmark::kMillisecond);

// The natural look's relief of one tile, as the viewer rebuilds it when the
// sun moves: the shadow sweep, the lighting and the reduced levels. Sun
// azimuths across and along the grid's rows, high and low. The CPU time is
// that of every thread: on a busy machine it tells more than the real time.
void BM_NaturalRelief(benchmark::State& state)
{
    loaded();
    const Terrain& t = terrain();
    NaturalRelief relief(t.tileInfo.width, t.tileInfo.height);
    const NaturalReliefStyle style{{double(state.range(0)), double(state.range(1))}, kDefaultSnowLine};
    for (auto _ : state)
        relief.Build(t.heightGrid.rows(), loaded().params.metresPerCell, style);
}
BENCHMARK(BM_NaturalRelief)
    ->ArgNames({"az", "el"})
    ->Args({180, 60})
    ->Args({100, 10})
    ->Args({245, 25})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

void* operator new(std::size_t size)
{
    std::size_t seen = largestAllocation.load(std::memory_order_relaxed);
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size))
        ;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
