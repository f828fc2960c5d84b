// The headless process: the version query, the tick counter and Sleep,
// process exit, and the fault guard's mechanism, observed in child processes.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

class HeadlessProcess : public ::testing::Test {
  protected:
    void SetUp() override { headless::Reset(); }
    void TearDown() override { headless::Reset(); }
};

TEST_F(HeadlessProcess, VersionQuery) {
    struct Row {
        DWORD platform_id;
        bool fails;
        DWORD size;
        BOOL result;
    };
    const Row rows[] = {
        {VER_PLATFORM_WIN32_NT, false, 148, TRUE},
        {VER_PLATFORM_WIN32_WINDOWS, false, 148, TRUE},
        {VER_PLATFORM_WIN32_WINDOWS, false, 156, TRUE},
        {VER_PLATFORM_WIN32_WINDOWS, false, 0, FALSE},
        {VER_PLATFORM_WIN32_WINDOWS, false, 152, FALSE},
        {VER_PLATFORM_WIN32_WINDOWS, true, 148, FALSE},
    };
    for (const Row &row : rows) {
        headless::SetPlatformId(row.platform_id);
        headless::SetVersionQueryFails(row.fails);
        unsigned char buffer[160];
        std::memset(buffer, 0xAA, sizeof buffer);
        OSVERSIONINFOA *info = reinterpret_cast<OSVERSIONINFOA *>(buffer);
        info->dwOSVersionInfoSize = row.size;
        EXPECT_EQ(GetVersionExA(info), row.result) << row.platform_id << "/" << row.size;
        if (row.result) {
            EXPECT_EQ(info->dwPlatformId, row.platform_id);
        }
        EXPECT_EQ(buffer[row.size == 156 ? 156 : 148], 0xAA) << "wrote past the record";
    }
    headless::Reset();
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwMajorVersion, 5u);
}

TEST_F(HeadlessProcess, SleepMovesTheTickCountWhichWraps) {
    headless::SetTickCount(0xFFFFFF00u);
    Sleep(0);
    Sleep(0x80);
    EXPECT_EQ(GetTickCount(), 0xFFFFFF80u);
    Sleep(0x180);
    EXPECT_EQ(GetTickCount(), 0x100u);
}

using HeadlessProcessDeathTest = HeadlessProcess;

TEST_F(HeadlessProcessDeathTest, ExitProcessEndsAtOnceWithTheCode) {
    EXPECT_EXIT(
        {
            std::printf("flushed");
            ExitProcess(3);
        },
        ::testing::ExitedWithCode(3), "");
}

} // namespace
