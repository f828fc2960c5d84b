// The private-profile functions as the settings store relies on them. The file is named
// relative to the current directory with a backslash, which both platforms take as a path.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// One file per test, so that tests running side by side never share one.
class Profile : public ::testing::Test {
  protected:
    void SetUp() override {
        host_name_ = std::string("frellis_profile_") +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        path_ = ".\\" + host_name_;
        host_file = host_name_.c_str();
        profile_path = path_.c_str();
        std::remove(host_file);
    }
    void TearDown() override { std::remove(host_file); }

    static inline const char *host_file;
    static inline const char *profile_path;
    std::string host_name_;
    std::string path_;

    static void Write(const char *text) {
        FILE *file = std::fopen(host_file, "wb");
        std::fputs(text, file);
        std::fclose(file);
    }
    static std::string Contents() {
        std::string text;
        FILE *file = std::fopen(host_file, "rb");
        if (file == nullptr)
            return "(none)";
        int c;
        while ((c = std::fgetc(file)) != EOF)
            text += static_cast<char>(c);
        std::fclose(file);
        return text;
    }
    static std::string Read(const char *section, const char *key, DWORD size, DWORD *count) {
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        *count = GetPrivateProfileStringA(section, key, "", buffer, size, profile_path);
        return std::string(buffer);
    }
};

TEST_F(Profile, ReadingFindsTheValueAndChangesNothing) {
    const char file[] = "[Other]\r\nPolygon=1\r\n[Setting]\r\nPolygon=5\r\nLine = 12 \r\n"
                        "Empty=\r\nLong=123456789012345678901234\r\n";
    const struct {
        const char *section;
        const char *key;
        DWORD size;
        const char *text;
        DWORD count;
    } rows[] = {
        {"Setting", "Polygon", 20, "5", 1},
        {"setting", "POLYGON", 20, "5", 1}, // names match without letter case
        {"Setting", "Line", 20, "12", 2},   // blanks around the value are not part of it
        {"Setting", "Empty", 20, "", 0},
        {"Setting", "Missing", 20, "", 0},
        {"Missing", "Polygon", 20, "", 0},
        {"Setting", "Long", 20, "1234567890123456789", 19}, // at most size - 1 characters
        {"Setting", "Long", 2, "1", 1},
    };
    Write(file);
    for (const auto &row : rows) {
        DWORD count = 0;
        EXPECT_EQ(Read(row.section, row.key, row.size, &count), row.text)
            << row.section << "/" << row.key;
        EXPECT_EQ(count, row.count) << row.section << "/" << row.key;
    }
    EXPECT_EQ(Contents(), file);
}

TEST_F(Profile, ReadingAMissingFileCreatesNothing) {
    DWORD count = 1;
    EXPECT_EQ(Read("Setting", "Polygon", 20, &count), "");
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Contents(), "(none)");
}

TEST_F(Profile, WritingCreatesFileSectionAndKey) {
    ASSERT_TRUE(WritePrivateProfileStringA("Setting", "Polygon", "3", profile_path));
    DWORD count = 0;
    EXPECT_EQ(Read("Setting", "Polygon", 20, &count), "3");
    EXPECT_EQ(Contents(), "[Setting]\r\nPolygon=3\r\n");
}

TEST_F(Profile, WritingKeepsEveryOtherSectionAndKey) {
    Write("[Other]\r\nPolygon=1\r\n[Setting]\r\nPoint=4\r\nPolygon=5\r\n[Last]\r\nA=b\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("Setting", "Polygon", "8", profile_path));
    ASSERT_TRUE(WritePrivateProfileStringA("Setting", "Speed", "10", profile_path));
    ASSERT_TRUE(WritePrivateProfileStringA("New", "Line", "16", profile_path));
    const struct {
        const char *section;
        const char *key;
        const char *text;
    } rows[] = {
        {"Other", "Polygon", "1"},  {"Setting", "Point", "4"}, {"Setting", "Polygon", "8"},
        {"Setting", "Speed", "10"}, {"Last", "A", "b"},        {"New", "Line", "16"},
    };
    for (const auto &row : rows) {
        DWORD count = 0;
        EXPECT_EQ(Read(row.section, row.key, 20, &count), row.text)
            << row.section << "/" << row.key;
    }
}

// Whatever the file's last line ends in, a written key reads back and its section is written
// once.
TEST_F(Profile, WritingAfterAnyLastLineKeepsOneSection) {
    const char *const files[] = {"", "\r", "A=b", "[Other]\r\nA=b\r", "[S]\r\nA=b", "\r\n\r"};
    for (const char *file : files) {
        Write(file);
        ASSERT_TRUE(WritePrivateProfileStringA("S", "K", "1", profile_path)) << file;
        ASSERT_TRUE(WritePrivateProfileStringA("S", "K", "2", profile_path)) << file;
        DWORD count = 0;
        EXPECT_EQ(Read("S", "K", 20, &count), "2") << file;
        const std::string contents = Contents();
        EXPECT_EQ(contents.find("[S]"), contents.rfind("[S]")) << contents;
    }
}

// A file another program holds open (a backup, a virus scanner) can be neither read nor written
// unless that program shares it: a read then answers as for a missing key, and only the last-error
// value tells the two apart. One that is only read, and shared for reading, reads as ever.
TEST_F(Profile, AFileHeldOpenIsReadAndWrittenAsItsHolderShares) {
    const char file[] = "[Setting]\r\nPolygon=5\r\n";
    const struct {
        DWORD share;
        const char *text;
        DWORD read_error; // 0: not looked at
        DWORD write_error;
    } rows[] = {
        {0, "", ERROR_SHARING_VIOLATION, ERROR_SHARING_VIOLATION},
        {FILE_SHARE_READ, "5", 0, ERROR_SHARING_VIOLATION},
    };
    Write(file);
    for (const auto &row : rows) {
        const HANDLE held = CreateFileA(profile_path, GENERIC_READ, row.share, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << row.share;
        DWORD count = 0;
        const std::string text = Read("Setting", "Polygon", 20, &count);
        const DWORD read_error = GetLastError();
        const BOOL wrote = WritePrivateProfileStringA("Setting", "Polygon", "8", profile_path);
        const DWORD write_error = GetLastError();
        EXPECT_TRUE(CloseHandle(held));
        EXPECT_EQ(text, row.text) << row.share;
        if (row.read_error != 0) {
            EXPECT_EQ(read_error, row.read_error) << row.share;
        }
        EXPECT_FALSE(wrote) << row.share;
        EXPECT_EQ(write_error, row.write_error) << row.share;
    }
    EXPECT_EQ(Contents(), file);
}

// The wide forms write the file in the ANSI code page, as the ANSI forms do: a new file gets
// single bytes, no byte order mark, and an existing one keeps its other lines byte for byte (a
// letter of a single-byte code page included).
TEST_F(Profile, WideWritesKeepTheFileAnsi) {
    const std::wstring wide_path(path_.begin(), path_.end());
    const struct {
        const char *before; // null: no file
        const char *after;
    } rows[] = {
        {nullptr, "[Setting]\r\nPolygon=3\r\n"},
        {"[Other]\r\nName=Jos\xE9\r\n[Setting]\r\nPolygon=5\r\n",
         "[Other]\r\nName=Jos\xE9\r\n[Setting]\r\nPolygon=3\r\n"},
    };
    for (const auto &row : rows) {
        std::remove(host_file);
        if (row.before != nullptr)
            Write(row.before);
        ASSERT_TRUE(WritePrivateProfileStringW(L"Setting", L"Polygon", L"3", wide_path.c_str()));
        EXPECT_EQ(Contents(), row.after);
    }
}

// A folder and a file whose names no one ANSI code page holds are made, found, read, written and
// removed by their wide names.
TEST(WideProfile, NamesInAnyScript) {
    const WCHAR *const folders[] = {L".\\frellis_\x0414\x043C\x0438\x0442\x0440\x0438\x0439",
                                    L".\\frellis_\x014Ckubo_\x30C0\x30A6\x30F3"};
    for (const WCHAR *folder : folders) {
        const std::wstring name = std::wstring(folder) + L"\\Frellis.ini";
        DeleteFileW(name.c_str());
        RemoveDirectoryW(folder);
        ASSERT_TRUE(CreateDirectoryW(folder, nullptr));
        EXPECT_FALSE(CreateDirectoryW(folder, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Setting", L"Polygon", L"3", name.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Setting", L"Line", L"9", name.c_str()));
        WCHAR text[8] = {};
        EXPECT_EQ(GetPrivateProfileStringW(L"Setting", L"Polygon", L"", text, 8, name.c_str()), 1u);
        EXPECT_EQ(std::wstring(text), L"3");
        EXPECT_EQ(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
        EXPECT_NE(GetFileAttributesW(folder) & FILE_ATTRIBUTE_DIRECTORY, 0u);
        const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        EXPECT_TRUE(DeleteFileW(name.c_str()));
        EXPECT_EQ(GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(RemoveDirectoryW(folder));
    }
}

// Wine, where a process can ask for its version.
bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A read-only file is refused whoever asks, an administrator too, and keeps every byte.
TEST_F(Profile, AReadOnlyFileRefusesWrites) {
    const char file[] = "[Setting]\r\nPolygon=5\r\n";
    struct {
        const char *key;
        const char *text; // null deletes the key
        BOOL wrote;
        DWORD error;
    } rows[] = {{"Polygon", "8", 0, 0}, {"Point", "3", 0, 0}, {"Polygon", nullptr, 0, 0}};
    Write(file);
    ASSERT_TRUE(SetFileAttributesA(profile_path, FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(GetFileAttributesA(profile_path) & FILE_ATTRIBUTE_READONLY, 0u);
    for (auto &row : rows) {
        row.wrote = WritePrivateProfileStringA("Setting", row.key, row.text, profile_path);
        row.error = GetLastError();
    }
    ASSERT_TRUE(SetFileAttributesA(profile_path, FILE_ATTRIBUTE_NORMAL));
    // Wine keeps the attribute as the file's write permission, which root passes by: run by root,
    // it writes the file, and the statement cannot be put to the test there.
    if (rows[0].wrote && UnderWine())
        GTEST_SKIP() << "Wine, run by root, writes read-only files";
    for (const auto &row : rows) {
        EXPECT_FALSE(row.wrote) << row.key;
        EXPECT_EQ(row.error, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << row.key;
    }
    EXPECT_EQ(Contents(), file);
}

} // namespace
