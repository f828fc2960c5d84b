// KERNEL32's files, folders and errors on the host's file system: GetFileAttributesA,
// CreateDirectoryA, DeleteFileA, the last-error value and FormatMessageA with the system's
// English texts for the errors that these calls report.
#include "platform/headless/file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

DWORD last_error = ERROR_SUCCESS;
int writes_before_disk_full = -1;

struct ErrorText {
    DWORD code;
    const char *text;
};
// The texts a Windows system in English gives for the errors the headless calls report.
const ErrorText error_texts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_WRITE_PROTECT, "The media is write protected."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
};

// The host's errors as Windows reports them; any other is "access denied".
const struct {
    int error_number;
    DWORD error;
} host_errors[] = {{0, ERROR_SUCCESS},
                   {ENOENT, ERROR_PATH_NOT_FOUND},
                   {ENOTDIR, ERROR_PATH_NOT_FOUND},
                   {EROFS, ERROR_WRITE_PROTECT},
                   {ENOSPC, ERROR_DISK_FULL},
                   {EDQUOT, ERROR_DISK_FULL},
                   {EEXIST, ERROR_ALREADY_EXISTS},
                   {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE}};

DWORD ErrorFromErrno(int error_number) {
    for (const auto &entry : host_errors)
        if (entry.error_number == error_number)
            return entry.error;
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
    writes_before_disk_full = -1;
}

std::string HostPath(const char *windows_path) {
    std::string path = windows_path;
    for (char &c : path) {
        if (c == '\\')
            c = '/';
    }
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

void SetWritesBeforeDiskFull(int writes) {
    writes_before_disk_full = writes;
}

bool TakeDiskWrite() {
    if (writes_before_disk_full == 0)
        return Failure(ERROR_DISK_FULL);
    if (writes_before_disk_full > 0)
        --writes_before_disk_full;
    return true;
}

} // namespace headless

DWORD WINAPI GetLastError() {
    return last_error;
}

DWORD WINAPI GetFileAttributesA(LPCSTR file_name) {
    struct stat info;
    if (!Succeeded(file_name, file_name && stat(headless::HostPath(file_name).c_str(), &info) == 0))
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, void *) {
    if (path == nullptr || mkdir(headless::HostPath(path).c_str(), 0777) != 0) {
        headless::SetLastErrorFromErrno(path == nullptr ? ENOENT : errno);
        return FALSE;
    }
    return TRUE;
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
    for (const ErrorText &entry : error_texts) {
        if (entry.code != message_id)
            continue;
        const std::string text = std::string(entry.text) + "\r\n";
        if (text.size() >= size)
            return Failure(ERROR_INSUFFICIENT_BUFFER);
        return headless::CopyText(text, buffer, size);
    }
    return Failure(ERROR_MR_MID_NOT_FOUND);
}
