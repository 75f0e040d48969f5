#include "elevation/tileset.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>
#include <vector>

#include "core/geometry.h"
#include "elevation/eastwestresampling.h"
#include "elevation/productreader.h"
#include "elevation/tilefolder.h"

namespace {

constexpr int kCellRows = kTileSamples - 1;  // grid rows per degree of latitude
// The map shows the 3 x 3 cells at a third of one tile's scale.
constexpr int kJoinedMapBlock = TileSet::kSide * kTileMapBlock;
// Map pixels of the 3 x 3 square that no loaded grid covers.
constexpr uint32_t kNoTileColour = 0x303030;

// The longitude difference b - a brought into [-180, 180).
long LongitudeStep(long a, long b)
{
    long d = (b - a) % 360;
    if (d < -180)
        d += 360;
    if (d >= 180)
        d -= 360;
    return d;
}

bool SameCell(const TileCell& a, const TileCell& b)
{
    return a.lat == b.lat && LongitudeStep(a.lon, b.lon) == 0;
}

// A neighbour found by name is kept if it opens without a refusal and its
// georeferencing, if any, puts it in the cell its name says. What only its
// read finds wrong leaves its cell at sea level.
bool LiesInCell(const std::string& path, const TileCell& expected)
{
    const ProductFile file(path);
    TileCell located;
    return file.Error() == TileError::None && LocateTile(path, file, located) == TileError::None &&
        SameCell(located, expected);
}

void FindRectangle(TileSet& set)
{
    set.firstRow = set.firstColumn = TileSet::kSide;
    set.lastRow = set.lastColumn = -1;
    for (int i = 0; i < TileSet::kSide * TileSet::kSide; ++i) {
        if (set.files[std::size_t(i)].empty())
            continue;
        const int row = i / TileSet::kSide, column = i % TileSet::kSide;
        set.firstRow = std::min(set.firstRow, row);
        set.lastRow = std::max(set.lastRow, row);
        set.firstColumn = std::min(set.firstColumn, column);
        set.lastColumn = std::max(set.lastColumn, column);
    }
}

// The map of a joined set: the 3 x 3 square around the opened tile, the
// grid's rectangle placed where its cells lie in it.
void BuildJoinedMap(const TileSet& set, int cellColumns, Terrain& terrain, const ProgressStep& step)
{
    Bitmap32& map = terrain.mapBitmap;
    map.setWidth((TileSet::kSide * cellColumns + 1) / kJoinedMapBlock);
    for (int y = 0; y < map.height(); ++y)
        std::fill_n(map.scanLine(y), map.width(), kNoTileColour);
    const MapPlacement placement{
        kJoinedMapBlock, set.firstColumn * cellColumns / kJoinedMapBlock, set.firstRow * kCellRows / kJoinedMapBlock};
    BuildMapPixels(terrain.tileInfo, map, placement, step);
}

void FillJoinedParams(RenderParams& params, const TileSet& set, const GeoCentre& centre, const TileInfo& tileInfo)
{
    FillRenderParams(params, centre, tileInfo);
    const int n = ResampledLastColumn(centre.centreLat);
    // The resampled rows run on across the tiles' edges, a cell every
    // 1 / (3600 cos) degree from the grid's west edge.
    const double cellsPerDegree = GridCellsPerDegreeEast(centre.centreLat);
    const double centreColumn = (1.5 - set.firstColumn) * cellsPerDegree;
    const int centreRow = (1 - set.firstRow) * kCellRows + kTileSamples / 2;
    params.centreColumnShift = centreColumn - tileInfo.width / 2;
    params.centreRowShift = centreRow - tileInfo.height / 2;
    params.areaDegrees = TileSet::kSide;
    params.tileColumns = n + 1;
    params.tileRows = kTileSamples;
}

TileSet LoneTile(const std::string& path, const TileCell& cell)
{
    TileSet set;
    set.opened = cell;
    set.files[TileSet::kOpened] = path;
    return set;
}

TileError LoadAlone(ProductFile& file, const TileCell& cell, std::unique_ptr<Terrain>& terrain, RenderParams& params,
    Viewpoint& view, LoadListener& listener)
{
    if (terrain && terrain->holdsOneTile())
        return LoadLocatedTile(file, cell, *terrain, params, view, listener);
    auto fresh = std::make_unique<Terrain>();
    const TileError error = LoadLocatedTile(file, cell, *fresh, params, view, listener);
    if (error == TileError::None)
        terrain = std::move(fresh);
    return error;
}

}  // namespace

int TileSet::cellAt(double latitude, double longitude) const
{
    const double row = std::floor(double(opened.lat) + 1 - latitude) + 1;
    const double east = std::fmod(longitude - double(opened.lon) + 540, 360) - 180;
    const double column = std::floor(east) + 1;
    if (!(row >= 0 && row < kSide && column >= 0 && column < kSide))
        return -1;
    return int(row) * kSide + int(column);
}

GridRect OpenedTileRect(const RenderParams& params, const TileInfo& grid)
{
    if (params.tileColumns == 0)
        return {0, 0, grid.width, grid.height};
    GridRect rect;
    rect.columns = params.tileColumns;
    rect.rows = params.tileRows;
    rect.column = int(std::lround(CentreColumn(params))) - rect.columns / 2;
    rect.row = int(std::lround(CentreRow(params))) - rect.rows / 2;
    return rect;
}

TileSet FindTileSet(const std::string& path, const TileCell& cell)
{
    TileSet set;
    set.opened = cell;
    set.files[TileSet::kOpened] = path;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    for (const FolderTile& tile : TilesInFolder(folder.string())) {
        const long row = 1 - (tile.cell.lat - cell.lat);
        const long column = 1 + LongitudeStep(cell.lon, tile.cell.lon);
        if (row < 0 || row >= TileSet::kSide || column < 0 || column >= TileSet::kSide)
            continue;
        std::string& file = set.files[std::size_t(row * TileSet::kSide + column)];
        if (file.empty() && LiesInCell(tile.path, tile.cell))
            file = tile.path;
    }
    FindRectangle(set);
    return set;
}

TileError LoadTileSetInto(const std::string& path, bool single, std::unique_ptr<Terrain>& terrain, RenderParams& params,
    Viewpoint& view, TileSet& set, LoadListener& listener, bool levelsLater)
{
    if (!IsSupportedTileName(path))
        return TileError::NotATileName;
    // Opened once: located here, then read by whichever load follows.
    ProductFile opened(path);
    TileCell cell;
    if (const TileError error = LocateTile(path, opened, cell); error != TileError::None)
        return error;
    const TileSet found = single ? LoneTile(path, cell) : FindTileSet(path, cell);
    if (!found.joined()) {
        const TileError error = LoadAlone(opened, cell, terrain, params, view, listener);
        if (error == TileError::None)
            set = found;
        return error;
    }

    const GeoCentre centre = CentreOf(cell);
    const int n = ResampledLastColumn(centre.centreLat);
    const GridShape shape{
        (found.lastRow - found.firstRow + 1) * kCellRows + 1, (found.lastColumn - found.firstColumn + 1) * n + 1};
    std::unique_ptr<Terrain> joined;
    try {
        joined = std::make_unique<Terrain>(shape);
    } catch (const std::bad_alloc&) {
        // Without the memory for the whole set, the tile alone still opens.
        const TileError error = LoadAlone(opened, cell, terrain, params, view, listener);
        if (error == TileError::None)
            set = LoneTile(path, cell);
        return error;
    }
    int progress = 0;
    const ProgressStep step = [&] { listener.progressed(++progress); };
    listener.started();
    BuildHeightPalette(joined->heightPalette);

    const StopRequest stop = [&] { return listener.cancelled(); };
    const int tiles = int(std::count_if(found.files.begin(), found.files.end(), [](auto& f) { return !f.empty(); }));
    constexpr int kReadSteps = 12;  // of the loading window's 18
    const int bandTiles = found.lastColumn - found.firstColumn + 1;
    std::vector<SampleGrid> sources(static_cast<std::size_t>(bandTiles));
    std::vector<const SampleGrid*> band(static_cast<std::size_t>(bandTiles));
    int read = 0;
    // Band by band from the north, so that a band's first row takes the place
    // of the last of the band above (and in a band each tile's first column
    // that of its western neighbour's last): products that leave their south
    // row and east column to the neighbour get the neighbour's.
    for (int row = found.firstRow; row <= found.lastRow; ++row) {
        for (int column = found.firstColumn; column <= found.lastColumn; ++column) {
            const int index = row * TileSet::kSide + column;
            const std::string& file = found.files[std::size_t(index)];
            const std::size_t slot = std::size_t(column - found.firstColumn);
            band[slot] = nullptr;
            if (file.empty())
                continue;
            const TileError error = index == TileSet::kOpened ? opened.Read(sources[slot], stop)
                                                              : ProductFile(file).Read(sources[slot], stop);
            if (error == TileError::Cancelled || (error != TileError::None && index == TileSet::kOpened))
                return error;
            if (error == TileError::None)
                band[slot] = &sources[slot];
            ++read;
            for (const int target = kReadSteps * read / tiles; progress < target;)
                step();
        }
        ResampleBandInto(centre.centreLat, band, joined->heightGrid, (row - found.firstRow) * kCellRows);
    }
    // Given back before the relief is drawn: the sources and the relief are
    // never held at once.
    sources.clear();

    SharpenInPlace(joined->heightGrid, shape.columns, shape.rows);
    step();
    ColourAndShadePass(joined->heightPalette, joined->heightGrid.rows(), joined->tileInfo, [] {});
    step();
    if (!levelsLater)
        BuildReliefLevels(*joined, step);
    BuildJoinedMap(found, n, *joined, [] {});
    step();

    FillJoinedParams(params, found, centre, joined->tileInfo);
    ResetViewpoint(view, centre);
    terrain = std::move(joined);
    set = found;
    return TileError::None;
}
