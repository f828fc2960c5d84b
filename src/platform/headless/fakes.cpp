#include "platform/headless/fakes.h"

#include <cstring>
#include <map>

namespace {

struct Answer {
    intptr_t result = 0;
    std::vector<char> out;
};

struct State {
    std::vector<std::string> log;
    std::map<std::string, Answer> answers;
    WNDPROC procedure = nullptr;
};
State state;

// Records the call and gives its answer as the function's result type, copying the answer's
// value into out when it has out's size.
template <typename Result, typename Out, typename... Args>
Result RecordInto(Out *out, const char *function, const Args &...args) {
    state.log.push_back(headless::CallText(function, args...));
    const Answer &answer = state.answers[function];
    if (out != nullptr && answer.out.size() == sizeof(Out))
        std::memcpy(out, answer.out.data(), sizeof(Out));
    if constexpr (std::is_pointer_v<Result>)
        return reinterpret_cast<Result>(answer.result);
    else
        return static_cast<Result>(answer.result);
}

template <typename Result, typename... Args>
Result Record(const char *function, const Args &...args) {
    return RecordInto<Result>(static_cast<char *>(nullptr), function, args...);
}

// A message delivered to a window goes to the test's procedure when it installed one.
LRESULT Deliver(const char *function, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT answer = Record<LRESULT>(function, window, message, wparam, lparam);
    return state.procedure ? state.procedure(window, message, wparam, lparam) : answer;
}

} // namespace

namespace headless {

void ResetCalls() {
    state = State();
}

void SetAnswer(const char *function, intptr_t result, const void *out, size_t size) {
    const char *bytes = static_cast<const char *>(out);
    state.answers[function] = {result, std::vector<char>(bytes, bytes + (out ? size : 0))};
}

void SetWindowProcedure(WNDPROC procedure) {
    state.procedure = procedure;
}

const std::vector<std::string> &CallLog() {
    return state.log;
}

void ClearCallLog() {
    state.log.clear();
}

std::vector<std::string> CallsTo(const char *function) {
    const std::string prefix = std::string(function) + "(";
    std::vector<std::string> lines;
    for (const std::string &line : state.log)
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    return lines;
}

} // namespace headless

// The fakes, one a line as the platform lists its exports. Pointer arguments that only carry
// results, and SystemParametersInfoA's, are not recorded.
// clang-format off
BOOL WINAPI DestroyWindow(HWND w) { return Record<BOOL>("DestroyWindow", w); }
BOOL WINAPI IsWindow(HWND w) { return Record<BOOL>("IsWindow", w); }
HWND WINAPI GetParent(HWND w) { return Record<HWND>("GetParent", w); }
BOOL WINAPI SetForegroundWindow(HWND w) { return Record<BOOL>("SetForegroundWindow", w); }
HWND WINAPI GetForegroundWindow() { return Record<HWND>("GetForegroundWindow"); }
HWND WINAPI GetDesktopWindow() { return Record<HWND>("GetDesktopWindow"); }
HWND WINAPI SetFocus(HWND w) { return Record<HWND>("SetFocus", w); }
BOOL WINAPI GetCursorPos(LPPOINT point) { return RecordInto<BOOL>(point, "GetCursorPos"); }
SHORT WINAPI GetAsyncKeyState(int key) { return Record<SHORT>("GetAsyncKeyState", key); }
HCURSOR WINAPI SetCursor(HCURSOR cursor) { return Record<HCURSOR>("SetCursor", cursor); }
void WINAPI PostQuitMessage(int code) { Record<int>("PostQuitMessage", code); }
BOOL WINAPI KillTimer(HWND w, UINT_PTR id) { return Record<BOOL>("KillTimer", w, id); }
HWND WINAPI GetDlgItem(HWND dialog, int id) { return Record<HWND>("GetDlgItem", dialog, id); }
void WINAPI InitCommonControls() { Record<int>("InitCommonControls"); }
// clang-format on

ATOM WINAPI RegisterClassA(const WNDCLASSA *c) {
    return Record<ATOM>("RegisterClassA", c->style, c->lpszClassName);
}
HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    return Record<HWND>("CreateWindowExA", ex_style, class_name, title, style, x, y, width, height,
                        parent, menu, instance, param);
}
LRESULT WINAPI DefWindowProcA(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Record<LRESULT>("DefWindowProcA", w, m, wp, lp);
}
HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR title) {
    return Record<HWND>("FindWindowA", class_name, title);
}
BOOL WINAPI GetClientRect(HWND w, LPRECT rect) {
    return RecordInto<BOOL>(rect, "GetClientRect", w);
}
BOOL WINAPI GetWindowRect(HWND w, LPRECT rect) {
    return RecordInto<BOOL>(rect, "GetWindowRect", w);
}
BOOL WINAPI SetWindowPos(HWND w, HWND after, int x, int y, int cx, int cy, UINT flags) {
    return Record<BOOL>("SetWindowPos", w, after, x, y, cx, cy, flags);
}
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    return Record<HICON>("LoadIconA", instance, name);
}
BOOL WINAPI SystemParametersInfoA(UINT action, UINT param, PVOID, UINT win_ini) {
    return Record<BOOL>("SystemParametersInfoA", action, param, win_ini);
}
BOOL WINAPI PostMessageA(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Record<BOOL>("PostMessageA", w, m, wp, lp);
}
LRESULT WINAPI SendMessageA(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Deliver("SendMessageA", w, m, wp, lp);
}
BOOL WINAPI GetMessageA(LPMSG msg, HWND w, UINT min, UINT max) {
    return RecordInto<BOOL>(msg, "GetMessageA", w, min, max);
}
BOOL WINAPI PeekMessageA(LPMSG msg, HWND w, UINT min, UINT max, UINT remove) {
    return RecordInto<BOOL>(msg, "PeekMessageA", w, min, max, remove);
}
BOOL WINAPI TranslateMessage(const MSG *msg) {
    return Record<BOOL>("TranslateMessage", msg->hwnd, msg->message);
}
LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    return Deliver("DispatchMessageA", msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
UINT WINAPI RegisterWindowMessageA(LPCSTR name) {
    return Record<UINT>("RegisterWindowMessageA", name);
}
UINT_PTR WINAPI SetTimer(HWND w, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    return Record<UINT_PTR>("SetTimer", w, id, elapse, proc);
}
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                               LPARAM param) {
    return Record<INT_PTR>("DialogBoxParamA", instance, name, owner, proc, param);
}
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    return Record<BOOL>("EndDialog", dialog, result);
}
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT m, WPARAM wp, LPARAM lp) {
    return Record<LRESULT>("SendDlgItemMessageA", dialog, id, m, wp, lp);
}
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return Record<int>("MessageBoxA", owner, text, caption, type);
}
LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS *) {
    return Record<LONG>("UnhandledExceptionFilter");
}
