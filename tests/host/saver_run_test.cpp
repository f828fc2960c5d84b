// Whole runs of the saver in-process: SaverMain with a command-line tail, input scheduled on the
// headless platform's virtual clock, and the outcome checked when the mode has returned.
#include <csignal>
#include <random>

#include "host/default_proc.h"
#include "host/password.h"
#include "host/saver_window.h"
#include "support/saver_fixture.h"

namespace {

using saver_test::LitScreenPixels;
using saver_test::verifier;

std::string Decimal(HWND window) {
    return std::to_string(reinterpret_cast<uintptr_t>(window));
}

class SaverRun : public saver_test::SaverTest {
  protected:
    void SetUp() override {
        SaverTest::SetUp();
        headless::SetScreenSize(160, 120);
    }

    // A window of another program: the display settings' preview host, or a running saver.
    static HWND OtherWindow(const char *class_name, const char *title) {
        return saver_test::CreateTestWindow(class_name, saver_test::PlainWindowProc, title, 80, 60);
    }

    static void ExpectEverythingReleased(const char *what) {
        EXPECT_EQ(headless::ActiveTimers(), 0) << what;
        EXPECT_EQ(headless::LiveGdiObjects(), 0) << what;
        EXPECT_EQ(headless::LiveDeviceContexts(), 0) << what;
    }
};

// Every way a full-screen run ends: black until the first tick, figures after it, exit code 0,
// and nothing left behind.
TEST_F(SaverRun, FullScreenEndsOnInput) {
    const struct {
        const char *what;
        std::function<void()> input;
    } rows[] = {
        {"key", [] { headless::PressKey('A'); }},
        {"alt key", [] { headless::PressKey(VK_F4, true); }},
        {"left button", [] { headless::PressButton(WM_LBUTTONDOWN); }},
        {"middle button", [] { headless::PressButton(WM_MBUTTONDOWN); }},
        {"mouse moved 5", [] { headless::MoveCursor(85, 60); }},
        {"activation lost", [] { headless::ActivateOtherApplication(); }},
        {"close command", [] { PostMessageA(saver_window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"power", [] { PostMessageA(saver_window, WM_POWERBROADCAST, 7, 0); }},
    };
    for (const auto &row : rows) {
        SetUp();
        // Set up, and inert on any platform but the consumer one.
        saver_test::ProvidePasswordVerifier();
        headless::SetCursorPosition(80, 60);
        int lit_before = -1, lit_after = -1;
        headless::Schedule(5, [&] { lit_before = LitScreenPixels(); });
        headless::Schedule(15, [&] { lit_after = LitScreenPixels(); });
        // Input that does not close: movement of 4, key releases come with the key.
        headless::Schedule(20, [] { headless::MoveCursor(82, 62); });
        headless::Schedule(30, [&] {
            EXPECT_TRUE(IsWindow(saver_window)) << row.what;
            row.input();
        });
        EXPECT_EQ(Run("/s"), 0) << row.what;
        EXPECT_EQ(lit_before, 0) << row.what;
        EXPECT_GT(lit_after, 0) << row.what;
        EXPECT_EQ(headless::LiveWindows(), 0) << row.what;
        EXPECT_EQ(headless::ModuleLoadCount("PASSWORD.CPL"), 0) << row.what;
        EXPECT_TRUE(saver_test::RunningFlagCalls().empty()) << row.what;
        ExpectEverythingReleased(row.what);
    }
}

TEST_F(SaverRun, PreviewLivesInItsParent) {
    HWND parent = OtherWindow("PreviewHost", "Display");
    HWND preview = nullptr;
    headless::Schedule(20, [&] {
        preview = saver_window;
        RECT rect;
        headless::WindowClientOnScreen(preview, &rect);
        EXPECT_EQ(rect.right - rect.left, 80);
        EXPECT_EQ(rect.bottom - rect.top, 60);
        EXPECT_STREQ(headless::WindowText(preview), "Preview");
        EXPECT_FALSE(headless::CursorHidden());
        headless::PressKey('A');
        headless::MoveCursor(100, 100);
        PostMessageA(preview, WM_ACTIVATEAPP, 0, 0);
    });
    headless::Schedule(40, [&] {
        EXPECT_TRUE(IsWindow(preview));
        DestroyWindow(parent);
    });
    EXPECT_EQ(Run("/p " + Decimal(parent)), 0);
    EXPECT_FALSE(IsWindow(preview));
    ExpectEverythingReleased("preview");
}

// Modes that end without a window: their exit codes, and nothing shown or loaded.
TEST_F(SaverRun, ModesThatCannotRun) {
    HWND other = OtherWindow("Other", "Other");
    HWND stale = OtherWindow("Stale", "Stale");
    DestroyWindow(stale);
    const std::string rows[] = {
        "/p",
        "/p 0",
        "/p 4294967296",
        "/p:" + Decimal(other),
        "/p\t" + Decimal(other),
        "/p " + Decimal(stale),
        "/a",
        "/x",
        "/?",
        "5",
        "\t/s",
    };
    for (const std::string &tail : rows) {
        EXPECT_EQ(Run(tail), -1) << tail;
        EXPECT_EQ(headless::LiveWindows(), 1) << tail;
        EXPECT_EQ(headless::ModuleLoadCount("MPR.DLL"), 0) << tail;
    }
}

// The password-change component as the consumer platform has it.
struct PasswordChange {
    int calls = 0;
    std::string provider;
    HWND owner = nullptr;
};
PasswordChange password_change;
DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD, DWORD) {
    ++password_change.calls;
    password_change.provider = provider;
    password_change.owner = owner;
    return 1;
}

TEST_F(SaverRun, ChangePasswordOwner) {
    HWND foreground = OtherWindow("Foreground", "Foreground");
    HWND settings = OtherWindow("Settings", "Settings");
    SetForegroundWindow(foreground);
    const struct {
        std::string tail;
        HWND owner;
    } rows[] = {
        {"/a", foreground},
        {"/a " + Decimal(settings), settings},
        {"-A   " + Decimal(settings), settings},
        {"/a 4294967296", foreground},
        {"/a:" + Decimal(settings), foreground},
    };
    for (const auto &row : rows) {
        headless::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
        headless::RegisterModule(
            "MPR.DLL", {{"PwdChangePasswordA", saver_test::AsFarProc(PwdChangePasswordA)}});
        password_change = PasswordChange();
        EXPECT_EQ(Run(row.tail), 0) << row.tail;
        EXPECT_EQ(password_change.calls, 1) << row.tail;
        EXPECT_EQ(password_change.provider, "SCRSAVE") << row.tail;
        EXPECT_EQ(password_change.owner, row.owner) << row.tail;
        EXPECT_FALSE(headless::ModuleLoaded("MPR.DLL")) << row.tail;
    }
    headless::RegisterModule("MPR.DLL", {});
    EXPECT_EQ(Run("/a"), 0);
    EXPECT_FALSE(headless::ModuleLoaded("MPR.DLL"));
}

// The configuration dialog's owner by tail, and its result as the exit code.
TEST_F(SaverRun, ConfigurationOwner) {
    HWND foreground = OtherWindow("Foreground", "Foreground");
    HWND settings = OtherWindow("Settings", "Settings");
    SetForegroundWindow(foreground);
    const std::string handle = Decimal(settings);
    const struct {
        std::string tail;
        HWND owner;
        bool confirm;
    } rows[] = {
        {"", nullptr, true},
        {"- / ", nullptr, false},
        {"/c", foreground, true},
        {"/c:" + handle, settings, false},
        {"-C:" + handle + "x", settings, true},
        {"/c " + handle, foreground, true},
        {"/c" + handle, foreground, true},
        {"/c:4294967296", foreground, true},
    };
    for (const auto &row : rows) {
        // Closing a dialog activates its owner; every row starts from the same foreground.
        SetForegroundWindow(foreground);
        HWND owner = reinterpret_cast<HWND>(1);
        headless::Schedule(10, [&] {
            HWND dialog = headless::CurrentDialog();
            owner = GetParent(dialog);
            if (row.confirm)
                headless::ClickDialogItem(dialog, IDOK);
            else
                headless::ClickCloseBox(dialog);
        });
        EXPECT_EQ(Run(row.tail), row.confirm ? 1 : 0) << '"' << row.tail << '"';
        EXPECT_EQ(owner, row.owner) << '"' << row.tail << '"';
    }
}

TEST_F(SaverRun, SecondFullScreenRunBringsTheFirstToTheFront) {
    HWND first = OtherWindow("WindowsScreenSaverClass", "Screen Saver");
    HWND other = OtherWindow("Other", "Other");
    SetForegroundWindow(other);
    EXPECT_EQ(Run("/s"), 0);
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(headless::LiveWindows(), 2);
}

// On the consumer platform with a verifier that always refuses, no stream of input, closes,
// commands, activation, power or timer messages destroys the saver window; once the verifier
// accepts, the first closing input ends the run after exactly one question.
TEST_F(SaverRun, PasswordHoldsAgainstAnyMessageStream) {
    headless::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
    saver_test::ProvidePasswordVerifier();
    const UINT commands[] = {SC_CLOSE,   SC_NEXTWINDOW, SC_PREVWINDOW,  SC_SCREENSAVE,
                             SC_KEYMENU, SC_MINIMIZE,   SC_MONITORPOWER};
    const UINT inputs[] = {WM_KEYDOWN,     WM_SYSKEYDOWN,     WM_KEYUP,       WM_CHAR,
                           WM_LBUTTONDOWN, WM_RBUTTONDOWN,    WM_MBUTTONDOWN, WM_MOUSEMOVE,
                           WM_SETCURSOR,   WM_PAINT,          WM_SHOWWINDOW,  WM_ACTIVATEAPP,
                           WM_POWER,       WM_POWERBROADCAST, WM_TIMER,       WM_CLOSE};
    headless::Schedule(10, [&] {
        std::mt19937 random(20240601);
        DWORD now = 1000;
        for (int i = 0; i < 10000 && IsWindow(saver_window); ++i) {
            now += random() % 150;
            headless::SetTickCount(now);
            headless::SetCursorPosition(random() % 160, random() % 120);
            const UINT message = random() % 8 == 0 ? WM_SYSCOMMAND : inputs[random() % 16];
            WPARAM wparam = random() % 5;
            if (message == WM_SYSCOMMAND)
                wparam = commands[random() % 7] | (random() % 16);
            switch (random() % 3) {
            case 0:
                SendMessageA(saver_window, message, wparam, 0);
                break;
            case 1:
                PostMessageA(saver_window, message, wparam, 0);
                headless::PumpMessages();
                break;
            default:
                headless::ActivateOtherApplication();
                SetForegroundWindow(saver_window);
                headless::PumpMessages();
                break;
            }
        }
        EXPECT_TRUE(IsWindow(saver_window));
        EXPECT_GT(verifier.calls, 100);
        EXPECT_GT(headless::GdiFlushCalls(), 300);
        verifier = saver_test::Verifier();
        verifier.answer = 1;
        headless::SetTickCount(now + 1000);
        headless::PressKey('A');
    });
    EXPECT_EQ(Run("/s"), 0);
    EXPECT_EQ(verifier.calls, 1);
    EXPECT_EQ(headless::LiveWindows(), 0);
    EXPECT_EQ(saver_test::RunningFlagCalls(), (std::vector<UINT>{1, 0}));
    EXPECT_FALSE(headless::ScreenSaverRunning());
}

// The guard's filter, as the platform calls it when a fault escapes the running mode.
LONG WINAPI EarlierFilter(EXCEPTION_POINTERS *) {
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST_F(SaverRun, FaultGuardClearsTheRunningFlag) {
    const struct {
        LONG answer;
        std::vector<UINT> flags;
    } rows[] = {
        {EXCEPTION_EXECUTE_HANDLER, {1, 0}},
        {EXCEPTION_CONTINUE_SEARCH, {1}},
    };
    for (const auto &row : rows) {
        SetUp();
        headless::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
        saver_test::ProvidePasswordVerifier();
        verifier.answer = 1;
        headless::SetUnhandledExceptionAnswer(row.answer);
        SetUnhandledExceptionFilter(EarlierFilter);
        headless::Schedule(10, [&] {
            LPTOP_LEVEL_EXCEPTION_FILTER guard = SetUnhandledExceptionFilter(nullptr);
            ASSERT_NE(guard, nullptr);
            EXCEPTION_POINTERS fault = {};
            EXPECT_EQ(guard(&fault), row.answer);
            EXPECT_EQ(saver_test::RunningFlagCalls(), row.flags);
            EXPECT_EQ(headless::UnhandledExceptionFilterCalls(), 1);
            // The guard put the earlier filter back before asking the platform's report, which
            // on Windows calls the installed filter itself.
            EXPECT_EQ(SetUnhandledExceptionFilter(guard), EarlierFilter);
            headless::PressKey('A');
        });
        Run("/s");
        // The filter in place before the run is back once the mode has returned.
        EXPECT_EQ(SetUnhandledExceptionFilter(nullptr), EarlierFilter);
    }
}

TEST_F(SaverRun, FaultDuringARunEndsTheProcessThroughTheGuard) {
    headless::Schedule(10, [] { std::raise(SIGSEGV); });
    EXPECT_EXIT(Run("/s"), ::testing::ExitedWithCode(headless::FaultExitCode(SIGSEGV)), "");
}

TEST(SkipProgramPath, TailAfterTheProgramPath) {
    const struct {
        const char *line;
        const char *tail;
    } rows[] = {
        {"\"C:\\Program Files\\frellis.scr\" /s", "/s"},
        {"\"C:\\Program Files\\frellis.scr\"/p 5", "/p 5"},
        {"\"C:\\Program Files\\frellis.scr /s", ""},
        {"\"\" /c", "/c"},
        {"C:\\frellis.scr /s", "/s"},
        {"C:\\frellis.scr\t \t/p 5", "/p 5"},
        {"C:\\fr\xe9llis.scr /s", "/s"},
        {"C:\\frellis.scr\x01\x1f/s", "/s"},
        {"C:\\frellis.scr", ""},
        {"  /s", "/s"},
        {"", ""},
    };
    for (const auto &row : rows)
        EXPECT_STREQ(SkipProgramPath(row.line), row.tail) << row.line;
}

TEST(SaverEntry, EndsTheProcessWithTheModeResult) {
    headless::Reset();
    ResetHost();
    headless::SetCommandLine("\"C:\\Program Files\\frellis.scr\" /x");
    EXPECT_EXIT(SaverEntry(), ::testing::ExitedWithCode(255), "");
}

} // namespace
