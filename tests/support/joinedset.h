#pragma once
// A joined 3 x 3 set for the tests and benchmarks: the sample tile under the
// names of the cells around 35 N 138 E, in a folder of its own.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

// Makes the folder, named `name` in the temporary folder (one per program,
// so that programs running side by side do not remake each other's), and
// returns it; the opened tile is MakeJoinedSetFolder(name) + "/N35E138_dem.tif".
inline std::string MakeJoinedSetFolder(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(dir);
    for (int lat = 34; lat <= 36; ++lat)
        for (int lon = 137; lon <= 139; ++lon) {
            char cell[32];
            std::snprintf(cell, sizeof cell, "N%dE%d_dem.tif", lat, lon);
            const auto link = dir / cell;
            std::error_code ignored;
            std::filesystem::remove(link, ignored);
            std::filesystem::create_symlink(VANTOREL_SAMPLE_TILE, link);
        }
    return dir.string();
}

// The benchmarks' folder, made once per run.
inline const std::string& JoinedSetFolder()
{
    static const std::string folder = MakeJoinedSetFolder("vantorel-bench-set");
    return folder;
}
