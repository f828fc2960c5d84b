// Test controls and shared helpers of the headless file area (file.cpp): the thread's last-error
// value with its messages, the file and folder calls, the handles open on files with their
// sharing, Windows paths on the host's files, and the copy into a caller's buffer that the calls
// answering with text share.
#pragma once

#include <string>

#include "platform/headless/windows.h"

namespace headless {

void ResetFiles();

// A Windows path as a host path: backslashes become slashes, so "\\tmp\\saver\\Frellis.ini" is
// /tmp/saver/Frellis.ini and ".\\Frellis.ini" lies in the current directory.
std::string HostPath(const char *windows_path);

// Copies text into a caller's buffer of size bytes, cut short to leave room for the terminator;
// the count of characters copied (0 without a buffer).
DWORD CopyText(const std::string &text, char *buffer, size_t size);

// Sets the last-error value for a failed host call, from its errno, or to the value given.
void SetLastErrorFromErrno(int error_number);
void SetLastErrorTo(DWORD error);

// The disk fills up: after this many more successful file writes, the next failing_writes writes
// fail with ERROR_DISK_FULL (negative: every write from then on), as when another program frees
// room again. Negative writes (after a reset) means no limit.
void SetWritesBeforeDiskFull(int writes, int failing_writes = -1);
// Asked by every writer before it writes: false (and ERROR_DISK_FULL) once the disk is full.
bool TakeDiskWrite();

// Another program (a backup, a virus scanner) holds the file open without sharing it, and lets
// go once it has refused this process `refusals` opens of it (negative: not before a reset).
void HoldFileOpen(const char *windows_path, int refusals);
// Whether the file can be opened with this access and sharing beside the handles open on it (a
// missing file always can); false, with ERROR_SHARING_VIOLATION, when not. The profile functions
// ask it for their own opens, as the real ones open the file.
bool MayOpen(const std::string &host_path, DWORD access, DWORD share);

} // namespace headless
