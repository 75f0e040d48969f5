#include "elevation/landscapeload.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "core/geometry.h"
#include "elevation/eastwestresampling.h"
#include "elevation/productreader.h"
#include "elevation/terrainarena.h"
#include "elevation/tileset.h"

namespace {

constexpr int kCellRows = kTileSamples - 1;  // grid rows per degree of latitude
// The map shows the 3 x 3 cells at a third of one tile's scale.
constexpr int kJoinedMapBlock = TileSet::kSide * kTileMapBlock;
// Map pixels of the 3 x 3 square that no loaded grid covers.
constexpr uint32_t kNoTileColour = 0x303030;
// Of the loading window's 18 steps, those a joined set's reads and
// resampling take, shared out over its tiles and bands; a tile alone takes
// one after each and follows its passes row by row besides.
constexpr int kJoinedReadSteps = 12;

// Thrown from a step when the listener asks the load to stop. Passes take
// their steps on the loading thread between bands of rows, never within one,
// so the unwinding leaves no worker part-way through a row.
struct LoadStopped { };

/* The progress of one load and its stop. Every step asks the listener
 * whether to stop, until the load is committed: a set of one is once its
 * read is whole, since from then on it fills buffers that may be on screen. */
class LoadSteps {
public:
    LoadSteps(LoadListener& listener, bool joined) : listener_(listener), joined_(joined) { }

    // A step the loading window's bar shows.
    void Shown()
    {
        CheckStop();
        listener_.Progressed(++count_);
    }
    // The step of a pass after a stretch of its rows: shown for a tile alone,
    // whose bar follows its passes row by row; a joined set's only asks
    // whether to stop.
    ProgressStep Rows()
    {
        if (joined_)
            return [this] { CheckStop(); };
        return [this] { Shown(); };
    }
    ProgressStep Pass()
    {
        return [this] { Shown(); };
    }
    StopRequest Stop()
    {
        return [this] { return listener_.Cancelled(); };
    }
    LoadReport& Report() { return listener_.report; }
    void Commit() { committed_ = true; }

private:
    void CheckStop()
    {
        if (!committed_ && listener_.Cancelled())
            throw LoadStopped{};
    }

    LoadListener& listener_;
    bool joined_;
    bool committed_ = false;
    int count_ = 0;
};

int TileCount(const TileSet& set)
{
    return int(std::count_if(set.files.begin(), set.files.end(), [](auto& file) { return !file.empty(); }));
}

// The reduced levels from `first` on, each from the one before it (the
// first from the relief itself), a pass step after each.
void BuildLevelsFrom(Terrain& terrain, std::size_t first, const ProgressStep& passStep)
{
    ReliefLevels& levels = terrain.reliefLevels;
    for (std::size_t level = first; level < levels.size(); ++level) {
        BuildReducedLevel(level == 0 ? terrain.tileInfo : levels[level - 1], levels[level]);
        passStep();
    }
}

// A tile alone: colours, shading, the first reduced level and the map in
// one pass, then the other levels; the bar steps as if each were its own.
void BuildTileRelief(Terrain& terrain, LoadSteps& steps)
{
    BuildReliefHalfAndMap(terrain.heightPalette, terrain.heightGrid.rows(), terrain.tileInfo, terrain.reliefLevels[0],
        terrain.mapBitmap, steps.Rows());
    steps.Shown();  // the shading
    steps.Shown();  // the first reduced level
    BuildLevelsFrom(terrain, 1, steps.Pass());
    // The map's steps, one before its rows and one after, as BuildMapPixels takes them.
    steps.Shown();
    steps.Shown();
}

// The map of a joined set: the 3 x 3 square around the opened tile, the
// grid's rectangle placed where its cells lie in it.
void BuildJoinedMap(const TileSet& set, int cellColumns, Terrain& terrain, const ProgressStep& step)
{
    Bitmap32& map = terrain.mapBitmap;
    map.SetWidth((TileSet::kSide * cellColumns + 1) / kJoinedMapBlock);
    for (int y = 0; y < map.height(); ++y)
        std::fill_n(map.scanLine(y), map.width(), kNoTileColour);
    const MapPlacement placement{
        kJoinedMapBlock, set.firstColumn * cellColumns / kJoinedMapBlock, set.firstRow * kCellRows / kJoinedMapBlock};
    BuildMapPixels(terrain.tileInfo, map, placement, step);
}

void BuildJoinedRelief(const TileSet& set, int cellColumns, Terrain& terrain, LoadSteps& steps)
{
    ColourAndShadePass(terrain.heightPalette, terrain.heightGrid.rows(), terrain.tileInfo, steps.Rows());
    steps.Shown();
    BuildLevelsFrom(terrain, 0, steps.Pass());
    BuildJoinedMap(set, cellColumns, terrain, steps.Rows());
    steps.Shown();
}

// The render parameters of the set's grid: a tile alone is centred on its
// grid; a joined set's opened tile lies where its cells put it.
void FillSetParams(RenderParams& params, const TileSet& set, const GeoCentre& centre, const TileInfo& tileInfo)
{
    FillRenderParams(params, centre, tileInfo);
    if (!set.joined())
        return;
    // The resampled rows run on across the tiles' edges, a cell every
    // 1 / (3600 cos) degree from the grid's west edge.
    const double cellsPerDegree = GridCellsPerDegreeEast(centre.centreLat);
    const double centreColumn = (1.5 - set.firstColumn) * cellsPerDegree;
    const int centreRow = (1 - set.firstRow) * kCellRows + kTileSamples / 2;
    params.centreColumnShift = centreColumn - tileInfo.width / 2;
    params.centreRowShift = centreRow - tileInfo.height / 2;
    params.areaDegrees = TileSet::kSide;
    params.tileColumns = ResampledLastColumn(centre.centreLat) + 1;
    params.tileRows = kTileSamples;
}

/* The reads and the resampling. Band by band from the north, so that a
 * band's first row takes the place of the last of the band above (and in a
 * band each tile's first column that of its western neighbour's last):
 * products that leave their south row and east column to the neighbour get
 * the neighbour's. A tile alone is read into its terrain's incoming grid,
 * which becomes its source grid once whole; a joined set's tiles, a band at
 * a time, into its band grids, which each band overwrites. */
TileError ReadAndResample(const TileSet& set, ProductFile& opened, Terrain& terrain, LoadSteps& steps)
{
    const double centreLat = CentreOf(set.opened).centreLat;
    const bool alone = !set.joined();
    const int bandTiles = set.lastColumn - set.firstColumn + 1;
    const int stageSteps = alone ? 2 : kJoinedReadSteps;
    const int stageParts = TileCount(set) + (set.lastRow - set.firstRow + 1);
    int partsDone = 0, stepsShown = 0;
    auto partDone = [&] {
        for (const int target = stageSteps * ++partsDone / stageParts; stepsShown < target; ++stepsShown)
            steps.Shown();
    };
    // A tile alone keeps its old tops until its new samples are whole.
    const auto resetTops = [&] {
        terrain.sourceTops.Reset(set.lastRow - set.firstRow + 1, bandTiles, set.opened.lat + 2 - set.firstRow,
            set.opened.lon + set.firstColumn - 1);
    };
    if (!alone)
        resetTops();
    std::vector<SampleGrid>& sources = terrain.bandGrids;
    if (!alone && sources.size() != std::size_t(bandTiles))
        sources = std::vector<SampleGrid>(std::size_t(bandTiles));
    std::vector<const SampleGrid*> band(static_cast<std::size_t>(bandTiles));
    for (int row = set.firstRow; row <= set.lastRow; ++row) {
        for (int column = set.firstColumn; column <= set.lastColumn; ++column) {
            const int index = row * TileSet::kSide + column;
            const std::string& file = set.files[std::size_t(index)];
            const std::size_t slot = std::size_t(column - set.firstColumn);
            band[slot] = nullptr;
            if (file.empty())
                continue;
            SampleGrid& target = alone ? terrain.incomingGrid : sources[slot];
            std::optional<ProductFile> neighbour;
            ProductFile& product = index == TileSet::kOpened ? opened : neighbour.emplace(file, steps.Stop());
            const TileError error = product.Read(target, steps.Stop());
            if (error == TileError::Cancelled || (error != TileError::None && index == TileSet::kOpened))
                return error;
            if (error != TileError::None)
                steps.Report().notes.push_back({LoadNoteKind::NeighbourAtSeaLevel, index, file, error});
            if (error == TileError::None) {
                band[slot] = &target;
                steps.Report().voidSamples += product.VoidSamples();
            }
            if (alone) {
                std::swap(terrain.sourceGrid, terrain.incomingGrid);
                band[slot] = &terrain.sourceGrid;
                resetTops();
                steps.Commit();
            }
            if (band[slot])
                terrain.sourceTops.AddTile(row - set.firstRow, int(slot), *band[slot]);
            partDone();
        }
        ResampleBandInto(centreLat, band, terrain.heightGrid, (row - set.firstRow) * kCellRows, steps.Rows());
        partDone();
    }
    return TileError::None;
}

// The whole load's work on `terrain`, from the reads to the relief.
TileError LoadLandscape(const TileSet& set, ProductFile& opened, Terrain& terrain, LoadSteps& steps)
{
    if (const TileError error = ReadAndResample(set, opened, terrain, steps); error != TileError::None)
        return error;
    const GridShape shape = LandscapeShape(set);
    // The whole shape, whatever the buffers were last given.
    terrain.tileInfo.width = shape.columns;
    terrain.tileInfo.height = shape.rows;
    SharpenInPlace(terrain.heightGrid, shape.columns, shape.rows, steps.Rows());
    steps.Shown();
    BuildHeightPalette(terrain.heightPalette);
    if (set.joined())
        BuildJoinedRelief(set, ResampledLastColumn(CentreOf(set.opened).centreLat), terrain, steps);
    else
        BuildTileRelief(terrain, steps);
    return TileError::None;
}

// New buffers for `set`, or kept ones from `arena` for a joined set.
std::unique_ptr<Terrain> NewTerrain(const TileSet& set, TerrainArena* arena)
{
    if (!set.joined())
        return std::make_unique<Terrain>();
    return arena ? arena->Take(LandscapeShape(set)) : std::make_unique<Terrain>(LandscapeShape(set));
}

}  // namespace

GridShape LandscapeShape(const TileSet& set)
{
    const int n = ResampledLastColumn(CentreOf(set.opened).centreLat);
    return {(set.lastRow - set.firstRow + 1) * kCellRows + 1, (set.lastColumn - set.firstColumn + 1) * n + 1};
}

TileError LoadSetInto(const TileSet& set, ProductFile& opened, Terrain& terrain, RenderParams& params, Viewpoint& view,
    LoadListener& listener)
{
    listener.Started();
    LoadSteps steps(listener, set.joined());
    try {
        if (const TileError error = LoadLandscape(set, opened, terrain, steps); error != TileError::None)
            return error;
    } catch (const LoadStopped&) {
        return TileError::Cancelled;
    }
    const GeoCentre centre = CentreOf(set.opened);
    FillSetParams(params, set, centre, terrain.tileInfo);
    ResetViewpoint(view, centre);
    return TileError::None;
}

TileError LoadTileSetInto(const std::string& path, bool single, std::unique_ptr<Terrain>& terrain, RenderParams& params,
    Viewpoint& view, TileSet& set, LoadListener& listener, TerrainArena* arena)
{
    if (const TileError error = PathAccessError(path); error != TileError::None)
        return error;
    if (!IsSupportedTileName(path))
        return TileError::NotATileName;
    listener.report = {};
    const StopRequest stop = [&] { return listener.Cancelled(); };
    // Opened once: located here, then read by the load.
    ProductFile opened(path, stop);
    TileCell cell;
    if (opened.Error() == TileError::Cancelled)
        return TileError::Cancelled;
    if (const TileError error = LocateTile(path, opened, cell); error != TileError::None)
        return error;
    TileSet found = single ? LoneTileSet(path, cell) : FindTileSet(path, cell, stop, &listener.report.notes);
    if (listener.Cancelled())
        return TileError::Cancelled;
    std::unique_ptr<Terrain> fresh;
    if (found.joined() || !(terrain && terrain->holdsOneTile())) {
        try {
            fresh = NewTerrain(found, arena);
        } catch (const std::bad_alloc&) {
            if (!found.joined())
                throw;
            // Without the memory for the whole set, the tile alone still opens.
            found = LoneTileSet(path, cell);
            listener.report.notes.clear();  // of neighbours no longer in the set
            listener.report.notes.push_back({LoadNoteKind::OpenedAlone, TileSet::kOpened, path});
            if (!(terrain && terrain->holdsOneTile()))
                fresh = NewTerrain(found, arena);
        }
    }
    const TileError error = LoadSetInto(found, opened, fresh ? *fresh : *terrain, params, view, listener);
    if (error != TileError::None) {
        if (arena)
            arena->GiveBack(std::move(fresh));
        return error;
    }
    if (fresh) {
        // Only a later load into the same buffers reads its band grids again.
        if (!arena)
            fresh->bandGrids.clear();
        std::swap(terrain, fresh);
        if (arena)
            arena->GiveBack(std::move(fresh));
    }
    set = found;
    return TileError::None;
}
