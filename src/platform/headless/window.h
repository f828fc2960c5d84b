// Test and tool controls of the headless window area (window.cpp): the desktop, window classes
// and windows, focus and foreground, the cursor and the recorded SystemParametersInfoA calls.
#pragma once

#include <vector>

#include "platform/headless/windows.h"

namespace headless {

void ResetWindows();

// The desktop window's size, which is the screen's (640x480 after a reset).
void SetScreenSize(int width, int height);
// Where a window's client area lies on the screen; false when the handle names no window.
bool WindowClientOnScreen(HWND window, RECT *rect);
// The cursor that GetCursorPos reports, without any message (see message.h for input).
void SetCursorPosition(int x, int y);
// Whether the cursor is currently hidden by SetCursor(NULL).
bool CursorHidden();
int LiveWindows();

// What the dialog manager and tests need to walk and inspect windows.
int WindowId(HWND window);
HWND FindChild(HWND parent, int id);
std::vector<HWND> Children(HWND parent);
const char *WindowText(HWND window);
const char *WindowClassName(HWND window);
DWORD WindowStyle(HWND window);
HWND FindWindowAt(int screen_x, int screen_y);

struct SystemParametersCall {
    UINT action;
    UINT param;
    UINT win_ini;
};
const std::vector<SystemParametersCall> &SystemParametersCalls();

} // namespace headless
