// What the saver relies on from windows and classes, as statements that hold on Windows: the
// creation and destruction sequences, the default procedure's close, text and Alt+F4 handling,
// finding windows, rectangles, and the small character and cursor calls.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/message_log.h"

namespace {

using message_log::answers;
using message_log::CreateChild;
using message_log::CreatePopup;
using message_log::entries;
using message_log::MessagesOf;

class Windows : public message_log::RecordingTest {};

const std::vector<UINT> lifecycle = {WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW, WM_DESTROY,
                                     WM_NCDESTROY};

TEST_F(Windows, RegisteringAClassTwiceFails) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = message_log::RecordingProc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "FrellisTwiceRegistered";
    EXPECT_NE(RegisterClassA(&window_class), 0);
    EXPECT_EQ(RegisterClassA(&window_class), 0);
    window_class.lpszClassName = "FRELLISTWICEREGISTERED"; // class names ignore letter case
    EXPECT_EQ(RegisterClassA(&window_class), 0);
}

TEST_F(Windows, CreationSendsNcCreateThenCreateBeforeReturning) {
    int marker = 0;
    static CREATESTRUCTA copy;
    struct Capture {
        static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
            if (message == WM_CREATE)
                copy = *reinterpret_cast<const CREATESTRUCTA *>(lparam);
            return message_log::RecordingProc(window, message, wparam, lparam);
        }
    };
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = Capture::Proc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "FrellisCreateCapture";
    RegisterClassA(&window_class);
    HWND window = Keep(CreateWindowExA(0, "FrellisCreateCapture", "Title", WS_POPUP, 11, 22, 33, 44,
                                       nullptr, nullptr, GetModuleHandleA(nullptr), &marker));
    ASSERT_NE(window, nullptr);
    const CREATESTRUCTA *seen = &copy;
    EXPECT_EQ(MessagesOf(window, lifecycle), (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    EXPECT_EQ(seen->lpCreateParams, &marker);
    EXPECT_EQ(seen->x, 11);
    EXPECT_EQ(seen->y, 22);
    EXPECT_EQ(seen->cx, 33);
    EXPECT_EQ(seen->cy, 44);
    EXPECT_STREQ(seen->lpszName, "Title");
    // The default procedure took the title from the creation record.
    char text[16] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Title");
}

TEST_F(Windows, CreationFailsWhenTheProcedureRefuses) {
    struct Row {
        UINT message;
        LRESULT answer;
        std::vector<UINT> expected;
    };
    const Row rows[] = {
        {WM_NCCREATE, FALSE, {WM_NCCREATE, WM_NCDESTROY}},
        {WM_CREATE, -1, {WM_NCCREATE, WM_CREATE, WM_NCDESTROY}},
    };
    for (const Row &row : rows) {
        entries.clear();
        answers = {{row.message, row.answer}};
        EXPECT_EQ(CreatePopup("refused"), nullptr) << row.message;
        ASSERT_FALSE(entries.empty());
        HWND window = entries.front().window;
        EXPECT_EQ(MessagesOf(window, lifecycle), row.expected) << row.message;
        EXPECT_FALSE(IsWindow(window));
    }
}

TEST_F(Windows, VisibleWindowIsShownDuringCreation) {
    HWND window = Keep(CreatePopup("shown", WS_POPUP | WS_VISIBLE));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(MessagesOf(window, lifecycle),
              (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW}));
}

TEST_F(Windows, AShownWindowIsErasedAndPaintedUntilValid) {
    HWND window = Keep(CreatePopup("painted", WS_POPUP | WS_VISIBLE, 0, 0, 50, 40));
    message_log::Drain();
    EXPECT_FALSE(MessagesOf(window, {WM_ERASEBKGND}).empty());
    EXPECT_FALSE(MessagesOf(window, {WM_PAINT}).empty());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE))
        << "the default procedure validated the window";
}

TEST_F(Windows, DefaultCursorHandlingAsksTheParentFirst) {
    HWND parent = Keep(CreatePopup("parent"));
    HWND child = CreateChild(parent, 1);
    entries.clear();
    // No class cursor anywhere: nobody sets one, and the answer is FALSE.
    EXPECT_EQ(SendMessageA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child),
                           MAKELPARAM(1, WM_MOUSEMOVE)),
              FALSE);
    EXPECT_EQ(MessagesOf(parent, {WM_SETCURSOR}).size(), 1u);
    answers = {{WM_SETCURSOR, TRUE}};
    EXPECT_EQ(SendMessageA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child),
                           MAKELPARAM(1, WM_MOUSEMOVE)),
              TRUE);
}

TEST_F(Windows, DestroyingAParentDestroysItsChildrenParentFirstThenChildrenLast) {
    HWND parent = Keep(CreatePopup("parent"));
    HWND child = CreateChild(parent, 7);
    HWND grandchild = CreateChild(child, 8);
    ASSERT_NE(grandchild, nullptr);
    entries.clear();
    EXPECT_TRUE(DestroyWindow(parent));
    std::vector<std::pair<HWND, UINT>> order;
    for (const message_log::Entry &entry : entries)
        if (entry.message == WM_DESTROY || entry.message == WM_NCDESTROY)
            order.push_back({entry.window, entry.message});
    const std::vector<std::pair<HWND, UINT>> expected = {
        {parent, WM_DESTROY},       {child, WM_DESTROY},   {grandchild, WM_DESTROY},
        {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    for (HWND window : {parent, child, grandchild})
        EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(DestroyWindow(parent));
}

TEST_F(Windows, DefaultProcedureClosesOnCloseRequestsOnly) {
    struct Row {
        const char *what;
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        bool closes;
    };
    const Row rows[] = {
        {"WM_CLOSE", WM_CLOSE, 0, 0, true},
        {"SC_CLOSE", WM_SYSCOMMAND, SC_CLOSE, 0, true},
        {"SC_CLOSE with the low bits set", WM_SYSCOMMAND, SC_CLOSE | 0x2, 0, true},
        {"Alt+F4", WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29), true},
        {"F4 without Alt", WM_SYSKEYDOWN, VK_F4, 1, false},
        {"Alt+F4 released", WM_SYSKEYUP, VK_F4, static_cast<LPARAM>(1u | 1u << 29 | 3u << 30),
         false},
        {"F4 as a plain key", WM_KEYDOWN, VK_F4, 1 | (1 << 29), false},
    };
    for (const Row &row : rows) {
        HWND window = Keep(CreatePopup(row.what));
        ASSERT_NE(window, nullptr);
        entries.clear();
        DefWindowProcA(window, row.message, row.wparam, row.lparam);
        message_log::Drain(); // Alt+F4 may arrive as a posted system command
        EXPECT_EQ(IsWindow(window) == FALSE, row.closes) << row.what;
        // Every close but WM_CLOSE itself goes through a WM_CLOSE to the window.
        const size_t close_messages = row.closes && row.message != WM_CLOSE ? 1 : 0;
        EXPECT_EQ(MessagesOf(window, {WM_CLOSE}).size(), close_messages) << row.what;
    }
}

TEST_F(Windows, DefaultProcedureKeepsTheText) {
    HWND window = Keep(CreatePopup("first"));
    EXPECT_TRUE(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Preview")));
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 7);
    struct Row {
        WPARAM size;
        LRESULT copied;
        const char *text;
    };
    const Row rows[] = {{64, 7, "Preview"}, {8, 7, "Preview"}, {4, 3, "Pre"}, {1, 0, ""}};
    for (const Row &row : rows) {
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(SendMessageA(window, WM_GETTEXT, row.size, reinterpret_cast<LPARAM>(buffer)),
                  row.copied)
            << row.size;
        EXPECT_STREQ(buffer, row.text) << row.size;
    }
}

TEST_F(Windows, FindWindowFindsTopLevelWindowsByClassAndTitle) {
    HWND saver = Keep(CreatePopup("Frellis Find Saver"));
    Keep(CreatePopup("Frellis Find Other"));
    HWND child = CreateChild(saver, 3);
    SendMessageA(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Frellis Find Child"));
    struct Row {
        const char *class_name;
        const char *title;
        HWND expected;
    };
    const Row rows[] = {
        {message_log::class_name, "Frellis Find Saver", saver},
        {nullptr, "Frellis Find Saver", saver},
        {"FRELLISRECORDINGWINDOW", "Frellis Find Saver", saver},
        {message_log::class_name, "Frellis Find Child", nullptr}, // children are not searched
        {message_log::class_name, "Frellis Find Nobody", nullptr},
        {"FrellisNoSuchClass", "Frellis Find Saver", nullptr},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FindWindowA(row.class_name, row.title), row.expected)
            << (row.class_name ? row.class_name : "(any)") << " / " << row.title;
}

TEST_F(Windows, ChildrenKnowTheirParentAndLieInItsClientArea) {
    HWND parent = Keep(CreatePopup("parent", WS_POPUP, 100, 50, 300, 200));
    HWND child = CreateChild(parent, 42, 10, 20, 30, 40);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), parent);
    EXPECT_EQ(GetParent(parent), nullptr);
    RECT rect;
    EXPECT_TRUE(GetWindowRect(child, &rect));
    EXPECT_EQ(rect.left, 110);
    EXPECT_EQ(rect.top, 70);
    EXPECT_EQ(rect.right, 140);
    EXPECT_EQ(rect.bottom, 110);
    EXPECT_TRUE(GetClientRect(parent, &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 300);
    EXPECT_EQ(rect.bottom, 200);
    EXPECT_FALSE(GetClientRect(nullptr, &rect));
}

TEST_F(Windows, SetWindowPosHonoursNoMoveAndNoSize) {
    struct Row {
        UINT flags;
        RECT expected;
    };
    const Row rows[] = {
        {SWP_NOZORDER, {5, 6, 12, 14}},
        {SWP_NOZORDER | SWP_NOSIZE, {5, 6, 105, 56}},
        {SWP_NOZORDER | SWP_NOMOVE, {0, 0, 7, 8}},
        {SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE, {0, 0, 100, 50}},
    };
    for (const Row &row : rows) {
        HWND window = Keep(CreatePopup("moved", WS_POPUP, 0, 0, 100, 50));
        EXPECT_TRUE(SetWindowPos(window, nullptr, 5, 6, 7, 8, row.flags));
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left, row.expected.left) << row.flags;
        EXPECT_EQ(rect.top, row.expected.top) << row.flags;
        EXPECT_EQ(rect.right, row.expected.right) << row.flags;
        EXPECT_EQ(rect.bottom, row.expected.bottom) << row.flags;
    }
}

TEST_F(Windows, DesktopWindowHasTheScreensSize) {
    HWND desktop = GetDesktopWindow();
    EXPECT_TRUE(IsWindow(desktop));
    RECT rect;
    EXPECT_TRUE(GetClientRect(desktop, &rect));
    EXPECT_GT(rect.right, 0);
    EXPECT_GT(rect.bottom, 0);
    EXPECT_FALSE(DestroyWindow(desktop));
}

TEST_F(Windows, FocusAndForegroundFollowTheCalls) {
    HWND window = Keep(CreatePopup("focus", WS_POPUP | WS_VISIBLE));
    HWND child = CreateChild(window, 1);
    EXPECT_TRUE(SetForegroundWindow(window));
    EXPECT_EQ(GetForegroundWindow(), window);
    SetFocus(child);
    EXPECT_EQ(GetFocus(), child);
    EXPECT_EQ(SetFocus(window), child);
    EXPECT_EQ(MessagesOf(child, {WM_SETFOCUS, WM_KILLFOCUS}),
              (std::vector<UINT>{WM_SETFOCUS, WM_KILLFOCUS}));
    DestroyWindow(window);
    EXPECT_NE(GetFocus(), child);
}

TEST(CharNext, StepsOneByteAndStopsAtTheEnd) {
    const char text[] = "a\xE9 ";
    struct Row {
        int from;
        int to;
    };
    const Row rows[] = {{0, 1}, {1, 2}, {2, 3}, {3, 3}};
    for (const Row &row : rows)
        EXPECT_EQ(CharNextA(text + row.from), text + row.to) << row.from;
}

TEST(Cursor, SetCursorReturnsThePreviousOne) {
    HCURSOR shown = SetCursor(nullptr);
    EXPECT_EQ(SetCursor(nullptr), nullptr);
    EXPECT_EQ(SetCursor(shown), nullptr);
    POINT point = {-1, -1};
    EXPECT_TRUE(GetCursorPos(&point));
}

TEST(Icons, TheExecutableCarriesNoIcon) {
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100)), nullptr);
}

} // namespace
