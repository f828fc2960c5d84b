// The consumer platform's password hooks: owns verifier_module, verify_password_fn,
// close_approved, verification_in_progress and last_verification_tick. RunSaverWindow loads and
// unloads the verifier, DefaultSaverProc asks RequestCloseApproval on every close, and the
// change-password mode calls ChangeSaverPassword. On any other platform all of it is inert.
#pragma once

#include "platform/win32.h"

typedef BOOL(WINAPI *VerifyPasswordFn)(HWND window);

// The host's own verify request, sent to the saver window and answered by DefaultSaverProc.
constexpr UINT kVerifyRequest = 0x8000;

extern HMODULE verifier_module;
extern VerifyPasswordFn verify_password_fn;
extern bool close_approved;
extern bool verification_in_progress;

void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(bool on);
bool RequestCloseApproval(HWND window);
void ChangeSaverPassword(HWND owner);
void ResetPassword();
