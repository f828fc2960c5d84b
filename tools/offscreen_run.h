// Runs the animation off-screen for the render tool and the benchmark through the saver's own
// start, step and stop (StartAnimation, StepAnimation, StopAnimation), targeting a memory device
// context of W x H, with the given settings and seed in place of the settings file and the clock.
// Starting resets the headless platform and the animation, so one run owns the process at a time.
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "settings/settings_store.h"

struct OffscreenRun {
    HDC target;
    HBITMAP previous_bitmap;
    int width;
    int height;
};

// False when the target cannot be made (a size of 0 or too many pixels).
bool StartOffscreenRun(const SaverSettings &settings, int width, int height, uint32_t seed,
                       OffscreenRun *run);
// One tick of the saver.
void TickOffscreenRun(const OffscreenRun &run);
// The surface as row-major 0x00BBGGRR pixels, width x height of them.
const uint32_t *OffscreenPixels(const OffscreenRun &run);
void StopOffscreenRun(OffscreenRun *run);
