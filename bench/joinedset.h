#pragma once
// A joined 3 x 3 set for the benchmarks: the sample tile under the names of
// the cells around 35 N 138 E, in a folder of its own.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

// The folder; the opened tile is JoinedSetFolder() + "/N35E138_dem.tif".
inline std::string JoinedSetFolder()
{
    static const std::string folder = [] {
        const auto dir = std::filesystem::temp_directory_path() / "vantorel-bench-set";
        std::filesystem::create_directories(dir);
        for (int lat = 34; lat <= 36; ++lat)
            for (int lon = 137; lon <= 139; ++lon) {
                char name[32];
                std::snprintf(name, sizeof name, "N%dE%d_dem.tif", lat, lon);
                const auto link = dir / name;
                std::error_code ignored;
                std::filesystem::remove(link, ignored);
                std::filesystem::create_symlink(VANTOREL_SAMPLE_TILE, link);
            }
        return dir.string();
    }();
    return folder;
}
