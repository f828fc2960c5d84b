#include "host/default_proc.h"

#include <climits>

#include "host/password.h"
#include "support/saver_fixture.h"

namespace {

using saver_test::TakePosted;

class InputPolicy : public saver_test::SaverTest {
  protected:
    void SetUp() override {
        SaverTest::SetUp();
        window_ = saver_test::CreateTestWindow("PolicyTestWindow", saver_test::PolicyWindowProc,
                                               "Screen Saver", 640, 480);
        ASSERT_NE(window_, nullptr);
        headless::SetCursorPosition(100, 100);
        cursor_anchor = POINT{100, 100};
    }

    bool Closes(UINT message, WPARAM wparam) {
        DefaultSaverProc(window_, message, wparam, 0);
        return TakePosted(window_, WM_CLOSE);
    }

    HWND window_ = nullptr;
};

TEST_F(InputPolicy, WhichMessagesCloseInEachState) {
    const struct {
        UINT message;
        WPARAM wparam;
        bool closes;
    } rows[] = {
        {WM_KEYDOWN, 'A', true},
        {WM_SYSKEYDOWN, VK_F4, true},
        {WM_LBUTTONDOWN, 0, true},
        {WM_RBUTTONDOWN, 0, true},
        {WM_MBUTTONDOWN, 0, true},
        {WM_ACTIVATEAPP, 0, true},
        {WM_POWER, PWR_CRITICALRESUME, true},
        {WM_POWERBROADCAST, 0, true},
        {WM_POWERBROADCAST, 4, true},
        {WM_POWERBROADCAST, 18, true},
        {WM_KEYUP, 'A', false},
        {WM_SYSKEYUP, VK_F4, false},
        {WM_CHAR, 'a', false},
        {WM_LBUTTONUP, 0, false},
        {WM_RBUTTONUP, 0, false},
        {WM_MBUTTONUP, 0, false},
        {WM_LBUTTONDBLCLK, 0, false},
        {WM_MOUSEWHEEL, 120u << 16, false},
        {WM_ACTIVATEAPP, 1, false},
        {WM_POWER, 0, false},
        {WM_POWER, 2, false},
        {WM_POWER, 4, false},
        {WM_SHOWWINDOW, 1, false},
        {WM_TIMER, 1, false},
    };
    enum State { kRunning, kPreview, kAsking, kApproved };
    for (State state : {kRunning, kPreview, kAsking, kApproved}) {
        preview_mode = state == kPreview;
        verification_in_progress = state == kAsking;
        close_approved = state == kApproved;
        for (const auto &row : rows) {
            EXPECT_EQ(Closes(row.message, row.wparam), row.closes && state == kRunning)
                << "state " << state << " message 0x" << std::hex << row.message << " wparam "
                << row.wparam;
        }
    }
}

// Movement is summed as |dx| + |dy| against the anchor, which moves only when a close is posted.
TEST_F(InputPolicy, MouseMovementAgainstTheAnchor) {
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
            headless::SetCursorPosition(row.moves[i].x, row.moves[i].y);
            // The position in lParam is not used; the cursor is read afresh.
            EXPECT_EQ(Closes(WM_MOUSEMOVE, 0), row.closes[i])
                << "move " << i << " to " << row.moves[i].x << "," << row.moves[i].y;
        }
    }
}

TEST_F(InputPolicy, AnswersThatDoNotGoToTheDefault) {
    saver_test::ProvidePasswordVerifier();
    const UINT autoplay = RegisterWindowMessageA("QueryCancelAutoPlay");
    const struct {
        const char *what;
        bool consumer;
        bool verifier_loaded;
        bool preview;
        UINT autoplay_number;
        UINT message;
        LRESULT result;
        bool closes;
    } rows[] = {
        {"cursor hidden", true, false, false, 0, WM_SETCURSOR, 1, false},
        {"autoplay with a password", true, true, false, autoplay, autoplay, 1, true},
        {"autoplay without a password", true, false, false, autoplay, autoplay, 0, true},
        {"autoplay in a preview", true, false, true, autoplay, autoplay, 0, true},
        {"message 0 is not autoplay when unregistered", false, false, false, 0, 0, 0, false},
        {"verify request without a verifier", true, false, false, 0, kVerifyRequest, 1, false},
        {"verify request with a verifier", true, true, false, 0, kVerifyRequest, 1, false},
        {"verify request on another platform", false, false, false, 0, kVerifyRequest, 0, false},
    };
    saver_test::verifier.answer = 1;
    for (const auto &row : rows) {
        consumer_platform = true;
        if (row.verifier_loaded)
            LoadPasswordVerifier();
        else
            UnloadPasswordVerifier();
        consumer_platform = row.consumer;
        preview_mode = row.preview;
        autoplay_message = row.autoplay_number;
        EXPECT_EQ(DefaultSaverProc(window_, row.message, 0, 0), row.result) << row.what;
        EXPECT_EQ(TakePosted(window_, WM_CLOSE), row.closes) << row.what;
        if (row.message == WM_SETCURSOR) {
            EXPECT_TRUE(headless::CursorHidden());
        }
    }
    EXPECT_EQ(saver_test::verifier.calls, 1);
}

} // namespace
