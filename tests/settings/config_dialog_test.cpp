// What the dialog's procedure does when it opens, on the recorded calls; the dialog itself, on
// the real dialog manager and up-downs, is tested under Wine (tests/wine).
#include "settings/config_dialog.h"

#include <stdlib.h>
#include <sys/stat.h>

#include "support/saver_fixture.h"

namespace {

using headless::CallText;
using saver_test::Calls;
using saver_test::Handle;

class ConfigDialogOpening : public saver_test::SaverTest {};
class ConfigDialogOk : public saver_test::SaverTest {};

// The ranges, then the stored values (the defaults, with no file), through the up-downs; the
// dialog centred over the foreground window, or over the desktop when there is none; the focus
// on OK.
TEST_F(ConfigDialogOpening, SetsUpCentresAndFocusesOk) {
    const HWND dialog = Handle(7), foreground = Handle(5), desktop = Handle(3), ok = Handle(9);
    for (HWND over : {foreground, desktop}) {
        SetUp();
        headless::SetAnswer("GetForegroundWindow", over == foreground ? 5 : 0);
        headless::SetAnswer("GetDesktopWindow", 3);
        headless::SetAnswer("GetDlgItem", 9);
        // The dialog is measured with the same call: 200 wide and 100 high, at (100, 50).
        headless::SetAnswer("GetWindowRect", TRUE, RECT{100, 50, 300, 150});
        EXPECT_EQ(ConfigDialogProc(dialog, WM_INITDIALOG, 0, 0), 0);
        Calls expected = {CallText("InitCommonControls")};
        const int updowns[] = {1002, 1004, 1008, 1006};
        const DWORD ranges[] = {0x00010008, 0x00020008, 0x00010020, 0x00010014};
        const DWORD values[] = {2, 4, 16, 10};
        for (int i = 0; i < 4; ++i)
            expected.push_back(CallText("SendDlgItemMessageA", dialog, updowns[i], UDM_SETRANGE, 0u,
                                        LPARAM{ranges[i]}));
        for (int i = 0; i < 4; ++i)
            expected.push_back(CallText("SendDlgItemMessageA", dialog, updowns[i], UDM_SETPOS, 0u,
                                        LPARAM{values[i]}));
        expected.push_back(CallText("GetForegroundWindow"));
        if (over == desktop)
            expected.push_back(CallText("GetDesktopWindow"));
        for (const std::string &call :
             {CallText("GetWindowRect", over), CallText("GetWindowRect", dialog),
              CallText("SetWindowPos", dialog, nullptr, 100, 50, 0, 0, 5u),
              CallText("GetDlgItem", dialog, IDOK), CallText("SetFocus", ok)})
            expected.push_back(call);
        EXPECT_EQ(headless::CallLog(), expected) << (over == desktop ? "desktop" : "foreground");
    }
}

// OK closes the dialog once a file took the settings, and says so when a file it could not write
// may now hold a mix, even where the user's own file took them: other users read the first.
// (Which file a save reaches, and what it puts back, is the store's table.)
TEST_F(ConfigDialogOk, ClosesWhenSavedAndTellsOfAMix) {
    const HWND dialog = Handle(7);
    const std::string beside = ScratchFolder::WindowsPath(scratch_.IniPath());
    const struct {
        const char *what;
        bool consumer;
        int failing_writes;  // once two keys are in: the third key's, then those putting back
        std::string message; // empty: no message box
    } rows[] = {
        {"put back whole: the user's file takes them", false, 1, ""},
        {"put back in part: the user's file takes them, and the mix is told", false, 3,
         "The settings could not be saved to\r\n" + beside +
             "\r\n\r\nThere is not enough space on the disk.\r\n"
             "This file may now hold a mix of old and new settings.\r\n"},
        {"the same on the consumer platform, in its ANSI box", true, 3,
         "The settings could not be saved to\r\n" + beside +
             "\r\n\r\nThere is not enough space on the disk.\r\n"
             "This file may now hold a mix of old and new settings.\r\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        consumer_platform = row.consumer;
        WriteSettings("[Setting]\r\nPolygon=5\r\n");
        // A user's folder of its own, without the file that an earlier row saved.
        const std::string roaming = scratch_.path + "/roaming" + std::to_string(&row - rows);
        mkdir(roaming.c_str(), 0777);
        setenv("APPDATA", ScratchFolder::WindowsPath(roaming).c_str(), 1);
        LoadSettings();
        headless::SetWritesBeforeDiskFull(2, row.failing_writes);
        EXPECT_EQ(ConfigDialogProc(dialog, WM_COMMAND, IDOK, 0), 1);
        unsetenv("APPDATA");
        const char *box = row.consumer ? "MessageBoxA" : "MessageBoxW";
        EXPECT_EQ(headless::CallsTo(box), row.message.empty()
                                              ? Calls()
                                              : Calls{CallText(box, dialog, row.message.c_str(),
                                                               "Frellis", MB_OK | MB_ICONERROR)});
        EXPECT_EQ(headless::CallsTo("PostMessageA"),
                  Calls{CallText("PostMessageA", dialog, WM_CLOSE, 1u, 0)});
    }
}

} // namespace
