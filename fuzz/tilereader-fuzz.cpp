// The tile reader on any file contents, by the path a dropped file takes: the
// bytes are written to a file named like a tile and loaded whole, so that an
// input that reads as a tile runs every load pass after the read as well.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "elevation/landscapeload.h"
#include "tests/support/tileload.h"

namespace {

// A private folder for the input file: inside $VANTOREL_FUZZ_DIR when set
// (scripts/fuzz.sh points it into /dev/shm and removes it afterwards),
// otherwise in /dev/shm or the temporary folder.
const std::string& WorkDir()
{
    static const std::string dir = [] {
        const char* parent = std::getenv("VANTOREL_FUZZ_DIR");
        std::string base = parent                       ? parent
            : std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                        : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/tilereader-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror(pattern.c_str());
            std::abort();
        }
        return pattern;
    }();
    return dir;
}

void RemoveWorkDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(WorkDir(), ignored);
}

bool WriteFile(const std::string& path, const uint8_t* data, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        ok = n > 0;
        done += ok ? std::size_t(n) : 0;
    }
    return ::close(fd) == 0 && ok;
}

// The load's outcome as the viewer relies on it.
void CheckOutcome(TileError error, const Terrain& terrain, const RenderParams& params, int progress)
{
    bool sound = true;
    if (error == TileError::None) {
        sound = params.rows == kTileSamples && params.columns >= 2 && params.columns <= kTileSamples &&
            params.columns == terrain.tileInfo.width && std::isfinite(params.centreLat) && progress == 20;
    } else {
        sound = !TileErrorMessage(error).empty();
    }
    if (!sound) {
        std::fprintf(stderr, "unsound load: error %d, %d x %d, progress %d\n", int(error), params.columns, params.rows,
            progress);
        std::abort();
    }
}

struct CountingListener : LoadListener {
    int progress = 0;
    void Progressed(int position) override { progress = position; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    WorkDir();
    std::atexit(RemoveWorkDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // Kept for the whole run: a terrain is large, and a refused load must
    // leave the previous tile in place anyway.
    static Terrain* const terrain = new Terrain();
    static RenderParams params;
    static Viewpoint view;

    // The name's latitude follows the input's length, so that inputs that
    // read as tiles load at every row width, down to the south pole.
    const long latitude = long(size % 180) - 90;
    char name[40];
    std::snprintf(name, sizeof name, "/fuzz_%c%02ldE138_dem.tif", latitude < 0 ? 'S' : 'N', std::labs(latitude));
    const std::string path = WorkDir() + name;
    if (!WriteFile(path, data, size)) {
        std::perror(path.c_str());
        std::abort();
    }
    CountingListener listener;
    const TileError error = LoadTileInto(path, *terrain, params, view, listener);
    CheckOutcome(error, *terrain, params, listener.progress);
    ::unlink(path.c_str());
    return 0;
}
