#include "elevation/tilefolder.h"

#include "elevation/productreader.h"
#include "elevation/tilename.h"
#include "elevation/tileplace.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

std::vector<FolderTile> TilesInFolder(const std::string& folder)
{
    std::vector<FolderTile> tiles;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        // By name only: opening every file of a large folder would be slow,
        // and a FIFO among them must not be opened at all.
        const std::string path = entry.path().string();
        const NamedCell named = CellFromName(path);
        std::error_code typeError;
        if (named.found && LatitudeInRange(named.cell) && LongitudeInRange(named.cell) && IsSupportedTileName(path) &&
            entry.is_regular_file(typeError))
            tiles.push_back({path, named.cell});
    }
    std::sort(tiles.begin(), tiles.end(), [](const FolderTile& a, const FolderTile& b) { return a.path < b.path; });
    return tiles;
}

std::string TileNearestFolderMiddle(const std::string& folder)
{
    std::vector<FolderTile> tiles = TilesInFolder(folder);
    if (tiles.empty())
        return {};
    auto [south, north] = std::minmax_element(
        tiles.begin(), tiles.end(), [](const FolderTile& a, const FolderTile& b) { return a.cell.lat < b.cell.lat; });
    auto [west, east] = std::minmax_element(
        tiles.begin(), tiles.end(), [](const FolderTile& a, const FolderTile& b) { return a.cell.lon < b.cell.lon; });
    // Both in cell units; the cells' centres and the middle share the half.
    const double middleLat = double(south->cell.lat + north->cell.lat) / 2;
    const double middleLon = double(west->cell.lon + east->cell.lon) / 2;
    auto distance = [&](const FolderTile& tile) {
        const double dLat = double(tile.cell.lat) - middleLat, dLon = double(tile.cell.lon) - middleLon;
        return dLat * dLat + dLon * dLon;
    };
    std::stable_sort(tiles.begin(), tiles.end(),
        [&](const FolderTile& a, const FolderTile& b) { return distance(a) < distance(b); });
    const auto readable = std::find_if(tiles.begin(), tiles.end(), [](const FolderTile& tile) {
        const ProductFile file(tile.path);
        TileCell cell;
        return file.Error() == TileError::None && LocateTile(tile.path, file, cell) == TileError::None;
    });
    // With none readable, the nearest, to be refused for what it is.
    return readable == tiles.end() ? tiles.front().path : readable->path;
}

std::string TileToOpen(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        return path;
    const std::string tile = TileNearestFolderMiddle(path);
    return tile.empty() ? path : tile;
}
