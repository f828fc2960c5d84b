/* Shared by the stand-in components (DLLs): they record what they were asked, and read how to
   answer, in text files beside their own module, in the scenario's scratch folder, where the
   test writes and reads them. Each DLL includes this once; it defines the DLL's entry. */
#pragma once
#include <windows.h>
#include <stdio.h>
#include <string.h>

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

/* NAME in the folder that holds this module, opened in MODE; NULL when it cannot be. */
static inline FILE *OpenBeside(const char *name, const char *mode) {
    char path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/')
        --n;
    path[n] = '\0';
    lstrcatA(path, name);
    return fopen(path, mode);
}

static inline void AppendLine(const char *name, const char *line) {
    FILE *f = OpenBeside(name, "a");
    if (f) {
        fprintf(f, "%s\n", line);
        fclose(f);
    }
}
