// Runs the animation off-screen for the render tool and the benchmark, the way the saver's window
// creation and timer ticks do: the settings go into saver_settings, W and H into animation_state,
// the figures are seeded and placed, and every tick renders into a black memory-DC surface.
// Starting resets the headless platform and the animation, so one run owns the process at a time.
#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "settings/settings_store.h"

struct OffscreenRun {
    HDC memory_dc;
    HBITMAP bitmap;
    HGDIOBJ previous_bitmap;
    int width;
    int height;
};

// False when the surface cannot be made (a size of 0 or too many pixels).
bool StartOffscreenRun(const SaverSettings &settings, int width, int height, uint32_t seed,
                       OffscreenRun *run);
// One timer tick: RenderFrame, then GdiFlush, as the saver's tick does before its block copy.
void TickOffscreenRun(const OffscreenRun &run);
// The surface as row-major 0x00BBGGRR pixels, width x height of them.
const uint32_t *OffscreenPixels(const OffscreenRun &run);
void StopOffscreenRun(OffscreenRun *run);
