// Time per tick of RenderFrame on a headless surface, at the default and the largest settings,
// with the pixels that Polyline painted per tick as a counter.
#include <benchmark/benchmark.h>

#include "animation/changed_area.h"
#include "animation/figures.h"
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

// What the tick adds to find the part of the surface it changed: marking the new copies, joining
// them with the copies remembered, and turning the marks into rectangles. Counters: rectangles per
// tick and the share of the surface they cover.
void BM_ChangedArea(benchmark::State &state) {
    const SaverSettings settings = {static_cast<int32_t>(state.range(0)),
                                    static_cast<int32_t>(state.range(2)),
                                    static_cast<int32_t>(state.range(1)), 10};
    const int width = static_cast<int>(state.range(3)), height = static_cast<int>(state.range(4));
    OffscreenRun run;
    if (!StartOffscreenRun(settings, width, height, 1, &run)) {
        state.SkipWithError("no surface");
        return;
    }
    TickOffscreenRun(run);
    RememberTrails(width, height);
    double rect_count = 0, covered = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TickOffscreenRun(run);
        state.ResumeTiming();
        MarkTick();
        RECT rects[kMaxChangedRects];
        const int count = ChangedRects(rects);
        rect_count += count;
        for (int r = 0; r < count; ++r)
            covered += double(rects[r].right - rects[r].left) * (rects[r].bottom - rects[r].top);
    }
    const double ticks = static_cast<double>(state.iterations());
    state.counters["rects_per_tick"] = rect_count / ticks;
    state.counters["surface_share"] = covered / ticks / (double(width) * height);
    StopOffscreenRun(&run);
}

BENCHMARK(BM_ChangedArea)
    ->ArgNames({"figures", "corners", "trail", "width", "height"})
    ->Args({2, 4, 16, 1920, 1080})
    ->Args({8, 8, 32, 1920, 1080})
    ->Args({2, 4, 16, 3840, 2160})
    ->Args({8, 8, 32, 3840, 2160})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
