// The animation's lifecycle on a real window: a borderless window of the test's own whose
// procedure is AnimationProc, as the saver window's is once the host has done its part. Input
// never closes it (preview_mode), so the window system's own messages cannot end a test early.
#include <string>
#include <vector>

#include "animation/animation_proc.h"
#include "animation/figures.h"
#include "host/saver_window.h"
#include "wine/script_timer.h"
#include "wine/window_pixels.h"
#include "wine/wine_fixture.h"

namespace {

using wine_test::AnimationSurface;
using wine_test::LitPixels;
using wine_test::WindowPixels;

constexpr char kClass[] = "AnimationTestWindow";

// Set once the test has torn the animation down itself; the window then gets the default
// handling only, and its own destruction does not tear down twice.
bool torn_down = false;
int late_ticks = 0;

LRESULT CALLBACK AnimationWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!torn_down)
        return AnimationProc(window, message, wparam, lparam);
    if (message == WM_TIMER)
        ++late_ticks;
    return DefWindowProcA(window, message, wparam, lparam);
}

class AnimationWindow : public wine_test::WineTest {
  protected:
    HWND window_ = nullptr;

    void SetUp() override {
        WineTest::SetUp();
        preview_mode = true;
        torn_down = false;
        late_ticks = 0;
        WNDCLASSA window_class = {};
        // The saver's own class takes a device context of its own, which the animation keeps.
        window_class.style = CS_OWNDC;
        window_class.lpfnWndProc = AnimationWindowProc;
        window_class.hInstance = module_instance;
        window_class.lpszClassName = kClass;
        RegisterClassA(&window_class);
    }

    void TearDown() override {
        // A row that failed half-way must not leave its window ticking into the next test.
        if (IsWindow(window_))
            DestroyWindow(window_);
        UnregisterClassA(kClass, module_instance);
        WineTest::TearDown();
    }

    HWND Create(int width, int height) {
        window_ = CreateWindowExA(WS_EX_TOPMOST, kClass, "Animation", WS_POPUP | WS_VISIBLE, 0, 0,
                                  width, height, nullptr, nullptr, module_instance, nullptr);
        // The first paint and its erase come now, before any tick.
        UpdateWindow(window_);
        return window_;
    }

    static void Erase(HWND window) {
        HDC dc = GetDC(window);
        SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        ReleaseDC(window, dc);
    }
};

// Black until the first tick; after every tick, whatever its timer number, the window shows
// exactly the off-screen surface, also when an erase in the middle blacked it out. A tick may
// rightly show nothing (a figure whose corners all meet draws no pixel), so drawing is asked of
// most ticks, not of each.
TEST_F(AnimationWindow, ShowsTheSurfaceAfterEveryTick) {
    const struct {
        const char *settings;
        int width, height;
        int ticks;
    } rows[] = {
        {"", 160, 120, 40},
        {"Polygon=8\r\nPoint=8\r\nLine=32\r\n", 200, 150, 30},
        {"Polygon=1\r\nPoint=2\r\nLine=1\r\n", 240, 60, 60},
        {"Polygon=3\r\nPoint=3\r\nLine=5\r\n", 40, 30, 40},
        {"Polygon=1\r\nPoint=5\r\nLine=3\r\n", 1, 1, 5},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.settings) + " " + std::to_string(row.width) + "x" +
                     std::to_string(row.height));
        wine_test::WriteSettingsFile(std::string("[Setting]\r\n") + row.settings);
        HWND window = Create(row.width, row.height);
        ASSERT_EQ(animation_state.surface_width, row.width);
        ASSERT_EQ(animation_state.surface_height, row.height);
        EXPECT_EQ(LitPixels(WindowPixels(window, row.width, row.height)), 0u);
        int lit_ticks = 0;
        for (int tick = 0; tick < row.ticks; ++tick) {
            if (tick == row.ticks / 2) {
                const std::vector<uint32_t> drawn = AnimationSurface();
                Erase(window);
                EXPECT_EQ(LitPixels(WindowPixels(window, row.width, row.height)), 0u);
                EXPECT_EQ(AnimationSurface(), drawn) << "the erase leaves the surface alone";
            }
            SendMessageA(window, WM_TIMER, tick % 2 == 0 ? kAnimationTimer : 7, 0);
            const std::vector<uint32_t> shown = WindowPixels(window, row.width, row.height);
            ASSERT_EQ(shown, AnimationSurface()) << "tick " << tick;
            lit_ticks += LitPixels(shown) > 0;
        }
        if (row.width * row.height > 1) {
            EXPECT_GT(lit_ticks, row.ticks / 2);
        }
        DestroyWindow(window);
    }
}

// The timer drives the ticks by itself; tearing down stops it and gives back the surface and its
// device context. (Wine does not count a process's GDI objects, so a leak elsewhere, of a pen,
// is not seen here.)
TEST_F(AnimationWindow, TeardownStopsTheTimerAndGivesEverythingBack) {
    wine_test::WriteSettingsFile("[Setting]\r\nSpeed=20\r\n");
    HWND window = Create(120, 90);
    wine_test::PumpMessagesFor(300);
    EXPECT_GT(LitPixels(WindowPixels(window, 120, 90)), 0u) << "the timer's ticks drew";
    HDC memory_dc = animation_run.memory_dc;
    HGDIOBJ surface = GetCurrentObject(memory_dc, OBJ_BITMAP);
    ASSERT_EQ(GetObjectType(surface), static_cast<DWORD>(OBJ_BITMAP));

    AnimationProc(window, WM_DESTROY, 0, 0);
    torn_down = true;
    EXPECT_EQ(GetObjectType(memory_dc), 0u);
    EXPECT_EQ(GetObjectType(surface), 0u);
    wine_test::PumpMessagesFor(100);
    EXPECT_EQ(late_ticks, 0);
    DestroyWindow(window);
}

} // namespace
