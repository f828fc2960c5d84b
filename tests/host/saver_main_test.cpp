// The command line and the modes: what each tail runs, with which owner or parent, and what
// the process exits with, on the recording fakes of the window system.
#include "host/saver_main.h"

#include "host/saver_window.h"
#include "settings/config_dialog.h"
#include "support/saver_fixture.h"

namespace {

using headless::CallText;
using saver_test::Calls;
using saver_test::Handle;
using saver_test::RunningFlag;

// The mode letter, the separators before it and where each mode's handle text begins.
TEST(ReadSaverCommand, ModeTable) {
    struct Row {
        const char *tail;
        SaverMode mode;
        const char *argument; // nullptr: the mode reads no handle text
    };
    const Row rows[] = {
        {"", SaverMode::kConfigureNoOwner, nullptr},
        {"/", SaverMode::kConfigureNoOwner, nullptr},
        {"- / -//  ", SaverMode::kConfigureNoOwner, nullptr},
        {"/s", SaverMode::kFullScreen, nullptr},
        {"/S", SaverMode::kFullScreen, nullptr},
        {"-s", SaverMode::kFullScreen, nullptr},
        {"s", SaverMode::kFullScreen, nullptr},
        {"//s", SaverMode::kFullScreen, nullptr},
        {"- /s", SaverMode::kFullScreen, nullptr},
        {"/saver 123", SaverMode::kFullScreen, nullptr},
        {"/c", SaverMode::kConfigure, nullptr},
        {"/C:123", SaverMode::kConfigure, "123"},
        {"/c:", SaverMode::kConfigure, ""},
        {"/c 123", SaverMode::kConfigure, nullptr},
        {"/c123", SaverMode::kConfigure, nullptr},
        {"/p 123", SaverMode::kPreview, "123"},
        {"/p123", SaverMode::kPreview, "123"},
        {"/P    123", SaverMode::kPreview, "123"},
        {"/p:123", SaverMode::kPreview, ":123"},
        {"/p\t123", SaverMode::kPreview, "\t123"},
        {"/p", SaverMode::kPreview, ""},
        {"/l 123", SaverMode::kPreview, "123"},
        {"L 7", SaverMode::kPreview, "7"},
        {"/a", SaverMode::kChangePassword, ""},
        {"/A  55", SaverMode::kChangePassword, "55"},
        {"/x", SaverMode::kInvalid, nullptr},
        {"/?", SaverMode::kInvalid, nullptr},
        {"/1", SaverMode::kInvalid, nullptr},
        {":s", SaverMode::kInvalid, nullptr},
        {"\ts", SaverMode::kInvalid, nullptr},
        {"/\x80s", SaverMode::kInvalid, nullptr},
        {"\xd3", SaverMode::kInvalid, nullptr},
        {"\xf3", SaverMode::kInvalid, nullptr}, // 's' | 0x80 must not match 's'
    };
    for (const Row &row : rows) {
        SaverCommand command = ReadSaverCommand(row.tail);
        EXPECT_EQ(command.mode, row.mode) << '"' << row.tail << '"';
        if (row.argument == nullptr)
            EXPECT_EQ(command.argument, nullptr) << '"' << row.tail << '"';
        else
            EXPECT_STREQ(command.argument, row.argument) << '"' << row.tail << '"';
    }
}

TEST(ParseWindowHandle, DecimalDigitsWrapModulo32Bits) {
    struct Row {
        const char *text;
        uint32_t value;
    };
    const Row rows[] = {
        {"123", 123},
        {"0", 0},
        {"", 0},
        {"12ab34", 12},
        {" 12", 0},
        {"-12", 0},
        {"+12", 0},
        {":12", 0},
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", 0},
        {"4294967297 5", 1},
        {"00000000000000000042", 42},
        {"99999999999", static_cast<uint32_t>(99999999999ull % 4294967296ull)},
    };
    for (const Row &row : rows)
        EXPECT_EQ(ParseWindowHandle(row.text), Handle(row.value)) << '"' << row.text << '"';
}

const HWND kForeground = Handle(5);
const HWND kOther = Handle(12);
const HWND kSaver = Handle(9);

// The password-change component, recording its calls as the log does; `during` runs inside the
// mode, as a fault would.
Calls password_changes;
std::function<void()> during_change;
DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD a, DWORD b) {
    password_changes.push_back(CallText("PwdChangePasswordA", provider, owner, a, b));
    if (during_change)
        during_change();
    return 1;
}

class Modes : public saver_test::SaverTest {
  protected:
    void SetUp() override {
        SaverTest::SetUp();
        password_changes.clear();
        during_change = nullptr;
        headless::RegisterModule(
            "MPR.DLL", {{"PwdChangePasswordA", saver_test::AsFarProc(PwdChangePasswordA)}});
        headless::SetAnswer("GetForegroundWindow", reinterpret_cast<intptr_t>(kForeground));
        headless::SetAnswer("DialogBoxParamA", 1);
        headless::SetAnswer("GetClientRect", TRUE, RECT{0, 0, 80, 60});
        headless::SetAnswer("RegisterClassA", 0xC001);
        headless::SetAnswer("CreateWindowExA", reinterpret_cast<intptr_t>(kSaver));
    }
    static void SetConsumer(bool consumer) {
        headless::SetPlatformId(consumer ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT);
    }
    // What the modes made: windows, dialogs and password changes, then the windows brought to
    // the front.
    static Calls Made() {
        Calls made = headless::CallsTo("CreateWindowExA");
        const Calls dialogs = headless::CallsTo("DialogBoxParamA");
        made.insert(made.end(), dialogs.begin(), dialogs.end());
        made.insert(made.end(), password_changes.begin(), password_changes.end());
        const Calls fronts = headless::CallsTo("SetForegroundWindow");
        made.insert(made.end(), fronts.begin(), fronts.end());
        return made;
    }
};

std::string Dialog(HWND owner) {
    return CallText("DialogBoxParamA", headless::ExecutableInstance(),
                    MAKEINTRESOURCEA(kConfigDialogTemplate), owner, ConfigDialogProc, 0);
}
// Over the 640x480 screen, whose clip box starts at left, top.
std::string FullScreen(int left = 0, int top = 0) {
    return CallText("CreateWindowExA", WS_EX_TOPMOST, "WindowsScreenSaverClass", "Screen Saver",
                    0x96000000u, left, top, 640, 480, nullptr, nullptr,
                    headless::ExecutableInstance(), nullptr);
}
std::string Front(HWND window) {
    return CallText("SetForegroundWindow", window);
}
std::string Preview(HWND parent) {
    return CallText("CreateWindowExA", 0u, "WindowsScreenSaverClass", "Preview", 0x52000000u, 0, 0,
                    80, 60, parent, nullptr, headless::ExecutableInstance(), nullptr);
}
std::string Change(HWND owner) {
    return CallText("PwdChangePasswordA", "SCRSAVE", owner, 0u, 0u);
}

// Each tail's mode, owner or parent and exit code; a window handle names a window exactly when
// the row says so. Nothing is made for a mode that cannot run, and no component stays loaded.
// Only a full-screen saver takes the foreground; a preview leaves it to the display settings.
TEST_F(Modes, WhatEachTailRuns) {
    const struct {
        const char *tail;
        bool consumer;
        bool handle_is_window;
        int exit_code;
        Calls made;
        POINT screen_origin = {0, 0};
    } rows[] = {
        {"", false, true, 1, {Dialog(nullptr)}},
        {"- / ", false, true, 1, {Dialog(nullptr)}},
        {"/c", false, true, 1, {Dialog(kForeground)}},
        {"/c:12", false, true, 1, {Dialog(kOther)}},
        {"-C:12x", false, true, 1, {Dialog(kOther)}},
        {"/c:12", false, false, 1, {Dialog(kForeground)}},
        {"/c 12", false, true, 1, {Dialog(kForeground)}},
        {"/c12", false, true, 1, {Dialog(kForeground)}},
        {"/c:4294967296", false, true, 1, {Dialog(kForeground)}},
        {"/s", false, true, 0, {FullScreen(), Front(kSaver)}},
        {"/S /p 12", true, true, 0, {FullScreen(), Front(kSaver)}},
        // A monitor left of and above the primary one: the whole screen, from its clip box's start.
        {"/s", false, true, 0, {FullScreen(-320, -100), Front(kSaver)}, {-320, -100}},
        {"/p 12", false, true, 0, {Preview(kOther)}},
        {"/p12", false, true, 0, {Preview(kOther)}},
        {"/P    12", true, true, 0, {Preview(kOther)}},
        {"/l 12", false, true, 0, {Preview(kOther)}},
        {"/p", false, true, -1, {}},
        {"/p 0", false, true, -1, {}},
        {"/p 4294967296", false, true, -1, {}},
        {"/p:12", false, true, -1, {}},
        {"/p\t12", false, true, -1, {}},
        {"/p 12", false, false, -1, {}},
        {"/a", false, true, -1, {}},
        {"/a", true, true, 0, {Change(kForeground)}},
        {"/a 12", true, true, 0, {Change(kOther)}},
        {"-A   12", true, true, 0, {Change(kOther)}},
        {"/a 12", true, false, 0, {Change(kForeground)}},
        {"/a 4294967296", true, true, 0, {Change(kForeground)}},
        {"/a:12", true, true, 0, {Change(kForeground)}},
        {"/x", true, true, -1, {}},
        {"/?", false, true, -1, {}},
        {"5", false, true, -1, {}},
        {"\t/s", false, true, -1, {}},
    };
    for (const auto &row : rows) {
        SetUp();
        SetConsumer(row.consumer);
        headless::SetAnswer("IsWindow", row.handle_is_window);
        headless::SetScreenOrigin(row.screen_origin.x, row.screen_origin.y);
        EXPECT_EQ(Run(row.tail), row.exit_code) << '"' << row.tail << '"';
        EXPECT_EQ(Made(), row.made) << '"' << row.tail << '"';
        EXPECT_EQ(headless::ModuleReferences("MPR.DLL"), 0) << '"' << row.tail << '"';
    }
    // A missing component changes nothing but the call.
    SetUp();
    SetConsumer(true);
    headless::RegisterModule("MPR.DLL", {});
    EXPECT_EQ(Run("/a"), 0);
    EXPECT_EQ(headless::ModuleLoadCount("MPR.DLL"), 1);
    EXPECT_EQ(headless::ModuleReferences("MPR.DLL"), 0);
}

// A full-screen run: one at a time, with the running flag on exactly while the loop runs on the
// consumer platform with a password, and the verifier let go whatever happened.
TEST_F(Modes, FullScreenRun) {
    const struct {
        const char *what;
        bool consumer;
        bool running_already;
        bool window_made;
        int exit_code;
        Calls flags;
        int verifier_loads;
    } rows[] = {
        {"protected", true, false, true, 0, {RunningFlag(1), RunningFlag(0)}, 1},
        {"another one runs", true, true, true, 0, {}, 0},
        {"no window", true, false, false, -1, {RunningFlag(1), RunningFlag(0)}, 1},
        {"other platform", false, false, true, 0, {}, 0},
    };
    for (const auto &row : rows) {
        SetUp();
        SetConsumer(row.consumer);
        saver_test::ProvidePasswordVerifier();
        headless::SetAnswer("IsWindow", TRUE);
        if (row.running_already)
            headless::SetAnswer("FindWindowA", reinterpret_cast<intptr_t>(Handle(3)));
        if (!row.window_made)
            headless::SetAnswer("CreateWindowExA", 0);
        EXPECT_EQ(Run("/s"), row.exit_code) << row.what;
        EXPECT_EQ(headless::CallsTo("SystemParametersInfoA"), row.flags) << row.what;
        EXPECT_EQ(headless::ModuleLoadCount("PASSWORD.CPL"), row.verifier_loads) << row.what;
        EXPECT_EQ(headless::ModuleReferences("PASSWORD.CPL"), 0) << row.what;
        const Calls front = {
            CallText("SetForegroundWindow", row.running_already ? Handle(3) : kSaver)};
        EXPECT_EQ(headless::CallsTo("SetForegroundWindow"), row.window_made ? front : Calls{})
            << row.what;
        EXPECT_EQ(headless::CallsTo("RegisterClassA").size(), row.running_already ? 0u : 1u)
            << row.what;
        // Only a window titled "Screen Saver" is another run: a running preview does not count.
        const Calls find = {CallText("FindWindowA", "WindowsScreenSaverClass", "Screen Saver")};
        EXPECT_EQ(headless::CallsTo("FindWindowA"), find) << row.what;
        // Only the consumer platform asks for the autoplay query's number.
        const Calls autoplay = {CallText("RegisterWindowMessageA", "QueryCancelAutoPlay")};
        EXPECT_EQ(headless::CallsTo("RegisterWindowMessageA"),
                  row.consumer && !row.running_already ? autoplay : Calls{})
            << row.what;
    }
}

// In full screen a second start of the saver stops at the saver window, as task switches do: the
// platform's default handling, which would start one, never sees it. A preview passes it on.
TEST_F(Modes, FullScreenSwallowsASecondStart) {
    for (const bool preview : {false, true}) {
        preview_mode = preview;
        headless::ClearCallLog();
        EXPECT_EQ(SaverWindowProc(kSaver, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
        EXPECT_EQ(headless::CallsTo("DefWindowProcA").size(), preview ? 1u : 0u) << preview;
    }
}

// The guard's filter, as the platform calls it when a fault escapes the running mode.
LONG WINAPI EarlierFilter(EXCEPTION_POINTERS *) {
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST_F(Modes, FaultGuardClearsTheRunningFlag) {
    const struct {
        LONG answer;
        Calls flags;
    } rows[] = {
        {EXCEPTION_EXECUTE_HANDLER, {RunningFlag(0)}},
        {EXCEPTION_CONTINUE_SEARCH, {}},
    };
    for (const auto &row : rows) {
        SetUp();
        SetConsumer(true);
        headless::SetAnswer("UnhandledExceptionFilter", row.answer);
        SetUnhandledExceptionFilter(EarlierFilter);
        during_change = [&] {
            LPTOP_LEVEL_EXCEPTION_FILTER guard = SetUnhandledExceptionFilter(nullptr);
            ASSERT_NE(guard, nullptr);
            EXCEPTION_POINTERS fault = {};
            EXPECT_EQ(guard(&fault), row.answer);
            EXPECT_EQ(headless::CallsTo("SystemParametersInfoA"), row.flags);
            EXPECT_EQ(headless::CallsTo("UnhandledExceptionFilter").size(), 1u);
            // The guard put the earlier filter back before asking the platform's report, which
            // on Windows calls the installed filter itself.
            EXPECT_EQ(SetUnhandledExceptionFilter(guard), EarlierFilter);
        };
        EXPECT_EQ(Run("/a"), 0);
        // The filter in place before the run is back once the mode has returned.
        EXPECT_EQ(SetUnhandledExceptionFilter(nullptr), EarlierFilter);
    }
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
