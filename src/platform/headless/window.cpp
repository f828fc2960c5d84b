#include "platform/headless/window.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <strings.h>

#include "platform/headless/file.h"
#include "platform/headless/message.h"

namespace {

// A class keeps what windows take from it; its name keeps the letter case it was registered with.
struct WindowClass {
    std::string name;
    WNDPROC procedure;
    HCURSOR cursor;
    HBRUSH brush;
};

struct Window {
    WindowClass window_class;
    std::string text;
    DWORD style = 0;
    DWORD ex_style = 0;
    HWND parent = nullptr; // WS_CHILD windows only
    HWND owner = nullptr;  // top-level windows only
    int id = 0;
    RECT rect = {}; // in the parent's client coordinates, or the screen's for a top-level window
    bool destroying = false;
    bool needs_paint = false;
};

// Real handles are small even numbers; the desktop has a fixed one of its own. Handles only
// grow, so the windows, ordered by handle, are in creation order.
const HWND desktop = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010));
// The arrow cursor a fresh process shows.
const HCURSOR arrow_cursor = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x10003));

// Everything the area keeps, in one place, so that a reset is one assignment and misses nothing.
struct State {
    std::vector<WindowClass> classes;
    std::map<HWND, Window> windows;
    uintptr_t next_window_value = 0x10020;
    int screen_width = 640;
    int screen_height = 480;
    HWND foreground = nullptr;
    HWND focus = nullptr;
    bool application_active = false;
    POINT cursor_position = {0, 0};
    HCURSOR current_cursor = arrow_cursor;
    std::vector<UINT> running_flags; // what SPI_SETSCREENSAVERRUNNING was given, in order
};
State state;

Window *Find(HWND window) {
    auto it = state.windows.find(window);
    return it == state.windows.end() ? nullptr : &it->second;
}

WindowClass *FindClass(const char *name) {
    for (WindowClass &window_class : state.classes)
        if (strcasecmp(window_class.name.c_str(), name) == 0)
            return &window_class;
    return nullptr;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> result;
    for (const auto &entry : state.windows)
        if (!(entry.second.style & WS_CHILD))
            result.push_back(entry.first);
    return result;
}

// The newest of the windows that passes the test, or NULL.
template <typename Test> HWND Newest(const std::vector<HWND> &windows, Test test) {
    const auto it = std::find_if(windows.rbegin(), windows.rend(), test);
    return it == windows.rend() ? nullptr : *it;
}

// The window becomes the active one and takes the foreground; the application gets
// WM_ACTIVATEAPP first when it was not active, and DefWindowProcA gives the focus on WM_ACTIVATE.
void Activate(HWND top) {
    if (top == state.foreground && state.application_active)
        return;
    HWND previous = state.foreground;
    if (!state.application_active) {
        state.application_active = true;
        for (HWND window : TopLevelWindows())
            SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);
    }
    state.foreground = top;
    if (previous != top && Find(previous))
        SendMessageA(previous, WM_ACTIVATE, 0, reinterpret_cast<LPARAM>(top));
    if (Find(top))
        SendMessageA(top, WM_ACTIVATE, 1, reinterpret_cast<LPARAM>(previous));
}

// After the foreground window is gone the activation falls to its owner, else to the newest
// visible top-level window left; with none, the application is no longer active.
void HandOnActivation(HWND owner) {
    const HWND next = Find(owner) ? owner : Newest(TopLevelWindows(), headless::WindowShown);
    if (next)
        Activate(next);
    else
        state.application_active = false;
}

void Collect(HWND window, std::vector<HWND> *pre_order) {
    pre_order->push_back(window);
    for (HWND child : headless::Children(window))
        Collect(child, pre_order);
}

// The window and its children are gone once each has had WM_NCDESTROY, children first.
void SendNcDestroy(HWND window) {
    for (HWND child : headless::Children(window))
        SendNcDestroy(child);
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    headless::ForgetWindow(window);
    state.windows.erase(window);
}

} // namespace

namespace headless {

void ResetWindows() {
    state = State();
}

void SetScreenSize(int width, int height) {
    state.screen_width = width;
    state.screen_height = height;
}
int ScreenWidth() {
    return state.screen_width;
}
int ScreenHeight() {
    return state.screen_height;
}

bool WindowClientOnScreen(HWND window, RECT *rect) {
    if (window == desktop) {
        *rect = {0, 0, state.screen_width, state.screen_height};
        return true;
    }
    const Window *w = Find(window);
    if (!w)
        return false;
    RECT parent = {};
    WindowClientOnScreen(w->parent, &parent);
    const RECT &r = w->rect;
    *rect = {parent.left + r.left, parent.top + r.top, parent.left + r.right,
             parent.top + r.bottom};
    return true;
}

void SetCursorPosition(int x, int y) {
    state.cursor_position = {x, y};
}
bool CursorHidden() {
    return state.current_cursor == nullptr;
}
int LiveWindows() {
    return static_cast<int>(state.windows.size());
}

int WindowId(HWND window) {
    const Window *w = Find(window);
    return w ? w->id : 0;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> result;
    for (const auto &entry : state.windows)
        if (entry.second.parent == parent && (entry.second.style & WS_CHILD))
            result.push_back(entry.first);
    return result;
}

bool WindowShown(HWND window) {
    for (const Window *w = Find(window); w; w = Find(w->parent))
        if (!(w->style & WS_VISIBLE))
            return false;
    return true;
}

const char *WindowText(HWND window) {
    const Window *w = Find(window);
    return w ? w->text.c_str() : "";
}

DWORD WindowStyle(HWND window) {
    const Window *w = Find(window);
    return w ? w->style : 0;
}

HWND FindWindowAt(int x, int y) {
    auto contains = [x, y](HWND window) {
        RECT r;
        return WindowShown(window) && WindowClientOnScreen(window, &r) && x >= r.left &&
               x < r.right && y >= r.top && y < r.bottom;
    };
    std::vector<HWND> tops = TopLevelWindows();
    // Topmost windows lie above all others; within each band the newest is on top.
    std::stable_partition(tops.begin(), tops.end(),
                          [](HWND window) { return !(Find(window)->ex_style & WS_EX_TOPMOST); });
    HWND hit = Newest(tops, contains);
    while (hit) {
        const std::vector<HWND> children = Children(hit);
        const auto child = std::find_if(children.begin(), children.end(), contains);
        if (child == children.end())
            break;
        hit = *child;
    }
    return hit;
}

void ActivateOtherApplication() {
    if (!state.application_active)
        return;
    HWND previous = state.foreground;
    state.foreground = nullptr;
    state.application_active = false;
    if (Find(previous))
        SendMessageA(previous, WM_ACTIVATE, 0, 0);
    for (HWND window : TopLevelWindows())
        SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    HWND old_focus = state.focus;
    state.focus = nullptr;
    if (Find(old_focus))
        SendMessageA(old_focus, WM_KILLFOCUS, 0, 0);
}

const std::vector<UINT> &ScreenSaverRunningFlags() {
    return state.running_flags;
}
bool ScreenSaverRunning() {
    return !state.running_flags.empty() && state.running_flags.back() != 0;
}

WNDPROC WindowProcedure(HWND window) {
    const Window *w = Find(window);
    return w ? w->window_class.procedure : nullptr;
}

bool IsSelfOrDescendant(HWND ancestor, HWND window) {
    for (HWND w = window; w; w = Find(w) ? Find(w)->parent : nullptr)
        if (w == ancestor)
            return true;
    return false;
}

HWND RootWindow(HWND window) {
    HWND root = window;
    for (const Window *w = Find(window); w && w->parent; w = Find(w->parent))
        root = w->parent;
    return root;
}

HWND WindowToPaint(HWND filter) {
    for (const auto &entry : state.windows)
        if (entry.second.needs_paint && !entry.second.destroying && WindowShown(entry.first) &&
            (!filter || IsSelfOrDescendant(filter, entry.first)))
            return entry.first;
    return nullptr;
}

} // namespace headless

LPSTR WINAPI CharNextA(LPCSTR text) {
    // The single-byte code page: every character is one byte, and the end stays the end.
    return const_cast<LPSTR>(*text ? text + 1 : text);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA *window_class) {
    if (!window_class || !window_class->lpszClassName || !window_class->lpfnWndProc ||
        FindClass(window_class->lpszClassName))
        return 0;
    state.classes.push_back({window_class->lpszClassName, window_class->lpfnWndProc,
                             window_class->hCursor, window_class->hbrBackground});
    // Class atoms share the range of registered messages and strings.
    return static_cast<ATOM>(0xC000 + state.classes.size());
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    const WindowClass *window_class = class_name ? FindClass(class_name) : nullptr;
    if (!window_class)
        return nullptr;
    const bool child = (style & WS_CHILD) != 0;
    if ((parent && parent != desktop && !Find(parent)) || (child && (!parent || parent == desktop)))
        return nullptr;

    Window w;
    w.window_class = *window_class;
    w.style = style;
    w.ex_style = ex_style;
    w.parent = child ? parent : nullptr;
    w.owner = !child && parent && parent != desktop ? headless::RootWindow(parent) : nullptr;
    w.id = child ? static_cast<int>(reinterpret_cast<intptr_t>(menu)) : 0;
    w.rect = {x, y, x + width, y + height};
    HWND window = reinterpret_cast<HWND>(state.next_window_value);
    state.next_window_value += 2;
    state.windows[window] = w;

    CREATESTRUCTA create = {
        param,       instance,   menu,    parent, height, width, y, x, static_cast<LONG>(style),
        window_name, class_name, ex_style};
    // A window that refuses its creation never lived: it gets WM_NCDESTROY but no WM_DESTROY.
    const LPARAM create_param = reinterpret_cast<LPARAM>(&create);
    if (!SendMessageA(window, WM_NCCREATE, 0, create_param) ||
        (Find(window) && SendMessageA(window, WM_CREATE, 0, create_param) == -1)) {
        if (Find(window))
            SendNcDestroy(window);
        return nullptr;
    }
    if (Find(window) && (style & WS_VISIBLE)) {
        SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
        if (Window *shown = Find(window))
            shown->needs_paint = true;
        if (!child && Find(window))
            Activate(window);
    }
    return Find(window) ? window : nullptr;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Window *w = Find(window);
    if (!w)
        return 0;
    switch (message) {
    case WM_NCCREATE: {
        const CREATESTRUCTA *create = reinterpret_cast<const CREATESTRUCTA *>(lparam);
        if (create && create->lpszName)
            w->text = create->lpszName;
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_CLOSE)
            SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the top-level window to close, through its system menu command.
        if ((lparam & (1 << 29)) && wparam == VK_F4)
            PostMessageA(headless::RootWindow(window), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SETTEXT:
        w->text = lparam ? reinterpret_cast<LPCSTR>(lparam) : "";
        return TRUE;
    case WM_GETTEXT:
        return headless::CopyText(w->text, reinterpret_cast<char *>(lparam), wparam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_PAINT:
        // Painting validates the window, erasing its background first; a procedure that neither
        // paints nor passes the message here gets WM_PAINT again and again, as on Windows.
        if (w->needs_paint) {
            w->needs_paint = false;
            HDC dc = GetDC(window);
            SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            ReleaseDC(window, dc);
        }
        return 0;
    case WM_ERASEBKGND:
        // The class brush would fill the window; the headless screen starts black, and only a
        // black brush is ever used, so only the answer matters.
        return w->window_class.brush ? TRUE : FALSE;
    case WM_ACTIVATE:
        if (LOWORD(wparam) != 0)
            SetFocus(window);
        return 0;
    case WM_SETCURSOR:
        // The parent may set the cursor for its child; else the class cursor shows over the
        // client area (HTCLIENT).
        if (w->parent &&
            SendMessageA(w->parent, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), lparam))
            return TRUE;
        if (LOWORD(lparam) == 1 && w->window_class.cursor) {
            SetCursor(w->window_class.cursor);
            return TRUE;
        }
        return FALSE;
    default:
        return 0;
    }
}

BOOL WINAPI DestroyWindow(HWND window) {
    Window *w = Find(window);
    if (!w || w->destroying)
        return FALSE;
    std::vector<HWND> tree;
    Collect(window, &tree);
    for (HWND member : tree)
        Find(member)->destroying = true;
    const HWND owner = w->owner;
    // Owned windows (a dialog over its owner) go first, each with a destruction of its own.
    for (HWND top : TopLevelWindows())
        if (Find(top) && Find(top)->owner == window)
            DestroyWindow(top);
    const bool had_foreground = state.foreground == window;
    if (std::find(tree.begin(), tree.end(), state.focus) != tree.end())
        state.focus = nullptr;
    for (HWND member : tree)
        if (Find(member))
            SendMessageA(member, WM_DESTROY, 0, 0);
    if (Find(window))
        SendNcDestroy(window);
    if (had_foreground) {
        state.foreground = nullptr;
        HandOnActivation(owner);
    }
    return TRUE;
}

HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR window_name) {
    return Newest(TopLevelWindows(), [class_name, window_name](HWND window) {
        const Window *w = Find(window);
        return (!class_name || strcasecmp(w->window_class.name.c_str(), class_name) == 0) &&
               (!window_name || strcasecmp(w->text.c_str(), window_name) == 0);
    });
}

BOOL WINAPI IsWindow(HWND window) {
    return window == desktop || Find(window) != nullptr;
}

HWND WINAPI GetParent(HWND window) {
    const Window *w = Find(window);
    if (!w || !(w->style & (WS_CHILD | WS_POPUP)))
        return nullptr;
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    RECT screen;
    if (!headless::WindowClientOnScreen(window, &screen))
        return FALSE;
    *rect = {0, 0, screen.right - screen.left, screen.bottom - screen.top};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    return headless::WindowClientOnScreen(window, rect) ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags) {
    Window *w = Find(window);
    if (!w)
        return FALSE;
    RECT &r = w->rect;
    const int width = (flags & SWP_NOSIZE) ? r.right - r.left : cx;
    const int height = (flags & SWP_NOSIZE) ? r.bottom - r.top : cy;
    if (!(flags & SWP_NOMOVE)) {
        r.left = x;
        r.top = y;
    }
    r.right = r.left + width;
    r.bottom = r.top + height;
    return TRUE;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    if (!Find(window))
        return FALSE;
    Activate(headless::RootWindow(window));
    return TRUE;
}

HWND WINAPI GetForegroundWindow() {
    return state.foreground;
}

HWND WINAPI GetDesktopWindow() {
    return desktop;
}

HWND WINAPI SetFocus(HWND window) {
    if (window && !Find(window))
        return nullptr;
    const HWND original = state.focus;
    if (window == original)
        return original;
    // Focusing a window of an inactive top-level window activates that one first.
    if (window && headless::RootWindow(window) != state.foreground) {
        Activate(headless::RootWindow(window));
        if (state.focus == window)
            return original;
    }
    HWND previous = state.focus;
    state.focus = window;
    if (Find(previous))
        SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (Find(window))
        SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return original;
}

HWND WINAPI GetFocus() {
    return state.focus;
}

// The executable carries no icon resources, and the saver asks for no system icon.
HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
    return nullptr;
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    *point = state.cursor_position;
    return TRUE;
}

// Key presses arrive as a down and an up message together (message.h), so no key is ever held.
SHORT WINAPI GetAsyncKeyState(int) {
    return 0;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    HCURSOR previous = state.current_cursor;
    state.current_cursor = cursor;
    return previous;
}

// The saver asks for nothing else.
BOOL WINAPI SystemParametersInfoA(UINT action, UINT param, PVOID pv_param, UINT) {
    if (action != SPI_SETSCREENSAVERRUNNING)
        return FALSE;
    // The consumer platform hands back the previous state through the pointer.
    if (pv_param)
        *static_cast<BOOL *>(pv_param) = headless::ScreenSaverRunning() ? TRUE : FALSE;
    state.running_flags.push_back(param);
    return TRUE;
}
