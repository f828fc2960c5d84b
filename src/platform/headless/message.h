// Test and tool controls of the headless message area (message.cpp): the thread's queue, timers
// on the virtual clock and injected input. When GetMessageA finds nothing to return it moves the
// virtual clock on to the next due timer or scheduled event; when there is neither, the run can
// never end, and the platform aborts with a message rather than hang.
#pragma once

#include <functional>

#include "platform/headless/windows.h"

namespace headless {

void ResetMessages();

// Runs action when the virtual clock reaches now + delay_ms, from inside the message loop.
void Schedule(DWORD delay_ms, std::function<void()> action);
// Moves the virtual clock on by ms, firing scheduled events and making due timers pending.
void AdvanceTime(DWORD ms);
// Dispatches every message that is pending now, without moving the clock.
void PumpMessages();

// Input as the platform delivers it, to the window that has the input (the focus window, else
// the foreground window): key presses post WM_KEYDOWN then WM_KEYUP (WM_SYSKEYDOWN/UP with
// alt), button presses the down and up messages, MoveCursor updates GetCursorPos and posts
// WM_MOUSEMOVE with client coordinates.
void PressKey(UINT virtual_key, bool alt = false);
void PressButton(UINT down_message);
void MoveCursor(int x, int y);

int ActiveTimers();

} // namespace headless
