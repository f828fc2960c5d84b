#include "settings/config_dialog.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "settings/settings_store.h"
#include "support/scratch_folder.h"

namespace {

constexpr int kFigures = 1001;
constexpr int kCorners = 1003;
constexpr int kSpeed = 1005;
constexpr int kLines = 1007;

// A fresh process whose program lies in a scratch folder, so the dialog's settings file is
// Frellis.ini there. The user's actions are scheduled before the dialog opens and run inside its
// modal loop, as the user would act while it is on screen.
class ConfigDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset();
        ResetSettings();
        headless::SetCommandLine((scratch_.QuotedProgram() + " /c").c_str());
    }

    std::string IniPath() const { return scratch_.IniPath(); }
    bool IniExists() const { return scratch_.IniExists(); }
    void WriteIni(const std::string &text) const { scratch_.WriteIni(text); }
    std::string IniValue(const char *key) const {
        char value[32] = {};
        GetPrivateProfileStringA("Setting", key, "(none)", value, sizeof value, IniPath().c_str());
        return value;
    }

    // Runs the dialog; each step runs 10 ms after the one before, with the open dialog.
    INT_PTR Run(const std::vector<std::function<void(HWND)>> &steps, HWND owner = nullptr) {
        DWORD delay = 0;
        for (const auto &step : steps) {
            delay += 10;
            headless::Schedule(delay, [step] { step(headless::CurrentDialog()); });
        }
        return DialogBoxParamA(headless::ExecutableInstance(),
                               MAKEINTRESOURCEA(kConfigDialogTemplate), owner, ConfigDialogProc, 0);
    }

    // What the four boxes show when the dialog opens; the dialog is then closed.
    std::vector<std::string> Shown() {
        std::vector<std::string> texts;
        Run({[&](HWND dialog) {
                 for (int id : {kFigures, kCorners, kLines, kSpeed})
                     texts.push_back(headless::WindowText(GetDlgItem(dialog, id)));
             },
             headless::ClickCloseBox});
        return texts;
    }

    ScratchFolder scratch_;
};

using Texts = std::vector<std::string>;

TEST_F(ConfigDialog, OpensWithTheStoredSettingsWithinTheirRanges) {
    const struct {
        const char *ini; // nullptr: no file
        Texts shown;     // figures, corners, lines, speed
    } rows[] = {
        {nullptr, {"2", "4", "16", "10"}},
        {"[Setting]\nPolygon=5\nPoint=7\nLine=30\nSpeed=3\n", {"5", "7", "30", "3"}},
        {"[Setting]\nPolygon=99\nPoint=1\nLine=33\nSpeed=0\n", {"8", "2", "32", "1"}},
        {"[Setting]\nPolygon=\nPoint=x\nLine=-4\nSpeed=21\n", {"2", "2", "1", "20"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.ini ? row.ini : "no file");
        std::remove(IniPath().c_str());
        if (row.ini)
            WriteIni(row.ini);
        EXPECT_EQ(Shown(), row.shown);
    }
    EXPECT_EQ(headless::InitCommonControlsCalls(), 4);
}

TEST_F(ConfigDialog, OkWritesWhatTheBoxesHoldUnclampedAndTheNextOpenClampsIt) {
    const auto press_enter = [](HWND) { headless::PressKey(VK_RETURN); };
    const auto click_ok = [](HWND dialog) { headless::ClickDialogItem(dialog, IDOK); };
    const struct {
        int box; // 0: nothing typed
        const char *typed;
        const char *key;
        const char *written;
        Texts reopened;
        std::function<void(HWND)> confirm;
    } rows[] = {
        {0, "", "Polygon", "2", {"2", "4", "16", "10"}, click_ok},
        {kFigures, "99", "Polygon", "99", {"8", "4", "16", "10"}, press_enter},
        {kSpeed, "", "Speed", "0", {"2", "4", "16", "1"}, click_ok},
        {kCorners, "12345678901", "Point", "0", {"2", "2", "16", "10"}, press_enter},
        {kLines, "0000000005", "Line", "5", {"2", "4", "5", "10"}, click_ok},
        {kLines, "7a", "Line", "7", {"2", "4", "7", "10"}, press_enter},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.key) + " typed as \"" + row.typed + "\"");
        std::remove(IniPath().c_str());
        const INT_PTR result = Run({[&](HWND dialog) {
                                        if (row.box)
                                            headless::ReplaceEditText(dialog, row.box, row.typed);
                                    },
                                    row.confirm});
        EXPECT_EQ(result, 1);
        EXPECT_EQ(IniValue(row.key), row.written);
        for (const char *other : {"Polygon", "Point", "Line", "Speed"})
            EXPECT_NE(IniValue(other), "(none)") << other;
        EXPECT_EQ(Shown(), row.reopened);
    }
}

TEST_F(ConfigDialog, EveryOtherWayOutWritesNothing) {
    const struct {
        const char *how;
        std::vector<std::function<void(HWND)>> steps;
    } rows[] = {
        {"close box", {headless::ClickCloseBox}},
        {"Alt+F4", {[](HWND) { headless::PressKey(VK_F4, true); }}},
        {"Escape, which leaves the dialog open, then the close box",
         {[](HWND) { headless::PressKey(VK_ESCAPE); },
          [](HWND dialog) { EXPECT_EQ(headless::CurrentDialog(), dialog); },
          headless::ClickCloseBox}},
        {"typing, then the close box",
         {[](HWND dialog) { headless::ReplaceEditText(dialog, kFigures, "5"); },
          headless::ClickCloseBox}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.how);
        EXPECT_EQ(Run(row.steps), 0);
        EXPECT_FALSE(IniExists());
    }
}

TEST_F(ConfigDialog, OpensCentredOverTheForegroundWindowOrTheDesktop) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.lpszClassName = "FrellisDialogOwner";
    RegisterClassA(&window_class);
    const int width = 170 * headless::kDialogBaseUnitX / 4;
    const int height = 70 * headless::kDialogBaseUnitY / 8;
    const struct {
        bool foreground;
        RECT frame; // the foreground window, or the 640x480 desktop
        POINT expected;
    } rows[] = {
        {false, {0, 0, 640, 480}, {(640 - width) / 2, (480 - height) / 2}},
        {true, {100, 50, 500, 350}, {(600 - width) / 2, (400 - height) / 2}},
        // Odd negative sums are halved toward zero, not rounded down.
        {true, {-101, -51, 0, 0}, {-(101 + width) / 2, -(51 + height) / 2}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.foreground ? "over a window" : "over the desktop");
        HWND window = nullptr;
        if (row.foreground)
            window = CreateWindowExA(
                0, "FrellisDialogOwner", "", WS_POPUP | WS_VISIBLE, row.frame.left, row.frame.top,
                row.frame.right - row.frame.left, row.frame.bottom - row.frame.top, nullptr,
                nullptr, nullptr, nullptr);
        ASSERT_EQ(GetForegroundWindow(), window);
        RECT placed = {};
        Run({[&](HWND dialog) { GetWindowRect(dialog, &placed); }, headless::ClickCloseBox});
        EXPECT_EQ(placed.left, row.expected.x);
        EXPECT_EQ(placed.top, row.expected.y);
        EXPECT_EQ(placed.right - placed.left, width);
        EXPECT_EQ(placed.bottom - placed.top, height);
        if (window)
            DestroyWindow(window);
    }
}

TEST_F(ConfigDialog, TheFocusGoesToOkOnOpeningAndOnAClickBesideTheControls) {
    const struct {
        const char *what;
        std::function<void(HWND)> action;
        int focus; // control id expected to have the focus afterwards
    } rows[] = {
        {"opening", [](HWND) {}, IDOK},
        {"click on the background after tabbing to a box",
         [](HWND dialog) {
             headless::ReplaceEditText(dialog, kLines, "3");
             headless::ClickDialogBackground(dialog);
         },
         IDOK},
        {"click on a label",
         [](HWND dialog) {
             headless::ReplaceEditText(dialog, kSpeed, "3");
             headless::ClickDialogItem(dialog, 65535);
         },
         IDOK},
        {"click in a box", [](HWND dialog) { headless::ClickDialogItem(dialog, kCorners); },
         kCorners},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        int focus = 0;
        Run({row.action, [&](HWND) { focus = headless::WindowId(GetFocus()); },
             headless::ClickCloseBox});
        EXPECT_EQ(focus, row.focus);
    }
}

TEST_F(ConfigDialog, ArrowsStepWithinTheRangeAndStopAtItsEnds) {
    const struct {
        const char *ini;
        int box;
        bool up;
        bool by_key; // else by the up-down's arrow button
        std::string shown;
    } rows[] = {
        {"Polygon=8", kFigures, true, true, "8"}, {"Polygon=8", kFigures, false, true, "7"},
        {"Point=2", kCorners, false, true, "2"},  {"Point=2", kCorners, false, false, "2"},
        {"Line=32", kLines, true, false, "32"},   {"Speed=1", kSpeed, false, true, "1"},
        {"Speed=1", kSpeed, true, false, "2"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.ini) + (row.up ? " up" : " down"));
        WriteIni(std::string("[Setting]\n") + row.ini + "\n");
        std::string shown;
        Run({[&](HWND dialog) {
                 if (row.by_key) {
                     SetFocus(GetDlgItem(dialog, row.box));
                     headless::PressKey(row.up ? VK_UP : VK_DOWN);
                 } else {
                     headless::ClickUpDownArrow(dialog, row.box + 1, row.up);
                 }
             },
             [&](HWND dialog) { shown = headless::WindowText(GetDlgItem(dialog, row.box)); },
             headless::ClickCloseBox});
        EXPECT_EQ(shown, row.shown);
    }
}

// With nowhere to save (a folder that does not exist, no APPDATA), OK keeps the dialog open and
// a message box over it says which file and why; where the settings go otherwise is the
// store's concern.
TEST_F(ConfigDialog, AFailedSaveKeepsTheDialogOpenAndSaysWhy) {
    const std::string locked = ScratchFolder::WindowsPath(scratch_.path + "/locked");
    headless::SetCommandLine(("\"" + locked + "\\frellis.scr\" /c").c_str());
    unsetenv("APPDATA");
    HWND open_after_ok = nullptr;
    const INT_PTR result = Run({[](HWND dialog) { headless::ClickDialogItem(dialog, IDOK); },
                                [&](HWND dialog) {
                                    open_after_ok = dialog;
                                    headless::ClickCloseBox(dialog);
                                }});
    EXPECT_EQ(result, 0);
    ASSERT_NE(open_after_ok, nullptr);
    const auto &boxes = headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, open_after_ok);
    EXPECT_EQ(boxes[0].text, "The settings could not be saved to\r\n" + locked +
                                 "\\Frellis.ini\r\n\r\nThe system cannot find the path specified."
                                 "\r\n");
    EXPECT_EQ(boxes[0].caption, "Frellis");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

} // namespace
