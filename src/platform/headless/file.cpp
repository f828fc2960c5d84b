// KERNEL32's files, folders and errors on the host's file system: GetFileAttributesA,
// SetFileAttributesA (the read-only attribute is the host's write permission), CreateDirectoryA,
// RemoveDirectoryA, DeleteFileA, CreateFileA and CloseHandle (a handle reads and writes nothing
// here; it only holds the file with its sharing), the last-error value and FormatMessageA with the
// system's English texts for the errors that these calls report.
#include "platform/headless/file.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

namespace {

DWORD last_error = ERROR_SUCCESS;
int writes_before_disk_full = -1, disk_full_writes = -1, disk_writes = 0;

// A file held open: by a handle of this process, or by another program that lets go after
// refusing a number of opens (negative for a handle, which holds until it is closed).
struct OpenFile {
    std::string file;
    DWORD access;
    DWORD share;
    int refusals;
};
std::map<uintptr_t, OpenFile> open_files;
uintptr_t next_handle = 1;

// The errors the headless calls report: the host's errors that stand for each (-1: none) and the
// text a Windows system in English gives. Any other host error is "access denied".
const struct {
    DWORD code;
    int host_errors[2];
    const char *text;
} errors[] = {
    {ERROR_SUCCESS, {0, -1}, "The operation completed successfully."},
    {ERROR_FILE_NOT_FOUND, {-1, -1}, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, {ENOENT, ENOTDIR}, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, {-1, -1}, "Access is denied."},
    {ERROR_WRITE_PROTECT, {EROFS, -1}, "The media is write protected."},
    {ERROR_SHARING_VIOLATION,
     {-1, -1},
     "The process cannot access the file because it is being used by another process."},
    {ERROR_DISK_FULL, {ENOSPC, EDQUOT}, "There is not enough space on the disk."},
    {ERROR_ALREADY_EXISTS, {EEXIST, -1}, "Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, {ENAMETOOLONG, -1}, "The filename or extension is too long."},
};

DWORD ErrorFromErrno(int error_number) {
    for (const auto &entry : errors)
        if (entry.host_errors[0] == error_number || entry.host_errors[1] == error_number)
            return entry.code;
    return ERROR_ACCESS_DENIED;
}

// What a call on one file reports: a missing file in a folder that exists is "file not found",
// a missing folder on the way "path not found".
DWORD FileError(const char *file_name, int error_number) {
    if (error_number != ENOENT)
        return ErrorFromErrno(error_number);
    const std::string path = headless::HostPath(file_name);
    const size_t slash = path.rfind('/');
    struct stat folder;
    if (slash != std::string::npos && slash > 0 &&
        stat(path.substr(0, slash).c_str(), &folder) != 0)
        return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

// Sets the last-error value of a failed call, and the 0 (FALSE) that it answers.
DWORD Failure(DWORD error) {
    last_error = error;
    return 0;
}

// The outcome of a call on one file, setting the last-error value when it failed: no name at all
// is an invalid parameter, else the host's error counts.
BOOL Succeeded(const char *file_name, bool done) {
    if (!done)
        last_error = file_name ? FileError(file_name, errno) : ERROR_INVALID_PARAMETER;
    return done ? TRUE : FALSE;
}

// The file a path names, however the path is written, so that the handles on it meet; empty
// when there is no such file.
std::string FileIdentity(const std::string &host_path) {
    char resolved[PATH_MAX];
    return realpath(host_path.c_str(), resolved) != nullptr ? resolved : std::string();
}

// An access that the other side's sharing does not allow.
bool Refused(DWORD access, DWORD share) {
    return ((access & GENERIC_READ) && !(share & FILE_SHARE_READ)) ||
           ((access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE));
}

} // namespace

namespace headless {

void ResetFiles() {
    last_error = ERROR_SUCCESS;
    SetWritesBeforeDiskFull(-1);
    open_files.clear();
}

void HoldFileOpen(const char *windows_path, int refusals) {
    open_files[next_handle++] = {FileIdentity(HostPath(windows_path)), GENERIC_READ, 0, refusals};
}

bool MayOpen(const std::string &host_path, DWORD access, DWORD share) {
    const std::string file = FileIdentity(host_path);
    for (auto open = open_files.begin(); open != open_files.end(); ++open) {
        if (file.empty() || open->second.file != file ||
            (!Refused(access, open->second.share) && !Refused(open->second.access, share)))
            continue;
        if (open->second.refusals > 0 && --open->second.refusals == 0)
            open_files.erase(open);
        return Failure(ERROR_SHARING_VIOLATION);
    }
    return true;
}

std::string HostPath(const char *windows_path) {
    std::string path = windows_path;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

DWORD CopyText(const std::string &text, char *buffer, size_t size) {
    if (buffer == nullptr || size == 0)
        return 0;
    const size_t count = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

void SetLastErrorFromErrno(int error_number) {
    last_error = ErrorFromErrno(error_number);
}

void SetLastErrorTo(DWORD error) {
    last_error = error;
}

void SetWritesBeforeDiskFull(int writes, int failing_writes) {
    writes_before_disk_full = writes;
    disk_full_writes = failing_writes;
    disk_writes = 0;
}

bool TakeDiskWrite() {
    const int write = disk_writes++;
    if (writes_before_disk_full < 0 || write < writes_before_disk_full ||
        (disk_full_writes >= 0 && write >= writes_before_disk_full + disk_full_writes))
        return true;
    return Failure(ERROR_DISK_FULL);
}

} // namespace headless

DWORD WINAPI GetLastError() {
    return last_error;
}

DWORD WINAPI GetFileAttributesA(LPCSTR file_name) {
    struct stat info;
    if (!Succeeded(file_name, file_name && stat(headless::HostPath(file_name).c_str(), &info) == 0))
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY
           : info.st_mode & 0222 ? FILE_ATTRIBUTE_NORMAL
                                 : FILE_ATTRIBUTE_READONLY;
}

BOOL WINAPI SetFileAttributesA(LPCSTR file_name, DWORD attributes) {
    const std::string path = file_name ? headless::HostPath(file_name) : std::string();
    struct stat info;
    return Succeeded(file_name, file_name && stat(path.c_str(), &info) == 0 &&
                                    chmod(path.c_str(), attributes & FILE_ATTRIBUTE_READONLY
                                                            ? info.st_mode & ~0222
                                                            : info.st_mode | 0200) == 0);
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, void *) {
    return Succeeded(path, path && mkdir(headless::HostPath(path).c_str(), 0777) == 0);
}

BOOL WINAPI RemoveDirectoryA(LPCSTR path) {
    return Succeeded(path, path && rmdir(headless::HostPath(path).c_str()) == 0);
}

BOOL WINAPI DeleteFileA(LPCSTR file_name) {
    return Succeeded(file_name, file_name && unlink(headless::HostPath(file_name).c_str()) == 0);
}

// Opens an existing file, or makes it (OPEN_ALWAYS), and tells which: ERROR_ALREADY_EXISTS when it
// was there. A folder is no file, and a read-only file opens for reading only.
HANDLE WINAPI CreateFileA(LPCSTR file_name, DWORD access, DWORD share, void *, DWORD disposition,
                          DWORD, HANDLE) {
    if (file_name == nullptr || (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS)) {
        Failure(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = headless::HostPath(file_name);
    struct stat info;
    const bool existed = stat(path.c_str(), &info) == 0;
    if (existed &&
        (S_ISDIR(info.st_mode) || ((access & GENERIC_WRITE) && !(info.st_mode & 0222)))) {
        Failure(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (existed && !headless::MayOpen(path, access, share))
        return INVALID_HANDLE_VALUE;
    if (!existed) {
        const int made =
            disposition == OPEN_ALWAYS ? open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0666) : -1;
        if (made < 0) {
            last_error = FileError(file_name, disposition == OPEN_ALWAYS ? errno : ENOENT);
            return INVALID_HANDLE_VALUE;
        }
        close(made);
    }
    const uintptr_t handle = next_handle++;
    open_files[handle] = {FileIdentity(path), access, share, -1};
    last_error = existed && disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    return open_files.erase(reinterpret_cast<uintptr_t>(handle)) != 0
               ? TRUE
               : Failure(ERROR_INVALID_HANDLE);
}

// Only what the saver asks for: a system message by number, without inserts, into the
// caller's buffer, ending with the line break that the system's texts carry.
DWORD WINAPI FormatMessageA(DWORD flags, const void *, DWORD message_id, DWORD, LPSTR buffer,
                            DWORD size, void *) {
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || buffer == nullptr)
        return Failure(ERROR_INVALID_PARAMETER);
    for (const auto &entry : errors) {
        if (entry.code != message_id)
            continue;
        const std::string text = std::string(entry.text) + "\r\n";
        if (text.size() >= size)
            return Failure(ERROR_INSUFFICIENT_BUFFER);
        return headless::CopyText(text, buffer, size);
    }
    return Failure(ERROR_MR_MID_NOT_FOUND);
}
