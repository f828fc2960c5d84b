#include "host/default_proc.h"

#include <cstdint>

#include "host/password.h"
#include "host/saver_main.h"
#include "host/saver_window.h"

POINT cursor_anchor;

// The largest cursor movement (|dx| + |dy| from the anchor) that does not close the saver.
static constexpr uint32_t kMouseThreshold = 4;

void AnchorCursor() {
    GetCursorPos(&cursor_anchor);
}

void ResetDefaultProc() {
    cursor_anchor = POINT{0, 0};
}

static void PostClose(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// |a - b| without leaving unsigned arithmetic, so no coordinates can overflow.
static uint32_t Distance(LONG a, LONG b) {
    uint32_t ua = static_cast<uint32_t>(a);
    uint32_t ub = static_cast<uint32_t>(b);
    return a >= b ? ua - ub : ub - ua;
}

// Small movements add up against the anchor, which moves only when a movement closes.
static void ApplyMouseRule(HWND window) {
    POINT now = cursor_anchor;
    GetCursorPos(&now);
    if (Distance(now.x, cursor_anchor.x) + Distance(now.y, cursor_anchor.y) > kMouseThreshold) {
        PostClose(window);
        cursor_anchor = now;
    }
}

// The input rules. True when the message is finished here (only WM_SETCURSOR, answered 1).
static bool ApplyInputRule(HWND window, UINT message, WPARAM wparam) {
    switch (message) {
    case WM_SHOWWINDOW:
        if (wparam != 0)
            SetCursor(nullptr);
        break;
    case WM_ACTIVATEAPP:
        if (wparam == 0)
            PostClose(window);
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return true;
    case WM_POWER:
        if (wparam == PWR_CRITICALRESUME)
            PostClose(window);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        PostClose(window);
        break;
    case WM_POWERBROADCAST:
        // A laptop on battery reports every few percent of charge, and the charger coming and
        // going; only a suspend, a resume and the like end the saver.
        if (wparam != PBT_APMPOWERSTATUSCHANGE && wparam != PBT_POWERSETTINGCHANGE)
            PostClose(window);
        break;
    case WM_MOUSEMOVE:
        ApplyMouseRule(window);
        break;
    }
    return false;
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!preview_mode && !close_approved) {
        switch (message) {
        case WM_CLOSE:
            if (consumer_platform && !RequestCloseApproval(window)) {
                // The cursor moved while the password was asked for; measure from here.
                GetCursorPos(&cursor_anchor);
                return 0;
            }
            break;
        case kVerifyRequest:
            if (consumer_platform)
                return verify_password_fn != nullptr ? verify_password_fn(window) : 1;
            break;
        default:
            if (!verification_in_progress && ApplyInputRule(window, message, wparam))
                return 1;
            break;
        }
    }
    if (autoplay_message != 0 && message == autoplay_message) {
        // The platform's autoplay is cancelled while a password protects the desktop.
        PostClose(window);
        return verify_password_fn != nullptr ? 1 : 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
