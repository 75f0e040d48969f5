#include "elevation/tileset.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/geometry.h"
#include "elevation/productreader.h"
#include "elevation/tilefolder.h"

namespace {

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
// None when it does, otherwise its refusal (NoPosition when it lies elsewhere).
TileError LiesInCell(const std::string& path, const TileCell& expected, const StopRequest& stop)
{
    const ProductFile file(path, stop);
    if (file.Error() != TileError::None)
        return file.Error();
    TileCell located;
    if (const TileError error = LocateTile(path, file, located); error != TileError::None)
        return error;
    return SameCell(located, expected) ? TileError::None : TileError::NoPosition;
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

}  // namespace

int TileSet::CellAt(double latitude, double longitude) const
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

TileSet FindTileSet(
    const std::string& path, const TileCell& cell, const StopRequest& stop, std::vector<LoadNote>* notes)
{
    TileSet set = LoneTileSet(path, cell);
    std::vector<LoadNote> refused;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    for (const FolderTile& tile : TilesInFolder(folder.string())) {
        const long row = 1 - (tile.cell.lat - cell.lat);
        const long column = 1 + LongitudeStep(cell.lon, tile.cell.lon);
        if (row < 0 || row >= TileSet::kSide || column < 0 || column >= TileSet::kSide)
            continue;
        const int index = int(row * TileSet::kSide + column);
        std::string& file = set.files[std::size_t(index)];
        if (!file.empty())
            continue;
        if (const TileError refusal = LiesInCell(tile.path, tile.cell, stop); refusal == TileError::None)
            file = tile.path;
        else if (refusal != TileError::NoPosition && refusal != TileError::Cancelled)
            refused.push_back({LoadNoteKind::NeighbourAtSeaLevel, index, tile.path, refusal});
    }
    // Told only where no other file took the cell.
    if (notes)
        for (const LoadNote& note : refused)
            if (set.files[std::size_t(note.cell)].empty())
                notes->push_back(note);
    FindRectangle(set);
    return set;
}

TileSet LoneTileSet(const std::string& path, const TileCell& cell)
{
    TileSet set;
    set.opened = cell;
    set.files[TileSet::kOpened] = path;
    return set;
}
