#include "platform/headless/process.h"

#include <string>

namespace {

std::string command_line;

} // namespace

namespace headless {

void ResetProcess() { command_line.clear(); }

void SetCommandLine(const char *text) { command_line = text; }

} // namespace headless

LPSTR WINAPI GetCommandLineA() { return command_line.data(); }
