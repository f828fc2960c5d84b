// The saver window: owns saver_window, preview_mode, autoplay_message and the input-method state.
// SaverMain runs full-screen and preview modes through RunSaverWindow, which returns only when the
// window is gone. SaverWindowProc, the window's procedure, starts the message chain that README.md
// describes ("How it fits together").
#pragma once

#include "platform/win32.h"

extern HWND saver_window;
extern bool preview_mode;
extern UINT autoplay_message;

int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void ResetSaverWindow();
