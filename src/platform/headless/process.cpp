#include "platform/headless/process.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string command_line;
DWORD platform_id = VER_PLATFORM_WIN32_NT;
bool version_query_fails = false;

// GetTickCount is tick_base + virtual_now, modulo 2^32; a fresh process has been up a minute.
uint64_t virtual_now = 0;
DWORD tick_base = 60000;
// The calendar in milliseconds since 1970 is calendar_base + virtual_now.
constexpr uint64_t kResetCalendarMs = 1000000000ull * 1000;
uint64_t calendar_base = kResetCalendarMs;
int sleep_calls = 0;
int sleep_zero_calls = 0;

LONG unhandled_answer = EXCEPTION_EXECUTE_HANDLER;
int unhandled_calls = 0;
LPTOP_LEVEL_EXCEPTION_FILTER top_level_filter = nullptr;

// The signals that stand for the processor faults Windows reports as exceptions.
const int fault_signals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr int fault_signal_count = sizeof(fault_signals) / sizeof(fault_signals[0]);
struct sigaction previous_actions[fault_signal_count];
bool handlers_installed = false;
// A fault from a stack overflow leaves no stack to run the handler on.
alignas(16) char fault_stack[64 * 1024];

void OnFault(int signal_number, siginfo_t *info, void *context) {
    EXCEPTION_POINTERS pointers = {info, context};
    LPTOP_LEVEL_EXCEPTION_FILTER filter = top_level_filter;
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
    for (int i = 0; i < fault_signal_count; ++i)
        sigaction(fault_signals[i], &action, &previous_actions[i]);
    handlers_installed = true;
}

void RemoveFaultHandlers() {
    if (!handlers_installed)
        return;
    for (int i = 0; i < fault_signal_count; ++i)
        sigaction(fault_signals[i], &previous_actions[i], nullptr);
    handlers_installed = false;
}

} // namespace

namespace headless {

void ResetProcess() {
    command_line.clear();
    platform_id = VER_PLATFORM_WIN32_NT;
    version_query_fails = false;
    virtual_now = 0;
    tick_base = 60000;
    calendar_base = kResetCalendarMs;
    sleep_calls = 0;
    sleep_zero_calls = 0;
    unhandled_answer = EXCEPTION_EXECUTE_HANDLER;
    unhandled_calls = 0;
    top_level_filter = nullptr;
    RemoveFaultHandlers();
}

void SetCommandLine(const char *text) {
    command_line = text;
}
void SetPlatformId(DWORD id) {
    platform_id = id;
}
void SetVersionQueryFails(bool fails) {
    version_query_fails = fails;
}

void SetTickCount(DWORD now) {
    tick_base = now - static_cast<DWORD>(virtual_now);
}
void SetCalendarTime(uint64_t seconds_since_1970) {
    calendar_base = seconds_since_1970 * 1000 - virtual_now;
}
int SleepCalls() {
    return sleep_calls;
}
int SleepZeroCalls() {
    return sleep_zero_calls;
}

void SetUnhandledExceptionAnswer(LONG answer) {
    unhandled_answer = answer;
}
int UnhandledExceptionFilterCalls() {
    return unhandled_calls;
}
int FaultExitCode(int signal_number) {
    return 128 + signal_number;
}

uint64_t VirtualNow() {
    return virtual_now;
}
void AdvanceVirtualClock(uint64_t ms) {
    virtual_now += ms;
}

} // namespace headless

LPSTR WINAPI GetCommandLineA() {
    return command_line.data();
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    // Windows accepts exactly the sizes of OSVERSIONINFOA (148) and OSVERSIONINFOEXA (156).
    const DWORD size = info->dwOSVersionInfoSize;
    if (version_query_fails || (size != 148 && size != 156))
        return FALSE;
    const bool consumer = platform_id == VER_PLATFORM_WIN32_WINDOWS;
    info->dwMajorVersion = consumer ? 4 : 5;
    info->dwMinorVersion = consumer ? 10 : 1;
    info->dwBuildNumber = consumer ? 2222 : 2600;
    info->dwPlatformId = platform_id;
    std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
    if (size == 156)
        std::memset(reinterpret_cast<char *>(info) + 148, 0, 8);
    return TRUE;
}

DWORD WINAPI GetTickCount() {
    return tick_base + static_cast<DWORD>(virtual_now);
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME now) {
    constexpr uint64_t kSeconds1601To1970 = 11644473600ull;
    const uint64_t intervals = (kSeconds1601To1970 * 1000 + calendar_base + virtual_now) * 10000;
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
    ++sleep_calls;
    if (milliseconds == 0)
        ++sleep_zero_calls;
    virtual_now += milliseconds;
}

[[noreturn]] void WINAPI ExitProcess(UINT exit_code) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(static_cast<int>(exit_code));
}

// The platform's own last-chance report. It does not call the top-level filter: a filter that
// hands a fault on to it would otherwise be asked twice.
LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS *) {
    ++unhandled_calls;
    return unhandled_answer;
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI
SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
    LPTOP_LEVEL_EXCEPTION_FILTER previous = top_level_filter;
    top_level_filter = filter;
    InstallFaultHandlers();
    return previous;
}
