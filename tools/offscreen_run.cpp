#include "offscreen_run.h"

#include "animation/figures.h"
#include "animation/render.h"
#include "platform/headless/headless.h"

bool StartOffscreenRun(const SaverSettings &settings, int width, int height, uint32_t seed,
                       OffscreenRun *run) {
    headless::Reset();
    ResetSettings();
    ResetAnimation();
    saver_settings = settings;
    animation_state.surface_width = width;
    animation_state.surface_height = height;

    HDC screen = GetDC(nullptr);
    run->memory_dc = CreateCompatibleDC(screen);
    run->bitmap = width > 0 && height > 0 ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!run->bitmap) {
        DeleteDC(run->memory_dc);
        return false;
    }
    run->previous_bitmap = SelectObject(run->memory_dc, run->bitmap);
    run->width = width;
    run->height = height;

    SeedRandom(seed);
    InitFigures(settings.figure_count, settings.corner_count, settings.trail_length, width, height);
    return true;
}

void TickOffscreenRun(const OffscreenRun &run) {
    RenderFrame(run.memory_dc);
    GdiFlush();
}

const uint32_t *OffscreenPixels(const OffscreenRun &run) {
    int width, height;
    return headless::SurfacePixels(run.memory_dc, &width, &height);
}

void StopOffscreenRun(OffscreenRun *run) {
    DeleteObject(SelectObject(run->memory_dc, run->previous_bitmap));
    DeleteDC(run->memory_dc);
}
