#include "platform/headless/fakes.h"

#include <algorithm>
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

// Records the call and gives its answer as the function's result type. The out-parameter's
// `room` bytes are cleared and then take as many of the answer's bytes as fit.
template <typename Result, typename Out, typename... Args>
Result Fill(Out *out, size_t room, const char *function, const Args &...args) {
    state.log.push_back(headless::CallText(function, args...));
    const Answer &answer = state.answers[function];
    if (out != nullptr)
        std::memset(out, 0, room);
    if (out != nullptr && !answer.out.empty())
        std::memcpy(out, answer.out.data(), std::min(room, answer.out.size()));
    if constexpr (std::is_pointer_v<Result>)
        return reinterpret_cast<Result>(answer.result);
    else
        return static_cast<Result>(answer.result);
}

template <typename Result, typename Out, typename... Args>
Result RecordInto(Out *out, const char *function, const Args &...args) {
    return Fill<Result>(out, sizeof(Out), function, args...);
}

template <typename Result, typename... Args>
Result Record(const char *function, const Args &...args) {
    return Fill<Result>(static_cast<char *>(nullptr), 0, function, args...);
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

// The fakes, one a line where one fits, else two. Arguments that only carry results, and the
// pointer of SystemParametersInfoA, are not recorded. (w, m, wp, lp: window, message, wParam,
// lParam.)
// clang-format off
BOOL WINAPI IsWindow(HWND w) { return Record<BOOL>("IsWindow", w); }
HWND WINAPI GetParent(HWND w) { return Record<HWND>("GetParent", w); }
BOOL WINAPI GetClientRect(HWND w, LPRECT r) { return RecordInto<BOOL>(r, "GetClientRect", w); }
BOOL WINAPI GetWindowRect(HWND w, LPRECT r) { return RecordInto<BOOL>(r, "GetWindowRect", w); }
BOOL WINAPI SetForegroundWindow(HWND w) { return Record<BOOL>("SetForegroundWindow", w); }
HWND WINAPI GetForegroundWindow() { return Record<HWND>("GetForegroundWindow"); }
HWND WINAPI GetDesktopWindow() { return Record<HWND>("GetDesktopWindow"); }
HWND WINAPI SetFocus(HWND w) { return Record<HWND>("SetFocus", w); }
HICON WINAPI LoadIconA(HINSTANCE i, LPCSTR name) { return Record<HICON>("LoadIconA", i, name); }
BOOL WINAPI GetCursorPos(LPPOINT p) { return RecordInto<BOOL>(p, "GetCursorPos"); }
SHORT WINAPI GetAsyncKeyState(int key) { return Record<SHORT>("GetAsyncKeyState", key); }
HCURSOR WINAPI SetCursor(HCURSOR c) { return Record<HCURSOR>("SetCursor", c); }
void WINAPI PostQuitMessage(int code) { Record<int>("PostQuitMessage", code); }
BOOL WINAPI KillTimer(HWND w, UINT_PTR id) { return Record<BOOL>("KillTimer", w, id); }
BOOL WINAPI EndDialog(HWND w, INT_PTR result) { return Record<BOOL>("EndDialog", w, result); }
HWND WINAPI GetDlgItem(HWND w, int id) { return Record<HWND>("GetDlgItem", w, id); }
void WINAPI InitCommonControls() { Record<int>("InitCommonControls"); }
HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR name, LPCSTR title, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE i, LPVOID p) {
    return Record<HWND>("CreateWindowExA", ex_style, name, title, style, x, y, width, height,
                        parent, menu, i, p); }
LRESULT WINAPI DefWindowProcA(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Record<LRESULT>("DefWindowProcA", w, m, wp, lp); }
BOOL WINAPI SetWindowPos(HWND w, HWND after, int x, int y, int cx, int cy, UINT flags) {
    return Record<BOOL>("SetWindowPos", w, after, x, y, cx, cy, flags); }
BOOL WINAPI SystemParametersInfoA(UINT action, UINT param, PVOID, UINT win_ini) {
    return Record<BOOL>("SystemParametersInfoA", action, param, win_ini); }
BOOL WINAPI GetMessageA(LPMSG msg, HWND w, UINT min, UINT max) {
    return RecordInto<BOOL>(msg, "GetMessageA", w, min, max); }
BOOL WINAPI PeekMessageA(LPMSG msg, HWND w, UINT min, UINT max, UINT remove) {
    return RecordInto<BOOL>(msg, "PeekMessageA", w, min, max, remove); }
LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    return Record<LRESULT>("DispatchMessageA", msg->hwnd, msg->message, msg->wParam, msg->lParam); }
UINT_PTR WINAPI SetTimer(HWND w, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    return Record<UINT_PTR>("SetTimer", w, id, elapse, proc); }
INT_PTR WINAPI DialogBoxParamA(HINSTANCE i, LPCSTR name, HWND owner, DLGPROC proc, LPARAM lp) {
    return Record<INT_PTR>("DialogBoxParamA", i, name, owner, proc, lp); }
LRESULT WINAPI SendDlgItemMessageA(HWND w, int id, UINT m, WPARAM wp, LPARAM lp) {
    return Record<LRESULT>("SendDlgItemMessageA", w, id, m, wp, lp); }
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return Record<int>("MessageBoxA", owner, text, caption, type); }
int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return Record<int>("MessageBoxW", owner, text, caption, type); }
ATOM WINAPI RegisterClassA(const WNDCLASSA *c) {
    return Record<ATOM>("RegisterClassA", c->style, c->lpszClassName); }
HWND WINAPI FindWindowA(LPCSTR name, LPCSTR title) {
    return Record<HWND>("FindWindowA", name, title); }
BOOL WINAPI PostMessageA(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return Record<BOOL>("PostMessageA", w, m, wp, lp); }
BOOL WINAPI TranslateMessage(const MSG *msg) {
    return Record<BOOL>("TranslateMessage", msg->hwnd, msg->message); }
UINT WINAPI RegisterWindowMessageA(LPCSTR name) {
    return Record<UINT>("RegisterWindowMessageA", name); }
LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS *) {
    return Record<LONG>("UnhandledExceptionFilter"); }
// clang-format on

// A sent message goes to the test's procedure when it installed one.
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT answer = Record<LRESULT>("SendMessageA", window, message, wparam, lparam);
    return state.procedure ? state.procedure(window, message, wparam, lparam) : answer;
}

// KERNEL32 and ADVAPI32: the saver's one string and its one registry value. The value's bytes
// fill as much of the caller's buffer as they cover.
int WINAPI LoadStringA(HINSTANCE i, UINT id, LPSTR buffer, int size) {
    return Fill<int>(buffer, size_t(std::max(size, 0)), "LoadStringA", i, id, size);
}
LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR sub_key, PHKEY result) {
    return RecordInto<LONG>(result, "RegOpenKeyA", key, sub_key);
}
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
    return Fill<LONG>(data, *size, "RegQueryValueExA", key, name, reserved, type, *size);
}
LONG WINAPI RegCloseKey(HKEY key) {
    return Record<LONG>("RegCloseKey", key);
}
