#include "host/saver_main.h"

#include <cstring>

#include "host/default_proc.h"
#include "host/password.h"
#include "host/saver_window.h"
#include "settings/config_dialog.h"

HINSTANCE module_instance;
bool consumer_platform;

// The filter that was installed before SaverMain put its own in place.
static LPTOP_LEVEL_EXCEPTION_FILTER previous_fault_filter;

static unsigned Byte(const char *p) {
    return static_cast<unsigned char>(*p);
}

const char *SkipProgramPath(const char *command_line) {
    if (command_line == nullptr)
        return "";
    const char *p = command_line;
    if (Byte(p) == '"') {
        do
            p = CharNextA(p);
        while (*p != '\0' && *p != '"');
        if (*p == '"')
            p = CharNextA(p);
    } else if (Byte(p) > ' ') {
        while (Byte(p) > ' ')
            p = CharNextA(p);
    }
    while (*p != '\0' && Byte(p) <= ' ')
        p = CharNextA(p);
    return p;
}

void SaverEntry() {
    const char *tail = SkipProgramPath(GetCommandLineA());
    // The runtime's own exit path (its exit handlers, stream flushing) is deliberately bypassed.
    ExitProcess(static_cast<UINT>(SaverMain(GetModuleHandleA(nullptr), tail)));
}

static const char *SkipSpaces(const char *p) {
    while (*p == ' ')
        ++p;
    return p;
}

SaverCommand ReadSaverCommand(const char *tail) {
    const char *p = tail != nullptr ? tail : "";
    while (*p == ' ' || *p == '-' || *p == '/')
        ++p;
    switch (*p) {
    case '\0':
        return {SaverMode::kConfigureNoOwner, nullptr};
    case 'S':
    case 's':
        return {SaverMode::kFullScreen, nullptr};
    case 'C':
    case 'c':
        // Only "/c:N" names the owner; "/c N" and "/cN" leave it to the foreground window.
        return {SaverMode::kConfigure, p[1] == ':' ? p + 2 : nullptr};
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        return {SaverMode::kPreview, SkipSpaces(p + 1)};
    case 'A':
    case 'a':
        return {SaverMode::kChangePassword, SkipSpaces(p + 1)};
    default:
        return {SaverMode::kInvalid, nullptr};
    }
}

HWND ParseWindowHandle(const char *text) {
    // Handles are 32-bit values on the command line; more digits than fit wrap.
    uint32_t value = 0;
    for (const char *p = text; p != nullptr && *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

// The named window when it exists, else the one the user is working in.
static HWND OwnerOrForeground(HWND owner) {
    if (owner == nullptr || !IsWindow(owner))
        return GetForegroundWindow();
    return owner;
}

static int RunPreview(const char *text) {
    HWND parent = ParseWindowHandle(text);
    if (parent == nullptr || !IsWindow(parent))
        return -1;
    return RunSaverWindow(parent);
}

static int RunConfiguration(HWND owner) {
    if (PrepareConfigDialog(module_instance) == 0)
        return 0;
    return static_cast<int>(DialogBoxParamA(
        module_instance, MAKEINTRESOURCEA(kConfigDialogTemplate), owner, ConfigDialogProc, 0));
}

static int RunChangePassword(const char *text) {
    ChangeSaverPassword(OwnerOrForeground(ParseWindowHandle(text)));
    return 0;
}

static int RunMode(SaverCommand command) {
    switch (command.mode) {
    case SaverMode::kConfigureNoOwner:
        return RunConfiguration(nullptr);
    case SaverMode::kConfigure:
        return RunConfiguration(OwnerOrForeground(ParseWindowHandle(command.argument)));
    case SaverMode::kFullScreen:
        return RunSaverWindow(nullptr);
    case SaverMode::kPreview:
        return RunPreview(command.argument);
    case SaverMode::kChangePassword:
        return consumer_platform ? RunChangePassword(command.argument) : -1;
    case SaverMode::kInvalid:
        break;
    }
    return -1;
}

// A crashed saver must not leave the platform believing that a saver still runs.
static LONG WINAPI SaverFaultFilter(EXCEPTION_POINTERS *info) {
    // kernel32's UnhandledExceptionFilter calls the installed top-level filter itself; with this
    // filter still installed it would call us again, so the previous one goes back first.
    SetUnhandledExceptionFilter(previous_fault_filter);
    LONG answer = UnhandledExceptionFilter(info);
    if (answer == EXCEPTION_EXECUTE_HANDLER)
        SetSaverRunning(false);
    return answer;
}

int SaverMain(HINSTANCE instance, const char *tail) {
    module_instance = instance;
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    consumer_platform =
        GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;

    previous_fault_filter = SetUnhandledExceptionFilter(SaverFaultFilter);
    int result = RunMode(ReadSaverCommand(tail));
    SetUnhandledExceptionFilter(previous_fault_filter);
    return result;
}

static void ResetSaverMain() {
    module_instance = nullptr;
    consumer_platform = false;
    previous_fault_filter = nullptr;
}

void ResetHost() {
    ResetSaverMain();
    ResetSaverWindow();
    ResetPassword();
    ResetDefaultProc();
}
