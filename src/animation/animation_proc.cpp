#include "animation/animation_proc.h"

#include "animation/changed_area.h"
#include "animation/figures.h"
#include "animation/render.h"
#include "host/default_proc.h"
#include "settings/settings_store.h"

// Blacks out the W x H area from the top-left corner of dc.
static void PaintBlack(HDC dc) {
    BitBlt(dc, 0, 0, animation_state.surface_width, animation_state.surface_height, nullptr, 0, 0,
           BLACKNESS);
}

// Whole seconds since 1970 modulo 2^32, from the platform's 64-bit clock: the C runtime's time()
// is 32 bits wide on the 32-bit build and fails from 2038 on, which would seed every run alike.
static uint32_t CalendarSeed() {
    constexpr uint64_t kSeconds1601To1970 = 11644473600ull;
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const uint64_t intervals = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    return static_cast<uint32_t>(intervals / 10000000 - kSeconds1601To1970);
}

void CreateAnimation(HWND window) {
    LoadSettings();
    char seed[kNumberTextSize];
    const DWORD length = GetEnvironmentVariableA(kSeedVariable, seed, sizeof seed);
    const bool fixed = length > 0 && length < sizeof seed;
    StartAnimation(window, fixed ? static_cast<uint32_t>(ParseDecimal(seed)) : CalendarSeed());
}

void StartAnimation(HWND window, uint32_t seed) {
    AnimationState &s = animation_state;
    // The saver window has no frame, so its outer rectangle is the area drawn in.
    RECT rect = {};
    GetWindowRect(window, &rect);
    s.surface_width = rect.right - rect.left;
    s.surface_height = rect.bottom - rect.top;
    s.window_dc = GetDC(window);
    s.memory_dc = CreateCompatibleDC(s.window_dc);
    HBITMAP surface = CreateCompatibleBitmap(s.window_dc, s.surface_width, s.surface_height);
    s.previous_bitmap = static_cast<HBITMAP>(SelectObject(s.memory_dc, surface));
    // The frames are never cleared as a whole, and a new compatible bitmap's content is not
    // promised to be black on every platform.
    PaintBlack(s.memory_dc);
    SeedRandom(seed);
    InitFigures(saver_settings.figure_count, saver_settings.corner_count,
                saver_settings.trail_length, s.surface_width, s.surface_height);
    GdiFlush();
    char whole[2];
    s.copy_whole_surface = GetEnvironmentVariableA(kWholeCopyVariable, whole, sizeof whole) > 0;
    s.window_stale = true;
    const UINT period = static_cast<UINT>(100 / saver_settings.speed);
    s.timer_id = static_cast<uint32_t>(SetTimer(window, kAnimationTimer, period, nullptr));
}

void AnimationTick(HWND window) {
    AnimationState &s = animation_state;
    RenderFrame(s.memory_dc);
    GdiFlush();
    // The frame is finished before any of it reaches the window, so the window never shows a
    // half-drawn one.
    if (s.copy_whole_surface || s.window_stale) {
        BitBlt(s.window_dc, 0, 0, s.surface_width, s.surface_height, s.memory_dc, 0, 0, SRCCOPY);
        if (!s.copy_whole_surface)
            RememberTrails(s.surface_width, s.surface_height);
        s.window_stale = false;
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
            // Checking for input can run the window's procedure, which may have closed the
            // window and released the surface.
            if (!IsWindow(window))
                return;
        }
        BitBlt(s.window_dc, c.left, c.top, c.right - c.left, c.bottom - c.top, s.memory_dc, c.left,
               c.top, SRCCOPY);
    }
}

void DestroyAnimation(HWND window) {
    AnimationState &s = animation_state;
    if (s.timer_id != 0)
        KillTimer(window, s.timer_id);
    // Putting the old bitmap back hands out the surface, which is destroyed with it.
    DeleteObject(SelectObject(s.memory_dc, s.previous_bitmap));
    DeleteDC(s.memory_dc);
    ReleaseDC(window, s.window_dc);
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
        animation_state.window_stale = true;
        break;
    case WM_TIMER:
        AnimationTick(window);
        break;
    }
    return DefaultSaverProc(window, message, wparam, lparam);
}
