// Test and tool controls of the headless dialog area (dialog.cpp): the dialog manager behind
// DialogBoxParamA, which realises template 2003 from resources/config_dialog_template.h, and the
// predefined button, edit and static controls and the common controls' up-down. Dialog units
// become pixels with fixed base units. The dialog window stays hidden (the platform subset has
// no way to show a window), so clicks are delivered by the controls below rather than by
// hit-testing; keys go through the ordinary input queue (message.h). Every message box shown is
// recorded, and the user acknowledges it at once with its only button.
#pragma once

#include <string>
#include <vector>

#include "platform/headless/windows.h"

namespace headless {

void ResetDialogs();

// The base units of the dialog font: a dialog unit is a quarter of kDialogBaseUnitX pixels
// across and an eighth of kDialogBaseUnitY pixels down.
constexpr int kDialogBaseUnitX = 8;
constexpr int kDialogBaseUnitY = 16;

// The innermost modal dialog that is running, or NULL.
HWND CurrentDialog();
// Calls of InitCommonControls so far.
int InitCommonControlsCalls();

struct ShownMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
// The message boxes shown since the last reset, oldest first.
const std::vector<ShownMessageBox> &MessageBoxes();

// The user's mouse on the dialog; each queues the press and release for the message loop.
// A click on a control goes to that control, one on a static label falls through to the dialog
// like one on its background, the up-down's arrows step its value, and the close box in the
// caption asks the dialog to close (WM_SYSCOMMAND SC_CLOSE).
void ClickDialogItem(HWND dialog, int id);
void ClickDialogBackground(HWND dialog);
void ClickUpDownArrow(HWND dialog, int id, bool up);
void ClickCloseBox(HWND dialog);

// The user tabs to an edit box (which selects its whole text) and types text over it, one key
// press per character; an empty text presses Backspace, which clears the box.
void ReplaceEditText(HWND dialog, int id, const char *text);

} // namespace headless
