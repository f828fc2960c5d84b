// The configuration dialog's procedure: loads the settings when the dialog opens and saves all
// four when the user confirms, staying open with a message when they cannot be saved. Run by the
// configuration mode through DialogBoxParamA with template kConfigDialogTemplate; keeps no state of
// its own.
#pragma once

#include "platform/win32.h"

// The template's layout and numbers, shared with the resource compiler.
#include "../../resources/config_dialog_template.h"

constexpr int kConfigDialogTemplate = FRELLIS_DIALOG_ID;

int PrepareConfigDialog(HINSTANCE instance);
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
