// Test and tool controls of the headless process area (process.cpp): the command line, the
// version query, the virtual clock behind GetTickCount and Sleep, the calendar clock, process
// exit and the fault guard's mechanism (SetUnhandledExceptionFilter over POSIX signals).
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

// The virtual clock behind GetTickCount, in milliseconds; it wraps at 2^32 as the real one does.
// Setting it does not move timers or scheduled events, which run on the process's own clock.
void SetTickCount(DWORD now);
// The calendar clock behind GetSystemTimeAsFileTime, in whole seconds since 1970-01-01 00:00:00
// UTC (1000000000, in 2001, after a reset); it moves on with the virtual clock from there.
void SetCalendarTime(uint64_t seconds_since_1970);
// Calls of Sleep(0) so far.
int SleepZeroCalls();

// What UnhandledExceptionFilter answers (EXCEPTION_EXECUTE_HANDLER after a reset), and how often
// it was called.
void SetUnhandledExceptionAnswer(LONG answer);
int UnhandledExceptionFilterCalls();
// The exit code of a process whose fault the top-level filter chose to handle: 128 plus the
// signal number, as a shell reports a process killed by that signal.
int FaultExitCode(int signal_number);

// Between the platform's areas: the process's monotonic virtual time in milliseconds since the
// last reset (never wraps), which timers and scheduled events run on, and moving it forward.
uint64_t VirtualNow();
void AdvanceVirtualClock(uint64_t ms);

} // namespace headless
