#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/headless/headless.h"

namespace {

struct Received {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

// A dialog procedure that records what reaches it and lets a test answer.
std::vector<Received> received;
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> answer;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG || message == WM_COMMAND || message == WM_CLOSE ||
        message == WM_SYSCOMMAND || message == WM_LBUTTONDOWN)
        received.push_back({message, wparam, lparam});
    return answer ? answer(dialog, message, wparam, lparam) : 0;
}

// Ends the dialog with the close request's wParam, as a procedure without Cancel does.
INT_PTR EndOnClose(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message != WM_CLOSE)
        return 0;
    EndDialog(dialog, static_cast<INT_PTR>(wparam));
    return 1;
}

std::vector<UINT> Messages() {
    std::vector<UINT> messages;
    for (const Received &r : received)
        messages.push_back(r.message);
    return messages;
}

class HeadlessDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        received.clear();
        answer = EndOnClose;
    }

    INT_PTR Run(const std::vector<std::function<void(HWND)>> &steps, LPARAM param = 0,
                HWND owner = nullptr) {
        DWORD delay = 0;
        for (const auto &step : steps) {
            delay += 10;
            headless::Schedule(delay, [step] { step(headless::CurrentDialog()); });
        }
        return DialogBoxParamA(headless::ExecutableInstance(), MAKEINTRESOURCEA(2003), owner,
                               RecordingProc, param);
    }
};

TEST_F(HeadlessDialog, RealisesTemplate2003ItemByItem) {
    const struct {
        const char *class_name;
        int id;
        const char *text;
        DWORD style;
        RECT rect; // dialog units, before the up-downs align themselves
    } items[] = {
        {"button", 1, "&OK", 0x50010001, {60, 48, 110, 62}},
        {"static", 65535, "図形の数", 0x50020000, {10, 10, 40, 22}},
        {"static", 65535, "：", 0x50020000, {40, 10, 48, 22}},
        {"edit", 1001, "", 0x50812082, {50, 8, 80, 20}},
        {"msctls_updown32", 1002, "polygon", 0x500000B6, {80, 8, 88, 20}},
        {"static", 65535, "角の個数", 0x50020000, {10, 27, 40, 39}},
        {"static", 65535, "：", 0x50020000, {40, 27, 48, 39}},
        {"edit", 1003, "", 0x50812082, {50, 25, 80, 37}},
        {"msctls_updown32", 1004, "point", 0x500000B6, {80, 25, 88, 37}},
        {"static", 65535, "線の本数", 0x50020000, {90, 10, 120, 22}},
        {"static", 65535, "：", 0x50020000, {120, 10, 128, 22}},
        {"edit", 1007, "", 0x50812082, {130, 8, 160, 20}},
        {"msctls_updown32", 1008, "line", 0x500000B6, {160, 8, 168, 20}},
        {"static", 65535, "スピード", 0x50020000, {90, 27, 120, 39}},
        {"static", 65535, "：", 0x50020000, {120, 27, 128, 39}},
        {"edit", 1005, "", 0x50812082, {130, 25, 160, 37}},
        {"msctls_updown32", 1006, "speed", 0x500000B6, {160, 25, 168, 37}},
    };
    const int ux = headless::kDialogBaseUnitX, uy = headless::kDialogBaseUnitY;
    Run({[&](HWND dialog) {
             EXPECT_STREQ(headless::WindowText(dialog), "Frellis");
             EXPECT_EQ(headless::WindowStyle(dialog) & ~WS_VISIBLE, 0x80C802C0u);
             RECT frame;
             GetWindowRect(dialog, &frame);
             EXPECT_EQ(frame.right - frame.left, 170 * ux / 4);
             EXPECT_EQ(frame.bottom - frame.top, 70 * uy / 8);
             const std::vector<HWND> children = headless::Children(dialog);
             ASSERT_EQ(children.size(), std::size(items));
             for (size_t i = 0; i < children.size(); ++i) {
                 SCOPED_TRACE("item " + std::to_string(i + 1));
                 const auto &item = items[i];
                 EXPECT_EQ(headless::WindowId(children[i]), item.id);
                 EXPECT_EQ(headless::WindowStyle(children[i]), item.style);
                 if (std::string(item.class_name) != "edit") {
                     EXPECT_STREQ(headless::WindowText(children[i]), item.text);
                 }
                 RECT r;
                 GetWindowRect(children[i], &r);
                 EXPECT_EQ(r.top - frame.top, item.rect.top * uy / 8);
                 EXPECT_EQ(r.bottom - frame.top, item.rect.bottom * uy / 8);
                 // Each up-down moves against its edit box's right edge, and the box narrows by
                 // the up-down's width: the pair still spans what the template gave the box.
                 const std::string cls = item.class_name;
                 const int shift_left = cls == "msctls_updown32" ? 8 : 0;
                 const int shift_right = cls == "msctls_updown32" || cls == "edit" ? 8 : 0;
                 EXPECT_EQ(r.left - frame.left, (item.rect.left - shift_left) * ux / 4);
                 EXPECT_EQ(r.right - frame.left, (item.rect.right - shift_right) * ux / 4);
             }
         },
         headless::ClickCloseBox});
}

TEST_F(HeadlessDialog, OpeningSendsInitDialogWithTheFirstTabStopAndTheParameter) {
    const struct {
        INT_PTR init_answer;
        int focus_id; // nonzero answer: the dialog manager focuses the first tab stop
    } rows[] = {{1, IDOK}, {0, 1003}};
    for (const auto &row : rows) {
        received.clear();
        answer = [&](HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) -> INT_PTR {
            if (message != WM_INITDIALOG)
                return EndOnClose(dialog, message, wparam, lparam);
            SetFocus(GetDlgItem(dialog, 1003));
            return row.init_answer;
        };
        int focus = 0;
        HWND ok = nullptr;
        Run({[&](HWND dialog) {
                 focus = headless::WindowId(GetFocus());
                 ok = GetDlgItem(dialog, IDOK);
             },
             headless::ClickCloseBox},
            77);
        ASSERT_FALSE(received.empty());
        EXPECT_EQ(received[0].message, static_cast<UINT>(WM_INITDIALOG));
        EXPECT_EQ(reinterpret_cast<HWND>(received[0].wparam), ok);
        EXPECT_EQ(received[0].lparam, 77);
        EXPECT_EQ(focus, row.focus_id);
    }
}

TEST_F(HeadlessDialog, KeysAndTheCloseBoxReachTheProcedureAsCommands) {
    const struct {
        const char *what;
        std::function<void(HWND)> act;
        std::vector<UINT> messages; // after WM_INITDIALOG
        WPARAM command;             // the first WM_COMMAND's wParam, if any
    } rows[] = {
        {"Enter", [](HWND) { headless::PressKey(VK_RETURN); }, {WM_COMMAND}, IDOK},
        {"Escape", [](HWND) { headless::PressKey(VK_ESCAPE); }, {WM_COMMAND}, IDCANCEL},
        {"OK clicked", [](HWND d) { headless::ClickDialogItem(d, IDOK); }, {WM_COMMAND}, IDOK},
        {"close box", headless::ClickCloseBox, {WM_SYSCOMMAND, WM_CLOSE}, 0},
        {"label clicked", [](HWND d) { headless::ClickDialogItem(d, 65535); }, {WM_LBUTTONDOWN}, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        received.clear();
        const bool closes = row.messages.back() == static_cast<UINT>(WM_CLOSE);
        Run(closes ? std::vector<std::function<void(HWND)>>{row.act}
                   : std::vector<std::function<void(HWND)>>{row.act, [](HWND d) {
                                                                received.push_back({0, 0, 0});
                                                                EndDialog(d, 0);
                                                            }});
        std::vector<UINT> expected = {WM_INITDIALOG};
        expected.insert(expected.end(), row.messages.begin(), row.messages.end());
        if (!closes)
            expected.push_back(0);
        EXPECT_EQ(Messages(), expected);
        if (received.size() > 1 && received[1].message == static_cast<UINT>(WM_COMMAND)) {
            EXPECT_EQ(received[1].wparam, row.command);
        }
    }
}

TEST_F(HeadlessDialog, AnUnhandledCloseBecomesCancelAndTheDialogStays) {
    answer = nullptr;
    Run({headless::ClickCloseBox, [](HWND dialog) {
             EXPECT_TRUE(IsWindow(dialog));
             EndDialog(dialog, 5);
         }});
    EXPECT_EQ(Messages(), (std::vector<UINT>{WM_INITDIALOG, WM_SYSCOMMAND, WM_CLOSE, WM_COMMAND}));
    EXPECT_EQ(received.back().wparam, static_cast<WPARAM>(IDCANCEL));
}

TEST_F(HeadlessDialog, ResultsAndFailures) {
    HWND kept = nullptr;
    EXPECT_EQ(Run({[&](HWND dialog) {
                  kept = dialog;
                  EndDialog(dialog, 42);
              }}),
              42);
    EXPECT_FALSE(IsWindow(kept));
    EXPECT_FALSE(EndDialog(kept, 1));
    EXPECT_EQ(DialogBoxParamA(headless::ExecutableInstance(), MAKEINTRESOURCEA(2004), nullptr,
                              RecordingProc, 0),
              -1);
    EXPECT_EQ(DialogBoxParamA(headless::ExecutableInstance(), MAKEINTRESOURCEA(2003),
                              reinterpret_cast<HWND>(0x7FFE), RecordingProc, 0),
              0);
    EXPECT_TRUE(received.size() == 1u); // only the dialog that opened
}

TEST_F(HeadlessDialog, QuitEndsTheModalLoopAndStaysForTheCaller) {
    Run({[](HWND) { PostQuitMessage(9); }});
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.wParam, 9u);
    EXPECT_EQ(headless::CurrentDialog(), nullptr);
}

TEST_F(HeadlessDialog, UpDownShowsItsPositionInItsBuddy) {
    const struct {
        LPARAM range; // maximum low, minimum high
        int position;
        const char *shown;
        LRESULT previous_on_second_set;
    } rows[] = {
        {MAKELPARAM(8, 1), 5, "5", 5},
        {MAKELPARAM(8, 1), 12, "8", 8}, // clamped to the range
        {MAKELPARAM(20, 1), 0, "1", 1},
        {MAKELPARAM(1000, 0), 999, "999", 999},
    };
    for (const auto &row : rows) {
        Run({[&](HWND dialog) {
                 HWND updown = GetDlgItem(dialog, 1002);
                 SendMessageA(updown, UDM_SETRANGE, 0, row.range);
                 SendMessageA(updown, UDM_SETPOS, 0, MAKELPARAM(row.position, 0));
                 EXPECT_STREQ(headless::WindowText(GetDlgItem(dialog, 1001)), row.shown);
                 EXPECT_EQ(SendMessageA(updown, UDM_SETPOS, 0, MAKELPARAM(1, 0)),
                           row.previous_on_second_set);
             },
             headless::ClickCloseBox});
    }
}

TEST_F(HeadlessDialog, NumberBoxesTakeOnlyDigits) {
    const struct {
        const char *typed;
        const char *shown;
    } rows[] = {{"42", "42"}, {"a1 b2", "12"}, {"", ""}, {"007", "007"}};
    for (const auto &row : rows) {
        std::string shown;
        Run({[&](HWND dialog) {
                 SendDlgItemMessageA(dialog, 1001, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("9"));
                 headless::ReplaceEditText(dialog, 1001, row.typed);
             },
             [&](HWND dialog) { shown = headless::WindowText(GetDlgItem(dialog, 1001)); },
             headless::ClickCloseBox});
        EXPECT_EQ(shown, row.shown) << row.typed;
    }
}

} // namespace
