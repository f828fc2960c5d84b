/* Reads the configuration dialog of a running saver: finds the top-level window titled "Frellis"
   and prints "dialog <hwnd> visible <0|1> rect <l> <t> <r> <b> focus <control id>" followed by
   one line "<id> <text>" for each edit box (1001, 1003, 1007, 1005). Prints "none" and exits
   with 1 when there is no such window. */
#include <windows.h>
#include <stdio.h>

int main(void) {
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
