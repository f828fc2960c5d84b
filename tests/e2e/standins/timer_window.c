/* The most ticks the platform delivers: a window with nothing but a timer of the given period
   ("period-ms seconds"). Prints "ticks <count> seconds <elapsed> rate <ticks per second>". */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static unsigned ticks;

static LRESULT CALLBACK TimerProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_TIMER) {
        ++ticks;
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}

int main(int argc, char **argv) {
    UINT period = argc > 1 ? (UINT)atoi(argv[1]) : 10;
    DWORD duration = (DWORD)((argc > 2 ? atof(argv[2]) : 5.0) * 1000);
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = TimerProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "FrellisTimerOnly";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Timer", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64,
                                  NULL, NULL, wc.hInstance, NULL);
    SetTimer(window, 1, period, NULL);
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < duration && GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    double seconds = (GetTickCount() - start) / 1000.0;
    printf("ticks %u seconds %.3f rate %.1f\n", ticks, seconds, ticks / seconds);
    return 0;
}
