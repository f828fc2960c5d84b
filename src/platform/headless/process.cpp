#include "platform/headless/process.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Everything the area keeps, so that a reset is one assignment.
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

} // namespace

namespace headless {

void ResetProcess() {
    state = State();
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
    return previous;
}
