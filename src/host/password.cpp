#include "host/password.h"

#include <cstdint>

#include "host/component_entry.h"
#include "host/saver_main.h"

HMODULE verifier_module;
VerifyPasswordFn verify_password_fn;
bool close_approved;
bool verification_in_progress;

// No verification has ended yet.
static constexpr uint32_t kNoVerification = 0xFFFFFFFF;
// The least time between the end of one password question and the start of the next.
static constexpr uint32_t kVerificationDebounceMs = 200;
// GetTickCount when the last verification ended.
static uint32_t last_verification_tick = kNoVerification;

typedef DWORD(WINAPI *ChangePasswordFn)(LPCSTR provider, HWND owner, DWORD reserved1,
                                        DWORD reserved2);

static uint32_t TickDifference(uint32_t earlier, uint32_t later) {
    return later - earlier;
}

void SetSaverRunning(bool on) {
    if (!consumer_platform)
        return;
    UINT flag = on ? 1 : 0;
    // The platform may write the previous state here; it is not read.
    UINT previous = flag;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, flag, &previous, 0);
}

// Looks the verifier up once the user's setting asks for a password; key still open.
static void LoadVerifierComponent() {
    verifier_module = LoadLibraryA("PASSWORD.CPL");
    if (verifier_module == nullptr)
        return;
    verify_password_fn =
        ComponentEntry<VerifyPasswordFn>(GetProcAddress(verifier_module, "VerifyScreenSavePwd"));
    if (verify_password_fn != nullptr)
        SetSaverRunning(true);
    else
        UnloadPasswordVerifier();
}

void LoadPasswordVerifier() {
    if (!consumer_platform)
        return;
    if (verifier_module != nullptr)
        UnloadPasswordVerifier();
    HKEY key;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS)
        return;
    // A value shorter than 4 bytes fills the low bytes of a number zeroed beforehand.
    DWORD use_password = 0;
    DWORD size = sizeof use_password;
    if (RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                         reinterpret_cast<LPBYTE>(&use_password), &size) == ERROR_SUCCESS &&
        use_password != 0)
        LoadVerifierComponent();
    RegCloseKey(key);
}

void UnloadPasswordVerifier() {
    if (!consumer_platform || verifier_module == nullptr)
        return;
    FreeLibrary(verifier_module);
    verifier_module = nullptr;
    if (verify_password_fn != nullptr) {
        verify_password_fn = nullptr;
        SetSaverRunning(false);
    }
}

bool RequestCloseApproval(HWND window) {
    // A close that arrives while the password is being asked for gets no second question.
    if (verification_in_progress)
        return false;
    if (verify_password_fn == nullptr) {
        close_approved = true;
        return true;
    }
    // The key or mouse movement that dismissed the verifier must not raise it again at once.
    if (last_verification_tick != kNoVerification) {
        // A verification that ended on the counter's last value was stored as ending on 0, so a
        // request in that same millisecond lies one before the stored end: within the pause too.
        const uint32_t elapsed = TickDifference(last_verification_tick, GetTickCount());
        if (elapsed < kVerificationDebounceMs || elapsed == 0xFFFFFFFFu)
            return false;
    }

    verification_in_progress = true;
    // The ticks already queued would only animate behind the verifier's window.
    MSG pending;
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    close_approved = SendMessageA(window, kVerifyRequest, 0, 0) != 0;
    verification_in_progress = false;
    if (!close_approved)
        SetCursor(nullptr);
    last_verification_tick = GetTickCount();
    // A verification that ends on the counter's last value must still count as one. Taking it
    // as ending on the next value (0) keeps it apart from "none yet" and stretches the pause by
    // 1 ms; the value before would shrink it.
    if (last_verification_tick == kNoVerification)
        last_verification_tick = 0;
    return close_approved;
}

void ChangeSaverPassword(HWND owner) {
    HMODULE component = LoadLibraryA("MPR.DLL");
    if (component == nullptr)
        return;
    ChangePasswordFn change =
        ComponentEntry<ChangePasswordFn>(GetProcAddress(component, "PwdChangePasswordA"));
    if (change != nullptr)
        change("SCRSAVE", owner, 0, 0);
    FreeLibrary(component);
}

void ResetPassword() {
    verifier_module = nullptr;
    verify_password_fn = nullptr;
    close_approved = false;
    verification_in_progress = false;
    last_verification_tick = kNoVerification;
}
