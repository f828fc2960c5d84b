#include "offscreen_run.h"

#include "animation/animation_proc.h"
#include "animation/figures.h"
#include "platform/headless/headless.h"

namespace {

const char kRunClass[] = "FrellisOffscreenRun";

} // namespace

bool StartOffscreenRun(const SaverSettings &settings, int width, int height, uint32_t seed,
                       OffscreenRun *run) {
    headless::Reset();
    ResetSettings();
    ResetAnimation();
    saver_settings = settings;
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = kRunClass;
    RegisterClassA(&window_class);
    run->window = CreateWindowExA(0, kRunClass, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, window_class.hInstance, nullptr);
    if (!run->window)
        return false;
    StartAnimation(run->window, seed);
    // A size the platform cannot give a bitmap leaves the 1x1 default one selected.
    int surface_width = 0, surface_height = 0;
    headless::SurfacePixels(animation_state.memory_dc, &surface_width, &surface_height);
    if (surface_width != width || surface_height != height) {
        StopOffscreenRun(run);
        return false;
    }
    run->width = width;
    run->height = height;
    return true;
}

void TickOffscreenRun(const OffscreenRun &run) {
    AnimationTick(run.window);
}

const uint32_t *OffscreenPixels(const OffscreenRun &) {
    int width, height;
    return headless::SurfacePixels(animation_state.memory_dc, &width, &height);
}

void StopOffscreenRun(OffscreenRun *run) {
    DestroyAnimation(run->window);
    DestroyWindow(run->window);
}
