#include "animation/animation_proc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "animation/figures.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

TEST(AnimationTimerPeriod, OneHundredMillisecondsDividedBySpeed) {
    const UINT periods[] = {100, 50, 33, 25, 20, 16, 14, 12, 11, 10, 9, 8, 7, 7, 6, 6, 5, 5, 5, 5};
    for (int32_t speed = 1; speed <= 20; ++speed)
        EXPECT_EQ(AnimationTimerPeriod(speed), periods[speed - 1]) << "speed " << speed;
}

// Past 2038 and 2106 as well.
TEST(CalendarSeed, WholeSecondsSince1970Modulo2To32) {
    const struct {
        uint64_t seconds;
        uint32_t seed;
    } rows[] = {
        {1, 1},
        {0x7FFFFFFFull, 0x7FFFFFFFu}, // 2038-01-19 03:14:07
        {0x80000000ull, 0x80000000u}, // one second later
        {2208988800ull, 2208988800u}, // 2040-01-01
        {0x100000000ull + 5, 5},      // 2106, past the unsigned 32-bit range
    };
    for (const auto &row : rows) {
        headless::Reset();
        headless::SetCalendarTime(row.seconds);
        EXPECT_EQ(CalendarSeed(), row.seed) << row.seconds << " s since 1970";
    }
}

// The animation on a memory device context of W x H standing in for a window's, which starts
// out white: whatever it showed before the first tick must go.
class AnimationCore : public ::testing::Test {
  protected:
    void Start(const char *settings, int width, int height, uint32_t seed) {
        headless::Reset();
        ResetSettings();
        ResetAnimation();
        std::sscanf(settings, "%d,%d,%d", &saver_settings.figure_count,
                    &saver_settings.corner_count, &saver_settings.trail_length);
        target_ = CreateCompatibleDC(nullptr);
        previous_ = static_cast<HBITMAP>(
            SelectObject(target_, CreateCompatibleBitmap(target_, width, height)));
        BitBlt(target_, 0, 0, width, height, nullptr, 0, 0, WHITENESS);
        objects_before_ = headless::LiveGdiObjects();
        now_ = 0;
        headless::SetTickCount(now_);
        StartAnimation(target_, width, height, seed);
    }

    // One tick, period_ms after the last.
    void Tick(DWORD period_ms = 10) {
        headless::SetTickCount(now_ += period_ms);
        StepAnimation();
    }

    std::vector<uint32_t> Pixels(HDC dc) {
        int width = 0, height = 0;
        const uint32_t *pixels = headless::SurfacePixels(dc, &width, &height);
        return std::vector<uint32_t>(pixels, pixels + width * height);
    }

    bool TargetShowsSurface() { return Pixels(target_) == Pixels(animation_run.memory_dc); }

    void Stop() {
        StopAnimation();
        EXPECT_EQ(headless::LiveGdiObjects(), objects_before_);
        DeleteObject(SelectObject(target_, previous_));
        DeleteDC(target_);
    }

    HDC target_ = nullptr;
    HBITMAP previous_ = nullptr;
    int objects_before_ = 0;
    DWORD now_ = 0;
};

// Whether a tick copies all of the surface or only what it changed, the target shows the surface
// after every tick; the first tick shows every figure; stopping gives back all the animation took.
TEST_F(AnimationCore, TargetShowsTheSurfaceAfterEveryTick) {
    const struct {
        const char *settings; // figures, corners, trail
        int width, height;
        uint32_t seed;
        int ticks;
    } rows[] = {
        {"2,4,16", 320, 200, 1, 120},
        {"8,8,32", 200, 150, 7, 80},
        {"1,2,1", 640, 480, 3, 200},   // one segment drawn twice: narrow cells
        {"3,3,5", 40, 30, 12345, 150}, // smaller than a cell
        {"1,5,3", 1, 1, 5, 20},
        {"2,4,16", 2100, 90, 9, 40}, // wider than the grid at its smallest cells
        {"2,4,16", 1280, 720, 11, 60},
        {"3,3,5", 1024, 768, 99, 100},
        // One segment on a wide surface: every copy dimmed since the last whole copy reaches it.
        {"1,2,32", 1280, 720, 5, 30},
    };
    for (const auto &row : rows) {
        Start(row.settings, row.width, row.height, row.seed);
        for (int tick = 0; tick < row.ticks; ++tick) {
            Tick();
            ASSERT_TRUE(TargetShowsSurface())
                << row.settings << " " << row.width << "x" << row.height << " tick " << tick;
            if (tick > 0 || row.width == 1)
                continue;
            // Each figure's newest copy starts at its corner 0, in colour, over all before it (on
            // a single pixel every segment is empty).
            const int newest = saver_settings.trail_length - 1;
            for (int f = 0; f < saver_settings.figure_count; ++f) {
                const CornerPos p = animation_state.corner_pos[f][newest][0];
                if (p.x < 0 || p.x >= row.width || p.y < 0 || p.y >= row.height)
                    continue; // just bounced off an edge
                EXPECT_NE(Pixels(target_)[p.y * row.width + p.x], 0u) << row.settings << " " << f;
            }
        }
        Stop();
    }
}

TEST_F(AnimationCore, TheSeedGivesTheSameFrames) {
    std::vector<uint32_t> frames[3];
    const uint32_t seeds[] = {42, 42, 43};
    for (int run = 0; run < 3; ++run) {
        Start("2,4,16", 160, 120, seeds[run]);
        for (int tick = 0; tick < 30; ++tick)
            Tick();
        frames[run] = Pixels(target_);
        Stop();
    }
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_NE(frames[0], frames[2]);
}

// Pixels the target loses without being blacked out through the animation (a popup that restored
// what it saved from under it earlier) are back within a second, at any tick period, and not
// before: a tick alone copies only what it changed, in the first second and every later one.
TEST_F(AnimationCore, TheTargetHealsWithinASecond) {
    const DWORD periods[] = {5, 10, 33, 100};
    for (const DWORD period : periods) {
        Start("1,3,2", 1280, 720, 7);
        Tick(period);
        for (int second = 1; second <= 2; ++second) {
            // Right after a whole copy: the longest wait for the next.
            BitBlt(target_, 0, 0, 1280, 720, nullptr, 0, 0, WHITENESS);
            Tick(period);
            EXPECT_FALSE(TargetShowsSurface()) << period << " ms, second " << second;
            for (DWORD waited = period; waited < 1000; waited += period)
                Tick(period);
            EXPECT_TRUE(TargetShowsSurface()) << period << " ms, second " << second;
        }
        Stop();
    }
}

// The window layer, over the platform's recorded calls: the surface takes the window's size, the
// timer runs at the speed's period, a timer message ticks whatever its number, and destruction
// stops only a timer that started and gives back the window's context and everything made.
TEST(AnimationWindowLayer, CreationTickAndTeardown) {
    const HWND window = reinterpret_cast<HWND>(uintptr_t{0x40});
    for (const UINT_PTR timer : {UINT_PTR{1}, UINT_PTR{0}}) {
        headless::Reset();
        ResetSettings();
        ResetAnimation();
        headless::SetAnswer("GetWindowRect", TRUE, RECT{10, 20, 330, 220});
        headless::SetAnswer("SetTimer", static_cast<intptr_t>(timer));
        AnimationProc(window, WM_CREATE, 0, 0);
        EXPECT_EQ(animation_state.surface_width, 320);
        EXPECT_EQ(animation_state.surface_height, 200);
        EXPECT_EQ(headless::CallsTo("SetTimer"),
                  std::vector<std::string>{headless::CallText("SetTimer", window, 1, 10, 0)});
        int width = 0, height = 0;
        const uint32_t *pixels = headless::SurfacePixels(animation_run.memory_dc, &width, &height);
        AnimationProc(window, WM_TIMER, 7, 0);
        EXPECT_TRUE(std::any_of(pixels, pixels + width * height, [](uint32_t p) { return p != 0; }))
            << "timer " << timer;
        AnimationProc(window, WM_DESTROY, 0, 0);
        EXPECT_EQ(headless::CallsTo("KillTimer").size(), timer != 0 ? 1u : 0u) << "timer " << timer;
        EXPECT_EQ(headless::LiveGdiObjects(), 0);
        EXPECT_EQ(headless::LiveDeviceContexts(), 0);
    }
}

} // namespace
