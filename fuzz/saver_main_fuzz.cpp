// SaverMain with a fuzzed command line and platform, on the headless platform's recording fakes
// of the window system: what the modes decide, not how windows behave. Input: a byte of platform
// flags, a byte for the dialog's result, then the command-line tail. The exit code must be the
// one the mode gives for what the platform answered; a tail that asks for nothing makes no call
// to the window system; and no component, registry key or running flag is left behind.
#include <csignal>

#include "fuzz_check.h"
#include "host/saver_main.h"
#include "platform/headless/headless.h"
#include "settings/settings_store.h"

namespace {

enum Flags : uint8_t {
    kConsumer = 1,
    kVersionQueryFails = 2,
    kUsePassword = 4,
    kComponents = 8,
    kHandlesAreWindows = 16,
    kWindowMade = 32,
    kAnotherSaverRuns = 64,
};

BOOL WINAPI VerifyScreenSavePwd(HWND) {
    return TRUE;
}
DWORD WINAPI PwdChangePasswordA(LPCSTR, HWND, DWORD, DWORD) {
    return 0;
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

void SetUpPlatform(uint8_t flags, int8_t dialog_result) {
    // Every area the modes touch but the GDI, whose screen a reset would make anew each time:
    // the runs only measure it.
    headless::ResetProcess();
    headless::ResetModules();
    headless::ResetCalls();
    ResetHost();
    ResetSettings();
    KeepSanitizerFaultHandlers();
    headless::SetPlatformId((flags & kConsumer) ? VER_PLATFORM_WIN32_WINDOWS
                                                : VER_PLATFORM_WIN32_NT);
    headless::SetVersionQueryFails(flags & kVersionQueryFails);
    const DWORD use_password = (flags & kUsePassword) ? 1 : 0;
    headless::SetAnswer("RegQueryValueExA", ERROR_SUCCESS, use_password);
    if (flags & kComponents) {
        headless::RegisterModule("PASSWORD.CPL",
                                 {{"VerifyScreenSavePwd", AsFarProc(VerifyScreenSavePwd)}});
        headless::RegisterModule("MPR.DLL",
                                 {{"PwdChangePasswordA", AsFarProc(PwdChangePasswordA)}});
    }
    headless::SetAnswer("IsWindow", (flags & kHandlesAreWindows) ? TRUE : FALSE);
    headless::SetAnswer("GetForegroundWindow", 5);
    headless::SetAnswer("DialogBoxParamA", dialog_result);
    if (flags & kWindowMade) {
        headless::SetAnswer("RegisterClassA", 0xC001);
        headless::SetAnswer("CreateWindowExA", 9);
    }
    if (flags & kAnotherSaverRuns)
        headless::SetAnswer("FindWindowA", 3);
}

// What the mode the tail asks for must give on the platform the flags describe.
int ExpectedExitCode(SaverCommand command, uint8_t flags, int dialog_result) {
    const bool consumer = (flags & kConsumer) && !(flags & kVersionQueryFails);
    const bool windows = flags & kHandlesAreWindows;
    const int run = (flags & kWindowMade) ? 0 : -1;
    switch (command.mode) {
    case SaverMode::kConfigureNoOwner:
    case SaverMode::kConfigure:
        return dialog_result;
    case SaverMode::kFullScreen:
        return (flags & kAnotherSaverRuns) && windows ? 0 : run;
    case SaverMode::kPreview:
        return ReferenceHandle(command.argument) != 0 && windows ? run : -1;
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
    const int8_t dialog_result = static_cast<int8_t>(data[1]);
    SetUpPlatform(flags, dialog_result);
    const std::string line = "\"C:\\no-such-folder\\frellis.scr\" " + FuzzText(data + 2, size - 2);
    headless::SetCommandLine(line.c_str());
    const char *tail = SkipProgramPath(GetCommandLineA());
    const SaverCommand command = ReadSaverCommand(tail);

    const int result = SaverMain(headless::ExecutableInstance(), tail);
    FUZZ_CHECK(result == ExpectedExitCode(command, flags, dialog_result));
    if (command.mode == SaverMode::kInvalid)
        FUZZ_CHECK(headless::CallLog().empty());
    const std::vector<std::string> flag_calls = headless::CallsTo("SystemParametersInfoA");
    FUZZ_CHECK(flag_calls.empty() ||
               flag_calls.back() ==
                   headless::CallText("SystemParametersInfoA", SPI_SETSCREENSAVERRUNNING, 0u, 0u));
    FUZZ_CHECK(headless::CallsTo("RegOpenKeyA").size() == headless::CallsTo("RegCloseKey").size());
    FUZZ_CHECK(headless::ModuleReferences("PASSWORD.CPL") == 0);
    FUZZ_CHECK(headless::ModuleReferences("MPR.DLL") == 0);
    // Back to the handlers the sanitizer installed.
    headless::ResetProcess();
    return 0;
}
