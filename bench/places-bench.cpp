// The peak lists: a GeoNames dump scanned for the few peaks of one tile
// (MB/s), and the names of a crowded list matched to a tile's summits.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include <unistd.h>

#include "core/geometry.h"
#include "places/matching.h"
#include "places/placefiles.h"
#include "summits/summits.h"
#include "tests/support/tileload.h"

namespace {

constexpr std::size_t kDumpBytes = std::size_t(100) << 20;

// A dump of some 100 MB like allCountries.txt: towns, streams and peaks the
// world over, one peak in a thousand lines within 35-36 N, 138-139 E.
class GeneratedDump {
public:
    GeneratedDump() :
        path_((std::filesystem::temp_directory_path() / ("places-bench-" + std::to_string(getpid()) + ".txt")).string())
    {
        std::ofstream out(path_, std::ios::binary);
        std::mt19937 random(1);
        std::uniform_real_distribution<double> latitude(-60, 70), longitude(-180, 180), inTile(0, 1);
        constexpr const char* kKinds[] = {"P\tPPL", "H\tSTM", "T\tMT", "T\tPK", "S\tSCH", "T\tHLL"};
        std::size_t written = 0;
        for (int64_t id = 1; written < kDumpBytes; ++id) {
            const bool near = id % 1000 == 0;
            const double lat = near ? 35 + inTile(random) : latitude(random);
            const double lon = near ? 138 + inTile(random) : longitude(random);
            const std::string line = std::to_string(id) + "\tPlace " + std::to_string(id) + "\tPlace " +
                std::to_string(id) + "\tOrt,Lieu,Luogo,場所\t" + std::to_string(lat) + "\t" + std::to_string(lon) +
                "\t" + kKinds[id % 6] + "\tXX\t\t01\t\t\t\t0\t\t812\tEtc/UTC\t2024-01-01\n";
            out << line;
            written += line.size();
        }
    }
    ~GeneratedDump() { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void BM_ScanGeoNamesDump(benchmark::State& state)
{
    static const GeneratedDump dump;
    const GeoArea tile{35, 36, 138, 139};
    std::size_t kept = 0;
    for (auto _ : state) {
        const ListReading reading = ReadPlaceFile(dump.path(), tile);
        if (reading.outcome != ListOutcome::Read)
            state.SkipWithError("the dump was refused");
        kept = reading.places.size();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(dump.path())));
    state.counters["kept"] = double(kept);
}
BENCHMARK(BM_ScanGeoNamesDump)->Unit(benchmark::kMillisecond)->UseRealTime();

// The sample tile's summits, and 10,000 places scattered over it, one in
// ten within 150 m of a summit as lists put them.
struct CrowdedTile {
    CrowdedTile()
    {
        LoadListener quiet;
        if (LoadTileInto(VANTOREL_SAMPLE_TILE, terrain, params, view, quiet) != TileError::None)
            std::abort();
        summits = FindLandscapeSummits(terrain, params);
        const GeoArea area = AreaOfGrid(params);
        std::mt19937 random(2);
        std::uniform_real_distribution<double> latitude(area.south, area.north), longitude(area.west, area.east);
        std::uniform_real_distribution<double> off(-150 / params.metresPerCell, 150 / params.metresPerCell);
        std::vector<UserPlace> scattered;
        for (int i = 0; i < 10000; ++i) {
            UserPlace place{std::to_string(i), latitude(random), longitude(random), std::nullopt};
            if (i % 10 == 0 && !summits.empty()) {
                const Summit& s = summits[std::size_t(i / 10) % summits.size()];
                const GeoPoint at = GridToGeo(params, s.column + off(random), s.row + off(random));
                place.latitude = at.latitude;
                place.longitude = at.longitude;
            }
            scattered.push_back(std::move(place));
        }
        list = std::make_unique<PlaceList>(area);
        list->Add(UserPlaces("scattered.gpx", scattered, area));
    }
    Terrain terrain;
    RenderParams params;
    Viewpoint view;
    std::vector<Summit> summits;
    std::unique_ptr<PlaceList> list;
};

void BM_MatchTenThousandPlaces(benchmark::State& state)
{
    static const CrowdedTile tile;
    std::size_t onSummits = 0;
    for (auto _ : state) {
        const std::vector<NamedPlace> named =
            MatchPlaces(*tile.list, tile.summits, tile.params, tile.terrain.heightGrid.rows());
        onSummits =
            std::size_t(std::count_if(named.begin(), named.end(), [](const NamedPlace& n) { return n.summit >= 0; }));
    }
    state.counters["places"] = double(tile.list->places().size());
    state.counters["summits"] = double(tile.summits.size());
    state.counters["named_summits"] = double(onSummits);
}
BENCHMARK(BM_MatchTenThousandPlaces)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
