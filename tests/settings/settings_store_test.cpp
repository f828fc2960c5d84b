#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/headless/headless.h"
#include "support/scratch_folder.h"

namespace {

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        ResetSettings();
        headless::SetCommandLine((scratch_.QuotedProgram() + " /s").c_str());
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
        EXPECT_EQ(std::string(settings_path), WindowsPath(IniPath()));
    }
}

TEST_F(SettingsStore, WritesCreateTheFileAndKeepTheRest) {
    ASSERT_EQ(WriteSetting(WindowsPath(IniPath()).c_str(), "Setting", "Polygon", 99), 1);
    EXPECT_EQ(ReadIni(), "[Setting]\r\nPolygon=99\r\n");

    WriteIni("; saver\r\n[Other]\r\nA=1\r\n\r\n[Setting]\r\nPolygon=3\r\nX=y\r\n\r\n[Last]\r\nB=2");
    const char *path = settings_path;
    LoadSettings();
    EXPECT_EQ(WriteSetting(path, "Setting", "Polygon", -7), 1);
    EXPECT_EQ(WriteSetting(path, "Setting", "Speed", 0), 1);
    EXPECT_EQ(ReadIni(), "; saver\r\n[Other]\r\nA=1\r\n\r\n[Setting]\r\nPolygon=-7\r\nX=y\r\n"
                         "Speed=0\r\n\r\n[Last]\r\nB=2\r\n");
}

TEST_F(SettingsStore, AFailedWriteReportsZeroAndLeavesNoFile) {
    std::string missing_folder = WindowsPath(scratch_.path + "/missing/Frellis.ini");
    EXPECT_EQ(WriteSetting(missing_folder.c_str(), "Setting", "Polygon", 3), 0);
}

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
    };
    for (const auto &row : rows) {
        headless::SetCommandLine(row.command_line.c_str());
        char buffer[kSettingsPathSize + 16];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(BuildSettingsDirectory(buffer), buffer);
        EXPECT_EQ(std::string(buffer), row.directory) << row.command_line;
        // Nothing beyond the 260 bytes that settings_path holds is ever written.
        for (size_t i = kSettingsPathSize; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], 'Z') << row.command_line;
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
        EXPECT_EQ(std::string(settings_path), expected) << row.folder_length;
        EXPECT_LT(std::strlen(settings_path), sizeof settings_path);
    }
}

} // namespace
