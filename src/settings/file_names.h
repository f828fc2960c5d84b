// The settings files by their real names, whatever script they are in: paths are wide text, and
// every call on them goes to the wide form of the platform function on Windows NT, where the
// ANSI forms would turn a letter outside the code page into a look-alike (another folder) or
// into '?'. On the consumer platform, whose wide forms are stubs, the ANSI forms run, with the
// text converted through the ANSI code page, which holds every name there. Called by the
// settings store only.
#pragma once

#include <string>

#include "platform/win32.h"

// Wide text of ANSI text, and back, through the ANSI code page.
std::wstring WideFromAnsi(const char *text);
std::string AnsiFromWide(const WCHAR *text);

// The process's whole command line, program path included.
std::wstring ProgramCommandLine();
// The environment variable's value in buffer: its length; 0 when it is not set or empty; the
// room it needs, terminator included, when the buffer is too small (which then gets nothing).
DWORD ReadEnvironmentVariable(const char *name, WCHAR *buffer, DWORD size);

// The private-profile functions; section and key names are ASCII.
DWORD ReadProfileText(const char *section, const char *key, const WCHAR *default_text,
                      WCHAR *buffer, DWORD size, const WCHAR *path);
bool WriteProfileText(const char *section, const char *key, const WCHAR *text, const WCHAR *path);

DWORD FileAttributes(const WCHAR *path);
HANDLE OpenFileNamed(const WCHAR *path, DWORD access, DWORD share, DWORD disposition);
bool DeleteFileNamed(const WCHAR *path);
bool MakeFolder(const WCHAR *path);
bool RemoveFolder(const WCHAR *path);
