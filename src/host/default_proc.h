// The close-on-input policy: owns preview_mode, autoplay_message and cursor_anchor.
// AnimationProc ends every message of the saver window with DefaultSaverProc, which decides
// whether the message closes the saver and hands everything else to DefWindowProcA. A preview
// never closes on input; on the consumer platform a close waits for the password.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// The largest cursor movement (|dx| + |dy| from the anchor) that does not close the saver.
constexpr uint32_t kMouseThreshold = 4;

extern bool preview_mode;
extern UINT autoplay_message;
extern POINT cursor_anchor;

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
