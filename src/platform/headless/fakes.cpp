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

// Records the call and gives its answer, copying the answer's value into out when there is one
// of out's size.
template <typename Out, typename... Args>
intptr_t RecordInto(Out *out, const char *function, const Args &...args) {
    state.log.push_back(headless::CallText(function, args...));
    auto it = state.answers.find(function);
    if (it == state.answers.end())
        return 0;
    if (out != nullptr && it->second.out.size() == sizeof(Out))
        std::memcpy(out, it->second.out.data(), sizeof(Out));
    return it->second.result;
}

template <typename... Args> intptr_t Record(const char *function, const Args &...args) {
    return RecordInto(static_cast<char *>(nullptr), function, args...);
}

template <typename Handle> Handle AsHandle(intptr_t value) {
    return reinterpret_cast<Handle>(value);
}

// A message delivered to a window goes to the test's procedure when it installed one.
LRESULT Deliver(const char *function, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT answer = Record(function, window, message, wparam, lparam);
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

// USER32: classes and windows.
ATOM WINAPI RegisterClassA(const WNDCLASSA *c) {
    return static_cast<ATOM>(Record("RegisterClassA", c->style, c->lpszClassName));
}
HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    return AsHandle<HWND>(Record("CreateWindowExA", ex_style, class_name, window_name, style, x, y,
                                 width, height, parent, menu, instance, param));
}
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return Record("DefWindowProcA", window, message, wparam, lparam);
}
BOOL WINAPI DestroyWindow(HWND window) {
    return static_cast<BOOL>(Record("DestroyWindow", window));
}
HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR window_name) {
    return AsHandle<HWND>(Record("FindWindowA", class_name, window_name));
}
BOOL WINAPI IsWindow(HWND window) {
    return static_cast<BOOL>(Record("IsWindow", window));
}
HWND WINAPI GetParent(HWND window) {
    return AsHandle<HWND>(Record("GetParent", window));
}
BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    return static_cast<BOOL>(RecordInto(rect, "GetClientRect", window));
}
BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    return static_cast<BOOL>(RecordInto(rect, "GetWindowRect", window));
}
BOOL WINAPI SetWindowPos(HWND window, HWND insert_after, int x, int y, int cx, int cy, UINT flags) {
    return static_cast<BOOL>(Record("SetWindowPos", window, insert_after, x, y, cx, cy, flags));
}
BOOL WINAPI SetForegroundWindow(HWND window) {
    return static_cast<BOOL>(Record("SetForegroundWindow", window));
}
HWND WINAPI GetForegroundWindow() {
    return AsHandle<HWND>(Record("GetForegroundWindow"));
}
HWND WINAPI GetDesktopWindow() {
    return AsHandle<HWND>(Record("GetDesktopWindow"));
}
HWND WINAPI SetFocus(HWND window) {
    return AsHandle<HWND>(Record("SetFocus", window));
}
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR icon_name) {
    return AsHandle<HICON>(Record("LoadIconA", instance, icon_name));
}

// USER32: input, the cursor and system parameters. The pointer argument of
// SystemParametersInfoA is not recorded.
BOOL WINAPI GetCursorPos(LPPOINT point) {
    return static_cast<BOOL>(RecordInto(point, "GetCursorPos"));
}
SHORT WINAPI GetAsyncKeyState(int virtual_key) {
    return static_cast<SHORT>(Record("GetAsyncKeyState", virtual_key));
}
HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    return AsHandle<HCURSOR>(Record("SetCursor", cursor));
}
BOOL WINAPI SystemParametersInfoA(UINT action, UINT param, PVOID, UINT win_ini) {
    return static_cast<BOOL>(Record("SystemParametersInfoA", action, param, win_ini));
}

// USER32: messages and timers. No message is ever queued: GetMessageA's 0 ends a loop at once.
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return static_cast<BOOL>(Record("PostMessageA", window, message, wparam, lparam));
}
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return Deliver("SendMessageA", window, message, wparam, lparam);
}
BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filter_min, UINT filter_max) {
    return static_cast<BOOL>(RecordInto(msg, "GetMessageA", window, filter_min, filter_max));
}
BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filter_min, UINT filter_max, UINT remove) {
    return static_cast<BOOL>(
        RecordInto(msg, "PeekMessageA", window, filter_min, filter_max, remove));
}
BOOL WINAPI TranslateMessage(const MSG *msg) {
    return static_cast<BOOL>(Record("TranslateMessage", msg->hwnd, msg->message));
}
LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    return Deliver("DispatchMessageA", msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
void WINAPI PostQuitMessage(int exit_code) {
    Record("PostQuitMessage", exit_code);
}
UINT WINAPI RegisterWindowMessageA(LPCSTR name) {
    return static_cast<UINT>(Record("RegisterWindowMessageA", name));
}
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timer_proc) {
    return static_cast<UINT_PTR>(Record("SetTimer", window, id, elapse, timer_proc));
}
BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    return static_cast<BOOL>(Record("KillTimer", window, id));
}

// USER32 and COMCTL32: dialogs and message boxes.
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR template_name, HWND owner,
                               DLGPROC dialog_proc, LPARAM init_param) {
    return Record("DialogBoxParamA", instance, template_name, owner, dialog_proc, init_param);
}
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    return static_cast<BOOL>(Record("EndDialog", dialog, result));
}
HWND WINAPI GetDlgItem(HWND dialog, int id) {
    return AsHandle<HWND>(Record("GetDlgItem", dialog, id));
}
LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wparam,
                                   LPARAM lparam) {
    return Record("SendDlgItemMessageA", dialog, id, message, wparam, lparam);
}
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return static_cast<int>(Record("MessageBoxA", owner, text, caption, type));
}
void WINAPI InitCommonControls() {
    Record("InitCommonControls");
}
