/* PASSWORD.CPL stand-in: VerifyScreenSavePwd answers what the test wrote into
   verify_answer.txt (one number per call, the last one repeating; 0 when absent), after holding a
   nested message loop for verify_hold_ms.txt milliseconds, as the real component's modal window
   would. Every call appends "call <hwnd> <answer>" to verify_calls.txt. */
#include "standin_log.h"

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

/* The answer for the call numbered INDEX (0-based): the INDEX-th number of the answer file,
   or its last one when the file has fewer. */
static int AnswerFor(int index) {
    char path[MAX_PATH + 32];
    BesideModule(self, "verify_answer.txt", path, MAX_PATH);
    FILE *f = fopen(path, "r");
    if (!f)
        return 0;
    int answer = 0, value;
    for (int i = 0; i <= index && fscanf(f, "%d", &value) == 1; ++i)
        answer = value;
    fclose(f);
    return answer;
}

static int CountCalls(void) {
    char path[MAX_PATH + 32];
    BesideModule(self, "verify_calls.txt", path, MAX_PATH);
    FILE *f = fopen(path, "r");
    if (!f)
        return 0;
    int lines = 0, c;
    while ((c = fgetc(f)) != EOF)
        lines += c == '\n';
    fclose(f);
    return lines;
}

__declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    int answer = AnswerFor(CountCalls());
    char line[96];
    wsprintfA(line, "call %lu %d", (unsigned long)(ULONG_PTR)window, answer);
    AppendLine(self, "verify_calls.txt", line);

    DWORD hold = (DWORD)ReadNumber(self, "verify_hold_ms.txt", 0);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < hold) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    AppendLine(self, "verify_calls.txt", "done");
    return answer;
}
