// Whole runs of the saver on the headless platform with a fuzzed command line and platform.
// Input: a byte of platform flags, a byte for when the user's input comes, then the command-line
// tail, in which '#' stands for the handle of a window of another program (a preview host or a
// dialog owner). The user presses a key and closes any dialog, later the other program's window
// goes, and last anything still open is closed; the run must end with the exit code its mode
// gives, and leave no window, timer, GDI object, device context, loaded component, open registry
// key or running flag behind.
#include <csignal>

#include "animation/figures.h"
#include "fuzz_check.h"
#include "host/saver_main.h"
#include "host/saver_window.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

enum Flags : uint8_t {
    kConsumer = 1,
    kVersionQueryFails = 2,
    kUsePassword = 4,
    kPasswordComponent = 8,
    kChangeComponent = 16,
    kPreloadedInputMethod = 32,
    kRefuseFirstPassword = 64,
};

bool refuse_first = false;
int verify_calls = 0;

BOOL WINAPI VerifyScreenSavePwd(HWND) {
    return ++verify_calls == 1 && refuse_first ? FALSE : TRUE;
}
DWORD WINAPI PwdChangePasswordA(LPCSTR, HWND, DWORD, DWORD) {
    return 0;
}
HIMC WINAPI ImmAssociateContext(HWND, HIMC) {
    return nullptr;
}
LRESULT CALLBACK OtherProgramProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

template <typename Function> FARPROC AsFarProc(Function entry) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(entry));
}

// A fault must reach the sanitizer, which reports it and keeps the input, rather than the
// platform's fault guard, which would end the process quietly: the guard's signal handlers go in
// once, here, and the sanitizer's are put back over them.
void KeepSanitizerFaultHandlers() {
    const int signals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
    struct sigaction kept[4];
    for (int i = 0; i < 4; ++i)
        sigaction(signals[i], nullptr, &kept[i]);
    SetUnhandledExceptionFilter(nullptr);
    for (int i = 0; i < 4; ++i)
        sigaction(signals[i], &kept[i], nullptr);
}

void SetUpPlatform(uint8_t flags) {
    headless::Reset();
    ResetHost();
    ResetAnimation();
    ResetSettings();
    KeepSanitizerFaultHandlers();
    headless::SetScreenSize(64, 48);
    headless::SetCursorPosition(32, 24);
    headless::SetPlatformId((flags & kConsumer) ? VER_PLATFORM_WIN32_WINDOWS
                                                : VER_PLATFORM_WIN32_NT);
    headless::SetVersionQueryFails(flags & kVersionQueryFails);
    DWORD use_password = (flags & kUsePassword) ? 1 : 0;
    headless::SetRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword",
                               REG_DWORD, &use_password, sizeof use_password);
    if (flags & kPasswordComponent)
        headless::RegisterModule("PASSWORD.CPL",
                                 {{"VerifyScreenSavePwd", AsFarProc(VerifyScreenSavePwd)}});
    if (flags & kChangeComponent)
        headless::RegisterModule("MPR.DLL",
                                 {{"PwdChangePasswordA", AsFarProc(PwdChangePasswordA)}});
    headless::RegisterModule("IMM32.DLL",
                             {{"ImmAssociateContext", AsFarProc(ImmAssociateContext)}});
    if (flags & kPreloadedInputMethod)
        headless::PreloadModule("IMM32.DLL");
    refuse_first = flags & kRefuseFirstPassword;
    verify_calls = 0;
}

HWND CreateOtherProgramWindow() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = OtherProgramProc;
    window_class.hInstance = headless::ExecutableInstance();
    window_class.lpszClassName = "OtherProgram";
    RegisterClassA(&window_class);
    return CreateWindowExA(0, "OtherProgram", "Display", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30,
                           nullptr, nullptr, window_class.hInstance, nullptr);
}

std::string WithHandle(std::string tail, HWND window) {
    const std::string decimal = std::to_string(reinterpret_cast<uintptr_t>(window));
    for (size_t at = tail.find('#'); at != std::string::npos; at = tail.find('#', at))
        tail.replace(at, 1, decimal);
    return tail;
}

void UserInput() {
    if (HWND dialog = headless::CurrentDialog())
        headless::ClickCloseBox(dialog);
    headless::PressKey('A');
}

// What the mode the tail asks for must give, with every dialog closed from its caption.
int ExpectedExitCode(SaverCommand command, bool consumer) {
    switch (command.mode) {
    case SaverMode::kConfigureNoOwner:
    case SaverMode::kConfigure:
    case SaverMode::kFullScreen:
        return 0;
    case SaverMode::kPreview: {
        HWND parent =
            reinterpret_cast<HWND>(static_cast<uintptr_t>(ReferenceHandle(command.argument)));
        return parent != nullptr && IsWindow(parent) ? 0 : -1;
    }
    case SaverMode::kChangePassword:
        return consumer ? 0 : -1;
    case SaverMode::kInvalid:
        break;
    }
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    const uint8_t flags = data[0];
    const DWORD input_at = 1 + data[1] * 4u;
    SetUpPlatform(flags);
    HWND other = CreateOtherProgramWindow();
    const std::string tail = WithHandle(FuzzText(data + 2, size - 2), other);
    const std::string line = "\"C:\\no-such-folder\\frellis.scr\" " + tail;
    headless::SetCommandLine(line.c_str());

    const bool consumer = (flags & kConsumer) && !(flags & kVersionQueryFails);
    const int expected =
        ExpectedExitCode(ReadSaverCommand(SkipProgramPath(line.c_str())), consumer);

    // A second key after the pause that follows a refused password.
    headless::Schedule(input_at, UserInput);
    headless::Schedule(input_at + 300, UserInput);
    headless::Schedule(input_at + 600, [other] { DestroyWindow(other); });
    // A preview whose parent is not the other program's window has nothing else to end it.
    headless::Schedule(input_at + 900, [] {
        if (IsWindow(saver_window))
            DestroyWindow(saver_window);
    });
    const int result =
        SaverMain(headless::ExecutableInstance(), SkipProgramPath(GetCommandLineA()));
    FUZZ_CHECK(result == expected);

    if (IsWindow(other))
        DestroyWindow(other);
    FUZZ_CHECK(headless::LiveWindows() == 0);
    FUZZ_CHECK(headless::ActiveTimers() == 0);
    FUZZ_CHECK(headless::LiveGdiObjects() == 0);
    FUZZ_CHECK(headless::LiveDeviceContexts() == 0);
    FUZZ_CHECK(headless::OpenRegistryKeys() == 0);
    FUZZ_CHECK(!headless::ScreenSaverRunning());
    FUZZ_CHECK(headless::ModuleReferences("PASSWORD.CPL") == 0);
    FUZZ_CHECK(headless::ModuleReferences("MPR.DLL") == 0);
    FUZZ_CHECK(headless::ModuleReferences("IMM32.DLL") ==
               ((flags & kPreloadedInputMethod) ? 1 : 0));
    FUZZ_CHECK(headless::CurrentDialog() == nullptr);
    // Back to the handlers the sanitizer installed.
    headless::ResetProcess();
    return 0;
}
