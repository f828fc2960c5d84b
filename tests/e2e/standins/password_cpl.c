/* PASSWORD.CPL stand-in: VerifyScreenSavePwd answers what the test wrote into
   verify_answer.txt (one number per call, the last one repeating; 0 when absent), after holding a
   nested message loop, as the real component's modal window would, until the test writes
   verify_release.txt (at most verify_hold_ms.txt milliseconds, a bound for a test that never
   does; no hold when that file is absent). Every call appends "call <hwnd> <answer>" to
   verify_calls.txt, "key <vk>" and "keyup <vk>" for each key message the loop dispatches, so that
   the test knows its input has arrived, and "done" when it returns. */
#include "standin_dll.h"

/* The INDEX-th number of the file (0-based), or its last one when it has fewer; FALLBACK when
   the file is missing or holds none. */
static int NumberAt(const char *name, int index, int fallback) {
    FILE *f = OpenBeside(name, "r");
    if (!f)
        return fallback;
    int number = fallback, value;
    for (int i = 0; i <= index && fscanf(f, "%d", &value) == 1; ++i)
        number = value;
    fclose(f);
    return number;
}

static int CountCalls(void) {
    FILE *f = OpenBeside("verify_calls.txt", "r");
    if (!f)
        return 0;
    int calls = 0;
    char line[128];
    while (fgets(line, sizeof line, f))
        calls += strncmp(line, "call", 4) == 0;
    fclose(f);
    return calls;
}

__declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    int answer = NumberAt("verify_answer.txt", CountCalls(), 0);
    char line[96];
    wsprintfA(line, "call %lu %d", (unsigned long)(ULONG_PTR)window, answer);
    AppendLine("verify_calls.txt", line);

    DWORD hold = (DWORD)NumberAt("verify_hold_ms.txt", 0, 0);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < hold) {
        FILE *release = OpenBeside("verify_release.txt", "r");
        if (release) {
            fclose(release);
            break;
        }
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
                wsprintfA(line, "%s %u", msg.message == WM_KEYDOWN ? "key" : "keyup",
                          (unsigned)msg.wParam);
                AppendLine("verify_calls.txt", line);
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    AppendLine("verify_calls.txt", "done");
    return answer;
}
