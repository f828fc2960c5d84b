/* Stands in for control.exe while the setup's last page runs it: Wine has no desk.cpl, and its
   own control.exe ends before anyone can see what it was asked to open. Appends its command
   line, one line, to control_panel.txt beside itself. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(void) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH - 32);
    char *slash = strrchr(path, '\\');
    if (!length || !slash)
        return 1;
    strcpy(slash + 1, "control_panel.txt");
    FILE *out = fopen(path, "a");
    if (!out)
        return 1;
    fprintf(out, "%s\n", GetCommandLineA());
    fclose(out);
    return 0;
}
