#include "platform/headless/message.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <strings.h>
#include <vector>

#include "platform/headless/process.h"
#include "platform/headless/window.h"

namespace {

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT requested;
    UINT period;
    TIMERPROC procedure;
    uint64_t due; // on the process's virtual time
};

constexpr UINT user_timer_minimum = 10;
constexpr UINT user_timer_maximum = 0x7FFFFFFF;
// A run that has not ended after this much virtual time, or that keeps handing out messages
// without the clock moving, is broken; aborting makes the test fail instead of hang.
constexpr uint64_t run_limit_ms = 12ull * 60 * 60 * 1000;
constexpr int messages_without_time_limit = 1000000;

// Everything the area keeps, so that a reset is one assignment.
struct State {
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quit_pending = false;
    int quit_code = 0;
    std::vector<Timer> timers;
    // Scheduled actions by time; among equal times the earlier scheduled comes first.
    std::multimap<uint64_t, std::function<void()>> events;
    std::vector<std::string> registered_messages;
    uint64_t spin_time = 0; // the virtual time of the last retrieval, and how many came at it
    int spin_count = 0;
};
State state;

[[noreturn]] void Fail(const char *what) {
    std::fprintf(stderr, "headless: %s\n", what);
    std::abort();
}

// Windows' retrieval filter: NULL takes every message of the thread, a window its own messages
// and those of its children.
bool MatchesWindow(HWND filter, HWND window) {
    return !filter || (window && headless::IsSelfOrDescendant(filter, window));
}

// Both limits 0 take every message.
bool MatchesRange(UINT first, UINT last, UINT message) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

MSG Make(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    MSG msg = {window, message, wparam, lparam, GetTickCount(), {0, 0}};
    GetCursorPos(&msg.pt);
    return msg;
}

void RunDueEvents() {
    while (!state.events.empty() && state.events.begin()->first <= headless::VirtualNow()) {
        std::function<void()> action = std::move(state.events.begin()->second);
        state.events.erase(state.events.begin());
        action();
    }
}

bool TakeFrom(std::deque<MSG> &queue, MSG *msg, HWND filter, UINT first, UINT last, bool remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (MatchesWindow(filter, it->hwnd) && MatchesRange(first, last, it->message)) {
            *msg = *it;
            if (remove)
                queue.erase(it);
            return true;
        }
    }
    return false;
}

Timer *DueTimer(HWND filter) {
    Timer *best = nullptr;
    for (Timer &timer : state.timers)
        if (timer.due <= headless::VirtualNow() && MatchesWindow(filter, timer.window) &&
            (!best || timer.due < best->due))
            best = &timer;
    return best;
}

// A timer whose message was taken runs on from its old phase; ticks missed while the thread was
// busy are dropped, never queued up.
void Rearm(Timer *timer) {
    const uint64_t now = headless::VirtualNow();
    if (timer->due + timer->period > now)
        timer->due += timer->period;
    else
        timer->due = now + timer->period - (now - timer->due) % timer->period;
}

bool Take(MSG *msg, HWND filter, UINT first, UINT last, bool remove) {
    RunDueEvents();
    if (TakeFrom(state.posted, msg, filter, first, last, remove))
        return true;
    if (state.quit_pending && MatchesRange(first, last, WM_QUIT)) {
        *msg = Make(nullptr, WM_QUIT, static_cast<WPARAM>(state.quit_code), 0);
        if (remove)
            state.quit_pending = false;
        return true;
    }
    if (TakeFrom(state.input, msg, filter, first, last, remove)) {
        const bool mouse = msg->message >= WM_MOUSEMOVE && msg->message <= WM_MBUTTONUP;
        if (remove && mouse)
            SendMessageA(msg->hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(msg->hwnd),
                         MAKELPARAM(1, msg->message)); // HTCLIENT
        return true;
    }
    if (MatchesRange(first, last, WM_PAINT)) {
        if (HWND window = headless::WindowToPaint(filter)) {
            *msg = Make(window, WM_PAINT, 0, 0);
            return true;
        }
    }
    if (MatchesRange(first, last, WM_TIMER)) {
        if (Timer *timer = DueTimer(filter)) {
            *msg = Make(timer->window, WM_TIMER, timer->id,
                        reinterpret_cast<LPARAM>(timer->procedure));
            if (remove)
                Rearm(timer);
            return true;
        }
    }
    return false;
}

// The next moment at which something could arrive for this filter, or UINT64_MAX for never.
uint64_t NextWakeUp(HWND filter, UINT first, UINT last) {
    uint64_t next = state.events.empty() ? UINT64_MAX : state.events.begin()->first;
    if (MatchesRange(first, last, WM_TIMER))
        for (const Timer &timer : state.timers)
            if (MatchesWindow(filter, timer.window))
                next = std::min(next, timer.due);
    return next;
}

void CountRetrieval() {
    if (headless::VirtualNow() != state.spin_time) {
        state.spin_time = headless::VirtualNow();
        state.spin_count = 0;
    }
    if (++state.spin_count > messages_without_time_limit)
        Fail("a million messages without the virtual clock moving: a message keeps coming back "
             "(a WM_PAINT nobody validates, or a window that posts to itself)");
}

Timer *FindTimer(HWND window, UINT_PTR id) {
    for (Timer &timer : state.timers)
        if (timer.window == window && timer.id == id)
            return &timer;
    return nullptr;
}

void QueueMouse(UINT message, WPARAM wparam) {
    POINT at;
    GetCursorPos(&at);
    HWND window = headless::FindWindowAt(at.x, at.y);
    if (!window)
        return;
    RECT client;
    headless::WindowClientOnScreen(window, &client);
    const LPARAM where = MAKELPARAM(at.x - client.left, at.y - client.top);
    state.input.push_back(Make(window, message, wparam, where));
}

} // namespace

namespace headless {

void ResetMessages() {
    state = State();
}

void Schedule(DWORD delay_ms, std::function<void()> action) {
    state.events.emplace(VirtualNow() + delay_ms, std::move(action));
}

void PumpMessages() {
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

void PressKey(UINT virtual_key, bool alt) {
    HWND window = GetFocus() ? GetFocus() : GetForegroundWindow();
    if (!window)
        return;
    const LPARAM context = alt ? (1 << 29) : 0;
    const LPARAM released = static_cast<LPARAM>(static_cast<DWORD>(3u << 30));
    state.input.push_back(Make(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtual_key, 1 | context));
    state.input.push_back(
        Make(window, alt ? WM_SYSKEYUP : WM_KEYUP, virtual_key, 1 | context | released));
}

void PressButton(UINT down_message) {
    if (down_message != WM_LBUTTONDOWN && down_message != WM_RBUTTONDOWN &&
        down_message != WM_MBUTTONDOWN)
        Fail("PressButton takes WM_LBUTTONDOWN, WM_RBUTTONDOWN or WM_MBUTTONDOWN");
    // MK_LBUTTON, MK_RBUTTON and MK_MBUTTON: the button held while it goes down.
    const WPARAM held = down_message == WM_LBUTTONDOWN   ? 0x0001
                        : down_message == WM_RBUTTONDOWN ? 0x0002
                                                         : 0x0010;
    QueueMouse(down_message, held);
    QueueMouse(down_message + 1, 0);
}

void MoveCursor(int x, int y) {
    POINT at;
    GetCursorPos(&at);
    if (at.x == x && at.y == y)
        return;
    SetCursorPosition(x, y);
    QueueMouse(WM_MOUSEMOVE, 0);
}

int ActiveTimers() {
    return static_cast<int>(state.timers.size());
}

UINT TimerRequestedPeriod(HWND window, UINT_PTR id) {
    const Timer *timer = FindTimer(window, id);
    return timer ? timer->requested : 0;
}

void ForgetWindow(HWND window) {
    auto addressed = [window](const MSG &msg) { return msg.hwnd == window; };
    state.posted.erase(std::remove_if(state.posted.begin(), state.posted.end(), addressed),
                       state.posted.end());
    state.input.erase(std::remove_if(state.input.begin(), state.input.end(), addressed),
                      state.input.end());
    state.timers.erase(std::remove_if(state.timers.begin(), state.timers.end(),
                                      [window](const Timer &t) { return t.window == window; }),
                       state.timers.end());
}

} // namespace headless

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (window && !IsWindow(window))
        return FALSE;
    state.posted.push_back(Make(window, message, wparam, lparam));
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC procedure = headless::WindowProcedure(window);
    return procedure ? procedure(window, message, wparam, lparam) : 0;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filter_min, UINT filter_max) {
    if (window && !IsWindow(window))
        return -1;
    while (!Take(msg, window, filter_min, filter_max, true)) {
        const uint64_t next = NextWakeUp(window, filter_min, filter_max);
        if (next == UINT64_MAX)
            Fail("GetMessageA would wait forever: no message, no timer and no scheduled event "
                 "can arrive (did the run forget to post WM_QUIT?)");
        if (next > run_limit_ms)
            Fail("the virtual clock passed 12 hours without the message loop ending");
        if (next > headless::VirtualNow())
            headless::AdvanceVirtualClock(next - headless::VirtualNow());
    }
    CountRetrieval();
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filter_min, UINT filter_max, UINT remove) {
    if (window && !IsWindow(window))
        return FALSE;
    if (!Take(msg, window, filter_min, filter_max, (remove & PM_REMOVE) != 0))
        return FALSE;
    CountRetrieval();
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG *msg) {
    if (msg->message == WM_KEYDOWN) {
        // The keys that type a character without shift: digits, letters (lower case), space,
        // Enter, Escape and Backspace.
        const WPARAM key = msg->wParam;
        WPARAM character = 0;
        if ((key >= '0' && key <= '9') || key == ' ' || key == VK_RETURN || key == VK_ESCAPE ||
            key == 0x08)
            character = key;
        else if (key >= 'A' && key <= 'Z')
            character = key - 'A' + 'a';
        if (character)
            state.posted.push_front(Make(msg->hwnd, WM_CHAR, character, msg->lParam));
    }
    return msg->message == WM_KEYDOWN || msg->message == WM_KEYUP ||
           msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSKEYUP;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only the procedure of a live timer is called, never an arbitrary address.
        const TIMERPROC procedure = reinterpret_cast<TIMERPROC>(msg->lParam);
        const Timer *timer = FindTimer(msg->hwnd, msg->wParam);
        if (timer && timer->procedure == procedure)
            procedure(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int exit_code) {
    state.quit_pending = true;
    state.quit_code = exit_code;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR name) {
    if (!name || !*name)
        return 0;
    for (size_t i = 0; i < state.registered_messages.size(); ++i)
        if (strcasecmp(state.registered_messages[i].c_str(), name) == 0)
            return static_cast<UINT>(0xC000 + i);
    state.registered_messages.push_back(name);
    return static_cast<UINT>(0xC000 + state.registered_messages.size() - 1);
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timer_proc) {
    if (window && !IsWindow(window))
        return 0;
    const UINT period = std::min(std::max(elapse, user_timer_minimum), user_timer_maximum);
    Timer *timer = FindTimer(window, id);
    if (!timer) {
        state.timers.push_back({window, id, 0, 0, nullptr, 0});
        timer = &state.timers.back();
    }
    // Setting an existing timer again starts its period afresh.
    timer->requested = elapse;
    timer->period = period;
    timer->procedure = timer_proc;
    timer->due = headless::VirtualNow() + period;
    return id ? id : 1;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    Timer *timer = FindTimer(window, id);
    if (!timer)
        return FALSE;
    state.timers.erase(state.timers.begin() + (timer - state.timers.data()));
    return TRUE;
}
