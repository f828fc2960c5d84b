#include "offscreen_run.h"

#include "animation/animation_proc.h"
#include "animation/figures.h"
#include "platform/headless/headless.h"

namespace {

// Gives back the target and its bitmap.
void ReleaseTarget(OffscreenRun *run) {
    DeleteObject(SelectObject(run->target, run->previous_bitmap));
    DeleteDC(run->target);
}

} // namespace

bool StartOffscreenRun(const SaverSettings &settings, int width, int height, uint32_t seed,
                       OffscreenRun *run) {
    headless::Reset();
    ResetSettings();
    ResetAnimation();
    saver_settings = settings;
    run->target = CreateCompatibleDC(nullptr);
    run->previous_bitmap = static_cast<HBITMAP>(
        SelectObject(run->target, CreateCompatibleBitmap(run->target, width, height)));
    // A size the platform cannot give a bitmap leaves the 1x1 default one selected.
    int target_width = 0, target_height = 0;
    headless::SurfacePixels(run->target, &target_width, &target_height);
    if (target_width != width || target_height != height) {
        ReleaseTarget(run);
        return false;
    }
    StartAnimation(run->target, width, height, seed);
    run->width = width;
    run->height = height;
    return true;
}

void TickOffscreenRun(const OffscreenRun &) {
    StepAnimation();
}

const uint32_t *OffscreenPixels(const OffscreenRun &) {
    int width, height;
    return headless::SurfacePixels(animation_run.memory_dc, &width, &height);
}

void StopOffscreenRun(OffscreenRun *run) {
    StopAnimation();
    ReleaseTarget(run);
}
