// The saver window: owns saver_window, preview_mode, autoplay_message and the input-method state
// (imm_module, associate_context_fn, saved_input_context). SaverMain runs full-screen and preview
// modes through RunSaverWindow, which returns only when the window is gone; SaverWindowProc sees
// every message first and forwards what it does not finish to AnimationProc.
#pragma once

#include "platform/win32.h"

typedef HIMC(WINAPI *AssociateContextFn)(HWND window, HIMC context);

extern HWND saver_window;
extern bool preview_mode;
extern UINT autoplay_message;
extern HMODULE imm_module;
extern AssociateContextFn associate_context_fn;
extern HIMC saved_input_context;

int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void ResetSaverWindow();
