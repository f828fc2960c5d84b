// The animation's lifecycle: owns animation_run, the target, surface and timer of the running
// animation. StartAnimation, StepAnimation and StopAnimation draw the figures on any target device
// context (the render tool and the benchmark give them a memory one). AnimationProc, the middle of
// the saver window's message chain (README.md, "How it fits together"), runs them on the window.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// The animation's only timer.
constexpr UINT_PTR kAnimationTimer = 1;
// However little a tick changes, the target gets the whole surface at least this often, so that
// pixels it lost without an erase (behind a popup that saved and restored what lay under it, say)
// come back.
constexpr DWORD kWholeCopyPeriodMs = 1000;

// What the running animation holds besides its figures (AnimationState).
struct AnimationRun {
    // Every frame is copied here: the window's device context when the saver runs.
    HDC target_dc;
    // The off-screen surface that frames are drawn into, and the bitmap it held before.
    HDC memory_dc;
    HBITMAP previous_bitmap;
    // What SetTimer returned: 0 when it failed.
    uint32_t timer_id;
    // Every tick copies the whole surface, not only what it changed (the measurement build's).
    bool copy_whole_surface;
    // The target was blacked out or shows nothing yet: the next tick copies the whole surface.
    bool target_stale;
    // GetTickCount at the last copy of the whole surface.
    uint32_t whole_copy_tick;
    // Between StartAnimation and StopAnimation.
    bool running;
};

extern AnimationRun animation_run;

LRESULT AnimationProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The tick timer's period for a speed of 1..20: 100 / speed ms.
UINT AnimationTimerPeriod(int32_t speed);
// The calendar time in whole seconds since 1970, modulo 2^32: the seed of every window's run.
uint32_t CalendarSeed();

// A surface compatible with target, W x H and black, with the figures for saver_settings as they
// are, seeded with seed and placed; nothing is drawn to the target yet.
void StartAnimation(HDC target, int32_t width, int32_t height, uint32_t seed);
// One tick: the frame into the surface, then to the target the whole surface (on the first tick,
// after the target was blacked out, and once every kWholeCopyPeriodMs) or only what it changed.
void StepAnimation();
// Gives back the surface and its device context; the target stays the caller's.
void StopAnimation();

// The figures and the run back to the state of a fresh process.
void ResetAnimation();
