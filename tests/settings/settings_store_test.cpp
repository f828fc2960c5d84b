#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "host/saver_main.h"
#include "platform/headless/headless.h"
#include "support/scratch_folder.h"

namespace {

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        ResetSettings();
        headless::SetCommandLine((scratch_.QuotedProgram() + " /s").c_str());
        unsetenv("APPDATA");
    }
    void TearDown() override {
        unsetenv("APPDATA");
        consumer_platform = false;
    }

    static std::string WindowsPath(const std::string &path) {
        return ScratchFolder::WindowsPath(path);
    }
    std::string IniPath() const { return scratch_.IniPath(); }
    void WriteIni(const std::string &text) const { scratch_.WriteIni(text); }
    std::string ReadIni() const { return scratch_.ReadIni(); }

    ScratchFolder scratch_;
};

TEST(NumberText, FormatDecimal) {
    const struct {
        int32_t value;
        const char *text;
    } rows[] = {
        {0, "0"},
        {16, "16"},
        {-5, "-5"},
        {2147483647, "2147483647"},
        {INT32_MIN, "-2147483648"},
        {1000000000, "1000000000"},
    };
    for (const auto &row : rows)
        EXPECT_STREQ(FormatDecimal(row.value), row.text) << row.value;
}

TEST(NumberText, ParseDecimal) {
    const struct {
        const char *text;
        int32_t value;
    } rows[] = {
        {nullptr, 0},
        {"", 0},
        {"7", 7},
        {"007", 7},
        {"-", 0},
        {"-0", 0},
        {"-999999999", -999999999},
        {"-1000000000", 0}, // eleven characters
        {"0000000005", 5},  // ten characters
        {"00000000005", 0}, // eleven characters, even though a valid number
        {"+3", 0},
        {"5a", 0},
        {" 5", 0},
        {"5 ", 0},
        {"1.5", 0},
        {"--5", 0},
        {"5-", 0},
        {"\xB5", 0},
        {"2147483647", 2147483647},
        // Ten digits past the largest value wrap modulo 2^32 instead of overflowing.
        {"4294967295", -1},
        {"4294967296", 0},
        {"9999999999", 1410065407},
        {"-2147483648", 0}, // eleven characters
    };
    for (const auto &row : rows)
        EXPECT_EQ(ParseDecimal(row.text), row.value) << (row.text ? row.text : "(null)");
}

TEST(NumberText, EveryFormattedValueParsesBack) {
    const int32_t values[] = {0, 1, -1, 9, 10, 99, -999999999, 999999999, 2147483647};
    for (int32_t value : values)
        EXPECT_EQ(ParseDecimal(FormatDecimal(value)), value);
}

TEST_F(SettingsStore, ReadSettingDefaultsAndClamps) {
    const struct {
        const char *line; // the Polygon line of the file, or null for no file at all
        int32_t expected;
    } rows[] = {
        {nullptr, 2},
        {"Polygon=", 2},
        {"Polygon=abc", 1},
        {"Polygon=0", 1},
        {"Polygon=-3", 1},
        {"Polygon=99", 8},
        {"Polygon=+3", 1},
        {"Polygon=007", 7},
        {"Polygon=5x", 1},
        {"Polygon=3", 3},
        {"Polygon=00000000005", 1},
        {"Polygon=0000000005", 5},
        {"Polygon=4294967297", 1},               // wraps to 1
        {"Polygon=123456789012345678901234", 1}, // cut to 19 characters, still not a number
        {"Other=5", 2},
    };
    for (const auto &row : rows) {
        std::remove(IniPath().c_str());
        if (row.line != nullptr)
            WriteIni(std::string("[Setting]\r\n") + row.line + "\r\n");
        LoadSettings();
        EXPECT_EQ(saver_settings.figure_count, row.expected) << (row.line ? row.line : "no file");
    }
}

TEST_F(SettingsStore, LoadSettingsClampsEveryKey) {
    const struct {
        const char *file;
        SaverSettings expected; // figure_count, trail_length, corner_count, speed
    } rows[] = {
        {nullptr, {2, 16, 4, 10}},
        {"[Setting]\nPolygon=8\nPoint=8\nLine=32\nSpeed=20\n", {8, 32, 8, 20}},
        {"[Setting]\nPoint=1\nLine=33\nSpeed=0\n", {2, 32, 2, 1}},
        {"[Setting]\nSpeed=21\nLine=0\n", {2, 1, 4, 20}},
        {"[Other]\nPolygon=5\n", {2, 16, 4, 10}},
    };
    for (const auto &row : rows) {
        std::remove(IniPath().c_str());
        if (row.file != nullptr)
            WriteIni(row.file);
        LoadSettings();
        EXPECT_EQ(saver_settings.figure_count, row.expected.figure_count);
        EXPECT_EQ(saver_settings.corner_count, row.expected.corner_count);
        EXPECT_EQ(saver_settings.trail_length, row.expected.trail_length);
        EXPECT_EQ(saver_settings.speed, row.expected.speed);
        EXPECT_EQ(headless::AnsiText(settings_path), WindowsPath(IniPath()));
    }
}

TEST_F(SettingsStore, WritesCreateTheFileAndKeepTheRest) {
    ASSERT_EQ(WriteSetting(headless::WideText(WindowsPath(IniPath()).c_str()).c_str(), "Setting",
                           "Polygon", 99),
              1);
    EXPECT_EQ(ReadIni(), "[Setting]\r\nPolygon=99\r\n");

    WriteIni("; saver\r\n[Other]\r\nA=1\r\n\r\n[Setting]\r\nPolygon=3\r\nX=y\r\n\r\n[Last]\r\nB=2");
    const WCHAR *path = settings_path;
    LoadSettings();
    EXPECT_EQ(WriteSetting(path, "Setting", "Polygon", -7), 1);
    EXPECT_EQ(WriteSetting(path, "Setting", "Speed", 0), 1);
    EXPECT_EQ(ReadIni(), "; saver\r\n[Other]\r\nA=1\r\n\r\n[Setting]\r\nPolygon=-7\r\nX=y\r\n"
                         "Speed=0\r\n\r\n[Last]\r\nB=2\r\n");
}

TEST_F(SettingsStore, AFailedWriteReportsZeroAndLeavesNoFile) {
    const std::wstring missing_folder =
        headless::WideText(WindowsPath(scratch_.path + "/missing/Frellis.ini").c_str());
    EXPECT_EQ(WriteSetting(missing_folder.c_str(), "Setting", "Polygon", 3), 0);
}

// A text of count copies of one character, which may take several bytes.
std::string Repeat(const std::string &character, size_t count) {
    std::string text;
    while (count-- > 0)
        text += character;
    return text;
}

// On both platforms: the wide command line on Windows NT, the ANSI one on the consumer platform.
TEST_F(SettingsStore, SettingsDirectoryFromTheCommandLine) {
    const std::string long_folder(300, 'd');
    const struct {
        std::string command_line;
        std::string directory;
    } rows[] = {
        {"\"C:\\Program Files\\My Saver\\frellis.scr\" /s", "C:\\Program Files\\My Saver\\"},
        {"\"C:\\a b\\frellis.scr\" \\args\\with\\backslashes", "C:\\a b\\"},
        {"C:\\WINDOWS\\frellis.scr /s", "C:\\WINDOWS\\"},
        // Unquoted, the last backslash of the whole line counts.
        {"C:\\saver\\frellis.scr /p \\x\\y", "C:\\saver\\frellis.scr /p \\x\\"},
        // What the path rule cannot place goes to the current directory.
        {"frellis.scr /s", ".\\"},
        {"\"frellis.scr\" \\s", ".\\"},
        {"\"C:\\unterminated\\frellis.scr /s", ".\\"},
        {"", ".\\"},
        {"\"C:\\" + long_folder + "\\frellis.scr\" /s", ".\\"},
        {"C:\\" + std::string(256, 'd') + "\\f.scr", ".\\"},
        {"C:\\" + std::string(255, 'd') + "\\f.scr", "C:\\" + std::string(255, 'd') + "\\"},
        // Names in any script; the limit counts characters, not bytes.
        {"\"C:\\Users\\Дмитрий\\Загрузки\\frellis.scr\" /s", "C:\\Users\\Дмитрий\\Загрузки\\"},
        {"C:\\" + Repeat("д", 255) + "\\f.scr", "C:\\" + Repeat("д", 255) + "\\"},
        {"C:\\" + Repeat("д", 256) + "\\f.scr", ".\\"},
    };
    for (bool consumer : {false, true}) {
        consumer_platform = consumer;
        for (const auto &row : rows) {
            headless::SetCommandLine(row.command_line.c_str());
            WCHAR buffer[kSettingsPathSize + 16];
            std::wmemset(buffer, L'Z', std::size(buffer));
            EXPECT_EQ(BuildSettingsDirectory(buffer), buffer);
            EXPECT_EQ(headless::AnsiText(buffer), row.directory) << row.command_line << consumer;
            // Nothing beyond the 260 characters that settings_path holds is ever written.
            for (size_t i = kSettingsPathSize; i < std::size(buffer); ++i)
                ASSERT_EQ(buffer[i], L'Z') << row.command_line;
        }
    }
    EXPECT_EQ(BuildSettingsDirectory(nullptr), nullptr);
}

TEST_F(SettingsStore, SettingsPathAlwaysFits) {
    // A directory that fits on its own but not with the file name appended.
    const struct {
        size_t folder_length;
        bool fits;
    } rows[] = {{240, true}, {248, true}, {249, false}, {258, false}};
    for (const auto &row : rows) {
        std::string directory = "C:\\" + std::string(row.folder_length - 4, 'd') + "\\";
        ASSERT_EQ(directory.size(), row.folder_length);
        headless::SetCommandLine(("\"" + directory + "frellis.scr\" /s").c_str());
        LoadSettings();
        std::string expected = row.fits ? directory + "Frellis.ini" : ".\\Frellis.ini";
        EXPECT_EQ(headless::AnsiText(settings_path), expected) << row.folder_length;
        EXPECT_LT(std::wcslen(settings_path), std::size(settings_path));
    }
}

// The user's own file lives below APPDATA, when APPDATA is known and the whole path fits; on
// both platforms.
TEST_F(SettingsStore, UserSettingsPathFromAppData) {
    const std::string fits(239 - 3, 'a'), too_long(240 - 3, 'a');
    const struct {
        const char *appdata; // null: not set
        std::string value;
        std::string path;
    } rows[] = {
        {nullptr, "", ""},
        {"", "", ""},
        {"set", "C:\\Users\\u\\AppData\\Roaming",
         "C:\\Users\\u\\AppData\\Roaming\\Frellis\\Frellis.ini"},
        {"set", "C:\\", "C:\\\\Frellis\\Frellis.ini"},
        {"set", "C:\\Users\\Ōkubo\\AppData", "C:\\Users\\Ōkubo\\AppData\\Frellis\\Frellis.ini"},
        {"set", "C:\\" + fits, "C:\\" + fits + "\\Frellis\\Frellis.ini"},
        // The limit counts characters, not bytes.
        {"set", "C:\\" + Repeat("д", 236), "C:\\" + Repeat("д", 236) + "\\Frellis\\Frellis.ini"},
        {"set", "C:\\" + Repeat("д", 237), ""},
        {"set", "C:\\" + too_long, ""},
        // A share where APPDATA names one; none where only joining the tail would make one.
        {"set", "\\\\server\\users", "\\\\server\\users\\Frellis\\Frellis.ini"},
        {"set", "\\\\server", ""},
        {"set", "\\\\server\\", ""},
        {"set", "\\Roaming", "\\Roaming\\Frellis\\Frellis.ini"},
        {"set", "\\", ""},
        {"set", "\\\\", ""},
        {"set", "\\\\\\x", ""},
        {"set", "C:\\" + std::string(300, 'a'), ""},
    };
    for (bool consumer : {false, true}) {
        consumer_platform = consumer;
        for (const auto &row : rows) {
            if (row.appdata)
                setenv("APPDATA", row.value.c_str(), 1);
            else
                unsetenv("APPDATA");
            WCHAR buffer[kSettingsPathSize + 16];
            std::wmemset(buffer, L'Z', std::size(buffer));
            EXPECT_EQ(BuildUserSettingsPath(buffer), buffer);
            EXPECT_EQ(headless::AnsiText(buffer), row.path) << row.value.size() << consumer;
            for (size_t i = kSettingsPathSize; i < std::size(buffer); ++i)
                ASSERT_EQ(buffer[i], L'Z') << row.value.size();
        }
    }
    EXPECT_EQ(BuildUserSettingsPath(nullptr), nullptr);
}

// Where loads read and saves write. The executable's folder is unwritable when it does not
// exist (root writes everywhere else), and the disk can fill after a number of writes. The
// folders are named in scripts that no single code page holds.
class SettingsFiles : public SettingsStore {
  protected:
    enum Folder { kWritable, kMissing };
    // Each call takes a fresh folder of its own inside the scratch folder.
    void Place(Folder executable, Folder appdata) {
        const std::string base = scratch_.path + "/" + std::to_string(++places_);
        mkdir(base.c_str(), 0777);
        executable_dir_ = base + (executable == kWritable ? "/Pobrane ダウンロード" : "/locked");
        if (executable == kWritable)
            mkdir(executable_dir_.c_str(), 0777);
        headless::SetCommandLine(
            ("\"" + WindowsPath(executable_dir_ + "/frellis.scr") + "\" /c").c_str());
        appdata_dir_ = base + (appdata == kWritable ? "/Дмитрий" : "/gone/Дмитрий");
        if (appdata == kWritable)
            mkdir(appdata_dir_.c_str(), 0777);
        setenv("APPDATA", WindowsPath(appdata_dir_).c_str(), 1);
    }
    std::string ExecutableIni() const { return executable_dir_ + "/Frellis.ini"; }
    std::string UserIni() const { return appdata_dir_ + "/Frellis/Frellis.ini"; }
    static std::string Read(const std::string &path) {
        std::ifstream in(path);
        std::stringstream contents;
        contents << in.rdbuf();
        return in ? contents.str() : "(none)";
    }
    static void Write(const std::string &path, const std::string &text) {
        std::ofstream(path) << text;
    }

    // "executable: disk full, mixed; user: path not found" for the files a save failed on.
    std::string Failures(const SaveFailure &failure) const {
        std::string told;
        for (int i = 0; i < failure.count; ++i) {
            const FileFailure &file = failure.files[i];
            const std::string path = headless::AnsiText(file.path);
            told += i == 0 ? "" : "; ";
            told += path == WindowsPath(ExecutableIni()) ? "executable"
                    : path == WindowsPath(UserIni())     ? "user"
                                                         : path;
            told += file.error == ERROR_PATH_NOT_FOUND  ? ": path not found"
                    : file.error == ERROR_ACCESS_DENIED ? ": access denied"
                    : file.error == ERROR_DISK_FULL     ? ": disk full"
                    : file.error == ERROR_SHARING_VIOLATION
                        ? ": held open"
                        : ": error " + std::to_string(file.error);
            told += file.mixed ? ", mixed" : "";
        }
        return told;
    }

    std::string executable_dir_, appdata_dir_;
    int places_ = 0;
};

TEST_F(SettingsFiles, TheUsersOwnFileWinsOverTheOneBesideTheExecutable) {
    static const char kFolder[] = "(a folder)";
    const struct {
        bool with_appdata;
        const char *user_file; // null: none
        int32_t figures;
        bool reads_user_file;
    } rows[] = {
        {true, nullptr, 5, false},
        {true, "[Setting]\r\nPolygon=3\r\n", 3, true},
        // A user's file without the key gives the default, not the administrator's value.
        {true, "[Other]\r\n", 2, true},
        {false, "[Setting]\r\nPolygon=3\r\n", 5, false},
        // A folder of that name is no file of the user's.
        {true, kFolder, 5, false},
    };
    for (const auto &row : rows) {
        Place(kWritable, kWritable);
        Write(ExecutableIni(), "[Setting]\r\nPolygon=5\r\n");
        if (row.user_file) {
            mkdir((appdata_dir_ + "/Frellis").c_str(), 0777);
            if (row.user_file == kFolder)
                mkdir(UserIni().c_str(), 0777);
            else
                Write(UserIni(), row.user_file);
        }
        if (!row.with_appdata)
            unsetenv("APPDATA");
        LoadSettings();
        EXPECT_EQ(saver_settings.figure_count, row.figures);
        EXPECT_EQ(headless::AnsiText(settings_path),
                  WindowsPath(row.reads_user_file ? UserIni() : ExecutableIni()));
    }
}

// A save lands whole in one file, or every file it tried is put back and named with its reason.
TEST_F(SettingsFiles, ASaveLandsWholeOrIsReported) {
    const std::string all_four = "[Setting]\r\nPolygon=7\r\nPoint=3\r\nLine=9\r\nSpeed=20\r\n";
    // A value longer than any the saver writes, and a key the saver never writes.
    const std::string admin = "[Setting]\r\nPolygon=" + std::string(100, '1') + "\r\nOther=x\r\n";
    const std::string mix = "[Setting]\r\nPolygon=7\r\nOther=x\r\nPoint=3\r\n";
    const std::string admin_saved =
        "[Setting]\r\nPolygon=7\r\nOther=x\r\nPoint=3\r\nLine=9\r\nSpeed=20\r\n";
    const std::string none = "(none)";
    enum Before {
        kNothing,
        kUserFile,
        kUserFolderGoneAfterLoad,
        kEmptyUserFolder,
        kReadOnly,
        kHeldOpen, // another program holds the executable's file as the save begins
        kHeldOpenThroughout,
    };
    const struct {
        const char *what;
        Folder executable, appdata;
        bool with_appdata;
        Before before;
        int writes_before_disk_full, failing_writes;
        std::string executable_ini, user_ini; // afterwards
        bool saved;
        const char *failures; // the files that failed on the way, as Failures() tells them
    } rows[] = {
        {"beside the executable, as always", kWritable, kWritable, true, kNothing, -1, -1,
         admin_saved, none, true, ""},
        {"unwritable folder: the user's own file", kMissing, kWritable, true, kNothing, -1, -1,
         none, all_four, true, "executable: path not found"},
        {"a read-only file: the user's own file", kWritable, kWritable, true, kReadOnly, -1, -1,
         admin, all_four, true, "executable: access denied"},
        {"the user's file, once there, keeps the settings", kWritable, kWritable, true, kUserFile,
         -1, -1, admin, all_four, true, ""},
        {"the user's folder, gone since the load, is made again", kWritable, kWritable, true,
         kUserFolderGoneAfterLoad, -1, -1, admin, all_four, true, ""},
        {"unwritable folder, no APPDATA", kMissing, kWritable, false, kNothing, -1, -1, none, none,
         false, "executable: path not found"},
        {"both unwritable", kMissing, kMissing, true, kNothing, -1, -1, none, none, false,
         "executable: path not found; user: path not found"},
        {"the disk is full for a moment after two keys: put back, then the user's file", kWritable,
         kWritable, true, kNothing, 2, 1, admin, all_four, true, "executable: disk full"},
        {"the disk stays full after two keys: nothing to put back with, and said so", kWritable,
         kWritable, true, kNothing, 2, -1, mix, none, false,
         "executable: disk full, mixed; user: disk full"},
        {"the user's file fills the disk: the file and the folder made for it go", kMissing,
         kWritable, true, kNothing, 2, -1, none, none, false,
         "executable: path not found; user: disk full"},
        {"a user's folder that was there stays", kMissing, kWritable, true, kEmptyUserFolder, 0, -1,
         none, none, false, "executable: path not found; user: disk full"},
        {"a file held open is not written: the user's file takes them", kWritable, kWritable, true,
         kHeldOpenThroughout, -1, -1, admin, all_four, true, "executable: held open"},
        {"a file held open for a moment, a disk full after one key: each file keeps what it held",
         kWritable, kWritable, true, kHeldOpen, 1, 1, admin, none, false,
         "executable: held open; user: disk full"},
    };
    for (const bool consumer : {false, true})
        for (const auto &row : rows) {
            SCOPED_TRACE(std::string(row.what) + (consumer ? ", consumer platform" : ""));
            consumer_platform = consumer;
            Place(row.executable, row.appdata);
            const std::string user_folder = appdata_dir_ + "/Frellis";
            if (row.executable == kWritable)
                Write(ExecutableIni(), admin);
            if (row.before == kReadOnly)
                SetFileAttributesA(WindowsPath(ExecutableIni()).c_str(), FILE_ATTRIBUTE_READONLY);
            if (row.before == kUserFile || row.before == kUserFolderGoneAfterLoad ||
                row.before == kEmptyUserFolder)
                mkdir(user_folder.c_str(), 0777);
            if (row.before == kUserFile || row.before == kUserFolderGoneAfterLoad)
                Write(UserIni(), "[Setting]\r\nPolygon=4\r\n");
            if (!row.with_appdata)
                unsetenv("APPDATA");
            LoadSettings();
            if (row.before == kUserFolderGoneAfterLoad)
                std::system(("rm -r '" + user_folder + "'").c_str());
            saver_settings = {7, 9, 3, 20};
            if (row.before == kHeldOpen || row.before == kHeldOpenThroughout)
                headless::HoldFileOpen(WindowsPath(ExecutableIni()).c_str(),
                                       row.before == kHeldOpen ? 1 : -1);
            headless::SetWritesBeforeDiskFull(row.writes_before_disk_full, row.failing_writes);
            SaveFailure failure = {};
            EXPECT_EQ(SaveSettings(&failure), row.saved ? 1 : 0);
            // Room on the disk again, and no program holding a file.
            headless::ResetFiles();
            EXPECT_EQ(Read(ExecutableIni()), row.executable_ini);
            EXPECT_EQ(Read(UserIni()), row.user_ini);
            EXPECT_EQ(Failures(failure), row.failures);
            // No empty folder of ours is left behind; one that was there before stays.
            struct stat folder;
            EXPECT_EQ(stat(user_folder.c_str(), &folder) == 0,
                      row.user_ini != none || row.before == kEmptyUserFolder);
            if (row.saved) {
                // The next load reads back exactly what was saved.
                saver_settings = {};
                LoadSettings();
                EXPECT_EQ(saver_settings.figure_count, 7);
                EXPECT_EQ(saver_settings.corner_count, 3);
                EXPECT_EQ(saver_settings.trail_length, 9);
                EXPECT_EQ(saver_settings.speed, 20);
            }
        }
}

} // namespace
