#include "host/saver_window.h"

#include "host/default_proc.h"
#include "host/password.h"
#include "support/saver_fixture.h"

namespace {

std::vector<MSG> parent_messages;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU)
        parent_messages.push_back(MSG{window, message, wparam, lparam, 0, {}});
    return DefWindowProcA(window, message, wparam, lparam);
}

HCURSOR const kArrow = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x7F00));

class SaverWindow : public saver_test::SaverTest {
  protected:
    void SetUp() override {
        SaverTest::SetUp();
        headless::SetScreenSize(64, 48);
        parent_messages.clear();
        parent_ = saver_test::CreateTestWindow("PreviewParent", ParentProc, "Display", 40, 30);
    }

    // Runs the mode and calls probe inside its message loop; the run then ends.
    void RunWith(bool preview, std::function<void()> probe) {
        headless::Schedule(20, [&] {
            probe();
            DestroyWindow(preview ? parent_ : saver_window);
        });
        const std::string handle = std::to_string(reinterpret_cast<uintptr_t>(parent_));
        EXPECT_EQ(Run(preview ? "/p " + handle : "/s"), 0);
    }

    HWND parent_ = nullptr;
};

// What the host's procedure keeps from the animation, or does besides, in each kind of run.
TEST_F(SaverWindow, HostWorkByMode) {
    const struct {
        const char *what;
        bool preview;
        bool approved;
        UINT message;
        WPARAM wparam;
        LRESULT result; // -1: whatever the default gives
        bool draws;
        bool hides_cursor;
        bool to_parent;
    } rows[] = {
        {"tick", false, false, WM_TIMER, 1, -1, true, false, false},
        {"late tick", false, true, WM_TIMER, 1, 0, false, false, false},
        {"title", false, false, WM_SETTEXT, 0, 0, false, false, false},
        {"title in a preview", true, false, WM_SETTEXT, 0, 0, false, false, false},
        {"paint", false, false, WM_PAINT, 0, -1, false, true, false},
        {"paint in a preview", true, false, WM_PAINT, 0, -1, false, false, false},
        {"help in a preview", true, false, WM_HELP, 0, 1, false, false, true},
        {"context menu in a preview", true, false, WM_CONTEXTMENU, 0, 1, false, false, true},
        {"help in full screen", false, false, WM_HELP, 0, -1, false, false, false},
    };
    for (const auto &row : rows) {
        SetUp();
        RunWith(row.preview, [&] {
            close_approved = row.approved;
            SetCursor(kArrow);
            const int flushes = headless::GdiFlushCalls();
            const int sleeps = headless::SleepZeroCalls();
            LPARAM lparam = row.message == WM_SETTEXT ? reinterpret_cast<LPARAM>("Other") : 9;
            LRESULT result = SendMessageA(saver_window, row.message, row.wparam, lparam);
            if (row.result != -1) {
                EXPECT_EQ(result, row.result) << row.what;
            }
            EXPECT_STREQ(headless::WindowText(saver_window),
                         row.preview ? "Preview" : "Screen Saver")
                << row.what;
            EXPECT_EQ(headless::GdiFlushCalls() > flushes, row.draws) << row.what;
            EXPECT_EQ(headless::SleepZeroCalls() > sleeps, row.draws) << row.what;
            EXPECT_EQ(headless::CursorHidden(), row.hides_cursor) << row.what;
            headless::PumpMessages();
            close_approved = false;
        });
        ASSERT_EQ(parent_messages.size(), row.to_parent ? 1u : 0u) << row.what;
        if (row.to_parent) {
            EXPECT_EQ(parent_messages[0].message, row.message) << row.what;
            EXPECT_EQ(parent_messages[0].wParam, reinterpret_cast<WPARAM>(parent_)) << row.what;
            EXPECT_EQ(parent_messages[0].lParam, 9) << row.what;
        }
    }
}

// The input method is detached from the saver window for its life, when the process has it.
std::vector<std::pair<HWND, HIMC>> associate_calls;
HIMC WINAPI ImmAssociateContext(HWND window, HIMC context) {
    associate_calls.push_back({window, context});
    return context ? nullptr : reinterpret_cast<HIMC>(static_cast<uintptr_t>(0x1234));
}

TEST_F(SaverWindow, InputMethod) {
    for (bool preloaded : {true, false}) {
        SetUp();
        associate_calls.clear();
        headless::RegisterModule(
            "IMM32.DLL", {{"ImmAssociateContext", saver_test::AsFarProc(ImmAssociateContext)}});
        if (preloaded)
            headless::PreloadModule("IMM32.DLL");
        HWND window = nullptr;
        RunWith(false, [&] { window = saver_window; });
        const HIMC saved = reinterpret_cast<HIMC>(static_cast<uintptr_t>(0x1234));
        typedef std::vector<std::pair<HWND, HIMC>> Calls;
        const Calls expected = preloaded ? Calls{{window, nullptr}, {window, saved}} : Calls{};
        EXPECT_EQ(associate_calls, expected);
        EXPECT_EQ(headless::ModuleLoadCount("IMM32.DLL"), 0);
    }
}

} // namespace
