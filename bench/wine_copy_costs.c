/* What a copy to a window costs under the platform: a full-screen window with a 10 ms timer that,
   every tick, copies from a surface of the screen's size ("mode count seconds"):
     none       nothing
     whole      the whole surface in one block
     columns N  one block N pixels wide and as high as the screen
     peek N     N blocks of 8x8 pixels far apart, the window's drawing handed over before each but
                the first by a look at the message queue that finds nothing
     input N    the same, handed over by reading the input state
   Prints "ticks <count> seconds <elapsed>". */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HDC window_dc, surface_dc;
static int width, height, count;
static const char *mode;
static unsigned ticks;

static void CopyBlock(int x, int y, int w, int h) {
    BitBlt(window_dc, x, y, w, h, surface_dc, x, y, SRCCOPY);
}

static void Tick(void) {
    if (strcmp(mode, "whole") == 0)
        CopyBlock(0, 0, width, height);
    else if (strcmp(mode, "columns") == 0)
        CopyBlock(0, 0, count, height);
    else if (strcmp(mode, "peek") == 0 || strcmp(mode, "input") == 0) {
        for (int i = 0; i < count; ++i) {
            if (i > 0 && mode[0] == 'p') {
                MSG none;
                PeekMessageA(&none, NULL, 0xBFFF, 0xBFFF, PM_NOREMOVE | PM_NOYIELD);
            } else if (i > 0) {
                GetAsyncKeyState(VK_SHIFT);
            }
            CopyBlock(i * 997 % (width - 8), i * 613 % (height - 8), 8, 8);
        }
    }
}

static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_TIMER) {
        ++ticks;
        Tick();
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}

int main(int argc, char **argv) {
    mode = argc > 1 ? argv[1] : "none";
    count = argc > 2 ? atoi(argv[2]) : 1;
    DWORD duration = (DWORD)((argc > 3 ? atof(argv[3]) : 5.0) * 1000);
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "FrellisCopyCosts";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Copy costs",
                                  WS_POPUP | WS_VISIBLE, 0, 0, width, height, NULL, NULL,
                                  wc.hInstance, NULL);
    window_dc = GetDC(window);
    surface_dc = CreateCompatibleDC(window_dc);
    SelectObject(surface_dc, CreateCompatibleBitmap(window_dc, width, height));
    BitBlt(surface_dc, 0, 0, width, height, NULL, 0, 0, WHITENESS);
    SetTimer(window, 1, 10, NULL);
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < duration && GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    printf("ticks %u seconds %.3f\n", ticks, (GetTickCount() - start) / 1000.0);
    return 0;
}
