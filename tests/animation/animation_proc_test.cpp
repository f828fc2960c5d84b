#include "animation/animation_proc.h"

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

// The seed is the calendar time in whole seconds modulo 2^32, past 2038 and 2106 as well: the
// figures are placed exactly as that seed places them.
TEST_F(AnimationLifecycle, SeedFromTheCalendar) {
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
        ResetHost();
        headless::SetScreenSize(160, 120);
        headless::SetCalendarTime(row.seconds);
        HWND window = Create();
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

} // namespace
