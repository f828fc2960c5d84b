// The saver window on the real window system: RunSaverWindow's class, window and loop, and what
// SaverWindowProc finishes itself or forwards in each kind of run. Every run is driven from
// inside its own loop (script_timer.h) and ended by destroying its window, or its host's.
#include <string>
#include <vector>

#include "animation/animation_proc.h"
#include "animation/figures.h"
#include "host/password.h"
#include "host/saver_window.h"
#include "wine/script_timer.h"
#include "wine/window_pixels.h"
#include "wine/wine_fixture.h"

// After the platform header, which brings in what it builds on.
#include <imm.h>

namespace {

using wine_test::AnimationSurface;
using wine_test::PumpMessages;
using wine_test::RunScripted;
using wine_test::Step;

constexpr char kSaverClass[] = "WindowsScreenSaverClass";
constexpr RECT kHostRect = {100, 80, 420, 320};

// The display settings' window that a preview is shown in; it keeps what reaches it.
std::vector<MSG> host_messages;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU)
        host_messages.push_back(MSG{window, message, wparam, lparam, 0, {}});
    return DefWindowProcA(window, message, wparam, lparam);
}

std::string Title(HWND window) {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class SaverWindow : public wine_test::WineTest {
  protected:
    void SetUp() override {
        WineTest::SetUp();
        host_messages.clear();
        host_ = wine_test::CreatePopup("PreviewHost", HostProc, "Display", kHostRect);
    }

    void TearDown() override {
        DestroyWindow(host_);
        UnregisterClassA("PreviewHost", module_instance);
        WineTest::TearDown();
    }

    void Fresh() {
        TearDown();
        SetUp();
    }

    // How a run is ended from inside: a full-screen saver by destroying its window, a preview by
    // destroying its host, as the display settings do.
    void End(bool preview) { DestroyWindow(preview ? host_ : saver_window); }

    // Runs a preview in host_ or a full-screen saver with the steps inside its loop; the last
    // step ends it.
    int Run(bool preview, std::vector<Step> steps) {
        const Step rescue = [] {
            if (IsWindow(saver_window))
                DestroyWindow(saver_window);
            else
                PostQuitMessage(0);
        };
        HWND parent = preview ? host_ : nullptr;
        return RunScripted(steps, rescue, [parent] { return RunSaverWindow(parent); });
    }

    HWND host_ = nullptr;
};

// The class and the window that each kind of run makes, and its loop ending with the quit code 0
// once the window is gone.
TEST_F(SaverWindow, RunMakesTheWindowAndEndsWithIt) {
    for (bool preview : {false, true}) {
        SCOPED_TRACE(preview ? "preview" : "full screen");
        Fresh();
        HDC screen = GetDC(nullptr);
        RECT expected = {};
        GetClipBox(screen, &expected);
        ReleaseDC(nullptr, screen);
        if (preview) {
            GetClientRect(host_, &expected);
            MapWindowPoints(host_, nullptr, reinterpret_cast<POINT *>(&expected), 2);
        }
        // The cursor is the thread's: an earlier run may have hidden it.
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        HWND window = nullptr;
        const int result =
            Run(preview, {[&] {
                    window = saver_window;
                    WNDCLASSA window_class = {};
                    ASSERT_TRUE(GetClassInfoA(module_instance, kSaverClass, &window_class));
                    EXPECT_EQ(window_class.style, 43u);
                    EXPECT_EQ(window_class.lpfnWndProc, SaverWindowProc);
                    EXPECT_EQ(window_class.hbrBackground, GetStockObject(BLACK_BRUSH));
                    EXPECT_EQ(window_class.hCursor, nullptr);

                    const DWORD style = preview ? 0x52000000 : 0x96000000;
                    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & style, style);
                    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST,
                              preview ? 0 : WS_EX_TOPMOST);
                    EXPECT_EQ(Title(window), preview ? "Preview" : "Screen Saver");
                    EXPECT_EQ(GetParent(window), preview ? host_ : nullptr);
                    RECT rect = {};
                    GetWindowRect(window, &rect);
                    EXPECT_TRUE(EqualRect(&rect, &expected))
                        << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;
                    EXPECT_EQ(animation_state.surface_width, expected.right - expected.left);
                    EXPECT_EQ(animation_state.surface_height, expected.bottom - expected.top);
                    EXPECT_EQ(GetCursor() == nullptr, !preview);
                    End(preview);
                }});
        EXPECT_EQ(result, 0);
        EXPECT_NE(window, nullptr);
        EXPECT_FALSE(IsWindow(window));
    }
}

// A full-screen start while a saver window titled "Screen Saver" exists brings that one to the
// front and ends at once with 0, making nothing.
TEST_F(SaverWindow, SecondFullScreenRunBringsTheFirstToTheFront) {
    HWND first =
        wine_test::CreatePopup(kSaverClass, DefWindowProcA, "Screen Saver", {0, 0, 64, 48});
    HWND other = wine_test::CreatePopup("Other", DefWindowProcA, "Other", {80, 0, 144, 48});
    SetForegroundWindow(other);
    EXPECT_EQ(RunSaverWindow(nullptr), 0);
    EXPECT_EQ(saver_window, nullptr);
    EXPECT_EQ(GetForegroundWindow(), first);
    DestroyWindow(other);
    DestroyWindow(first);
    UnregisterClassA("Other", module_instance);
}

// What the host's procedure finishes itself and what it forwards, by mode. A forwarded tick draws
// a frame; forwarded input closes a full-screen saver; finished messages do neither.
TEST_F(SaverWindow, HostWorkByMode) {
    HCURSOR const arrow = LoadCursorA(nullptr, IDC_ARROW);
    const struct {
        const char *what;
        bool preview;
        bool approved;
        UINT message;
        WPARAM wparam;
        LRESULT result; // -1: whatever the default handling gives
        bool draws;
        bool hides_cursor;
        bool to_host;
        bool closes;
    } rows[] = {
        {"tick", false, false, WM_TIMER, 1, -1, true, false, false, false},
        {"tick in a preview", true, false, WM_TIMER, 1, -1, true, false, false, false},
        {"tick after an approved close", false, true, WM_TIMER, 1, 0, false, false, false, false},
        {"title", false, false, WM_SETTEXT, 0, 0, false, false, false, false},
        {"title in a preview", true, false, WM_SETTEXT, 0, 0, false, false, false, false},
        {"paint", false, false, WM_PAINT, 0, -1, false, true, false, false},
        {"paint in a preview", true, false, WM_PAINT, 0, -1, false, false, false, false},
        {"paint after an approved close", false, true, WM_PAINT, 0, -1, false, false, false, false},
        // Posted on to the host like a context menu, but the window system posts no WM_HELP: its
        // lParam is a pointer. Nothing reaches the host.
        {"help in a preview", true, false, WM_HELP, 0, 1, false, false, false, false},
        {"context menu in a preview", true, false, WM_CONTEXTMENU, 0, 1, false, false, true, false},
        {"context menu in full screen", false, false, WM_CONTEXTMENU, 0, 0, false, false, false,
         false},
        {"key", false, false, WM_KEYDOWN, 'A', -1, false, false, false, true},
        {"key in a preview", true, false, WM_KEYDOWN, 'A', -1, false, false, false, false},
        {"key after an approved close", false, true, WM_KEYDOWN, 'A', -1, false, false, false,
         false},
        {"button after an approved close", false, true, WM_LBUTTONDOWN, 0, -1, false, false, false,
         false},
        {"next window", false, false, WM_SYSCOMMAND, SC_NEXTWINDOW, 0, false, false, false, false},
        {"previous window", false, false, WM_SYSCOMMAND, SC_PREVWINDOW, 0, false, false, false,
         false},
        {"screen saver start", false, false, WM_SYSCOMMAND, SC_SCREENSAVE, 0, false, false, false,
         false},
        {"close command", false, false, WM_SYSCOMMAND, SC_CLOSE, -1, false, false, false, true},
        {"close command in a preview", true, false, WM_SYSCOMMAND, SC_CLOSE, -1, false, false,
         false, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Fresh();
        bool closed = false;
        const int result = Run(row.preview, {[&] {
                                   HWND window = saver_window;
                                   const std::string title = Title(window);
                                   close_approved = row.approved;
                                   SetCursor(arrow);
                                   const std::vector<uint32_t> before = AnimationSurface();
                                   const LPARAM lparam = row.message == WM_SETTEXT
                                                             ? reinterpret_cast<LPARAM>("Other")
                                                             : MAKELPARAM(3, 4);
                                   const LRESULT answer =
                                       SendMessageA(window, row.message, row.wparam, lparam);
                                   if (row.result != -1) {
                                       EXPECT_EQ(answer, row.result);
                                   }
                                   // A close command destroys the window before it returns.
                                   if (IsWindow(window)) {
                                       EXPECT_EQ(Title(window), title);
                                       EXPECT_EQ(AnimationSurface() != before, row.draws);
                                   }
                                   EXPECT_EQ(GetCursor() == nullptr, row.hides_cursor);
                                   PumpMessages();
                                   closed = !IsWindow(window);
                                   close_approved = false;
                                   if (!closed)
                                       End(row.preview);
                               }});
        EXPECT_EQ(result, 0);
        EXPECT_EQ(closed, row.closes);
        ASSERT_EQ(host_messages.size(), row.to_host ? 1u : 0u);
        if (row.to_host) {
            EXPECT_EQ(host_messages[0].message, row.message);
            EXPECT_EQ(host_messages[0].wParam, reinterpret_cast<WPARAM>(host_));
            EXPECT_EQ(host_messages[0].lParam, MAKELPARAM(3, 4));
        }
    }
}

// The input method is detached from the saver window for its life and given back as it goes.
HIMC restored_context = nullptr;
WNDPROC saver_procedure = nullptr;

LRESULT CALLBACK WatchRestore(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = CallWindowProcA(saver_procedure, window, message, wparam, lparam);
    if (message == WM_DESTROY) {
        restored_context = ImmGetContext(window);
        ImmReleaseContext(window, restored_context);
    }
    return result;
}

TEST_F(SaverWindow, InputMethodIsDetachedForTheWindowsLife) {
    HIMC usual = ImmGetContext(host_);
    ImmReleaseContext(host_, usual);
    if (usual == nullptr)
        GTEST_SKIP() << "this system gives windows no input context";
    ASSERT_NE(GetModuleHandleA("IMM32.DLL"), nullptr);
    restored_context = nullptr;
    EXPECT_EQ(Run(false, {[this] {
                      HIMC during = ImmGetContext(saver_window);
                      ImmReleaseContext(saver_window, during);
                      EXPECT_EQ(during, nullptr);
                      saver_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                          saver_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchRestore)));
                      End(false);
                  }}),
              0);
    EXPECT_EQ(restored_context, usual);
}

} // namespace
