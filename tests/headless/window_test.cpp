// The headless window area's own rules and controls: geometry on the screen, hit testing,
// activation between this application and others, owned windows, the screen-saver-running flag
// and the reset to a fresh process.
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/message_log.h"

namespace {

using message_log::CreatePopup;
using message_log::entries;
using message_log::MessagesOf;

class HeadlessWindows : public message_log::RecordingTest {
  protected:
    void SetUp() override {
        headless::Reset();
        RecordingTest::SetUp();
    }
};

HWND CreateVisibleChild(HWND parent, int id, int x, int y, int width, int height) {
    return CreateWindowExA(0, message_log::class_name, "", WS_CHILD | WS_VISIBLE, x, y, width,
                           height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           nullptr, nullptr);
}

TEST_F(HeadlessWindows, GeometryAndHitTesting) {
    headless::SetScreenSize(800, 600);
    HWND back = CreatePopup("back", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600);
    HWND front = CreatePopup("front", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
    HWND child = CreateVisibleChild(front, 9, 50, 50, 20, 20);
    HWND hidden = CreatePopup("hidden", WS_POPUP, 0, 0, 800, 600);
    HWND topmost =
        CreateWindowExA(WS_EX_TOPMOST, message_log::class_name, "topmost", WS_POPUP | WS_VISIBLE,
                        700, 500, 100, 100, nullptr, nullptr, nullptr, nullptr);
    CreatePopup("newer", WS_POPUP | WS_VISIBLE, 750, 550, 50, 50); // under the topmost one
    ASSERT_NE(hidden, nullptr);
    struct Row {
        int x;
        int y;
        HWND expected;
    };
    const Row rows[] = {
        {10, 10, back},      {100, 100, front},   {299, 299, front}, {300, 300, back},
        {150, 150, child},   {169, 169, child},   {170, 170, front}, {760, 560, topmost},
        {799, 599, topmost}, {800, 600, nullptr}, {-1, 0, nullptr},
    };
    for (const Row &row : rows)
        EXPECT_EQ(headless::FindWindowAt(row.x, row.y), row.expected) << row.x << "," << row.y;

    RECT rect;
    ASSERT_TRUE(headless::WindowClientOnScreen(child, &rect));
    EXPECT_EQ(rect.left, 150);
    EXPECT_EQ(rect.bottom, 170);
    GetClientRect(GetDesktopWindow(), &rect);
    EXPECT_EQ(rect.right, 800);
    EXPECT_EQ(rect.bottom, 600);
    EXPECT_EQ(GetDlgItem(front, 9), child);
    EXPECT_EQ(headless::WindowId(child), 9);
    EXPECT_EQ(headless::Children(front), std::vector<HWND>{child});
}

TEST_F(HeadlessWindows, ActivationBetweenApplications) {
    HWND first = CreatePopup("first", WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(MessagesOf(first, {WM_ACTIVATEAPP, WM_ACTIVATE, WM_SETFOCUS}),
              (std::vector<UINT>{WM_ACTIVATEAPP, WM_ACTIVATE, WM_SETFOCUS}));
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(GetFocus(), first);
    HWND second = CreatePopup("second", WS_POPUP);
    entries.clear();

    headless::ActivateOtherApplication();
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    for (HWND window : {first, second}) {
        std::vector<WPARAM> activate_app;
        for (const message_log::Entry &entry : entries)
            if (entry.window == window && entry.message == WM_ACTIVATEAPP)
                activate_app.push_back(entry.wparam);
        EXPECT_EQ(activate_app, std::vector<WPARAM>{FALSE});
    }
    EXPECT_EQ(MessagesOf(first, {WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}),
              (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}));

    entries.clear();
    EXPECT_TRUE(SetForegroundWindow(first));
    EXPECT_EQ(entries.front().message, static_cast<UINT>(WM_ACTIVATEAPP));
    EXPECT_EQ(entries.front().wparam, static_cast<WPARAM>(TRUE));
}

TEST_F(HeadlessWindows, DestroyingAnOwnerDestroysWhatItOwnsFirst) {
    HWND owner = CreatePopup("owner", WS_POPUP | WS_VISIBLE);
    HWND owned = CreateWindowExA(0, message_log::class_name, "owned", WS_POPUP | WS_VISIBLE, 0, 0,
                                 10, 10, owner, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetParent(owned), owner);
    EXPECT_EQ(GetForegroundWindow(), owned);
    DestroyWindow(owned);
    EXPECT_EQ(GetForegroundWindow(), owner) << "the activation goes back to the owner";
    owned = CreateWindowExA(0, message_log::class_name, "owned", WS_POPUP, 0, 0, 10, 10, owner,
                            nullptr, nullptr, nullptr);
    entries.clear();
    DestroyWindow(owner);
    std::vector<HWND> destroyed;
    for (const message_log::Entry &entry : entries)
        if (entry.message == WM_NCDESTROY)
            destroyed.push_back(entry.window);
    EXPECT_EQ(destroyed, (std::vector<HWND>{owned, owner}));
    EXPECT_EQ(headless::LiveWindows(), 0);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
}

TEST_F(HeadlessWindows, ScreenSaverRunningFlagHandsBackThePreviousState) {
    struct Row {
        UINT on;
        BOOL previous;
    };
    const Row rows[] = {{1, FALSE}, {1, TRUE}, {0, TRUE}, {0, FALSE}};
    for (const Row &row : rows) {
        BOOL previous = -1;
        EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, row.on, &previous, 0));
        EXPECT_EQ(previous, row.previous) << row.on;
        EXPECT_EQ(headless::ScreenSaverRunning(), row.on != 0);
    }
    EXPECT_EQ(headless::ScreenSaverRunningFlags(), (std::vector<UINT>{1, 1, 0, 0}));
}

TEST_F(HeadlessWindows, ResetIsAFreshProcess) {
    HWND window = CreatePopup("old", WS_POPUP | WS_VISIBLE);
    SetCursor(nullptr);
    headless::SetCursorPosition(5, 6);
    headless::Reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(headless::LiveWindows(), 0);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_FALSE(headless::CursorHidden());
    POINT point;
    GetCursorPos(&point);
    EXPECT_EQ(point.x, 0);
    EXPECT_EQ(FindWindowA(message_log::class_name, nullptr), nullptr);
    message_log::RegisterRecordingClass();
    EXPECT_EQ(CreatePopup("new"), window) << "handles are the same in every fresh process";
}

} // namespace
