// Test and tool controls of the headless process area (process.cpp): the command line and its
// characters, the version query, the tick count and the calendar clock, which only Sleep moves,
// process exit and the top-level fault filter, which is only kept: faults are the platform's own
// to deliver (the last-chance report, UnhandledExceptionFilter, is one of the fakes).
#pragma once

#include <cstdint>

#include "platform/headless/windows.h"

namespace headless {

void ResetProcess();

// The whole command line that GetCommandLineA returns, program path included.
void SetCommandLine(const char *text);
// What GetVersionExA reports as dwPlatformId (VER_PLATFORM_WIN32_NT after a reset), and whether
// the call fails instead.
void SetPlatformId(DWORD platform_id);
void SetVersionQueryFails(bool fails);

// The count GetTickCount reports, in milliseconds; it wraps at 2^32 as the real one does.
void SetTickCount(DWORD now);
// The calendar clock behind GetSystemTimeAsFileTime, in whole seconds since 1970-01-01 00:00:00
// UTC (1000000000, in 2001, after a reset).
void SetCalendarTime(uint64_t seconds_since_1970);

} // namespace headless
