// The headless queue's own rules: timers on the virtual clock, scheduled events, injected input,
// and the guards that turn a run that could never end into a failure.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "support/message_log.h"

namespace {

using message_log::CreateChild;
using message_log::CreatePopup;
using message_log::entries;
using message_log::MessagesOf;

class HeadlessQueue : public message_log::RecordingTest {
  protected:
    void SetUp() override {
        headless::Reset();
        RecordingTest::SetUp();
    }
    // Fetches `count` messages with GetMessageA, with the virtual time each came at.
    static std::vector<std::pair<uint64_t, UINT>> Fetch(int count) {
        std::vector<std::pair<uint64_t, UINT>> fetched;
        MSG msg;
        while (static_cast<int>(fetched.size()) < count && GetMessageA(&msg, nullptr, 0, 0)) {
            fetched.push_back({headless::VirtualNow(), msg.message});
            DispatchMessageA(&msg);
        }
        return fetched;
    }
};

TEST_F(HeadlessQueue, TimerPeriodsOnTheVirtualClock) {
    struct Row {
        UINT requested;
        UINT effective;
    };
    const Row rows[] = {{100, 100}, {33, 33}, {11, 11}, {10, 10}, {9, 10}, {5, 10}, {0, 10}};
    for (const Row &row : rows) {
        headless::Reset();
        message_log::RegisterRecordingClass();
        HWND window = CreatePopup("timer");
        ASSERT_EQ(SetTimer(window, 1, row.requested, nullptr), 1u);
        EXPECT_EQ(headless::TimerRequestedPeriod(window, 1), row.requested);
        const uint64_t p = row.effective;
        const std::vector<std::pair<uint64_t, UINT>> expected = {
            {p, WM_TIMER}, {2 * p, WM_TIMER}, {3 * p, WM_TIMER}};
        EXPECT_EQ(Fetch(3), expected) << row.requested;
    }
}

TEST_F(HeadlessQueue, ALateTimerKeepsItsPhaseAndDropsTheMissedTicks) {
    HWND window = CreatePopup("late");
    SetTimer(window, 1, 10, nullptr);
    headless::AdvanceVirtualClock(35);
    const std::vector<std::pair<uint64_t, UINT>> expected = {{35, WM_TIMER}, {40, WM_TIMER}};
    EXPECT_EQ(Fetch(2), expected);
}

TEST_F(HeadlessQueue, SettingTheTickCountMovesNeitherTimersNorEvents) {
    HWND window = CreatePopup("wrap");
    headless::SetTickCount(0xFFFFFFF0u);
    SetTimer(window, 1, 10, nullptr);
    std::vector<DWORD> times;
    MSG msg;
    for (int i = 0; i < 3 && GetMessageA(&msg, nullptr, 0, 0);)
        if (msg.message == WM_TIMER) {
            times.push_back(msg.time);
            ++i;
        }
    EXPECT_EQ(times, (std::vector<DWORD>{0xFFFFFFFAu, 0x4u, 0xEu}));
    EXPECT_EQ(GetTickCount(), 0xEu);
}

TEST_F(HeadlessQueue, ScheduledEventsRunInTimeOrderBetweenTicks) {
    HWND window = CreatePopup("events");
    SetTimer(window, 1, 10, nullptr);
    headless::Schedule(25, [window] { PostMessageA(window, WM_USER + 2, 0, 0); });
    headless::Schedule(15, [window] { PostMessageA(window, WM_USER + 1, 0, 0); });
    headless::Schedule(25, [window] { PostMessageA(window, WM_USER + 3, 0, 0); });
    const std::vector<std::pair<uint64_t, UINT>> expected = {{10, WM_TIMER},    {15, WM_USER + 1},
                                                             {20, WM_TIMER},    {25, WM_USER + 2},
                                                             {25, WM_USER + 3}, {30, WM_TIMER}};
    EXPECT_EQ(Fetch(6), expected);
}

TEST_F(HeadlessQueue, PaintComesAfterPostedMessagesAndBeforeTimers) {
    HWND window = CreatePopup("paint", WS_POPUP | WS_VISIBLE);
    SetTimer(window, 1, 10, nullptr);
    headless::AdvanceVirtualClock(10);
    PostMessageA(window, WM_USER, 0, 0);
    const std::vector<std::pair<uint64_t, UINT>> expected = {
        {10, WM_USER}, {10, WM_PAINT}, {10, WM_TIMER}, {20, WM_TIMER}};
    EXPECT_EQ(Fetch(4), expected);
}

TEST_F(HeadlessQueue, PumpingDispatchesWhatIsDueAndKeepsTheQuit) {
    HWND window = CreatePopup("pump");
    SetTimer(window, 1, 10, nullptr);
    PostMessageA(window, WM_USER, 0, 0);
    PostQuitMessage(3);
    headless::PumpMessages();
    EXPECT_EQ(MessagesOf(window, {WM_USER, WM_TIMER}), (std::vector<UINT>{WM_USER}));
    MSG msg;
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(headless::VirtualNow(), 0u);
}

TEST_F(HeadlessQueue, InputGoesWhereWindowsSendsIt) {
    HWND top = CreatePopup("top", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
    HWND child = CreateWindowExA(0, message_log::class_name, "child", WS_CHILD | WS_VISIBLE, 10, 10,
                                 50, 50, top, nullptr, nullptr, nullptr);
    const std::vector<UINT> input = {WM_SETCURSOR,  WM_KEYDOWN,     WM_KEYUP,
                                     WM_SYSKEYDOWN, WM_SYSKEYUP,    WM_MOUSEMOVE,
                                     WM_CHAR,       WM_RBUTTONDOWN, WM_RBUTTONUP};
    typedef std::vector<std::pair<UINT, LPARAM>> Messages;
    const LPARAM released = static_cast<LPARAM>(static_cast<DWORD>(0xC0000000u));
    struct Row {
        const char *what;
        std::function<void()> input;
        HWND target;
        Messages expected;
    };
    const Row rows[] = {
        {"a key",
         [] { headless::PressKey(VK_UP); },
         top,
         {{WM_KEYDOWN, 1}, {WM_KEYUP, 1 | released}}},
        {"a key with alt",
         [] { headless::PressKey('X', true); },
         top,
         {{WM_SYSKEYDOWN, 1 | (1 << 29)}, {WM_SYSKEYUP, 1 | (1 << 29) | released}}},
        {"a move over the window",
         [] { headless::MoveCursor(300, 250); },
         top,
         {{WM_SETCURSOR, MAKELPARAM(1, WM_MOUSEMOVE)}, {WM_MOUSEMOVE, MAKELPARAM(200, 150)}}},
        {"no move", [] { headless::MoveCursor(300, 250); }, top, {}},
        {"a click over the child",
         [] {
             headless::MoveCursor(115, 120);
             headless::PressButton(WM_RBUTTONDOWN);
         },
         child,
         {{WM_SETCURSOR, MAKELPARAM(1, WM_MOUSEMOVE)},
          {WM_MOUSEMOVE, MAKELPARAM(5, 10)},
          {WM_SETCURSOR, MAKELPARAM(1, WM_RBUTTONDOWN)},
          {WM_RBUTTONDOWN, MAKELPARAM(5, 10)},
          {WM_SETCURSOR, MAKELPARAM(1, WM_RBUTTONUP)},
          {WM_RBUTTONUP, MAKELPARAM(5, 10)}}},
        {"a move over the bare desktop", [] { headless::MoveCursor(5, 5); }, nullptr, {}},
    };
    for (const Row &row : rows) {
        entries.clear();
        row.input();
        headless::PumpMessages();
        Messages got;
        for (const message_log::Entry &entry : entries)
            if ((entry.window == row.target || !row.target) &&
                std::find(input.begin(), input.end(), entry.message) != input.end())
                got.push_back({entry.message, entry.lparam});
        EXPECT_EQ(got, row.expected) << row.what;
    }
}

TEST_F(HeadlessQueue, InputWaitsBehindPostedMessages) {
    HWND window = CreatePopup("input", WS_POPUP | WS_VISIBLE);
    headless::PressKey('Q');
    PostMessageA(window, WM_USER, 0, 0);
    PostQuitMessage(0);
    std::vector<UINT> order;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_PAINT)
            order.push_back(msg.message);
        else
            DispatchMessageA(&msg);
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_QUIT, WM_KEYDOWN, WM_KEYUP}));
}

TEST_F(HeadlessQueue, ResetForgetsQueueTimersAndEvents) {
    HWND window = CreatePopup("reset");
    SetTimer(window, 1, 10, nullptr);
    PostMessageA(window, WM_USER, 0, 0);
    PostQuitMessage(0);
    headless::Schedule(5, [] { FAIL() << "a scheduled event outlived the reset"; });
    headless::Reset();
    EXPECT_EQ(headless::ActiveTimers(), 0);
    EXPECT_EQ(headless::LiveWindows(), 0);
    MSG msg;
    headless::AdvanceVirtualClock(100);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

using HeadlessQueueDeathTest = HeadlessQueue;

TEST_F(HeadlessQueueDeathTest, RunsThatCouldNeverEndAbort) {
    struct Row {
        const char *what;
        void (*run)();
        const char *message;
    };
    const Row rows[] = {
        {"nothing can arrive",
         [] {
             MSG msg;
             GetMessageA(&msg, nullptr, 0, 0);
         },
         "wait forever"},
        {"the next tick is beyond the run limit",
         [] {
             HWND window = CreatePopup("slow");
             SetTimer(window, 1, 13 * 60 * 60 * 1000, nullptr);
             MSG msg;
             GetMessageA(&msg, nullptr, 0, 0);
         },
         "12 hours"},
        {"a message that keeps coming back",
         [] {
             HWND window = CreatePopup("echo");
             MSG msg;
             PostMessageA(window, WM_USER, 0, 0);
             while (GetMessageA(&msg, nullptr, 0, 0))
                 PostMessageA(window, WM_USER, 0, 0);
         },
         "without the virtual clock moving"},
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Row &row : rows)
        EXPECT_DEATH(row.run(), row.message) << row.what;
}

} // namespace
