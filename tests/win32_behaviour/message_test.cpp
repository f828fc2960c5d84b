// What the saver relies on from the thread's message queue, as statements that hold on Windows:
// sent messages run at once, posted ones come in order, WM_QUIT only after them, the window and
// range filters, and registered message numbers.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/message_log.h"

namespace {

using message_log::answers;
using message_log::CreateChild;
using message_log::CreatePopup;
using message_log::entries;

class Queue : public message_log::RecordingTest {};

TEST_F(Queue, SentMessagesRunAtOncePostedOnesInOrderAndQuitLast) {
    HWND window = Keep(CreatePopup("queue"));
    answers = {{WM_USER + 9, 1234}};
    PostQuitMessage(7);
    EXPECT_TRUE(PostMessageA(window, WM_USER + 1, 1, 0));
    EXPECT_TRUE(PostMessageA(nullptr, WM_USER + 2, 2, 0)); // a message of the thread itself
    EXPECT_TRUE(PostMessageA(window, WM_USER + 3, 3, 0));
    entries.clear();
    EXPECT_EQ(SendMessageA(window, WM_USER + 9, 9, 0), 1234);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].message, WM_USER + 9u);

    std::vector<UINT> fetched;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0))
        fetched.push_back(msg.message);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(fetched, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(Queue, RetrievalFilters) {
    HWND first = Keep(CreatePopup("first"));
    HWND second = Keep(CreatePopup("second"));
    HWND child = CreateChild(first, 5);
    struct Row {
        const char *what;
        HWND filter;
        UINT min;
        UINT max;
        std::vector<std::pair<HWND, UINT>> expected; // in the order they come
    };
    const Row rows[] = {
        {"everything",
         nullptr,
         0,
         0,
         {{first, WM_USER + 1},
          {second, WM_USER + 2},
          {child, WM_USER + 3},
          {nullptr, WM_USER + 4}}},
        {"one window and its children", first, 0, 0, {{first, WM_USER + 1}, {child, WM_USER + 3}}},
        {"the child alone", child, 0, 0, {{child, WM_USER + 3}}},
        {"a range",
         nullptr,
         WM_USER + 2,
         WM_USER + 3,
         {{second, WM_USER + 2}, {child, WM_USER + 3}}},
        {"one message", nullptr, WM_USER + 4, WM_USER + 4, {{nullptr, WM_USER + 4}}},
        {"a window and a range", first, WM_USER + 2, WM_USER + 9, {{child, WM_USER + 3}}},
    };
    for (const Row &row : rows) {
        PostMessageA(first, WM_USER + 1, 0, 0);
        PostMessageA(second, WM_USER + 2, 0, 0);
        PostMessageA(child, WM_USER + 3, 0, 0);
        PostMessageA(nullptr, WM_USER + 4, 0, 0);
        MSG msg;
        // Looking without taking leaves the message first in line.
        if (!row.expected.empty()) {
            ASSERT_TRUE(PeekMessageA(&msg, row.filter, row.min, row.max, PM_NOREMOVE)) << row.what;
            EXPECT_EQ(msg.message, row.expected[0].second) << row.what;
        }
        std::vector<std::pair<HWND, UINT>> taken;
        while (PeekMessageA(&msg, row.filter, row.min, row.max, PM_REMOVE | PM_NOYIELD))
            taken.push_back({msg.hwnd, msg.message});
        EXPECT_EQ(taken, row.expected) << row.what;
        message_log::Drain();
    }
}

TEST_F(Queue, MessagesForADestroyedWindowAreNotDelivered) {
    HWND window = Keep(CreatePopup("short-lived"));
    EXPECT_TRUE(PostMessageA(window, WM_USER + 1, 0, 0));
    DestroyWindow(window);
    EXPECT_FALSE(PostMessageA(window, WM_USER + 2, 0, 0));
    entries.clear();
    message_log::Drain();
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(SendMessageA(window, WM_USER + 3, 0, 0), 0);
    EXPECT_TRUE(entries.empty());
}

TEST_F(Queue, DispatchCallsTheWindowsProcedureWithItsResult) {
    HWND window = Keep(CreatePopup("dispatch"));
    answers = {{WM_USER + 5, 77}};
    MSG msg = {window, WM_USER + 5, 1, 2, 0, {0, 0}};
    EXPECT_EQ(DispatchMessageA(&msg), 77);
    ASSERT_EQ(entries.back().message, WM_USER + 5u);
    EXPECT_EQ(entries.back().wparam, 1u);
}

TEST_F(Queue, TranslateMessageTurnsACharacterKeyIntoWmChar) {
    HWND window = Keep(CreatePopup("typing"));
    MSG key = {window, WM_KEYDOWN, '7', 1, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('7'));
    MSG other = {window, WM_USER, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&other));
}

TEST(RegisteredMessages, OneNumberPerNameWithoutLetterCase) {
    const UINT autoplay = RegisterWindowMessageA("QueryCancelAutoPlay");
    struct Row {
        const char *name;
        bool same_as_autoplay;
    };
    const Row rows[] = {
        {"QueryCancelAutoPlay", true},
        {"QUERYCANCELAUTOPLAY", true},
        {"querycancelautoplay", true},
        {"FrellisOtherRegisteredMessage", false},
    };
    for (const Row &row : rows) {
        const UINT number = RegisterWindowMessageA(row.name);
        EXPECT_GE(number, 0xC000u) << row.name;
        EXPECT_LE(number, 0xFFFFu) << row.name;
        EXPECT_EQ(number == autoplay, row.same_as_autoplay) << row.name;
    }
}

} // namespace
