#include "host/saver_window.h"

#include "animation/animation_proc.h"
#include "host/component_entry.h"
#include "host/default_proc.h"
#include "host/password.h"
#include "host/saver_main.h"

HWND saver_window;
bool preview_mode;
UINT autoplay_message;

typedef HIMC(WINAPI *AssociateContextFn)(HWND window, HIMC context);

// IMM32.DLL when the process has it loaded, its entry ImmAssociateContext, and the input context
// that the saver window had before it was detached.
static HMODULE imm_module;
static AssociateContextFn associate_context_fn;
static HIMC saved_input_context;

static const char kSaverClassName[] = "WindowsScreenSaverClass";
// Also the key of the single-instance test: a preview ("Preview") does not count.
static const char kFullScreenTitle[] = "Screen Saver";
static const char kPreviewTitle[] = "Preview";
static const int kIconResource = 100;

// Where and how the saver window is made.
struct WindowPlacement {
    DWORD ex_style;
    DWORD style;
    const char *title;
    RECT area;
};

static WindowPlacement PreviewPlacement(HWND parent) {
    WindowPlacement placement = {0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, kPreviewTitle, {}};
    RECT client = {};
    GetClientRect(parent, &client);
    placement.area = RECT{0, 0, client.right, client.bottom};
    return placement;
}

static WindowPlacement FullScreenPlacement() {
    WindowPlacement placement = {WS_EX_TOPMOST,
                                 WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                 kFullScreenTitle,
                                 {}};
    HDC screen = GetDC(nullptr);
    GetClipBox(screen, &placement.area);
    ReleaseDC(nullptr, screen);
    return placement;
}

static int RunMessageLoop(HWND window, bool full_screen) {
    if (full_screen)
        SetForegroundWindow(window);
    MSG msg = {};
    // GetMessageA's error value -1 is nonzero too: only WM_QUIT ends the loop.
    while (GetMessageA(&msg, nullptr, 0, 0) != 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int RunSaverWindow(HWND parent) {
    WNDCLASSA window_class = {};
    window_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    window_class.lpfnWndProc = SaverWindowProc;
    window_class.hInstance = module_instance;
    window_class.hIcon = LoadIconA(module_instance, MAKEINTRESOURCEA(kIconResource));
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = kSaverClassName;

    WindowPlacement placement;
    if (parent != nullptr) {
        placement = PreviewPlacement(parent);
        preview_mode = true;
    } else {
        placement = FullScreenPlacement();
        HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
        if (running != nullptr && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        LoadPasswordVerifier();
    }
    autoplay_message = consumer_platform ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;

    HWND window = nullptr;
    if (RegisterClassA(&window_class) != 0) {
        const RECT &area = placement.area;
        window = CreateWindowExA(placement.ex_style, kSaverClassName, placement.title,
                                 placement.style, area.left, area.top, area.right - area.left,
                                 area.bottom - area.top, parent, nullptr, module_instance, nullptr);
        saver_window = window;
    }
    // Without a window the mode could not run; that is not reported as success.
    int result = window != nullptr ? RunMessageLoop(window, parent == nullptr) : -1;
    UnloadPasswordVerifier();
    return result;
}

// The input method stays off the saver window for its whole life.
static void DetachInputMethod(HWND window) {
    imm_module = GetModuleHandleA("IMM32.DLL");
    if (imm_module == nullptr)
        return;
    associate_context_fn =
        ComponentEntry<AssociateContextFn>(GetProcAddress(imm_module, "ImmAssociateContext"));
    if (associate_context_fn != nullptr)
        saved_input_context = associate_context_fn(window, nullptr);
}

static void RestoreInputMethod(HWND window) {
    if (imm_module != nullptr && associate_context_fn != nullptr && saved_input_context != nullptr)
        associate_context_fn(window, saved_input_context);
}

// A preview's help and context-menu requests belong to the window it is shown in.
static void PassToPreviewParent(HWND window, UINT message, LPARAM lparam) {
    HWND parent = GetParent(window);
    if (parent != nullptr && IsWindow(parent))
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lparam);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        DetachInputMethod(window);
        AnchorCursor();
        if (!preview_mode)
            SetCursor(nullptr);
        break;
    case WM_DESTROY:
        RestoreInputMethod(window);
        // Posted before the animation tears down, which still happens before the loop ends.
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (close_approved)
            return DefWindowProcA(window, message, wparam, lparam);
        if (!preview_mode)
            SetCursor(nullptr);
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (preview_mode) {
            PassToPreviewParent(window, message, lparam);
            return 1;
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (close_approved)
            return DefWindowProcA(window, message, wparam, lparam);
        break;
    case WM_SYSCOMMAND:
        // Compared whole: task switching and a second saver start are dropped in full screen.
        if (!preview_mode &&
            (wparam == SC_NEXTWINDOW || wparam == SC_PREVWINDOW || wparam == SC_SCREENSAVE))
            return 0;
        break;
    case WM_TIMER:
        if (close_approved)
            return 0;
        Sleep(0);
        break;
    }
    return AnimationProc(window, message, wparam, lparam);
}

void ResetSaverWindow() {
    saver_window = nullptr;
    preview_mode = false;
    autoplay_message = 0;
    imm_module = nullptr;
    associate_context_fn = nullptr;
    saved_input_context = nullptr;
}
