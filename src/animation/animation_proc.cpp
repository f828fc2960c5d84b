#include "animation/animation_proc.h"

#include "animation/changed_area.h"
#include "animation/figures.h"
#include "animation/render.h"
#include "host/default_proc.h"
#include "settings/settings_store.h"

AnimationRun animation_run;

// Blacks out the W x H area from the top-left corner of dc.
static void PaintBlack(HDC dc) {
    BitBlt(dc, 0, 0, animation_state.surface_width, animation_state.surface_height, nullptr, 0, 0,
           BLACKNESS);
}

// Whole seconds since 1970 modulo 2^32, from the platform's 64-bit clock: the C runtime's time()
// is 32 bits wide on the 32-bit build and fails from 2038 on, which would seed every run alike.
uint32_t CalendarSeed() {
    constexpr uint64_t kSeconds1601To1970 = 11644473600ull;
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const uint64_t intervals = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    return static_cast<uint32_t>(intervals / 10000000 - kSeconds1601To1970);
}

UINT AnimationTimerPeriod(int32_t speed) {
    return static_cast<UINT>(100 / speed);
}

#ifdef FRELLIS_MEASUREMENT
// The measurement build (scripts/wine-frame-rate.sh) reads two variables when the window is
// created, so that runs measured one after the other draw the same figures and can copy the whole
// surface every tick, the way earlier builds did. The shipped saver reads none.
static uint32_t CreationSeed() {
    char seed[kNumberTextSize];
    const DWORD length = GetEnvironmentVariableA("FRELLIS_SEED", seed, sizeof seed);
    if (length > 0 && length < sizeof seed)
        return static_cast<uint32_t>(ParseDecimal(seed));
    return CalendarSeed();
}

static bool WholeCopyAsked() {
    char whole[2];
    return GetEnvironmentVariableA("FRELLIS_WHOLE_COPY", whole, sizeof whole) > 0;
}
#else
static uint32_t CreationSeed() {
    return CalendarSeed();
}

static bool WholeCopyAsked() {
    return false;
}
#endif

void StartAnimation(HDC target, int32_t width, int32_t height, uint32_t seed) {
    AnimationRun &s = animation_run;
    animation_state.surface_width = width;
    animation_state.surface_height = height;
    s.target_dc = target;
    s.memory_dc = CreateCompatibleDC(target);
    HBITMAP surface = CreateCompatibleBitmap(target, width, height);
    s.previous_bitmap = static_cast<HBITMAP>(SelectObject(s.memory_dc, surface));
    // The frames are never cleared as a whole, and a new compatible bitmap's content is not
    // promised to be black on every platform.
    PaintBlack(s.memory_dc);
    SeedRandom(seed);
    InitFigures(saver_settings.figure_count, saver_settings.corner_count,
                saver_settings.trail_length, width, height);
    GdiFlush();
    s.copy_whole_surface = false;
    s.target_stale = true;
    s.running = true;
}

void StepAnimation() {
    AnimationRun &s = animation_run;
    RenderFrame(s.memory_dc);
    GdiFlush();
    // The frame is finished before any of it reaches the target, so the target never shows a
    // half-drawn one.
    const uint32_t now = GetTickCount();
    const int32_t width = animation_state.surface_width, height = animation_state.surface_height;
    if (s.copy_whole_surface || s.target_stale || now - s.whole_copy_tick >= kWholeCopyPeriodMs) {
        BitBlt(s.target_dc, 0, 0, width, height, s.memory_dc, 0, 0, SRCCOPY);
        if (!s.copy_whole_surface)
            RememberTrails(width, height);
        s.target_stale = false;
        s.whole_copy_tick = now;
        return;
    }
    MarkTick();
    RECT rects[kMaxChangedRects];
    const int count = ChangedRects(rects);
    if (count == 0)
        return;
    RECT pending = rects[0];
    for (int r = 0; r < count; ++r) {
        const RECT &c = rects[r];
        if (r > 0 && HandOverBefore(&pending, c)) {
            // Wine hands a window's drawing to the display as one rectangle around all of it,
            // when the thread next checks for input: blocks far apart would bring everything
            // between them along. Reading the input state hands the blocks so far over, and
            // costs about half what a look at the message queue does (no round trip to Wine's
            // server); blocks close together share one hand-over.
            GetAsyncKeyState(VK_SHIFT);
            // Should checking for input ever run the window's procedure, it may have closed the
            // window and stopped the animation.
            if (!s.running)
                return;
        }
        BitBlt(s.target_dc, c.left, c.top, c.right - c.left, c.bottom - c.top, s.memory_dc, c.left,
               c.top, SRCCOPY);
    }
}

void StopAnimation() {
    AnimationRun &s = animation_run;
    // Putting the old bitmap back hands out the surface, which is destroyed with it.
    DeleteObject(SelectObject(s.memory_dc, s.previous_bitmap));
    DeleteDC(s.memory_dc);
    s.running = false;
}

static void CreateAnimation(HWND window) {
    LoadSettings();
    const uint32_t seed = CreationSeed();
    // The saver window has no frame, so its outer rectangle is the area drawn in.
    RECT rect = {};
    GetWindowRect(window, &rect);
    StartAnimation(GetDC(window), rect.right - rect.left, rect.bottom - rect.top, seed);
    animation_run.copy_whole_surface = WholeCopyAsked();
    animation_run.timer_id = static_cast<uint32_t>(
        SetTimer(window, kAnimationTimer, AnimationTimerPeriod(saver_settings.speed), nullptr));
}

static void AnimationTick(HWND) {
    StepAnimation();
}

static void DestroyAnimation(HWND window) {
    if (animation_run.timer_id != 0)
        KillTimer(window, animation_run.timer_id);
    StopAnimation();
    ReleaseDC(window, animation_run.target_dc);
}

LRESULT AnimationProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        CreateAnimation(window);
        break;
    case WM_DESTROY:
        DestroyAnimation(window);
        break;
    case WM_ERASEBKGND:
        // The figures stay in the surface; the next tick copies all of it back.
        PaintBlack(reinterpret_cast<HDC>(wparam));
        animation_run.target_stale = true;
        break;
    case WM_TIMER:
        AnimationTick(window);
        break;
    }
    return DefaultSaverProc(window, message, wparam, lparam);
}

void ResetAnimation() {
    animation_run = AnimationRun();
    ResetFigures();
}
