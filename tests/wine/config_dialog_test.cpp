// The configuration dialog on the real dialog manager and up-down controls: template 2003 from
// this executable's resources with ConfigDialogProc, driven from inside its modal loop.
#include <string>
#include <vector>

#include "host/saver_main.h"
#include "settings/config_dialog.h"
#include "wine/script_timer.h"
#include "wine/wine_fixture.h"

namespace {

using wine_test::RunScripted;
using wine_test::Step;
using wine_test::StoredSetting;
using Texts = std::vector<std::string>;

constexpr int kFigures = FRELLIS_POLYGON_EDIT;
constexpr int kCorners = FRELLIS_POINT_EDIT;
constexpr int kLines = FRELLIS_LINE_EDIT;
constexpr int kSpeed = FRELLIS_SPEED_EDIT;
// The boxes in the order the dialog's rows list them: figures, corners, lines, speed.
constexpr int kBoxes[] = {kFigures, kCorners, kLines, kSpeed};

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char class_name[16] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    if (std::string(class_name) != "#32770")
        return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

// The dialog this thread shows.
HWND Dialog() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

std::string BoxText(int box) {
    char text[32] = {};
    GetDlgItemTextA(Dialog(), box, text, sizeof text);
    return text;
}

Texts Shown() {
    Texts texts;
    for (int box : kBoxes)
        texts.push_back(BoxText(box));
    return texts;
}

void CloseBox() {
    SendMessageA(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void ClickOk() {
    SendDlgItemMessageA(Dialog(), IDOK, BM_CLICK, 0, 0);
}

void PressKey(int box, WPARAM key) {
    HWND edit = GetDlgItem(Dialog(), box);
    SendMessageA(edit, WM_KEYDOWN, key, 1);
    SendMessageA(edit, WM_KEYUP, key, 0xC0000001);
}

class ConfigDialog : public wine_test::WineTest {
  protected:
    void TearDown() override {
        UnregisterClassA("DialogOwner", module_instance);
        WineTest::TearDown();
    }

    // Runs open (which shows the dialog and returns its result) with the steps inside the
    // dialog's modal loop; the last one ends it.
    template <typename Open> static auto RunIn(std::vector<Step> steps, Open open) {
        return RunScripted(
            std::move(steps), [] { EndDialog(Dialog(), -2); }, open);
    }

    static INT_PTR Run(std::vector<Step> steps) {
        return RunIn(std::move(steps), [] {
            return DialogBoxParamA(module_instance, MAKEINTRESOURCEA(kConfigDialogTemplate),
                                   nullptr, ConfigDialogProc, 0);
        });
    }

    // What the boxes show when the dialog opens; the close box then ends it.
    static Texts Opened() {
        Texts texts;
        EXPECT_EQ(Run({[&] { texts = Shown(); }, CloseBox}), 0);
        return texts;
    }
};

// The stored settings shown through up-downs that hold the keys' ranges. (Which values a file
// gives, clamped, the e2e scenario config_shows_loaded_values shows end to end.)
TEST_F(ConfigDialog, OpensWithTheStoredSettingsThroughUpDownsWithTheirRanges) {
    const struct {
        int updown, minimum, maximum;
    } ranges[] = {
        {FRELLIS_POLYGON_UPDOWN, 1, 8},
        {FRELLIS_POINT_UPDOWN, 2, 8},
        {FRELLIS_LINE_UPDOWN, 1, 32},
        {FRELLIS_SPEED_UPDOWN, 1, 20},
    };
    wine_test::WriteSettingsFile("[Setting]\r\nPolygon=5\r\nPoint=7\r\nLine=30\r\nSpeed=3\r\n");
    Texts shown;
    EXPECT_EQ(Run({[&] {
                       shown = Shown();
                       for (const auto &range : ranges) {
                           int minimum = 0, maximum = 0;
                           SendDlgItemMessageA(Dialog(), range.updown, UDM_GETRANGE32,
                                               reinterpret_cast<WPARAM>(&minimum),
                                               reinterpret_cast<LPARAM>(&maximum));
                           EXPECT_EQ(minimum, range.minimum) << range.updown;
                           EXPECT_EQ(maximum, range.maximum) << range.updown;
                       }
                   },
                   CloseBox}),
              0);
    EXPECT_EQ(shown, (Texts{"5", "7", "30", "3"}));
}

// OK writes all four keys as the boxes hold them, unclamped, and ends the dialog with 1; the next
// opening shows them clamped. (Enter with valid values: the e2e scenario config_keys.)
TEST_F(ConfigDialog, OkWritesAllFourAndEndsWithOne) {
    const struct {
        int box;
        const char *typed;
        const char *key;
        const char *written;
        Texts reopened;
    } rows[] = {
        {kFigures, "99", "Polygon", "99", {"8", "4", "16", "10"}},
        {kSpeed, "", "Speed", "0", {"2", "4", "16", "1"}},
        {kCorners, "12345678901", "Point", "0", {"2", "2", "16", "10"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.key) + " typed as \"" + row.typed + "\"");
        wine_test::WriteSettingsFile("");
        EXPECT_EQ(Run({[&] { SetDlgItemTextA(Dialog(), row.box, row.typed); }, ClickOk}), 1);
        EXPECT_EQ(StoredSetting(row.key), row.written);
        for (const char *key : {"Polygon", "Point", "Line", "Speed"})
            EXPECT_NE(StoredSetting(key), "(none)") << key;
        EXPECT_EQ(Opened(), row.reopened);
    }
}

// Escape (Cancel) leaves the dialog open; the close box ends it with 0; neither writes, whatever
// was typed.
TEST_F(ConfigDialog, OtherWaysOutWriteNothing) {
    wine_test::WriteSettingsFile("[Setting]\r\nPolygon=3\r\n");
    const FILETIME written = wine_test::SettingsFileWritten();
    HWND dialog = nullptr;
    EXPECT_EQ(Run({[&] {
                       dialog = Dialog();
                       SetDlgItemTextA(dialog, kFigures, "5");
                       PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
                   },
                   [&] {
                       EXPECT_EQ(Dialog(), dialog);
                       EXPECT_TRUE(IsWindowVisible(dialog));
                       SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                   },
                   [&] { EXPECT_EQ(Dialog(), dialog); }, CloseBox}),
              0);
    const FILETIME after = wine_test::SettingsFileWritten();
    EXPECT_EQ(CompareFileTime(&written, &after), 0);
    EXPECT_EQ(StoredSetting("Polygon"), "3");
    EXPECT_EQ(StoredSetting("Point"), "(none)");
}

// The arrow keys in a box step its up-down, which stops at the ends of its range.
TEST_F(ConfigDialog, ArrowsStopAtTheRangeEnds) {
    wine_test::WriteSettingsFile("[Setting]\r\nPolygon=8\r\nPoint=2\r\nLine=32\r\nSpeed=1\r\n");
    const struct {
        int box;
        WPARAM toward_end;
        const char *at_end;
        WPARAM back;
        const char *stepped;
    } rows[] = {
        {kFigures, VK_UP, "8", VK_DOWN, "7"},
        {kCorners, VK_DOWN, "2", VK_UP, "3"},
        {kLines, VK_UP, "32", VK_DOWN, "31"},
        {kSpeed, VK_DOWN, "1", VK_UP, "2"},
    };
    EXPECT_EQ(Run({[&] {
                       for (const auto &row : rows) {
                           PressKey(row.box, row.toward_end);
                           EXPECT_EQ(BoxText(row.box), row.at_end) << row.box;
                           PressKey(row.box, row.back);
                           EXPECT_EQ(BoxText(row.box), row.stepped) << row.box;
                       }
                   },
                   CloseBox}),
              0);
}

// A click on the dialog's background, or on a label, which lets clicks through, gives OK the
// focus back.
TEST_F(ConfigDialog, AClickBesideTheControlsFocusesOk) {
    EXPECT_EQ(Run({[] {
                       HWND dialog = Dialog();
                       SetFocus(GetDlgItem(dialog, kSpeed));
                       SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                       EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
                   },
                   CloseBox}),
              0);
}

// The configuration mode's owner by command line, and the dialog's result as the mode's.
TEST_F(ConfigDialog, ConfigurationModeOwnerAndResult) {
    HWND foreground =
        wine_test::CreatePopup("DialogOwner", DefWindowProcA, "Foreground", {0, 0, 200, 100});
    HWND settings =
        wine_test::CreatePopup("DialogOwner", DefWindowProcA, "Settings", {300, 0, 500, 100});
    const std::string handle = std::to_string(reinterpret_cast<uintptr_t>(settings));
    const struct {
        std::string tail;
        HWND owner;
        bool confirm;
    } rows[] = {
        {"", nullptr, true},
        {"/c", foreground, false},
        {"/c:" + handle, settings, true},
        {"/c " + handle, foreground, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE("\"" + row.tail + "\"");
        // Closing a dialog activates its owner; every row starts from the same foreground.
        SetForegroundWindow(foreground);
        HWND owner = nullptr;
        const Step end = row.confirm ? Step(ClickOk) : Step(CloseBox);
        const int result = RunIn({[&] { owner = GetWindow(Dialog(), GW_OWNER); }, end},
                                 [&] { return SaverMain(module_instance, row.tail.c_str()); });
        EXPECT_EQ(result, row.confirm ? 1 : 0);
        EXPECT_EQ(owner, row.owner);
    }
    DestroyWindow(settings);
    DestroyWindow(foreground);
}

// The dialog opens centred over the window in the foreground. (Only where the whole dialog lies
// on the screen: the window manager puts a captioned window that would not back on it.)
TEST_F(ConfigDialog, OpensCentredOverTheForegroundWindow) {
    const RECT frames[] = {{100, 50, 501, 351}, {600, 300, 1001, 433}};
    for (const RECT &frame : frames) {
        SCOPED_TRACE(std::to_string(frame.left) + "," + std::to_string(frame.top));
        HWND window = wine_test::CreatePopup("DialogOwner", DefWindowProcA, "Owner", frame);
        SetForegroundWindow(window);
        ASSERT_EQ(GetForegroundWindow(), window);
        RECT rect = {};
        Run({[&] { GetWindowRect(Dialog(), &rect); }, CloseBox});
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        EXPECT_EQ(rect.left, (frame.left + frame.right - width) / 2);
        EXPECT_EQ(rect.top, (frame.top + frame.bottom - height) / 2);
        DestroyWindow(window);
    }
}

} // namespace
