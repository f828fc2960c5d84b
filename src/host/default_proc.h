// The default procedure: owns cursor_anchor, which AnchorCursor sets when the saver window is
// created and the mouse rule moves. DefaultSaverProc ends the saver window's message chain
// (README.md, "How it fits together"): it decides whether a message closes the saver and hands
// everything else to DefWindowProcA. A preview never closes on input; on the consumer platform a
// close waits for the password.
#pragma once

#include "platform/win32.h"

extern POINT cursor_anchor;

void AnchorCursor();
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void ResetDefaultProc();
