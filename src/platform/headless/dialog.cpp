#include "platform/headless/dialog.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/headless/message.h"
#include "platform/headless/module.h"
#include "platform/headless/window.h"
// The same template table that the resource compiler builds template 2003 from.
#include "../../../resources/config_dialog_template.h"

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr char kButtonClass[] = "button";
constexpr char kEditClass[] = "edit";
constexpr char kStaticClass[] = "static";

constexpr WPARAM kBackspace = 0x08;   // VK_BACK, also the character it types
constexpr WORD kButtonClicked = 0;    // BN_CLICKED
constexpr WORD kEditChanged = 0x0300; // EN_CHANGE

struct DialogState {
    DLGPROC procedure = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};

struct UpDownState {
    int lower = 100; // the range of a fresh up-down runs from 100 down to 0
    int upper = 0;
    int position = 0;
    HWND buddy = nullptr;
};

// The dialog manager's state, in one place, so that a reset is one assignment.
struct State {
    std::map<HWND, DialogState> dialogs; // by handle, so the innermost modal dialog comes last
    std::map<HWND, UpDownState> updowns;
    std::set<HWND> selected_edits; // edit boxes whose whole text is selected, which typing replaces
    int init_common_controls_calls = 0;
    std::vector<headless::ShownMessageBox> shown_boxes;
};
State manager;

WPARAM Command(int id, WORD code) {
    return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(id, code)));
}

// A left click at a point of the window's client area, queued for the message loop.
void Click(HWND window, int x, int y) {
    if (!window)
        return;
    PostMessageA(window, WM_LBUTTONDOWN, 0x0001, MAKELPARAM(x, y)); // MK_LBUTTON
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

DialogState *FindDialog(HWND dialog) {
    auto it = manager.dialogs.find(dialog);
    return it == manager.dialogs.end() ? nullptr : &it->second;
}

void Notify(HWND control, WORD code) {
    SendMessageA(GetParent(control), WM_COMMAND, Command(headless::WindowId(control), code),
                 reinterpret_cast<LPARAM>(control));
}

// The first tab stop among a dialog's controls, in template order.
HWND FirstTabStop(HWND dialog) {
    for (HWND child : headless::Children(dialog))
        if (headless::WindowStyle(child) & WS_TABSTOP)
            return child;
    return nullptr;
}

// The dialog gets the command of its button id, whether or not the template has that button.
void PressDialogButton(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, Command(id, kButtonClicked),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Enter and Escape belong to the dialog, not to the control that has the focus. Enter presses
// the default push button, which in template 2003 is OK, the only button. True when the message
// was used up here.
bool DialogKey(HWND dialog, const MSG &msg) {
    if (msg.message != WM_KEYDOWN || !headless::IsSelfOrDescendant(dialog, msg.hwnd) ||
        (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE))
        return false;
    PressDialogButton(dialog, msg.wParam == VK_RETURN ? IDOK : IDCANCEL);
    return true;
}

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DialogState *state = FindDialog(window);
    if (state && state->procedure) {
        const INT_PTR handled = state->procedure(window, message, wparam, lparam);
        // The dialog procedure's own answer counts only for WM_INITDIALOG; for the rest a
        // nonzero return just means that the message was handled.
        if (message == WM_INITDIALOG)
            return handled;
        if (handled)
            return 0;
        state = FindDialog(window); // the procedure may have ended the dialog
    }
    switch (message) {
    case WM_CLOSE:
        // A dialog is not destroyed by a close request: it becomes the Cancel command.
        PressDialogButton(window, IDCANCEL);
        return 0;
    case WM_ACTIVATE:
        // An activated dialog gives the focus to its first tab stop unless a control has it.
        if (state && LOWORD(wparam) != 0 && GetParent(GetFocus()) != window)
            if (HWND first = FirstTabStop(window))
                SetFocus(first);
        return 0;
    case WM_NCDESTROY:
        manager.dialogs.erase(window);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return 0;
    case WM_LBUTTONUP:
        Notify(window, kButtonClicked);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

// Static labels are transparent to the mouse: a click on one reaches the dialog beneath.
LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) {
        RECT label;
        RECT parent;
        GetWindowRect(window, &label);
        GetWindowRect(GetParent(window), &parent);
        const int x = label.left - parent.left + LOWORD(lparam);
        const int y = label.top - parent.top + HIWORD(lparam);
        return SendMessageA(GetParent(window), message, wparam, MAKELPARAM(x, y));
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND UpDownOfBuddy(HWND edit) {
    for (const auto &entry : manager.updowns)
        if (entry.second.buddy == edit)
            return entry.first;
    return nullptr;
}

void SetEditText(HWND edit, const std::string &text) {
    DefWindowProcA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Notify(edit, kEditChanged);
}

// A single-line edit box with the caret at the end of its text: a typed character replaces a
// whole selection or is appended, Backspace removes the selection or the last character, and
// ES_NUMBER refuses everything but digits.
void EditChar(HWND edit, WPARAM character) {
    const bool typed = character != kBackspace;
    const bool digit = character >= '0' && character <= '9';
    if (typed && (character < ' ' || character > 0xFF ||
                  ((headless::WindowStyle(edit) & ES_NUMBER) && !digit)))
        return;
    std::string text = headless::WindowText(edit);
    if (manager.selected_edits.erase(edit))
        text.clear();
    else if (!typed && !text.empty())
        text.pop_back();
    if (typed)
        text.push_back(static_cast<char>(character));
    SetEditText(edit, text);
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_NCDESTROY:
        manager.selected_edits.erase(window);
        break;
    case WM_LBUTTONDOWN:
        manager.selected_edits.erase(window);
        SetFocus(window);
        return 0;
    case WM_CHAR:
        EditChar(window, wparam);
        return 0;
    case WM_KEYDOWN:
        // UDS_ARROWKEYS: the partner up-down steps on the arrow keys typed in its buddy.
        if (wparam == VK_UP || wparam == VK_DOWN) {
            if (HWND updown = UpDownOfBuddy(window))
                SendMessageA(updown, WM_KEYDOWN, wparam, lparam);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int Clamp(int value, int a, int b) {
    return std::clamp(value, std::min(a, b), std::max(a, b));
}

// With UDS_SETBUDDYINT the buddy shows the position in plain digits (template 2003's up-downs
// all have UDS_NOTHOUSANDS) ...
void ShowPosition(HWND updown, const UpDownState &state) {
    if (state.buddy && (headless::WindowStyle(updown) & UDS_SETBUDDYINT))
        SetEditText(state.buddy, std::to_string(state.position));
}

// ... and the buddy's text is the position, as far as it reads as a number in the range;
// anything else leaves the position as it was.
void ReadBuddy(HWND updown, UpDownState *state) {
    if (!state->buddy || !(headless::WindowStyle(updown) & UDS_SETBUDDYINT))
        return;
    const std::string digits = headless::WindowText(state->buddy);
    if (digits.empty() || digits.size() > 6)
        return;
    char *end = nullptr;
    const long value = std::strtol(digits.c_str(), &end, 10);
    if (*end || value != Clamp(static_cast<int>(value), state->lower, state->upper))
        return;
    state->position = static_cast<int>(value);
}

// One step of the arrows: up moves toward the upper end of the range, whichever end is
// numerically larger; past an end the value stays put (no up-down of template 2003 has UDS_WRAP).
void Step(HWND updown, bool up) {
    UpDownState &state = manager.updowns[updown];
    ReadBuddy(updown, &state);
    const int next = state.position + ((state.upper >= state.lower) == up ? 1 : -1);
    if (next != Clamp(next, state.lower, state.upper))
        return;
    state.position = next;
    ShowPosition(updown, state);
}

// UDS_AUTOBUDDY partners the window created just before the up-down; UDS_ALIGNRIGHT then puts
// the up-down against the buddy's right edge, narrowing the buddy by the up-down's width.
void AttachBuddy(HWND updown, const CREATESTRUCTA &create) {
    // The up-down being created is its parent's newest child.
    const std::vector<HWND> siblings = headless::Children(create.hwndParent);
    if (!(create.style & UDS_AUTOBUDDY) || siblings.size() < 2)
        return;
    const HWND buddy = siblings[siblings.size() - 2];
    manager.updowns[updown].buddy = buddy;
    if (!(create.style & UDS_ALIGNRIGHT))
        return;
    RECT parent;
    RECT rect;
    headless::WindowClientOnScreen(create.hwndParent, &parent);
    GetWindowRect(buddy, &rect);
    const int width = rect.right - rect.left - create.cx;
    SetWindowPos(buddy, nullptr, 0, 0, width, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(updown, nullptr, rect.left - parent.left + width, rect.top - parent.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT CALLBACK UpDownProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        AttachBuddy(window, *reinterpret_cast<const CREATESTRUCTA *>(lparam));
        return 0;
    case WM_NCDESTROY:
        manager.updowns.erase(window);
        break;
    case UDM_SETRANGE:
        manager.updowns[window].upper = static_cast<int16_t>(LOWORD(lparam));
        manager.updowns[window].lower = static_cast<int16_t>(HIWORD(lparam));
        return 0;
    case UDM_SETPOS: {
        UpDownState &state = manager.updowns[window];
        const int previous = state.position;
        state.position = Clamp(static_cast<int16_t>(LOWORD(lparam)), state.lower, state.upper);
        ShowPosition(window, state);
        return previous;
    }
    case WM_KEYDOWN:
        if (wparam == VK_UP || wparam == VK_DOWN)
            Step(window, wparam == VK_UP);
        return 0;
    case WM_LBUTTONDOWN: {
        RECT rect;
        GetWindowRect(window, &rect);
        Step(window, HIWORD(lparam) < (rect.bottom - rect.top) / 2);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// The classes the platform provides to every process; registering again is harmless.
void RegisterControlClasses() {
    const std::pair<const char *, WNDPROC> classes[] = {{kDialogClass, DialogWindowProc},
                                                        {kButtonClass, ButtonProc},
                                                        {kEditClass, EditProc},
                                                        {kStaticClass, StaticProc},
                                                        {FRELLIS_UPDOWN_CLASS, UpDownProc}};
    for (const auto &[name, procedure] : classes) {
        WNDCLASSA record = {};
        record.lpfnWndProc = procedure;
        record.lpszClassName = name;
        RegisterClassA(&record);
    }
}

int PixelsX(int units) {
    return units * headless::kDialogBaseUnitX / 4;
}
int PixelsY(int units) {
    return units * headless::kDialogBaseUnitY / 8;
}

struct TemplateItem {
    const char *class_name;
    int id;
    const char *text;
    DWORD style;
    int x, y, width, height;
};

#define FRELLIS_HEADLESS_CLASS_BUTTON kButtonClass
#define FRELLIS_HEADLESS_CLASS_EDIT kEditClass
#define FRELLIS_HEADLESS_CLASS_STATIC kStaticClass
#define FRELLIS_HEADLESS_CLASS_UPDOWN FRELLIS_UPDOWN_CLASS
#define FRELLIS_HEADLESS_ITEM(cls, id, text, style, x, y, width, height)                           \
    {FRELLIS_HEADLESS_CLASS_##cls, id, text, style, x, y, width, height},
const TemplateItem template_items[FRELLIS_DIALOG_ITEM_COUNT] = {
    FRELLIS_DIALOG_ITEMS(FRELLIS_HEADLESS_ITEM)};
#undef FRELLIS_HEADLESS_ITEM

// Creates the dialog window (hidden) and its controls from the template; NULL when any of them
// cannot be created.
HWND CreateDialogFromTemplate(HINSTANCE instance, HWND owner) {
    RECT origin = {};
    if (owner)
        headless::WindowClientOnScreen(owner, &origin);
    const DWORD style = static_cast<DWORD>(FRELLIS_DIALOG_STYLE) & ~static_cast<DWORD>(WS_VISIBLE);
    HWND dialog = CreateWindowExA(
        0, kDialogClass, FRELLIS_DIALOG_CAPTION, style, origin.left + PixelsX(FRELLIS_DIALOG_X),
        origin.top + PixelsY(FRELLIS_DIALOG_Y), PixelsX(FRELLIS_DIALOG_WIDTH),
        PixelsY(FRELLIS_DIALOG_HEIGHT), owner, nullptr, instance, nullptr);
    if (!dialog)
        return nullptr;
    for (const TemplateItem &item : template_items) {
        HMENU id = reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id));
        if (!CreateWindowExA(0, item.class_name, item.text, item.style, PixelsX(item.x),
                             PixelsY(item.y), PixelsX(item.width), PixelsY(item.height), dialog, id,
                             instance, nullptr)) {
            DestroyWindow(dialog);
            return nullptr;
        }
    }
    return dialog;
}

// The modal loop: runs until EndDialog, the dialog's destruction or WM_QUIT, which is put back
// for the caller's own loop.
void RunModalLoop(HWND dialog) {
    while (FindDialog(dialog) && !FindDialog(dialog)->ended) {
        MSG msg;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (DialogKey(dialog, msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

namespace headless {

void ResetDialogs() {
    manager = State();
}

HWND CurrentDialog() {
    return manager.dialogs.empty() ? nullptr : manager.dialogs.rbegin()->first;
}

int InitCommonControlsCalls() {
    return manager.init_common_controls_calls;
}

const std::vector<ShownMessageBox> &MessageBoxes() {
    return manager.shown_boxes;
}

void ClickDialogItem(HWND dialog, int id) {
    Click(GetDlgItem(dialog, id), 1, 1);
}

void ClickDialogBackground(HWND dialog) {
    Click(dialog, 2, 2);
}

void ClickUpDownArrow(HWND dialog, int id, bool up) {
    HWND updown = GetDlgItem(dialog, id);
    RECT rect;
    if (GetWindowRect(updown, &rect))
        Click(updown, 0, up ? 0 : rect.bottom - rect.top - 1);
}

void ClickCloseBox(HWND dialog) {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void ReplaceEditText(HWND dialog, int id, const char *text) {
    HWND edit = GetDlgItem(dialog, id);
    if (!edit)
        return;
    // Tabbing to an edit box selects its whole text.
    SetFocus(edit);
    manager.selected_edits.insert(edit);
    if (!*text)
        PressKey(kBackspace);
    for (const char *c = text; *c; ++c)
        PressKey(*c >= 'a' && *c <= 'z' ? static_cast<UINT>(*c - 'a' + 'A')
                                        : static_cast<UINT>(static_cast<unsigned char>(*c)));
}

} // namespace headless

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR template_name, HWND owner,
                               DLGPROC dialog_proc, LPARAM init_param) {
    // The executable carries one dialog template; a name that is not its number, or another
    // module, finds no resource.
    const uintptr_t name = reinterpret_cast<uintptr_t>(template_name);
    if (name != FRELLIS_DIALOG_ID || (instance && instance != headless::ExecutableInstance()))
        return -1;
    if (owner && !IsWindow(owner))
        return 0;
    RegisterControlClasses();
    HWND dialog = CreateDialogFromTemplate(instance, owner);
    if (!dialog)
        return -1;
    manager.dialogs[dialog].procedure = dialog_proc;

    HWND first = FirstTabStop(dialog);
    if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), init_param) && first)
        SetFocus(first);
    // Shown at last: the template's DS_SETFOREGROUND brings the dialog to the foreground.
    if (FindDialog(dialog) && !FindDialog(dialog)->ended)
        SetForegroundWindow(dialog);
    RunModalLoop(dialog);

    const INT_PTR result = FindDialog(dialog) ? FindDialog(dialog)->result : 0;
    DestroyWindow(dialog);
    return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    DialogState *state = FindDialog(dialog);
    if (!state)
        return FALSE;
    state->ended = true;
    state->result = result;
    // Wakes the modal loop, which may be waiting for a message when the dialog is ended from
    // outside its own message handling.
    PostMessageA(dialog, WM_NULL, 0, 0);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    for (HWND child : headless::Children(dialog))
        if (headless::WindowId(child) == id)
            return child;
    return nullptr;
}

// A message box without a screen: the box is recorded and answered with OK, as a user who reads
// it and presses its one button would.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // A null caption shows as "Error", as on Windows.
    manager.shown_boxes.push_back({owner, text ? text : "", caption ? caption : "Error", type});
    return IDOK;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wparam,
                                   LPARAM lparam) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessageA(item, message, wparam, lparam) : 0;
}

// The common controls register their classes when the library is loaded at process start;
// the initialisation entry itself has nothing left to do.
void WINAPI InitCommonControls() {
    ++manager.init_common_controls_calls;
}
