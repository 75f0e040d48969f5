// Frames of the sample tile: whole frames (view strips + rasterisation) at
// four sizes and a few views, and each stage on its own; whole frames of a
// joined 3 x 3 set, looking across the opened tile's edges; whole frames over
// a generated alpine tile, where steep ground rises in every column; and
// natural-look frames at 1920 x 1080 from the views of the classic ones, to
// set beside them.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include "elevation/landscapeload.h"
#include "elevation/terrain.h"
#include "elevation/tileset.h"
#include "relief/naturalrelief.h"
#include "render/frame.h"
#include "render/panorama.h"
#include "render/rasterise.h"
#include "tests/support/alpinetile.h"
#include "tests/support/joinedset.h"
#include "tests/support/tileload.h"

namespace {

struct Scene {
    Terrain terrain;
    RenderParams params;
    Viewpoint start;
    Bitmap32 frame{1920, 1080};
    Renderer renderer{frame};
    // Frames larger than the screen's are drawn by a renderer of their own.
    Bitmap32 largeFrame{3840, 2160};
    Renderer largeRenderer{largeFrame};

    Scene()
    {
        LoadListener quiet;
        if (LoadTileInto(VANTOREL_SAMPLE_TILE, terrain, params, start, quiet) != TileError::None) {
            std::fprintf(stderr, "cannot load %s\n", VANTOREL_SAMPLE_TILE);
            std::exit(1);
        }
    }

    Viewpoint View(double azimuth, double pitch) const
    {
        Viewpoint v = start;
        v.azimuth = v.renderAzimuth = azimuth;
        v.pitch = pitch;
        return v;
    }
    Renderer& RendererFor(int32_t W, int32_t H)
    {
        return W > frame.width() || H > frame.height() ? largeRenderer : renderer;
    }
    void Strips(int32_t W, int32_t H, const Viewpoint& v)
    {
        BuildViewStrips(
            RendererFor(W, H), W, H, terrain.tileInfo, terrain.reliefLevels, terrain.heightGrid.rows(), params, v);
    }
    int32_t Rasterise(int32_t W, int32_t H, const Viewpoint& v)
    {
        return RasteriseFrame(RendererFor(W, H), terrain.tileInfo, terrain.heightGrid.rows(), params, v);
    }
};

Scene& TheScene()
{
    static auto scene = std::make_unique<Scene>();
    return *scene;
}

// Arguments: width, height, azimuth, pitch.
Viewpoint ViewOf(const benchmark::State& state)
{
    return TheScene().View(double(state.range(2)), double(state.range(3)));
}

void WholeFrame(benchmark::State& state)
{
    Scene& scene = TheScene();
    const Viewpoint v = ViewOf(state);
    const auto W = int32_t(state.range(0)), H = int32_t(state.range(1));
    int64_t samples = 0;
    for (auto _ : state) {
        scene.Strips(W, H, v);
        benchmark::DoNotOptimize(scene.Rasterise(W, H, v));
        samples += scene.RendererFor(W, H).last.stripCount;
    }
    state.counters["strips"] = benchmark::Counter(double(samples), benchmark::Counter::kAvgIterations);
}

void ViewStripsStage(benchmark::State& state)
{
    Scene& scene = TheScene();
    const Viewpoint v = ViewOf(state);
    for (auto _ : state)
        scene.Strips(int32_t(state.range(0)), int32_t(state.range(1)), v);
}

void RasteriseFrameStage(benchmark::State& state)
{
    Scene& scene = TheScene();
    const Viewpoint v = ViewOf(state);
    const auto W = int32_t(state.range(0)), H = int32_t(state.range(1));
    scene.Strips(W, H, v);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.Rasterise(W, H, v));
}

void StripRasteriserStage(benchmark::State& state)
{
    Scene& scene = TheScene();
    const Viewpoint v = ViewOf(state);
    const auto W = int32_t(state.range(0)), H = int32_t(state.range(1));
    scene.Strips(W, H, v);
    scene.Rasterise(W, H, v);  // sets the projection constants and the sky rows
    for (auto _ : state)
        RasteriseStrips(scene.RendererFor(W, H));
}

// A whole frame in the natural look: its relief, built once for a morning
// sun, its sky and its haze. Arguments as for WholeFrame.
void NaturalWholeFrame(benchmark::State& state)
{
    Scene& scene = TheScene();
    static const auto natural = [&scene] {
        auto relief = std::make_unique<NaturalRelief>(scene.terrain.tileInfo.width, scene.terrain.tileInfo.height);
        relief->Build(scene.terrain.heightGrid.rows(), scene.params.metresPerCell, {{120, 20}, kDefaultSnowLine});
        return relief;
    }();
    const Viewpoint v = ViewOf(state);
    const auto W = int32_t(state.range(0)), H = int32_t(state.range(1));
    Renderer& renderer = scene.RendererFor(W, H);
    renderer.settings.look = Look::Natural;
    renderer.settings.sun = {120, 20};
    for (auto _ : state) {
        BuildViewStrips(
            renderer, W, H, natural->Relief(), natural->Levels(), scene.terrain.heightGrid.rows(), scene.params, v);
        benchmark::DoNotOptimize(
            RasteriseFrame(renderer, natural->Relief(), scene.terrain.heightGrid.rows(), scene.params, v));
    }
    renderer.settings = FrameSettings{};
}

void NaturalFrameArguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"W", "H", "az", "pitch"});
    for (int azimuth : {0, 45, 200})
        for (int pitch : {-5, -30})
            b->Args({1920, 1080, azimuth, pitch});
    b->Unit(benchmark::kMillisecond);
}

void FrameArguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"W", "H", "az", "pitch"});
    for (auto [w, h] : {std::pair{656, 400}, std::pair{1280, 720}, std::pair{1920, 1080}, std::pair{3840, 2160}})
        for (int azimuth : {0, 45, 200})
            for (int pitch : {-5, -30})
                b->Args({w, h, azimuth, pitch});
    b->Unit(benchmark::kMillisecond);
}

void StageArguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"W", "H", "az", "pitch"});
    for (auto [w, h] : {std::pair{656, 400}, std::pair{1920, 1080}})
        for (int azimuth : {0, 45})
            b->Args({w, h, azimuth, -5});
    b->Unit(benchmark::kMillisecond);
}

// The joined set: its own terrain, drawn at the screen's size.
struct JoinedScene {
    std::unique_ptr<Terrain> terrain;
    RenderParams params;
    Viewpoint start;
    TileSet set;
    Bitmap32 frame{1920, 1080};
    Renderer renderer{frame};

    JoinedScene()
    {
        LoadListener quiet;
        if (LoadTileSetInto(JoinedSetFolder() + "/N35E138_dem.tif", false, terrain, params, start, set, quiet) !=
                TileError::None ||
            !set.joined()) {
            std::fprintf(stderr, "cannot join the set in %s\n", JoinedSetFolder().c_str());
            std::exit(1);
        }
    }
};

// Arguments: width, height, azimuth, pitch; the eye a little inside the
// opened tile's south-west corner, where the view crosses into neighbours.
void WholeFrameOfJoinedSet(benchmark::State& state)
{
    static const auto scene = std::make_unique<JoinedScene>();
    Viewpoint v = scene->start;
    v.latitude = 35.05;
    v.longitude = 138.05;
    v.minAltitude = 2500;
    v.azimuth = v.renderAzimuth = double(state.range(2));
    v.pitch = double(state.range(3));
    const auto W = int32_t(state.range(0)), H = int32_t(state.range(1));
    const Terrain& t = *scene->terrain;
    for (auto _ : state) {
        BuildViewStrips(scene->renderer, W, H, t.tileInfo, t.reliefLevels, t.heightGrid.rows(), scene->params, v);
        benchmark::DoNotOptimize(RasteriseFrame(scene->renderer, t.tileInfo, t.heightGrid.rows(), scene->params, v));
    }
}

void JoinedArguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"W", "H", "az", "pitch"});
    for (int azimuth : {200, 225, 45})
        b->Args({1920, 1080, azimuth, -5});
    b->Unit(benchmark::kMillisecond);
}

// The generated alpine tile, loaded once.
struct AlpineScene {
    Terrain terrain;
    RenderParams params;
    Viewpoint start;
    Bitmap32 frame{3840, 2160};
    Renderer renderer{frame};

    AlpineScene()
    {
        LoadListener quiet;
        if (LoadTileInto(AlpineTile(), terrain, params, start, quiet) != TileError::None) {
            std::fprintf(stderr, "cannot load %s\n", AlpineTile().c_str());
            std::exit(1);
        }
    }
};

// Arguments: width, height, pitch, angle of view; the eye 2,500 m up in the
// middle of the tile, looking along the ridges' slopes.
void WholeFrameOfAlpineTile(benchmark::State& state)
{
    static const auto scene = std::make_unique<AlpineScene>();
    Viewpoint v = scene->start;
    v.latitude = 46.5;
    v.longitude = 10.5;
    v.minAltitude = 2500;
    v.azimuth = v.renderAzimuth = 80;
    v.pitch = double(state.range(2));
    v.viewAngle = double(state.range(3));
    const auto W = int32_t(state.range(0)), H = int32_t(state.range(1));
    const Terrain& t = scene->terrain;
    for (auto _ : state) {
        BuildViewStrips(scene->renderer, W, H, t.tileInfo, t.reliefLevels, t.heightGrid.rows(), scene->params, v);
        benchmark::DoNotOptimize(RasteriseFrame(scene->renderer, t.tileInfo, t.heightGrid.rows(), scene->params, v));
    }
}

void AlpineArguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"W", "H", "pitch", "angle"});
    for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}})
        for (int pitch : {-5, -20})
            for (int angle : {40, 50})
                b->Args({w, h, pitch, angle});
    b->Unit(benchmark::kMillisecond);
}

// The 3600 x 600 panorama all round an eye in the opened tile of the joined
// set, as the viewer's panorama window and vantorel-render draw it (labels
// aside).
void PanoramaOfJoinedSet(benchmark::State& state)
{
    static const auto scene = std::make_unique<JoinedScene>();
    const Terrain& t = *scene->terrain;
    PanoramaRequest request{0, 360, scene->start};
    request.eye.latitude = 35.36;
    request.eye.longitude = 138.73;
    request.eye.pitch = 0;
    request.eye.viewAngle = 0;
    const PanoramaScene panoramaScene{t.tileInfo, t.reliefLevels, t.heightGrid.rows(), scene->params};
    Bitmap32 picture(3600, 600);
    std::vector<PanoramaTop> seen;
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderPanorama(picture, panoramaScene, request, FrameSettings{}, {}, seen));
}

}  // namespace

BENCHMARK(PanoramaOfJoinedSet)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeFrameOfAlpineTile)->Apply(AlpineArguments);
BENCHMARK(WholeFrame)->Apply(FrameArguments);
BENCHMARK(NaturalWholeFrame)->Apply(NaturalFrameArguments);
BENCHMARK(WholeFrameOfJoinedSet)->Apply(JoinedArguments);
BENCHMARK(ViewStripsStage)->Apply(StageArguments);
BENCHMARK(RasteriseFrameStage)->Apply(StageArguments);
BENCHMARK(StripRasteriserStage)->Apply(StageArguments);
