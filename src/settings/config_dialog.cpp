#include "settings/config_dialog.h"

int PrepareConfigDialog(HINSTANCE) { return 1; }

INT_PTR CALLBACK ConfigDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
