#include "host/password.h"

#include "host/default_proc.h"
#include "support/saver_fixture.h"

namespace {

using saver_test::RunningFlagCalls;
using saver_test::TakePosted;
using saver_test::verifier;

class PasswordVerifier : public saver_test::SaverTest {};

// The running flag is on exactly while a verifier entry is held; nothing happens elsewhere.
TEST_F(PasswordVerifier, LoadFollowsTheSetting) {
    const DWORD one = 1, zero = 0, big = 0x100;
    const unsigned char five_bytes[5] = {1, 0, 0, 0, 0};
    const unsigned char one_byte[1] = {1};
    const struct {
        const char *what;
        bool consumer;
        const void *value; // nullptr: no value
        size_t size;
        bool component;
        bool entry;
        std::vector<UINT> flags_after_load;
        int loads;
    } rows[] = {
        {"password asked", true, &one, 4, true, true, {1}, 1},
        {"any nonzero number", true, &big, 4, true, true, {1}, 1},
        {"a shorter value fills the low bytes", true, one_byte, 1, true, true, {1}, 1},
        {"no value", true, nullptr, 0, true, true, {}, 0},
        {"setting 0", true, &zero, 4, true, true, {}, 0},
        {"value longer than 4 bytes", true, five_bytes, 5, true, true, {}, 0},
        {"no component", true, &one, 4, false, true, {}, 0},
        {"component without the entry", true, &one, 4, true, false, {}, 1},
        {"other platform", false, &one, 4, true, true, {}, 0},
    };
    for (const auto &row : rows) {
        SetUp();
        consumer_platform = row.consumer;
        if (row.value != nullptr) {
            headless::SetRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop",
                                       "ScreenSaveUsePassword", REG_BINARY, row.value, row.size);
        }
        if (row.component) {
            std::map<std::string, FARPROC> entries;
            if (row.entry)
                entries["VerifyScreenSavePwd"] =
                    saver_test::AsFarProc(saver_test::VerifyScreenSavePwd);
            headless::RegisterModule("PASSWORD.CPL", entries);
        }
        LoadPasswordVerifier();
        EXPECT_EQ(RunningFlagCalls(), row.flags_after_load) << row.what;
        EXPECT_EQ(headless::ModuleLoadCount("PASSWORD.CPL"), row.loads) << row.what;
        EXPECT_EQ(headless::ModuleLoaded("PASSWORD.CPL"), !row.flags_after_load.empty())
            << row.what;
        EXPECT_EQ(headless::OpenRegistryKeys(), 0) << row.what;
        UnloadPasswordVerifier();
        std::vector<UINT> flags_after_unload = row.flags_after_load;
        if (!flags_after_unload.empty())
            flags_after_unload.push_back(0);
        EXPECT_EQ(RunningFlagCalls(), flags_after_unload) << row.what;
        EXPECT_FALSE(headless::ModuleLoaded("PASSWORD.CPL")) << row.what;
    }
}

// A consumer-platform window protected by a verifier; closes go through DefaultSaverProc.
class PasswordHooks : public saver_test::SaverTest {
  protected:
    void SetUp() override {
        SaverTest::SetUp();
        consumer_platform = true;
        saver_test::ProvidePasswordVerifier();
        LoadPasswordVerifier();
        window_ = saver_test::CreateTestWindow("PasswordTestWindow", saver_test::PolicyWindowProc,
                                               "Screen Saver", 640, 480);
        ASSERT_NE(window_, nullptr);
    }
    LRESULT Close() { return DefaultSaverProc(window_, WM_CLOSE, 0, 0); }

    HWND window_ = nullptr;
};

TEST_F(PasswordHooks, RefusalKeepsTheWindowAndTakesTheCursorAfresh) {
    headless::SetCursorPosition(100, 100);
    cursor_anchor = POINT{100, 100};
    verifier.during = [](HWND) { headless::SetCursorPosition(300, 300); };
    for (int i = 0; i < 3; ++i)
        PostMessageA(window_, WM_TIMER, 1, 0);

    EXPECT_EQ(Close(), 0);
    EXPECT_TRUE(IsWindow(window_));
    EXPECT_FALSE(close_approved);
    EXPECT_TRUE(headless::CursorHidden());
    EXPECT_EQ(cursor_anchor.x, 300);
    EXPECT_EQ(cursor_anchor.y, 300);
    // Two of the queued ticks were dropped before the question.
    EXPECT_TRUE(TakePosted(window_, WM_TIMER));
    EXPECT_FALSE(TakePosted(window_, WM_TIMER));
}

// At least 200 ms between the end of one question and the start of the next, across a wrap of
// the tick counter too.
TEST_F(PasswordHooks, DebounceBetweenQuestions) {
    const struct {
        DWORD end_of_first;
        DWORD delay;
        int questions;
    } rows[] = {
        {60000, 0, 1},         {60000, 199, 1},       {60000, 200, 2},       {60000, 5000, 2},
        {0xFFFFFFF0u, 199, 1}, {0xFFFFFFF0u, 200, 2}, {0xFFFFFF38u, 199, 1}, {0xFFFFFF38u, 200, 2},
        {0xFFFFFFFFu, 0, 1},   {0xFFFFFFFFu, 100, 1}, {0xFFFFFFFFu, 199, 1}, {0xFFFFFFFFu, 201, 2},
    };
    for (const auto &row : rows) {
        SetUp();
        headless::SetTickCount(row.end_of_first);
        EXPECT_EQ(Close(), 0);
        headless::SetTickCount(row.end_of_first + row.delay);
        EXPECT_EQ(Close(), 0);
        EXPECT_EQ(verifier.calls, row.questions)
            << "first ended at " << row.end_of_first << ", next after " << row.delay << " ms";
    }
}

TEST_F(PasswordHooks, CloseDuringAQuestionIsRefusedWithoutAsking) {
    verifier.answer = 1;
    verifier.during = [](HWND window) {
        // What reaches the saver window through the verifier's own message loop.
        PostMessageA(window, WM_CLOSE, 0, 0);
        SendMessageA(window, WM_KEYDOWN, 'A', 0);
        headless::PumpMessages();
    };
    Close();
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_TRUE(close_approved);
    EXPECT_EQ(verifier.calls, 1);
}

} // namespace
