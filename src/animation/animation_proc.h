// The animation's message procedure: owns the platform fields of AnimationState (window_dc,
// memory_dc, previous_bitmap, timer_id). SaverWindowProc forwards every message it does not
// finish; creation sets the surface and timer up, each WM_TIMER draws one frame, destruction
// gives everything back. Every message ends in DefaultSaverProc, whose result is returned.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// The animation's only timer.
constexpr UINT_PTR kAnimationTimer = 1;
// Set (to anything) when the window is created, every tick copies the whole surface to the
// window rather than only the part it changed: the old way, kept for measurement.
constexpr const char *kWholeCopyVariable = "FRELLIS_WHOLE_COPY";
// Set to a decimal number when the window is created, it seeds the figures in place of the
// calendar clock, so that runs measured one after the other draw the same figures.
constexpr const char *kSeedVariable = "FRELLIS_SEED";

LRESULT AnimationProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void CreateAnimation(HWND window);
// Creation after its inputs: the surface, the figures and the timer for saver_settings as they
// are, seeded with seed. The render tool and the benchmark start their runs here.
void StartAnimation(HWND window, uint32_t seed);
void AnimationTick(HWND window);
void DestroyAnimation(HWND window);
