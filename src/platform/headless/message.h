// Test and tool controls of the headless message area (message.cpp): the thread's queue, timers
// on the virtual clock and injected input. Retrieval follows Windows' priorities: posted
// messages, then WM_QUIT, then input, then WM_PAINT, then WM_TIMER, which is made up when a
// timer is due and never queues up twice. When GetMessageA finds nothing to return it moves the
// virtual clock on to the next due timer or scheduled event; when there is neither, the run can
// never end, and the platform aborts with a message rather than hang. It also aborts a run that
// goes on for hours of virtual time, or for a million messages without time passing.
#pragma once

#include <functional>

#include "platform/headless/windows.h"

namespace headless {

void ResetMessages();

// Runs action when the virtual clock reaches now + delay_ms, from inside the message loop
// (GetMessageA and PeekMessageA run the actions that are due before they look at the queue).
void Schedule(DWORD delay_ms, std::function<void()> action);
// Dispatches every message that is pending now, without moving the clock; a pending WM_QUIT
// stays pending.
void PumpMessages();

// Input as the platform delivers it. Key presses go to the focus window, else the foreground
// window: WM_KEYDOWN then WM_KEYUP (WM_SYSKEYDOWN/UP with alt). Mouse input goes to the window
// under the cursor (none over the bare desktop): PressButton queues the down and up messages,
// MoveCursor updates GetCursorPos and, when the cursor moved, queues WM_MOUSEMOVE; both with
// client coordinates. Taking a mouse message off the queue first sends it WM_SETCURSOR.
void PressKey(UINT virtual_key, bool alt = false);
void PressButton(UINT down_message);
void MoveCursor(int x, int y);

int ActiveTimers();
// The period a timer was asked for (Windows runs periods below 10 ms at 10 ms); 0 when the
// window has no such timer.
UINT TimerRequestedPeriod(HWND window, UINT_PTR id);

// Between the platform's areas (window.cpp): a window is gone, so its queued messages and
// timers go with it.
void ForgetWindow(HWND window);

} // namespace headless
