/* Shared by the stand-in components: they record what they were asked in text files beside
   their own module, in the scenario's scratch folder, where the test reads them afterwards. */
#pragma once
#include <windows.h>
#include <stdio.h>

/* Full path of NAME in the folder that holds MODULE. */
static inline void BesideModule(HMODULE module, const char *name, char *path, DWORD size) {
    DWORD n = GetModuleFileNameA(module, path, size);
    while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/')
        --n;
    path[n] = '\0';
    lstrcatA(path, name);
}

/* Appends one line to NAME beside MODULE. */
static inline void AppendLine(HMODULE module, const char *name, const char *line) {
    char path[MAX_PATH + 32];
    BesideModule(module, name, path, MAX_PATH);
    FILE *f = fopen(path, "a");
    if (f) {
        fprintf(f, "%s\n", line);
        fclose(f);
    }
}

/* The number in NAME beside MODULE, or FALLBACK when there is no such file. */
static inline int ReadNumber(HMODULE module, const char *name, int fallback) {
    char path[MAX_PATH + 32];
    BesideModule(module, name, path, MAX_PATH);
    FILE *f = fopen(path, "r");
    if (!f)
        return fallback;
    int value = fallback;
    if (fscanf(f, "%d", &value) != 1)
        value = fallback;
    fclose(f);
    return value;
}
