#include "settings/config_dialog.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/saver_main.h"
#include "settings/file_names.h"
#include "settings/settings_store.h"

namespace {

// The edit box and up-down of each setting, row for row with setting_keys: the dialog sets the
// up-downs up, reads the boxes back and writes the keys in that one order.
struct SettingControls {
    int edit_id;
    int updown_id;
};
constexpr SettingControls setting_controls[kSettingCount] = {
    {FRELLIS_POLYGON_EDIT, FRELLIS_POLYGON_UPDOWN},
    {FRELLIS_POINT_EDIT, FRELLIS_POINT_UPDOWN},
    {FRELLIS_LINE_EDIT, FRELLIS_LINE_UPDOWN},
    {FRELLIS_SPEED_EDIT, FRELLIS_SPEED_UPDOWN},
};

// Room for 18 characters and the terminator; longer texts are cut, and anything over 10
// characters parses as 0 anyway.
constexpr int kEditTextSize = 20;

// Centres the dialog over the window the user was working in, or over the desktop. The sums run
// in 64 bits so that no rectangle, however odd, can overflow them.
void CentreDialog(HWND dialog) {
    HWND over = GetForegroundWindow();
    if (over == nullptr) {
        over = GetDesktopWindow();
    }
    RECT frame = {};
    RECT own = {};
    GetWindowRect(over, &frame);
    GetWindowRect(dialog, &own);
    const int64_t width = int64_t{own.right} - own.left;
    const int64_t height = int64_t{own.bottom} - own.top;
    const int x = static_cast<int>((int64_t{frame.left} + frame.right - width) / 2);
    const int y = static_cast<int>((int64_t{frame.top} + frame.bottom - height) / 2);
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// Loads the settings and shows them through the up-downs, which write each value into their
// partner edit box; the edit texts are never set here.
void InitConfigDialog(HWND dialog) {
    InitCommonControls();
    LoadSettings();
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingKey &key = setting_keys[i];
        SendDlgItemMessageA(dialog, setting_controls[i].updown_id, UDM_SETRANGE, 0,
                            MAKELPARAM(key.maximum, key.minimum));
    }
    for (int i = 0; i < kSettingCount; ++i) {
        const int32_t value = saver_settings.*setting_keys[i].field;
        SendDlgItemMessageA(dialog, setting_controls[i].updown_id, UDM_SETPOS, 0,
                            MAKELPARAM(value, 0));
    }
    CentreDialog(dialog);
    SetFocus(GetDlgItem(dialog, IDOK));
}

// Where the executable carries no string table in the system's language (or none at all).
constexpr char kSaveFailedText[] = "The settings could not be saved to";
constexpr char kSaveFailedTooText[] = "Nor could they be saved to";
constexpr char kSaveMixedText[] = "This file may now hold a mix of old and new settings.";

// Tells the user that the settings were not saved: each file tried, by its real name, with the
// system's reason below it and, where putting back failed too, that it may hold a mix; all in the
// system's own language. The consumer platform, whose paths are all ANSI, gets the ANSI box.
void ReportSaveFailure(HWND dialog, const SaveFailure &failure) {
    const auto load = [](UINT id, const char *fallback) {
        char text[128] = {};
        if (LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text) == 0)
            std::snprintf(text, sizeof text, "%s", fallback);
        return WideFromAnsi(text);
    };
    std::wstring text;
    for (int i = 0; i < failure.count; ++i) {
        const FileFailure &file = failure.files[i];
        char reason[256] = {};
        // The system's texts end with a line break; so does the number that stands in for one.
        if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           file.error, 0, reason, sizeof reason, nullptr) == 0) {
            std::snprintf(reason, sizeof reason, "Error %lu.\r\n",
                          static_cast<unsigned long>(file.error));
        }
        text += i == 0 ? L"" : L"\r\n";
        text += load(i == 0 ? FRELLIS_SAVE_FAILED_STRING : FRELLIS_SAVE_FAILED_TOO_STRING,
                     i == 0 ? kSaveFailedText : kSaveFailedTooText);
        text += L"\r\n" + std::wstring(file.path) + L"\r\n\r\n" + WideFromAnsi(reason);
        if (file.mixed)
            text += load(FRELLIS_SAVE_MIXED_STRING, kSaveMixedText) + L"\r\n";
    }
    if (consumer_platform)
        MessageBoxA(dialog, AnsiFromWide(text.c_str()).c_str(), "Frellis", MB_OK | MB_ICONERROR);
    else
        MessageBoxW(dialog, text.c_str(), L"Frellis", MB_OK | MB_ICONERROR);
}

// Stores what the boxes hold, unclamped (the next load clamps), and saves all four. The close
// is posted so that the dialog ends only after this command has returned; a failed save keeps
// the dialog open, with the user's values still in the boxes, so nothing is lost unnoticed.
void ConfirmConfigDialog(HWND dialog) {
    for (int i = 0; i < kSettingCount; ++i) {
        char text[kEditTextSize] = {};
        SendDlgItemMessageA(dialog, setting_controls[i].edit_id, WM_GETTEXT, kEditTextSize - 1,
                            reinterpret_cast<LPARAM>(text));
        saver_settings.*setting_keys[i].field = ParseDecimal(text);
    }
    SaveFailure failure = {};
    const bool saved = SaveSettings(&failure) != 0;
    // A save that landed in the user's own file still tells of a file beside the executable that
    // could not be put back: other users read that one.
    if (!saved || (failure.count > 0 && failure.files[0].mixed))
        ReportSaveFailure(dialog, failure);
    if (saved)
        PostMessageA(dialog, WM_CLOSE, 1, 0);
}

} // namespace

int PrepareConfigDialog(HINSTANCE) {
    return 1;
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitConfigDialog(dialog);
        // 0: the focus stays on OK instead of going to the first tab stop.
        return 0;
    case WM_COMMAND:
        // Only OK (button or Enter); Cancel from the Escape key leaves the dialog open.
        if (LOWORD(wparam) != IDOK) {
            return 0;
        }
        ConfirmConfigDialog(dialog);
        return 1;
    case WM_CLOSE:
        // 1 when OK posted it, 0 from the close box, the system menu or Alt+F4.
        EndDialog(dialog, static_cast<INT_PTR>(wparam));
        return 1;
    case WM_LBUTTONDOWN:
        SetFocus(GetDlgItem(dialog, IDOK));
        return 0;
    default:
        return 0;
    }
}
