// The demo flight in the real main window filling a 1920 x 1080 screen, on
// the offscreen platform: each iteration is one tick of the demo timer, the
// frame drawn, presented to the window and the map repainted, as on screen.
// items_per_second is the rate the viewer would show without its 10 ms timer;
// an X server's own copy of each frame to the display is not in it.

#include <benchmark/benchmark.h>

#include <limits>

#include <QApplication>
#include <QTemporaryFile>
#include <QTest>

#include "app/loadingwindow.h"
#include "app/mainwindow.h"

namespace {

// The offscreen platform's one screen, the size of a full-HD display.
constexpr QSize kScreen{1920, 1080};

MainWindow& DemoWindow()
{
    static LoadingWindow loadingWindow;
    // VANTOREL_BENCH_TILE names another tile, such as a rugged one.
    static MainWindow window(loadingWindow,
        {qEnvironmentVariableIsSet("VANTOREL_BENCH_TILE") ? qgetenv("VANTOREL_BENCH_TILE") : VANTOREL_SAMPLE_TILE});
    static const bool shown = [] {
        window.showMaximized();
        window.resize(kScreen);
        if (!QTest::qWaitFor([] { return window.Model().params.columns != 0; }, 30000))
            std::abort();  // the sample tile did not load
        return true;
    }();
    (void)shown;
    return window;
}

// Arg 0: the start view's pitch; any other: that pitch, in degrees (-5 looks
// out to the horizon, the costliest view).
void BM_DemoFrame(benchmark::State& state)
{
    MainWindow& window = DemoWindow();
    if (state.range(0) != 0)
        window.Model().eye.pitch = double(state.range(0));
    // The demo as the button starts it, its clock running but never due:
    // each iteration is one of its ticks.
    if (!window.DemoFlying())
        window.DemoClick(nullptr);
    window.DemoTimer().setInterval(std::numeric_limits<int>::max());
    for (auto _ : state) {
        window.DemoTick();
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["width"] = window.Form().view3d->width();
    state.counters["height"] = window.Form().view3d->height();
    state.counters["pitch"] = window.Model().eye.pitch;
}
BENCHMARK(BM_DemoFrame)->Arg(0)->Arg(-5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryFile screens;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty() && screens.open()) {
        screens.write(QStringLiteral(R"({"screens": [{"name": "demo", "x": 0, "y": 0, "width": %1, "height": %2,
            "logicalDpiX": 96, "logicalDpiY": 96}]})")
                          .arg(kScreen.width())
                          .arg(kScreen.height())
                          .toUtf8());
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
