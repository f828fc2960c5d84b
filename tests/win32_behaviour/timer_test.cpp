// What the saver relies on from timers, as statements that hold on Windows: WM_TIMER carries the
// timer's number, comes only when nothing else is waiting, never piles up while the thread is
// busy, stops with KillTimer, and starts afresh when the same timer is set again. Times are
// measured with GetTickCount and Sleep, with margins wide enough for a real clock.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/message_log.h"

namespace {

using message_log::CreatePopup;
using message_log::entries;

class Timers : public message_log::RecordingTest {};

int PendingTimerMessages(HWND window) {
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD))
        ++count;
    return count;
}

TEST_F(Timers, TickCarriesTheTimersNumberAndComesAfterThePeriod) {
    HWND window = Keep(CreatePopup("ticking"));
    EXPECT_EQ(SetTimer(window, 1, 100, nullptr), 1u);
    const DWORD start = GetTickCount();
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, window, WM_TIMER, WM_TIMER));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_GE(elapsed, 80u);
    EXPECT_LT(elapsed, 1000u);
    EXPECT_TRUE(KillTimer(window, 1));
}

TEST_F(Timers, ALateTimerGivesOneTickNotSeveral) {
    HWND window = Keep(CreatePopup("late"));
    SetTimer(window, 1, 100, nullptr);
    Sleep(350);
    EXPECT_EQ(PendingTimerMessages(window), 1);
    EXPECT_EQ(PendingTimerMessages(window), 0);
    KillTimer(window, 1);
}

TEST_F(Timers, TickWaitsBehindPostedMessages) {
    HWND window = Keep(CreatePopup("busy"));
    SetTimer(window, 1, 50, nullptr);
    Sleep(120);
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostMessageA(window, WM_USER + 2, 0, 0);
    std::vector<UINT> order;
    MSG msg;
    while (order.size() < 3 && PeekMessageA(&msg, window, 0, 0, PM_REMOVE))
        order.push_back(msg.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_TIMER}));
    KillTimer(window, 1);
}

TEST_F(Timers, PeekingWithoutRemovingLeavesTheTickPending) {
    HWND window = Keep(CreatePopup("peek"));
    SetTimer(window, 3, 60, nullptr);
    Sleep(100);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    EXPECT_EQ(PendingTimerMessages(window), 1);
    KillTimer(window, 3);
}

TEST_F(Timers, KillTimerStopsTheTicksOnce) {
    HWND window = Keep(CreatePopup("killed"));
    SetTimer(window, 1, 30, nullptr);
    EXPECT_TRUE(KillTimer(window, 1));
    EXPECT_FALSE(KillTimer(window, 1));
    EXPECT_FALSE(KillTimer(window, 2));
    Sleep(100);
    EXPECT_EQ(PendingTimerMessages(window), 0);
}

TEST_F(Timers, SettingATimerAgainReplacesItsPeriod) {
    HWND window = Keep(CreatePopup("replaced"));
    SetTimer(window, 1, 50, nullptr);
    EXPECT_EQ(SetTimer(window, 1, 5000, nullptr), 1u);
    Sleep(150);
    EXPECT_EQ(PendingTimerMessages(window), 0);
    KillTimer(window, 1);
}

TEST_F(Timers, ShortPeriodsAreRaisedToTheMinimum) {
    // Windows raises every period below USER_TIMER_MINIMUM (10 ms) to 10 ms.
    HWND window = Keep(CreatePopup("fast"));
    SetTimer(window, 1, 1, nullptr);
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, window, WM_TIMER, WM_TIMER));
    const DWORD start = GetTickCount();
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(GetMessageA(&msg, window, WM_TIMER, WM_TIMER));
    EXPECT_GE(GetTickCount() - start, 40u);
    KillTimer(window, 1);
}

TEST_F(Timers, DestroyingTheWindowEndsItsTimers) {
    HWND window = CreatePopup("gone");
    SetTimer(window, 1, 30, nullptr);
    DestroyWindow(window);
    Sleep(100);
    entries.clear();
    message_log::Drain();
    EXPECT_TRUE(entries.empty());
}

UINT_PTR procedure_calls = 0;
void CALLBACK CountingTimerProc(HWND, UINT message, UINT_PTR id, DWORD) {
    if (message == WM_TIMER && id == 4)
        ++procedure_calls;
}

TEST_F(Timers, ATimerProcedureTakesTheTickInsteadOfTheWindow) {
    HWND window = Keep(CreatePopup("procedure"));
    SetTimer(window, 4, 20, CountingTimerProc);
    procedure_calls = 0;
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, window, WM_TIMER, WM_TIMER));
    // lParam names the procedure, but not always by its address (Wine puts a handle of its own
    // there), so only dispatching is checked.
    EXPECT_NE(msg.lParam, 0);
    entries.clear();
    DispatchMessageA(&msg);
    EXPECT_EQ(procedure_calls, 1u);
    EXPECT_TRUE(message_log::MessagesOf(window, {WM_TIMER}).empty());
    KillTimer(window, 4);
}

} // namespace
