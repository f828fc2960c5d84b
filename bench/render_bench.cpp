// Time per tick of the saver's own tick on the headless platform, at the default and the largest
// settings, with the pixels that Polyline painted per tick as a counter.
#include <benchmark/benchmark.h>

#include "offscreen_run.h"
#include "platform/headless/gdi.h"

namespace {

void BM_RenderFrame(benchmark::State &state) {
    const SaverSettings settings = {static_cast<int32_t>(state.range(0)),
                                    static_cast<int32_t>(state.range(2)),
                                    static_cast<int32_t>(state.range(1)), 10};
    OffscreenRun run;
    if (!StartOffscreenRun(settings, static_cast<int>(state.range(3)),
                           static_cast<int>(state.range(4)), 1, &run)) {
        state.SkipWithError("no surface");
        return;
    }
    // Let every trail fill and the figures spread before measuring.
    for (int tick = 0; tick < 64; ++tick)
        TickOffscreenRun(run);
    const uint64_t painted_before = headless::PixelsPainted();
    for (auto _ : state)
        TickOffscreenRun(run);
    state.counters["pixels_per_tick"] =
        benchmark::Counter(static_cast<double>(headless::PixelsPainted() - painted_before) /
                           static_cast<double>(state.iterations()));
    StopOffscreenRun(&run);
}

// Arguments: figures, corners, trail, width, height.
BENCHMARK(BM_RenderFrame)
    ->ArgNames({"figures", "corners", "trail", "width", "height"})
    ->Args({2, 4, 16, 1920, 1080})
    ->Args({8, 8, 32, 1920, 1080})
    ->Args({2, 4, 16, 3840, 2160})
    ->Args({8, 8, 32, 3840, 2160})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
