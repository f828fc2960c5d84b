// The headless registry follows the rules of RegOpenKeyA and RegQueryValueExA that the password
// setting is read with.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class HeadlessRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        const DWORD one = 1;
        headless::SetRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop",
                                   "ScreenSaveUsePassword", REG_DWORD, &one, sizeof one);
        headless::SetRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper",
                                   REG_BINARY, "none", 5);
    }
};

TEST_F(HeadlessRegistry, OpeningKeys) {
    struct Row {
        HKEY root;
        const char *sub_key;
        LONG result;
    };
    const Row rows[] = {
        {HKEY_CURRENT_USER, "Control Panel\\Desktop", ERROR_SUCCESS},
        {HKEY_CURRENT_USER, "control panel\\DESKTOP", ERROR_SUCCESS},
        {HKEY_CURRENT_USER, "Control Panel", ERROR_SUCCESS}, // a key on the way to a value
        {HKEY_CURRENT_USER, "Control", ERROR_FILE_NOT_FOUND},
        {HKEY_CURRENT_USER, "Control Panel\\Desktop\\Colors", ERROR_FILE_NOT_FOUND},
        {reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234)), "Control Panel",
         ERROR_INVALID_HANDLE},
    };
    for (const Row &row : rows) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyA(row.root, row.sub_key, &key), row.result) << row.sub_key;
        if (row.result == ERROR_SUCCESS) {
            EXPECT_EQ(headless::OpenRegistryKeys(), 1);
            EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
            EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "closed twice";
        }
        EXPECT_EQ(headless::OpenRegistryKeys(), 0);
    }
    // A key opened relative to an open key.
    HKEY panel = nullptr;
    HKEY desktop = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel", &panel), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyA(panel, "Desktop", &desktop), ERROR_SUCCESS);
    RegCloseKey(desktop);
    RegCloseKey(panel);
}

TEST_F(HeadlessRegistry, ReadingValues) {
    struct Row {
        const char *name;
        bool want_type;
        bool want_data;
        DWORD room;
        LONG result;
        DWORD size_after;
        DWORD type;
    };
    const Row rows[] = {
        {"ScreenSaveUsePassword", true, true, 4, ERROR_SUCCESS, 4, REG_DWORD},
        {"screensaveusepassword", false, true, 4, ERROR_SUCCESS, 4, 0},
        {"ScreenSaveUsePassword", true, false, 0, ERROR_SUCCESS, 4, REG_DWORD}, // size only
        {"Wallpaper", false, true, 4, ERROR_MORE_DATA, 5, 0},
        {"Wallpaper", true, true, 8, ERROR_SUCCESS, 5, REG_BINARY},
        {"Missing", true, true, 4, ERROR_FILE_NOT_FOUND, 4, 0},
    };
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key), ERROR_SUCCESS);
    for (const Row &row : rows) {
        BYTE data[8] = {};
        DWORD type = 0;
        DWORD size = row.room;
        EXPECT_EQ(RegQueryValueExA(key, row.name, nullptr, row.want_type ? &type : nullptr,
                                   row.want_data ? data : nullptr, &size),
                  row.result)
            << row.name;
        EXPECT_EQ(size, row.size_after) << row.name;
        EXPECT_EQ(type, row.type) << row.name;
    }
    DWORD number = 0;
    DWORD size = sizeof number;
    ASSERT_EQ(RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                               reinterpret_cast<BYTE *>(&number), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(RegQueryValueExA(key, "Wallpaper", nullptr, nullptr,
                               reinterpret_cast<BYTE *>(&number), nullptr),
              ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(HeadlessRegistry, ResetEmptiesTheRegistry) {
    headless::Reset();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key), ERROR_FILE_NOT_FOUND);
}

} // namespace
