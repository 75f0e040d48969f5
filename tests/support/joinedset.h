#pragma once
// A joined 3 x 3 set for the tests and benchmarks: the sample tile under the
// names of the cells around 35 N 138 E, in a folder of its own.

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

// Makes the folder `name` in the temporary folder (one per program, so that
// programs running side by side do not remake each other's), with the sample
// tile under each of the file names `tiles`, and returns it.
inline std::string MakeTileFolder(const std::string& name, const std::vector<std::string>& tiles)
{
    const auto dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(dir);
    for (const std::string& tile : tiles) {
        std::error_code ignored;
        std::filesystem::remove(dir / tile, ignored);
        std::filesystem::create_symlink(VANTOREL_SAMPLE_TILE, dir / tile);
    }
    return dir.string();
}

// The folder of the 3 x 3 set around N35E138; the opened tile is
// MakeJoinedSetFolder(name) + "/N35E138_dem.tif".
inline std::string MakeJoinedSetFolder(const std::string& name)
{
    std::vector<std::string> tiles;
    for (int lat = 34; lat <= 36; ++lat)
        for (int lon = 137; lon <= 139; ++lon) {
            std::string tile = "N";
            tile += std::to_string(lat);
            tile += 'E';
            tile += std::to_string(lon);
            tile += "_dem.tif";
            tiles.push_back(std::move(tile));
        }
    return MakeTileFolder(name, tiles);
}

// The benchmarks' folder, made once per run.
inline const std::string& JoinedSetFolder()
{
    static const std::string folder = MakeJoinedSetFolder("vantorel-bench-set");
    return folder;
}
