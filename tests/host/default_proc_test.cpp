#include "host/default_proc.h"

#include <climits>

#include "host/password.h"
#include "host/saver_window.h"
#include "support/saver_fixture.h"

namespace {

using headless::CallText;
using saver_test::Calls;

const HWND kWindow = saver_test::Handle(7);

class DefaultProc : public saver_test::SaverTest {
  protected:
    void SetUp() override {
        SaverTest::SetUp();
        MoveCursor(100, 100);
        cursor_anchor = POINT{100, 100};
    }
    static void MoveCursor(LONG x, LONG y) {
        headless::SetAnswer("GetCursorPos", TRUE, POINT{x, y});
    }
    static bool Closes(UINT message, WPARAM wparam) {
        headless::ClearCallLog();
        DefaultSaverProc(kWindow, message, wparam, 0);
        return headless::CallsTo("PostMessageA") ==
               Calls{CallText("PostMessageA", kWindow, WM_CLOSE, 0, 0)};
    }
};

// While the saver runs, the listed input closes it or hides the cursor, and every message but
// WM_SETCURSOR then goes on to the default; in a preview, while the password is asked for and
// once a close is approved, every message goes straight to the default.
TEST_F(DefaultProc, WhatEachMessageDoesInEachState) {
    enum Effect { kNothing, kClose, kHide };
    const struct {
        UINT message;
        WPARAM wparam;
        Effect running;
    } rows[] = {
        {WM_KEYDOWN, 'A', kClose},
        {WM_SYSKEYDOWN, 0x73, kClose},
        {WM_LBUTTONDOWN, 0, kClose},
        {WM_RBUTTONDOWN, 0, kClose},
        {WM_MBUTTONDOWN, 0, kClose},
        {WM_ACTIVATEAPP, 0, kClose},
        {WM_POWER, PWR_CRITICALRESUME, kClose},
        {WM_POWERBROADCAST, 0, kClose},
        {WM_POWERBROADCAST, 18, kClose},
        {WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, kNothing},
        {WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, kNothing},
        {WM_SHOWWINDOW, 1, kHide},
        {WM_KEYUP, 'A', kNothing},
        {WM_SYSKEYUP, 0x73, kNothing},
        {WM_CHAR, 'a', kNothing},
        {WM_LBUTTONUP, 0, kNothing},
        {WM_MBUTTONUP, 0, kNothing},
        {WM_LBUTTONDBLCLK, 0, kNothing},
        {WM_MOUSEWHEEL, 120u << 16, kNothing},
        {WM_ACTIVATEAPP, 1, kNothing},
        {WM_POWER, 0, kNothing},
        {WM_POWER, 4, kNothing},
        {WM_SHOWWINDOW, 0, kNothing},
        {WM_TIMER, 1, kNothing},
    };
    enum State { kRunning, kPreview, kAsking, kApproved };
    for (State state : {kRunning, kPreview, kAsking, kApproved}) {
        preview_mode = state == kPreview;
        verification_in_progress = state == kAsking;
        close_approved = state == kApproved;
        for (const auto &row : rows) {
            headless::ClearCallLog();
            EXPECT_EQ(DefaultSaverProc(kWindow, row.message, row.wparam, 9), 0);
            Calls expected;
            const Effect effect = state == kRunning ? row.running : kNothing;
            if (effect == kClose)
                expected.push_back(CallText("PostMessageA", kWindow, WM_CLOSE, 0, 0));
            if (effect == kHide)
                expected.push_back(CallText("SetCursor", nullptr));
            expected.push_back(CallText("DefWindowProcA", kWindow, row.message, row.wparam, 9));
            EXPECT_EQ(headless::CallLog(), expected)
                << "state " << state << " message 0x" << std::hex << row.message;
        }
    }
}

// Movement is summed as |dx| + |dy| against the anchor, which moves only when a close is posted.
TEST_F(DefaultProc, MouseMovementAgainstTheAnchor) {
    const struct {
        std::vector<POINT> moves;
        std::vector<bool> closes;
    } rows[] = {
        {{{104, 100}}, {false}},
        {{{105, 100}}, {true}},
        {{{98, 102}}, {false}},
        {{{97, 102}}, {true}},
        {{{100, 95}}, {true}},
        {{{103, 100}, {105, 100}}, {false, true}},
        {{{102, 100}, {100, 102}, {98, 100}}, {false, false, false}},
        {{{105, 100}, {109, 100}, {110, 100}}, {true, false, true}},
        {{{INT_MIN, INT_MAX}}, {true}},
    };
    for (const auto &row : rows) {
        cursor_anchor = POINT{100, 100};
        for (size_t i = 0; i < row.moves.size(); ++i) {
            MoveCursor(row.moves[i].x, row.moves[i].y);
            // The position in lParam is not used; the cursor is read afresh.
            EXPECT_EQ(Closes(WM_MOUSEMOVE, 0), row.closes[i])
                << "move " << i << " to " << row.moves[i].x << "," << row.moves[i].y;
        }
    }
}

TEST_F(DefaultProc, AnswersThatDoNotGoToTheDefault) {
    saver_test::ProvidePasswordVerifier();
    saver_test::verifier.answer = 1;
    const UINT autoplay = 0xC123;
    const struct {
        const char *what;
        bool consumer;
        bool verifier_loaded;
        bool preview;
        UINT autoplay_number;
        UINT message;
        LRESULT result;
        Calls calls;
    } rows[] = {
        {"cursor hidden",
         false,
         false,
         false,
         0,
         WM_SETCURSOR,
         1,
         {CallText("SetCursor", nullptr)}},
        {"autoplay with a password",
         true,
         true,
         false,
         autoplay,
         autoplay,
         1,
         {CallText("PostMessageA", kWindow, WM_CLOSE, 0, 0)}},
        {"autoplay without a password",
         true,
         false,
         false,
         autoplay,
         autoplay,
         0,
         {CallText("PostMessageA", kWindow, WM_CLOSE, 0, 0)}},
        {"autoplay in a preview",
         true,
         false,
         true,
         autoplay,
         autoplay,
         0,
         {CallText("PostMessageA", kWindow, WM_CLOSE, 0, 0)}},
        {"message 0 is not autoplay when unregistered",
         false,
         false,
         false,
         0,
         0,
         0,
         {CallText("DefWindowProcA", kWindow, 0, 0, 0)}},
        {"verify request without a verifier", true, false, false, 0, kVerifyRequest, 1, {}},
        {"verify request with a verifier", true, true, false, 0, kVerifyRequest, 1, {}},
        {"verify request on another platform",
         false,
         false,
         false,
         0,
         kVerifyRequest,
         0,
         {CallText("DefWindowProcA", kWindow, kVerifyRequest, 0, 0)}},
        {"close on another platform",
         false,
         false,
         false,
         0,
         WM_CLOSE,
         0,
         {CallText("DefWindowProcA", kWindow, WM_CLOSE, 0, 0)}},
    };
    for (const auto &row : rows) {
        consumer_platform = true;
        if (row.verifier_loaded)
            LoadPasswordVerifier();
        else
            UnloadPasswordVerifier();
        consumer_platform = row.consumer;
        preview_mode = row.preview;
        autoplay_message = row.autoplay_number;
        headless::ClearCallLog();
        EXPECT_EQ(DefaultSaverProc(kWindow, row.message, 0, 0), row.result) << row.what;
        EXPECT_EQ(headless::CallLog(), row.calls) << row.what;
    }
    EXPECT_EQ(saver_test::verifier.calls, 1);
}

} // namespace
