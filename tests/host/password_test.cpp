#include "host/password.h"

#include "host/default_proc.h"
#include "host/saver_main.h"
#include "support/saver_fixture.h"

namespace {

using headless::CallText;
using saver_test::Calls;
using saver_test::RunningFlag;
using saver_test::verifier;

const HWND kWindow = saver_test::Handle(7);

class PasswordVerifier : public saver_test::SaverTest {};

// The setting is read as a 32-bit number, 0 unless the value says otherwise, and the key is
// closed on every path; the running flag is on exactly while a verifier entry is held; nothing
// happens on another platform.
TEST_F(PasswordVerifier, LoadFollowsTheSetting) {
    const HKEY key = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x90));
    const Calls read = {
        CallText("RegOpenKeyA", HKEY_CURRENT_USER, "Control Panel\\Desktop"),
        CallText("RegQueryValueExA", key, "ScreenSaveUsePassword", nullptr, nullptr, 4u),
        CallText("RegCloseKey", key)};
    const DWORD one = 1, zero = 0, big = 0x100;
    const BYTE one_byte = 1;
    const struct {
        const char *what;
        bool consumer;
        LONG open;
        LONG query;
        const void *value;
        size_t size;
        bool component;
        bool entry;
        bool protects;
        int loads;
    } rows[] = {
        {"password asked", true, 0, 0, &one, 4, true, true, true, 1},
        {"any nonzero number", true, 0, 0, &big, 4, true, true, true, 1},
        {"a shorter value fills the low bytes", true, 0, 0, &one_byte, 1, true, true, true, 1},
        {"no key", true, ERROR_FILE_NOT_FOUND, 0, &one, 4, true, true, false, 0},
        {"no value", true, 0, ERROR_FILE_NOT_FOUND, nullptr, 0, true, true, false, 0},
        {"setting 0", true, 0, 0, &zero, 4, true, true, false, 0},
        {"value longer than 4 bytes", true, 0, ERROR_MORE_DATA, nullptr, 0, true, true, false, 0},
        {"no component", true, 0, 0, &one, 4, false, true, false, 0},
        {"component without the entry", true, 0, 0, &one, 4, true, false, false, 1},
        {"other platform", false, 0, 0, &one, 4, true, true, false, 0},
    };
    for (const auto &row : rows) {
        SetUp();
        consumer_platform = row.consumer;
        headless::SetAnswer("RegOpenKeyA", row.open, key);
        headless::SetAnswer("RegQueryValueExA", row.query, row.value, row.size);
        if (row.component) {
            std::map<std::string, FARPROC> entries;
            if (row.entry)
                entries["VerifyScreenSavePwd"] =
                    saver_test::AsFarProc(saver_test::VerifyScreenSavePwd);
            headless::RegisterModule("PASSWORD.CPL", entries);
        }
        LoadPasswordVerifier();
        Calls calls = !row.consumer ? Calls{} : row.open != 0 ? Calls{read[0]} : read;
        if (row.protects)
            calls.insert(calls.end() - 1, RunningFlag(1));
        EXPECT_EQ(headless::CallLog(), calls) << row.what;
        EXPECT_EQ(headless::ModuleLoadCount("PASSWORD.CPL"), row.loads) << row.what;
        EXPECT_EQ(headless::ModuleReferences("PASSWORD.CPL"), row.protects ? 1 : 0) << row.what;
        headless::ClearCallLog();
        UnloadPasswordVerifier();
        EXPECT_EQ(headless::CallLog(), row.protects ? Calls{RunningFlag(0)} : Calls{}) << row.what;
        EXPECT_EQ(headless::ModuleReferences("PASSWORD.CPL"), 0) << row.what;
    }
}

// A consumer-platform window protected by a verifier; the verify request comes back to
// DefaultSaverProc as it does from the platform.
class PasswordHooks : public saver_test::SaverTest {
  protected:
    void SetUp() override {
        SaverTest::SetUp();
        consumer_platform = true;
        saver_test::ProvidePasswordVerifier();
        LoadPasswordVerifier();
        headless::SetWindowProcedure(DefaultSaverProc);
        headless::ClearCallLog();
    }
    static LRESULT Close() { return DefaultSaverProc(kWindow, WM_CLOSE, 0, 0); }
};

// What a question does around the verifier, and after a refusal or an approval.
TEST_F(PasswordHooks, QuestionAndAnswer) {
    const Calls question = {CallText("PeekMessageA", kWindow, WM_TIMER, WM_TIMER, 3),
                            CallText("PeekMessageA", kWindow, WM_TIMER, WM_TIMER, 3),
                            CallText("SendMessageA", kWindow, kVerifyRequest, 0, 0)};
    const struct {
        const char *what;
        bool loaded;
        int answer;
        LRESULT result;
        Calls after;
    } rows[] = {
        // Refused: the cursor is hidden again and the anchor taken afresh; the window stays.
        {"refused", true, 0, 0, {CallText("SetCursor", nullptr), CallText("GetCursorPos")}},
        {"approved", true, 1, 0, {CallText("DefWindowProcA", kWindow, WM_CLOSE, 0, 0)}},
        {"no verifier", false, 0, 0, {CallText("DefWindowProcA", kWindow, WM_CLOSE, 0, 0)}},
    };
    for (const auto &row : rows) {
        SetUp();
        if (!row.loaded)
            UnloadPasswordVerifier();
        headless::ClearCallLog();
        headless::SetAnswer("GetCursorPos", TRUE, POINT{100, 100});
        cursor_anchor = POINT{100, 100};
        verifier.answer = row.answer;
        verifier.during = [](HWND) { headless::SetAnswer("GetCursorPos", TRUE, POINT{300, 300}); };
        EXPECT_EQ(Close(), row.result) << row.what;
        Calls expected = row.loaded ? question : Calls{};
        expected.insert(expected.end(), row.after.begin(), row.after.end());
        EXPECT_EQ(headless::CallLog(), expected) << row.what;
        EXPECT_EQ(close_approved, row.answer != 0 || !row.loaded) << row.what;
        EXPECT_EQ(cursor_anchor.x, row.loaded && row.answer == 0 ? 300 : 100) << row.what;
    }
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

// What reaches the saver window through the verifier's own message loop: a close is refused
// without a second question, and input posts no close.
TEST_F(PasswordHooks, NothingClosesWhileTheQuestionIsOpen) {
    verifier.answer = 1;
    verifier.during = [](HWND window) {
        EXPECT_EQ(DefaultSaverProc(window, WM_CLOSE, 0, 0), 0);
        DefaultSaverProc(window, WM_KEYDOWN, 'A', 0);
        DefaultSaverProc(window, WM_TIMER, 1, 0);
    };
    Close();
    EXPECT_TRUE(close_approved);
    EXPECT_EQ(verifier.calls, 1);
    EXPECT_EQ(headless::CallsTo("PostMessageA"), Calls{});
}

} // namespace
