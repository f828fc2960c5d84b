// KERNEL32's files, folders and errors on the host's file system: GetFileAttributesA,
// SetFileAttributesA (the read-only attribute is the host's write permission), CreateDirectoryA,
// RemoveDirectoryA, DeleteFileA, the last-error value and FormatMessageA with the system's
// English texts for the errors that these calls report.
#include "platform/headless/file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

DWORD last_error = ERROR_SUCCESS;
int writes_before_disk_full = -1, disk_full_writes = -1, disk_writes = 0;

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

} // namespace

namespace headless {

void ResetFiles() {
    last_error = ERROR_SUCCESS;
    SetWritesBeforeDiskFull(-1);
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
