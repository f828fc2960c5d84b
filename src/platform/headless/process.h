// Test and tool controls of the headless process area (process.cpp): the command line, the
// version query, the virtual tick counter, Sleep, process exit and the last-chance fault filter.
#pragma once

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
void SetTickCount(DWORD now);
// Calls of Sleep so far, and how many of them were Sleep(0).
int SleepCalls();
int SleepZeroCalls();

} // namespace headless
