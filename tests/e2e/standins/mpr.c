/* MPR.DLL stand-in: PwdChangePasswordA records its four arguments, and whether the owner names a
   window, as one line "<provider> <owner> <is_window> <reserved> <data>" in pwd_change_calls.txt
   beside itself. */
#include "standin_dll.h"

__declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved, LPVOID data) {
    char line[256];
    wsprintfA(line, "%s %lu %d %lu %lu", provider ? provider : "(null)",
              (unsigned long)(ULONG_PTR)owner, IsWindow(owner) ? 1 : 0, (unsigned long)reserved,
              (unsigned long)(ULONG_PTR)data);
    AppendLine("pwd_change_calls.txt", line);
    return 0;
}
