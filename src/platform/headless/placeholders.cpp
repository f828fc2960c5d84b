// Placeholders for the parts of the Win32 subset that the headless platform does not implement yet.
// Each is weak, so the real definition in its area file takes its place; a placeholder fails loudly
// when called.
#include "platform/headless/windows.h"

#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Missing(const char *name) {
    std::fprintf(stderr, "headless: %s is not implemented\n", name);
    std::abort();
}
} // namespace

__attribute__((weak)) LPSTR WINAPI GetCommandLineA() { Missing("GetCommandLineA"); }
__attribute__((weak)) HMODULE WINAPI GetModuleHandleA(LPCSTR) { Missing("GetModuleHandleA"); }
[[noreturn]] __attribute__((weak)) void WINAPI ExitProcess(UINT) { Missing("ExitProcess"); }
__attribute__((weak)) BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA) { Missing("GetVersionExA"); }
__attribute__((weak)) DWORD WINAPI GetTickCount() { Missing("GetTickCount"); }
__attribute__((weak)) void WINAPI Sleep(DWORD) { Missing("Sleep"); }
__attribute__((weak)) HMODULE WINAPI LoadLibraryA(LPCSTR) { Missing("LoadLibraryA"); }
__attribute__((weak)) FARPROC WINAPI GetProcAddress(HMODULE, LPCSTR) { Missing("GetProcAddress"); }
__attribute__((weak)) BOOL WINAPI FreeLibrary(HMODULE) { Missing("FreeLibrary"); }
__attribute__((weak)) DWORD WINAPI GetPrivateProfileStringA(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR) { Missing("GetPrivateProfileStringA"); }
__attribute__((weak)) BOOL WINAPI WritePrivateProfileStringA(LPCSTR, LPCSTR, LPCSTR, LPCSTR) { Missing("WritePrivateProfileStringA"); }
__attribute__((weak)) LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS *) { Missing("UnhandledExceptionFilter"); }
__attribute__((weak)) LPTOP_LEVEL_EXCEPTION_FILTER WINAPI SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER) { Missing("SetUnhandledExceptionFilter"); }
__attribute__((weak)) LPSTR WINAPI CharNextA(LPCSTR) { Missing("CharNextA"); }
__attribute__((weak)) ATOM WINAPI RegisterClassA(const WNDCLASSA *) { Missing("RegisterClassA"); }
__attribute__((weak)) HWND WINAPI CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) { Missing("CreateWindowExA"); }
__attribute__((weak)) LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { Missing("DefWindowProcA"); }
__attribute__((weak)) BOOL WINAPI DestroyWindow(HWND) { Missing("DestroyWindow"); }
__attribute__((weak)) HWND WINAPI FindWindowA(LPCSTR, LPCSTR) { Missing("FindWindowA"); }
__attribute__((weak)) BOOL WINAPI IsWindow(HWND) { Missing("IsWindow"); }
__attribute__((weak)) HWND WINAPI GetParent(HWND) { Missing("GetParent"); }
__attribute__((weak)) BOOL WINAPI GetClientRect(HWND, LPRECT) { Missing("GetClientRect"); }
__attribute__((weak)) BOOL WINAPI GetWindowRect(HWND, LPRECT) { Missing("GetWindowRect"); }
__attribute__((weak)) BOOL WINAPI SetWindowPos(HWND, HWND, int, int, int, int, UINT) { Missing("SetWindowPos"); }
__attribute__((weak)) BOOL WINAPI SetForegroundWindow(HWND) { Missing("SetForegroundWindow"); }
__attribute__((weak)) HWND WINAPI GetForegroundWindow() { Missing("GetForegroundWindow"); }
__attribute__((weak)) HWND WINAPI GetDesktopWindow() { Missing("GetDesktopWindow"); }
__attribute__((weak)) HWND WINAPI SetFocus(HWND) { Missing("SetFocus"); }
__attribute__((weak)) HWND WINAPI GetFocus() { Missing("GetFocus"); }
__attribute__((weak)) HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { Missing("LoadIconA"); }
__attribute__((weak)) BOOL WINAPI GetCursorPos(LPPOINT) { Missing("GetCursorPos"); }
__attribute__((weak)) HCURSOR WINAPI SetCursor(HCURSOR) { Missing("SetCursor"); }
__attribute__((weak)) BOOL WINAPI SystemParametersInfoA(UINT, UINT, PVOID, UINT) { Missing("SystemParametersInfoA"); }
__attribute__((weak)) BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM) { Missing("PostMessageA"); }
__attribute__((weak)) LRESULT WINAPI SendMessageA(HWND, UINT, WPARAM, LPARAM) { Missing("SendMessageA"); }
__attribute__((weak)) BOOL WINAPI GetMessageA(LPMSG, HWND, UINT, UINT) { Missing("GetMessageA"); }
__attribute__((weak)) BOOL WINAPI PeekMessageA(LPMSG, HWND, UINT, UINT, UINT) { Missing("PeekMessageA"); }
__attribute__((weak)) BOOL WINAPI TranslateMessage(const MSG *) { Missing("TranslateMessage"); }
__attribute__((weak)) LRESULT WINAPI DispatchMessageA(const MSG *) { Missing("DispatchMessageA"); }
__attribute__((weak)) void WINAPI PostQuitMessage(int) { Missing("PostQuitMessage"); }
__attribute__((weak)) UINT WINAPI RegisterWindowMessageA(LPCSTR) { Missing("RegisterWindowMessageA"); }
__attribute__((weak)) UINT_PTR WINAPI SetTimer(HWND, UINT_PTR, UINT, TIMERPROC) { Missing("SetTimer"); }
__attribute__((weak)) BOOL WINAPI KillTimer(HWND, UINT_PTR) { Missing("KillTimer"); }
__attribute__((weak)) INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { Missing("DialogBoxParamA"); }
__attribute__((weak)) BOOL WINAPI EndDialog(HWND, INT_PTR) { Missing("EndDialog"); }
__attribute__((weak)) HWND WINAPI GetDlgItem(HWND, int) { Missing("GetDlgItem"); }
__attribute__((weak)) LRESULT WINAPI SendDlgItemMessageA(HWND, int, UINT, WPARAM, LPARAM) { Missing("SendDlgItemMessageA"); }
__attribute__((weak)) void WINAPI InitCommonControls() { Missing("InitCommonControls"); }
__attribute__((weak)) HDC WINAPI GetDC(HWND) { Missing("GetDC"); }
__attribute__((weak)) int WINAPI ReleaseDC(HWND, HDC) { Missing("ReleaseDC"); }
__attribute__((weak)) int WINAPI GetClipBox(HDC, LPRECT) { Missing("GetClipBox"); }
__attribute__((weak)) HGDIOBJ WINAPI GetStockObject(int) { Missing("GetStockObject"); }
__attribute__((weak)) HDC WINAPI CreateCompatibleDC(HDC) { Missing("CreateCompatibleDC"); }
__attribute__((weak)) HBITMAP WINAPI CreateCompatibleBitmap(HDC, int, int) { Missing("CreateCompatibleBitmap"); }
__attribute__((weak)) HGDIOBJ WINAPI SelectObject(HDC, HGDIOBJ) { Missing("SelectObject"); }
__attribute__((weak)) BOOL WINAPI DeleteObject(HGDIOBJ) { Missing("DeleteObject"); }
__attribute__((weak)) BOOL WINAPI DeleteDC(HDC) { Missing("DeleteDC"); }
__attribute__((weak)) HPEN WINAPI CreatePen(int, int, COLORREF) { Missing("CreatePen"); }
__attribute__((weak)) BOOL WINAPI Polyline(HDC, const POINT *, int) { Missing("Polyline"); }
__attribute__((weak)) BOOL WINAPI BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD) { Missing("BitBlt"); }
__attribute__((weak)) BOOL WINAPI GdiFlush() { Missing("GdiFlush"); }
__attribute__((weak)) LONG WINAPI RegOpenKeyA(HKEY, LPCSTR, PHKEY) { Missing("RegOpenKeyA"); }
__attribute__((weak)) LONG WINAPI RegQueryValueExA(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) { Missing("RegQueryValueExA"); }
__attribute__((weak)) LONG WINAPI RegCloseKey(HKEY) { Missing("RegCloseKey"); }
