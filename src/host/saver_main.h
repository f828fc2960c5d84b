// The process entry and the command-line modes: owns module_instance, consumer_platform and the
// fault guard's saved filter. The runtime's start-up code calls SaverEntry, which never returns;
// SaverMain runs exactly one mode and returns its exit code (-1: the mode cannot run).
// ResetHost returns the host to the state of a freshly started process by calling each host
// file's own reset, this file's included.
#pragma once

#include <cstdint>

#include "platform/win32.h"

extern HINSTANCE module_instance;
extern bool consumer_platform;

// What the first letter of the command-line tail asks for.
enum class SaverMode {
    kConfigureNoOwner, // end of text: the dialog has no owner
    kConfigure,        // "C": the owner is read after a colon, else the foreground window
    kFullScreen,       // "S"
    kPreview,          // "P" or "L": a window handle is required
    kChangePassword,   // "A": consumer platform only
    kInvalid,          // anything else
};

// The mode and, where the mode reads a handle, where that handle's text starts (none for a
// configure mode without a colon).
struct SaverCommand {
    SaverMode mode;
    const char *argument;
};

[[noreturn]] void SaverEntry();
const char *SkipProgramPath(const char *command_line);
int SaverMain(HINSTANCE instance, const char *tail);
SaverCommand ReadSaverCommand(const char *tail);
HWND ParseWindowHandle(const char *text);

void ResetHost();
