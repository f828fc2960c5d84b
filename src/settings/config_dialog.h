// The configuration dialog's procedure: loads the settings when the dialog opens and saves all
// four when the user confirms, staying open with a message when they cannot be saved. Run by the
// configuration mode through DialogBoxParamA with template kConfigDialogTemplate; keeps no state of
// its own.
#pragma once

#include "platform/win32.h"

constexpr int kConfigDialogTemplate = 2003;

int PrepareConfigDialog(HINSTANCE instance);
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
