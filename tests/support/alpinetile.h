#pragma once
// A generated alpine tile for the benchmarks: ridges 2,000 m high whose
// flanks slope 30 to 45 degrees, crossed by a second, smaller set, so that
// steep ground rises in every column of a view over it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// Writes the tile, named as the cell 46 N 10 E, into the temporary folder
// (once per run) and returns its path.
inline std::string AlpineTile()
{
    static const std::string path = [] {
        constexpr int kSide = 3601;
        const auto file = std::filesystem::temp_directory_path() / "vantorel-alpine" / "N46E010_dem.tif";
        std::filesystem::create_directories(file.parent_path());
        // A triangle wave from 0 to 1 and back over `period` samples: its
        // flanks rise 2 / period a sample.
        const auto triangle = [](double x, double period) {
            const double t = x / period - std::floor(x / period);
            return 1 - std::fabs(2 * t - 1);
        };
        std::vector<uint8_t> bytes(8 + std::size_t(kSide) * kSide * 2, 0);
        for (int r = 0; r < kSide; ++r)
            for (int c = 0; c < kSide; ++c) {
                // 2,000 m over 95 samples (about 3 km): 21 m a 30 m sample,
                // 35 degrees; the wobble steepens one flank to about 45.
                const double x = c + 40 * std::sin(r / 150.0);
                const double main = 2000 * triangle(x, 190);
                const double cross = 400 * triangle(r + 25 * std::sin(c / 90.0), 70);
                const auto h = int16_t(std::lround(300 + main * (0.6 + 0.4 * triangle(r, 900)) + cross));
                const std::size_t at = 8 + (std::size_t(r) * kSide + std::size_t(c)) * 2;
                bytes[at] = uint8_t(uint16_t(h) & 0xff);
                bytes[at + 1] = uint8_t(uint16_t(h) >> 8);
            }
        std::FILE* out = std::fopen(file.c_str(), "wb");
        if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0)
            std::perror(file.c_str());
        return file.string();
    }();
    return path;
}
