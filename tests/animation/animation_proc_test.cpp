#include "animation/animation_proc.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "animation/changed_area.h"

#include "support/saver_fixture.h"
#include "platform/headless/headless.h"

namespace {

using saver_test::LitScreenPixels;

LRESULT CALLBACK AnimationWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return AnimationProc(window, message, wparam, lparam);
}

// A full-screen window driven by the animation alone (the host's procedure is not involved).
class AnimationLifecycle : public saver_test::SaverTest {
  protected:
    HWND Create() {
        return saver_test::CreateTestWindow("AnimationTestWindow", AnimationWindowProc,
                                            "Screen Saver", headless::ScreenWidth(),
                                            headless::ScreenHeight());
    }
};

TEST_F(AnimationLifecycle, TimerPeriodBySpeed) {
    const struct {
        const char *speed;
        UINT period;
    } rows[] = {
        {"1", 100}, {"2", 50}, {"3", 33},  {"4", 25}, {"5", 20},  {"6", 16}, {"7", 14},
        {"8", 12},  {"9", 11}, {"10", 10}, {"11", 9}, {"12", 8},  {"13", 7}, {"14", 7},
        {"15", 6},  {"16", 6}, {"17", 5},  {"20", 5}, {"0", 100}, {"99", 5},
    };
    for (const auto &row : rows) {
        headless::Reset();
        ResetHost();
        WriteSettings(std::string("[Setting]\nSpeed=") + row.speed + "\n");
        HWND window = Create();
        EXPECT_EQ(headless::TimerRequestedPeriod(window, kAnimationTimer), row.period)
            << "Speed=" << row.speed;
        DestroyWindow(window);
    }
}

// Black until the first tick; every tick, whatever its timer number, shows the figures; an erase
// blacks the window out until the next tick; destruction gives everything back.
TEST_F(AnimationLifecycle, FramesErasesAndTeardown) {
    headless::SetScreenSize(160, 120);
    HWND window = Create();
    EXPECT_EQ(LitScreenPixels(), 0);
    EXPECT_EQ(headless::ActiveTimers(), 1);

    SendMessageA(window, WM_TIMER, 7, 0);
    const int lit = LitScreenPixels();
    EXPECT_GT(lit, 0);

    HDC dc = GetDC(window);
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(window, dc);
    EXPECT_EQ(LitScreenPixels(), 0);
    SendMessageA(window, WM_TIMER, 1, 0);
    EXPECT_GT(LitScreenPixels(), 0);

    DestroyWindow(window);
    EXPECT_EQ(headless::ActiveTimers(), 0);
    EXPECT_EQ(headless::LiveGdiObjects(), 0);
    EXPECT_EQ(headless::LiveDeviceContexts(), 0);
}

// The seed is the calendar time in whole seconds modulo 2^32, past 2038 and 2106 as well, unless
// the environment fixes one for measurement: the figures are placed exactly as that seed places
// them.
TEST_F(AnimationLifecycle, SeedFromTheCalendar) {
    const struct {
        uint64_t seconds;
        const char *fixed;
        uint32_t seed;
    } rows[] = {
        {1, nullptr, 1},
        {0x7FFFFFFFull, nullptr, 0x7FFFFFFFu}, // 2038-01-19 03:14:07
        {0x80000000ull, nullptr, 0x80000000u}, // one second later
        {2208988800ull, nullptr, 2208988800u}, // 2040-01-01
        {0x100000000ull + 5, nullptr, 5},      // 2106, past the unsigned 32-bit range
        {7, "1000", 1000},
        {7, "4294967295", 0xFFFFFFFFu},
        {7, "123456789012", 7}, // too long to be a seed: the calendar's
    };
    for (const auto &row : rows) {
        headless::Reset();
        ResetHost();
        headless::SetScreenSize(160, 120);
        headless::SetCalendarTime(row.seconds);
        if (row.fixed)
            setenv(kSeedVariable, row.fixed, 1);
        HWND window = Create();
        unsetenv(kSeedVariable);
        const uint32_t drawn = animation_state.random_state;
        DestroyWindow(window);
        SeedRandom(row.seed);
        InitFigures(saver_settings.figure_count, saver_settings.corner_count,
                    saver_settings.trail_length, 160, 120);
        EXPECT_EQ(drawn, animation_state.random_state) << row.seconds << " s since 1970";
    }
}

// After a failed SetTimer (timer_id 0) destruction makes no KillTimer call: another timer the
// window happens to hold under number 0 keeps running. SetTimer fails for a window that is gone,
// and nothing leaks then either.
TEST_F(AnimationLifecycle, FailedTimer) {
    HWND window = Create();
    SetTimer(window, 0, 1000, nullptr);
    animation_state.timer_id = 0;
    DestroyAnimation(window);
    EXPECT_EQ(headless::ActiveTimers(), 2);
    DestroyWindow(window);

    CreateAnimation(window);
    EXPECT_EQ(animation_state.timer_id, 0u);
    DestroyAnimation(window);
    EXPECT_EQ(headless::ActiveTimers(), 0);
    EXPECT_EQ(headless::LiveGdiObjects(), 0);
    EXPECT_EQ(headless::LiveDeviceContexts(), 0);
}

// Whether a tick copies all of the surface or only what it changed, the window shows the surface
// after every tick, also after an erase in the middle; and the changed part is less than all.
TEST_F(AnimationLifecycle, WindowShowsTheSurfaceAfterEveryTick) {
    const struct {
        const char *settings; // Polygon, Point, Line
        int width, height;
        uint32_t seed;
        int ticks;
        bool whole;
    } rows[] = {
        {"2,4,16", 320, 200, 1, 120, false},
        {"8,8,32", 200, 150, 7, 80, false},
        {"1,2,1", 640, 480, 3, 200, false},   // one segment drawn twice: narrow cells
        {"3,3,5", 40, 30, 12345, 150, false}, // smaller than a cell
        {"1,5,3", 1, 1, 5, 20, false},
        {"2,4,16", 2100, 90, 9, 40, false}, // wider than the grid at its smallest cells
        {"2,4,16", 1280, 720, 11, 60, false},
        {"3,3,5", 1024, 768, 99, 100, false},
        {"2,4,16", 320, 200, 1, 60, true},
    };
    for (const auto &row : rows) {
        headless::Reset();
        ResetHost();
        ResetAnimation();
        int n = 0, k = 0, L = 0;
        std::sscanf(row.settings, "%d,%d,%d", &n, &k, &L);
        WriteSettings("[Setting]\nPolygon=" + std::to_string(n) + "\nPoint=" + std::to_string(k) +
                      "\nLine=" + std::to_string(L) + "\n");
        headless::SetScreenSize(row.width, row.height);
        if (row.whole)
            setenv(kWholeCopyVariable, "1", 1);
        HWND window = Create();
        unsetenv(kWholeCopyVariable);
        SeedRandom(row.seed);
        InitFigures(n, k, L, row.width, row.height);
        // Whatever the window showed before the first tick goes, with or without an erase.
        HDC dc = GetDC(window);
        BitBlt(dc, 0, 0, row.width, row.height, nullptr, 0, 0, WHITENESS);
        ReleaseDC(window, dc);
        int64_t copied = 0;
        HDC screen = GetDC(nullptr);
        for (int tick = 0; tick < row.ticks; ++tick) {
            if (tick == row.ticks / 2) {
                HDC dc = GetDC(window);
                SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
                ReleaseDC(window, dc);
            }
            SendMessageA(window, WM_TIMER, kAnimationTimer, 0);
            int width = 0, height = 0;
            const uint32_t *shown = headless::SurfacePixels(screen, &width, &height);
            const uint32_t *drawn =
                headless::SurfacePixels(animation_state.memory_dc, &width, &height);
            ASSERT_TRUE(std::equal(shown, shown + width * height, drawn))
                << row.settings << " " << row.width << "x" << row.height << " tick " << tick;
            RECT rects[kMaxChangedRects];
            for (int r = ChangedRects(rects) - 1; r >= 0; --r)
                copied +=
                    int64_t{rects[r].right - rects[r].left} * (rects[r].bottom - rects[r].top);
        }
        ReleaseDC(nullptr, screen);
        if (!row.whole && row.width * row.height >= 640 * 480) {
            EXPECT_LT(copied, int64_t{row.ticks} * row.width * row.height) << row.settings;
        }
        DestroyWindow(window);
    }
}

} // namespace
