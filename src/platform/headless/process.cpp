#include "platform/headless/process.h"

#include <csignal>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Everything the area keeps but the fault handlers, so that a reset is one assignment.
struct State {
    std::string command_line;
    DWORD platform_id = VER_PLATFORM_WIN32_NT;
    bool version_query_fails = false;
    // A fresh process has been up a minute; Sleep moves both clocks on.
    DWORD tick_count = 60000;
    uint64_t calendar_ms = 1000000000ull * 1000; // since 1970
    LPTOP_LEVEL_EXCEPTION_FILTER top_level_filter = nullptr;
};
State state;

// The signals that stand for the processor faults Windows reports as exceptions.
const int fault_signals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction previous_actions[std::size(fault_signals)];
bool handlers_installed = false;
// A fault from a stack overflow leaves no stack to run the handler on.
alignas(16) char fault_stack[64 * 1024];

void OnFault(int signal_number, siginfo_t *info, void *context) {
    EXCEPTION_POINTERS pointers = {info, context};
    LPTOP_LEVEL_EXCEPTION_FILTER filter = state.top_level_filter;
    if (filter && filter(&pointers) == EXCEPTION_EXECUTE_HANDLER) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(headless::FaultExitCode(signal_number));
    }
    // Anything else goes on to the default handling, which ends the process as the fault would
    // have (continuing would only fault again at the same instruction). The signal stays
    // blocked until the handler returns, so the raised one kills the process right after.
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void InstallFaultHandlers() {
    if (handlers_installed)
        return;
    stack_t stack = {};
    stack.ss_sp = fault_stack;
    stack.ss_size = sizeof(fault_stack);
    sigaltstack(&stack, nullptr);
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(fault_signals); ++i)
        sigaction(fault_signals[i], &action, &previous_actions[i]);
    handlers_installed = true;
}

void RemoveFaultHandlers() {
    if (!handlers_installed)
        return;
    for (size_t i = 0; i < std::size(fault_signals); ++i)
        sigaction(fault_signals[i], &previous_actions[i], nullptr);
    handlers_installed = false;
}

} // namespace

namespace headless {

void ResetProcess() {
    state = State();
    RemoveFaultHandlers();
}

void SetCommandLine(const char *text) {
    state.command_line = text;
}
void SetPlatformId(DWORD id) {
    state.platform_id = id;
}
void SetVersionQueryFails(bool fails) {
    state.version_query_fails = fails;
}

void SetTickCount(DWORD now) {
    state.tick_count = now;
}
void SetCalendarTime(uint64_t seconds_since_1970) {
    state.calendar_ms = seconds_since_1970 * 1000;
}

int FaultExitCode(int signal_number) {
    return 128 + signal_number;
}

} // namespace headless

LPSTR WINAPI GetCommandLineA() {
    return state.command_line.data();
}

LPSTR WINAPI CharNextA(LPCSTR text) {
    // The single-byte code page: every character is one byte, and the end stays the end.
    return const_cast<LPSTR>(*text ? text + 1 : text);
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    // Windows accepts exactly the sizes of OSVERSIONINFOA (148) and OSVERSIONINFOEXA (156).
    const DWORD size = info->dwOSVersionInfoSize;
    if (state.version_query_fails || (size != 148 && size != 156))
        return FALSE;
    // Windows 98 or XP; the service pack text, and the extended record's fields after it, are
    // empty.
    std::memset(&info->dwMajorVersion, 0, size - sizeof size);
    info->dwMajorVersion = state.platform_id == VER_PLATFORM_WIN32_WINDOWS ? 4 : 5;
    info->dwPlatformId = state.platform_id;
    return TRUE;
}

DWORD WINAPI GetTickCount() {
    return state.tick_count;
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME now) {
    constexpr uint64_t kSeconds1601To1970 = 11644473600ull;
    const uint64_t intervals = (kSeconds1601To1970 * 1000 + state.calendar_ms) * 10000;
    now->dwLowDateTime = static_cast<DWORD>(intervals);
    now->dwHighDateTime = static_cast<DWORD>(intervals >> 32);
}

// The process's real environment: tests set a variable with setenv and unset it afterwards.
DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    const char *value = std::getenv(name);
    if (!value)
        return 0;
    const DWORD length = static_cast<DWORD>(std::strlen(value));
    // Too small a buffer gets nothing and learns the size it needs, terminator included.
    if (!buffer || size <= length)
        return length + 1;
    std::memcpy(buffer, value, length + 1);
    return length;
}

void WINAPI Sleep(DWORD milliseconds) {
    state.tick_count += milliseconds;
    state.calendar_ms += milliseconds;
}

[[noreturn]] void WINAPI ExitProcess(UINT exit_code) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(static_cast<int>(exit_code));
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI
SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
    LPTOP_LEVEL_EXCEPTION_FILTER previous = state.top_level_filter;
    state.top_level_filter = filter;
    InstallFaultHandlers();
    return previous;
}
