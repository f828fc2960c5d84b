/* Starts a program as Explorer and the Screen Saver settings start a saver: by its wide path with
   CreateProcessW, so that a path outside the ANSI code page reaches it whole. Command line:
   "appdata program [arguments...]"; appdata, unless it is "-", becomes the child's APPDATA
   (SetEnvironmentVariableW), as a user of that profile has it. It prints "acp <code page>" and
   ends with the program's exit code (255 when the program could not be started). */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

int wmain(int argc, wchar_t **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: launcher appdata|- program [arguments...]\n");
        return 2;
    }
    printf("acp %u\n", GetACP());
    fflush(stdout);
    if (wcscmp(argv[1], L"-") != 0)
        SetEnvironmentVariableW(L"APPDATA", argv[1]);
    /* The program quoted, as the shell writes it, then each argument after a blank. */
    static wchar_t line[32768];
    _snwprintf(line, 32767, L"\"%ls\"", argv[2]);
    for (int i = 3; i < argc; ++i) {
        wcsncat(line, L" ", 32767 - wcslen(line));
        wcsncat(line, argv[i], 32767 - wcslen(line));
    }
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(argv[2], line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "CreateProcessW failed: %lu\n", GetLastError());
        return 255;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(process.hProcess, &code);
    return (int)code;
}
