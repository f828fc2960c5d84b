// What the saver relies on from KERNEL32's process calls, as statements that hold on Windows:
// the version query's size rule, the tick counter moving with Sleep, the environment's size rule
// and the module calls failing cleanly for what is not there.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Version, OnlyTheTwoRecordSizesAreAccepted) {
    struct Row {
        DWORD size;
        BOOL result;
    };
    const Row rows[] = {{148, TRUE},  {156, TRUE},  {0, FALSE},
                        {147, FALSE}, {152, FALSE}, {160, FALSE}};
    for (const Row &row : rows) {
        unsigned char buffer[256] = {};
        OSVERSIONINFOA *info = reinterpret_cast<OSVERSIONINFOA *>(buffer);
        info->dwOSVersionInfoSize = row.size;
        EXPECT_EQ(GetVersionExA(info) != FALSE, row.result != FALSE) << row.size;
        if (row.result) {
            EXPECT_EQ(info->dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
            EXPECT_GE(info->dwMajorVersion, 5u);
        }
    }
}

TEST(Clock, SleepLetsTheTickCountMove) {
    const DWORD start = GetTickCount();
    Sleep(0);
    Sleep(60);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 40u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(Environment, SizeRuleAndMissingVariables) {
    char buffer[4096];
    EXPECT_EQ(GetEnvironmentVariableA("FRELLIS_SURELY_UNSET_VARIABLE", buffer, sizeof(buffer)), 0u);
    // Too small a buffer is told the size with the terminator; a fitting one gets the length.
    const DWORD needed = GetEnvironmentVariableA("PATH", nullptr, 0);
    ASSERT_GT(needed, 1u);
    ASSERT_LT(needed, sizeof(buffer));
    EXPECT_EQ(GetEnvironmentVariableA("PATH", buffer, needed - 1), needed);
    EXPECT_EQ(GetEnvironmentVariableA("PATH", buffer, needed), needed - 1);
    EXPECT_EQ(std::strlen(buffer), needed - 1);
}

TEST(Modules, OnlyWhatExistsIsFound) {
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(LoadLibraryA("frellis-no-such-component.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA("frellis-no-such-component.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA("frellis-no-such-component"), nullptr);
}

} // namespace
