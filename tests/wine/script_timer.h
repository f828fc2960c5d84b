// Acting from inside a message loop that the code under test runs (the saver's loop, a modal
// dialog's): a thread timer set before the loop starts runs one step per tick. Once the steps
// are done and the loop still runs, the rescue runs on every further tick, so that a run that
// does not end fails the test instead of hanging it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/win32.h"

namespace wine_test {

using Step = std::function<void()>;

struct Script {
    std::vector<Step> steps;
    Step rescue;
    size_t next = 0;
    int idle_ticks = 0;
    bool busy = false;
};

inline Script *running_script = nullptr;

// Ticks after the last step before the rescue: the loop has that long to end by itself.
constexpr int kPatienceTicks = 50;
constexpr UINT kStepMs = 20;

inline void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    Script *script = running_script;
    // A step that pumps messages itself must not run the next one inside it.
    if (script == nullptr || script->busy)
        return;
    script->busy = true;
    if (script->next < script->steps.size()) {
        script->steps[script->next++]();
    } else if (++script->idle_ticks >= kPatienceTicks) {
        ADD_FAILURE() << "the loop did not end after its last step";
        script->rescue();
    }
    script->busy = false;
}

// Runs loop (which returns when its message loop ends) with the steps acting inside it.
template <typename Loop> auto RunScripted(std::vector<Step> steps, Step rescue, Loop loop) {
    Script script;
    script.steps = std::move(steps);
    script.rescue = std::move(rescue);
    running_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, kStepMs, ScriptTick);
    const auto result = loop();
    KillTimer(nullptr, timer);
    running_script = nullptr;
    EXPECT_EQ(script.next, script.steps.size()) << "the loop ended before its last step";
    return result;
}

// Lets the window system deliver what is queued for this thread. A quit message is left for the
// loop under test, which it ends.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Lets the window system deliver for the next `milliseconds`, as a loop of the thread's own would.
inline void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        PumpMessages();
        Sleep(5);
    }
}

} // namespace wine_test
