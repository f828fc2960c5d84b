// Test and tool controls of the headless window area (window.cpp): the desktop, window classes
// and windows, focus, activation and the foreground, the cursor and the screen-saver-running
// flag. Windows have no frame: a window's client area is its whole
// rectangle. Handles are never reused within a process, so a stale handle stays dead.
#pragma once

#include <vector>

#include "platform/headless/windows.h"

namespace headless {

void ResetWindows();

// The desktop window's size, which is the screen's (640x480 after a reset).
void SetScreenSize(int width, int height);
int ScreenWidth();
int ScreenHeight();
// Where a window's client area lies on the screen; false when the handle names no window.
bool WindowClientOnScreen(HWND window, RECT *rect);
// The cursor that GetCursorPos reports, without any message (see message.h for input).
void SetCursorPosition(int x, int y);
// Whether the cursor is currently hidden by SetCursor(NULL).
bool CursorHidden();
int LiveWindows();

// What the dialog manager and tests need to walk and inspect windows.
int WindowId(HWND window);
// The children in creation order, which is their order from the top of the Z-order.
std::vector<HWND> Children(HWND parent);
// Whether the window and all its parents have WS_VISIBLE.
bool WindowShown(HWND window);
const char *WindowText(HWND window);
DWORD WindowStyle(HWND window);
// The deepest visible window under a screen point, topmost first; NULL over the bare desktop.
HWND FindWindowAt(int screen_x, int screen_y);

// Another application takes the activation: the foreground window gets WM_ACTIVATE
// (WA_INACTIVE), every top-level window WM_ACTIVATEAPP with wParam 0, the focus window
// WM_KILLFOCUS. The messages are sent at once; call it from a Schedule action to have it happen
// inside a message loop. SetForegroundWindow brings the activation back.
void ActivateOtherApplication();

// The flags SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING) was given, in order, and the
// platform's screen-saver-running flag, as the last of them set it.
const std::vector<UINT> &ScreenSaverRunningFlags();
bool ScreenSaverRunning();

// Between the platform's areas (message.cpp): a window's procedure (NULL when the handle names
// no live window), whether window is ancestor or the same window, the top-level window above a
// window, and the first visible window matching a retrieval filter that waits for WM_PAINT.
WNDPROC WindowProcedure(HWND window);
bool IsSelfOrDescendant(HWND ancestor, HWND window);
HWND RootWindow(HWND window);
HWND WindowToPaint(HWND filter);

} // namespace headless
