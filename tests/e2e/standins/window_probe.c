/* Looks at another process's windows for the tests, by handle or title:
     window_probe dialog          the configuration dialog (top-level, titled "Frellis"): prints
                                  "dialog <hwnd> visible <0|1> rect <l> <t> <r> <b> focus <id>"
                                  and one line "<id> <text>" per edit box (1001, 1003, 1007,
                                  1005); prints "none" and exits with 1 when there is none
     window_probe children <hwnd> one line per child window: "child <hwnd> class <class> title
                                  <title> rect <l> <t> <r> <b> visible <0|1>"
     window_probe labels          the texts of the labels of the topmost window titled
                                  "Frellis" (the dialog, or a message box over it) in order,
                                  one line each, in UTF-8 as the window holds them (Unicode), so
                                  that a label that went through a code page that lacks its
                                  characters shows as the question marks it became
     window_probe screen          the desktop as Windows programs see it: "virtual <l> <t> <r>
                                  <b>", one line "monitor <l> <t> <r> <b> primary <0|1>" per
                                  monitor, and "saver <l> <t> <r> <b>" for the full-screen
                                  saver window when there is one
   Screenshots cannot read numbers reliably; WM_GETTEXT can. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int ShowDialog(void) {
    HWND dialog = FindWindowA("#32770", "Frellis");
    if (!dialog) {
        printf("none\n");
        return 1;
    }
    RECT r;
    GetWindowRect(dialog, &r);
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    int focus = 0;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &info) && info.hwndFocus)
        focus = GetDlgCtrlID(info.hwndFocus);
    printf("dialog %lu visible %d rect %ld %ld %ld %ld focus %d\n",
           (unsigned long)(ULONG_PTR)dialog, IsWindowVisible(dialog) ? 1 : 0, r.left, r.top,
           r.right, r.bottom, focus);
    static const int edits[] = {1001, 1003, 1007, 1005};
    for (int i = 0; i < 4; ++i) {
        char text[64] = "";
        HWND edit = GetDlgItem(dialog, edits[i]);
        if (edit)
            SendMessageA(edit, WM_GETTEXT, sizeof text, (LPARAM)text);
        printf("%d %s\n", edits[i], edit ? text : "(missing)");
    }
    return 0;
}

static BOOL CALLBACK ShowChild(HWND child, LPARAM unused) {
    (void)unused;
    char cls[64] = "", title[64] = "";
    RECT r;
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, title, sizeof title);
    GetWindowRect(child, &r);
    printf("child %lu class %s title %s rect %ld %ld %ld %ld visible %d\n",
           (unsigned long)(ULONG_PTR)child, cls, title[0] ? title : "-", r.left, r.top, r.right,
           r.bottom, IsWindowVisible(child) ? 1 : 0);
    return TRUE;
}

static BOOL CALLBACK ShowLabel(HWND child, LPARAM unused) {
    (void)unused;
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Static") != 0)
        return TRUE;
    WCHAR text[1024] = L"";
    char utf8[4096] = "";
    GetWindowTextW(child, text, sizeof text / sizeof text[0]);
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    printf("%s\n", utf8);
    return TRUE;
}

static BOOL CALLBACK ShowMonitor(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM unused) {
    (void)dc;
    (void)rect;
    (void)unused;
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        printf("monitor %ld %ld %ld %ld primary %d\n", info.rcMonitor.left, info.rcMonitor.top,
               info.rcMonitor.right, info.rcMonitor.bottom,
               (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

static int ShowScreen(void) {
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    printf("virtual %d %d %d %d\n", left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
           top + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EnumDisplayMonitors(NULL, NULL, ShowMonitor, 0);
    HWND saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
    RECT r;
    if (saver && GetWindowRect(saver, &r))
        printf("saver %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 2 && strcmp(argv[1], "dialog") == 0)
        return ShowDialog();
    if (argc == 3 && strcmp(argv[1], "children") == 0) {
        EnumChildWindows((HWND)(ULONG_PTR)strtoul(argv[2], NULL, 10), ShowChild, 0);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "screen") == 0)
        return ShowScreen();
    if (argc == 2 && strcmp(argv[1], "labels") == 0) {
        HWND dialog = FindWindowA("#32770", "Frellis");
        if (!dialog)
            return 1;
        EnumChildWindows(dialog, ShowLabel, 0);
        return 0;
    }
    fprintf(stderr, "usage: window_probe dialog | children <hwnd> | labels | screen\n");
    return 2;
}
