// What the settings store relies on when it looks for, makes and writes its files, and how a
// failure is told: the last-error value of each call and the system's text for it. Paths are
// relative to the current directory with a backslash, which both platforms take as a path.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Opens the file for reading, or makes it, and lets it go again: whether that succeeded. Closing
// leaves the last-error value of the open alone.
bool Open(const std::string &path, DWORD disposition) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

TEST(Files, EachFailureSetsItsLastError) {
    const char *folder = ".\\frellis_file_test";
    const std::string file = std::string(folder) + "\\Frellis.ini";
    const std::string deeper = std::string(folder) + "\\missing\\Frellis.ini";
    // Left behind by an earlier run, or made now.
    DeleteFileA(file.c_str());
    CreateDirectoryA(folder, nullptr);

    const struct {
        const char *what;
        bool succeeded;
        DWORD error; // the last-error value after the call
        bool expected_success;
        DWORD expected_error;
    } rows[] = {
        {"a folder that exists", CreateDirectoryA(folder, nullptr) != FALSE, GetLastError(), false,
         ERROR_ALREADY_EXISTS},
        {"a folder below a missing one",
         CreateDirectoryA(".\\frellis_no_such_folder\\below", nullptr) != FALSE, GetLastError(),
         false, ERROR_PATH_NOT_FOUND},
        {"the attributes of a missing file",
         GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES, GetLastError(), false,
         ERROR_FILE_NOT_FOUND},
        {"the attributes of a file in a missing folder",
         GetFileAttributesA(deeper.c_str()) != INVALID_FILE_ATTRIBUTES, GetLastError(), false,
         ERROR_PATH_NOT_FOUND},
        {"a profile write into a missing folder",
         WritePrivateProfileStringA("Setting", "Polygon", "3", deeper.c_str()) != FALSE,
         GetLastError(), false, ERROR_PATH_NOT_FOUND},
        {"deleting a missing file", DeleteFileA(file.c_str()) != FALSE, GetLastError(), false,
         ERROR_FILE_NOT_FOUND},
        {"opening a missing file", Open(file, OPEN_EXISTING), GetLastError(), false,
         ERROR_FILE_NOT_FOUND},
        {"opening a folder as a file", Open(folder, OPEN_ALWAYS), GetLastError(), false,
         ERROR_ACCESS_DENIED},
        // Made, or found: a success either way, which the last-error value tells apart.
        {"making a file", Open(file, OPEN_ALWAYS), GetLastError(), true, ERROR_SUCCESS},
        {"finding it there", Open(file, OPEN_ALWAYS), GetLastError(), true, ERROR_ALREADY_EXISTS},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(row.succeeded, row.expected_success) << row.what;
        EXPECT_EQ(row.error, row.expected_error) << row.what;
    }

    ASSERT_TRUE(WritePrivateProfileStringA("Setting", "Polygon", "3", file.c_str()));
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(DeleteFileA(file.c_str()));
}

TEST(Files, TheSystemNamesTheReasonForAnError) {
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    for (DWORD error : {ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND, ERROR_DISK_FULL}) {
        char text[256] = {};
        const DWORD length = FormatMessageA(flags, nullptr, error, 0, text, sizeof text, nullptr);
        EXPECT_GT(length, 2u) << error;
        EXPECT_EQ(length, std::strlen(text)) << error;
        // The system's texts end with a line break.
        EXPECT_EQ(std::string(text).substr(length - 2), "\r\n") << error;
    }
}

} // namespace
