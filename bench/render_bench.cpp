// Time per tick of the saver's own tick on the headless platform, at the default and the largest
// settings, with the pixels that Polyline painted per tick as a counter; and what finding the part
// of the surface a tick changed adds to it.
#include <benchmark/benchmark.h>

#include "animation/animation_proc.h"
#include "animation/changed_area.h"
#include "animation/figures.h"
#include "animation/render.h"
#include "offscreen_run.h"
#include "platform/headless/gdi.h"

namespace {

// Starts a run from the arguments figures, corners, trail, width, height.
bool StartRun(benchmark::State &state, OffscreenRun *run) {
    const SaverSettings settings = {static_cast<int32_t>(state.range(0)),
                                    static_cast<int32_t>(state.range(2)),
                                    static_cast<int32_t>(state.range(1)), 10};
    if (StartOffscreenRun(settings, static_cast<int>(state.range(3)),
                          static_cast<int>(state.range(4)), 1, run))
        return true;
    state.SkipWithError("no surface");
    return false;
}

void BM_RenderFrame(benchmark::State &state) {
    OffscreenRun run;
    if (!StartRun(state, &run))
        return;
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

// Arguments: figures, corners, trail, width, height; the default and the largest settings.
void Settings(benchmark::internal::Benchmark *benchmark) {
    benchmark->ArgNames({"figures", "corners", "trail", "width", "height"})
        ->Args({2, 4, 16, 1920, 1080})
        ->Args({8, 8, 32, 1920, 1080})
        ->Args({2, 4, 16, 3840, 2160})
        ->Args({8, 8, 32, 3840, 2160});
}

BENCHMARK(BM_RenderFrame)->Apply(Settings)->Unit(benchmark::kMillisecond);

// What the tick adds to find the part of the surface it changed: marking the new copies, joining
// them with the copies remembered, and turning the marks into rectangles. Counters per tick: the
// rectangles, their rows, the hand-overs between them, and the shares of the surface that the
// rectangles cover and that the display is handed (the bounds of each group of blocks).
void BM_ChangedArea(benchmark::State &state) {
    OffscreenRun run;
    if (!StartRun(state, &run))
        return;
    TickOffscreenRun(run);
    RememberTrails(run.width, run.height);
    double rect_count = 0, rows = 0, covered = 0, hand_overs = 0, handed = 0;
    const auto area = [](const RECT &r) { return double(r.right - r.left) * (r.bottom - r.top); };
    for (auto _ : state) {
        // The tick's drawing alone: a whole tick would find its changed part itself.
        state.PauseTiming();
        RenderFrame(animation_run.memory_dc);
        state.ResumeTiming();
        MarkTick();
        RECT rects[kMaxChangedRects] = {};
        const int count = ChangedRects(rects);
        rect_count += count;
        RECT pending = rects[0];
        for (int r = 1; r < count; ++r) {
            const RECT group = pending;
            if (HandOverBefore(&pending, rects[r]))
                hand_overs += 1, handed += area(group);
        }
        handed += count > 0 ? area(pending) : 0;
        for (int r = 0; r < count; ++r)
            covered += area(rects[r]), rows += rects[r].bottom - rects[r].top;
    }
    const double ticks = static_cast<double>(state.iterations());
    const double surface = double(run.width) * run.height;
    state.counters["rects_per_tick"] = rect_count / ticks;
    state.counters["rows_per_tick"] = rows / ticks;
    state.counters["hand_overs_per_tick"] = hand_overs / ticks;
    state.counters["surface_share"] = covered / ticks / surface;
    state.counters["handed_share"] = handed / ticks / surface;
    StopOffscreenRun(&run);
}

BENCHMARK(BM_ChangedArea)->Apply(Settings)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
