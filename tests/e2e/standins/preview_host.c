/* Stands in for the display settings' preview box: a borderless grey window at the place and
   size given on the command line ("x y width height [close-file [seconds]]"). It prints
   "hwnd <decimal handle> client <left> <top> <right> <bottom>" (client area in screen
   coordinates) and then one line per key press ("key <vk>") and button press ("button"). Its
   window goes away when close-file exists, or after the given seconds. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static const char *close_file;
static DWORD deadline;

static LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_TIMER:
        if ((close_file && GetFileAttributesA(close_file) != INVALID_FILE_ATTRIBUTES) ||
            (deadline && GetTickCount() > deadline))
            DestroyWindow(window);
        return 0;
    case WM_KEYDOWN:
        printf("key %u\n", (unsigned)wparam);
        fflush(stdout);
        return 0;
    case WM_LBUTTONDOWN:
        printf("button\n");
        fflush(stdout);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}

int main(int argc, char **argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: preview_host x y width height [close-file [seconds]]\n");
        return 2;
    }
    close_file = argc > 5 && argv[5][0] ? argv[5] : NULL;
    if (argc > 6)
        deadline = GetTickCount() + (DWORD)(atof(argv[6]) * 1000);

    WNDCLASSA wc = {0};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = CreateSolidBrush(RGB(128, 128, 128));
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.lpszClassName = "FrellisPreviewHost";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(
        0, wc.lpszClassName, "Preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, atoi(argv[1]),
        atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), NULL, NULL, wc.hInstance, NULL);
    if (!window)
        return 1;
    UpdateWindow(window);
    SetTimer(window, 1, 50, NULL);

    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, NULL, (POINT *)&client, 2);
    printf("hwnd %lu client %ld %ld %ld %ld\n", (unsigned long)(ULONG_PTR)window, client.left,
           client.top, client.right, client.bottom);
    fflush(stdout);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
