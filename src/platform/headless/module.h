// Test controls of the headless modules (module.cpp): a table of stand-in components by file name
// (PASSWORD.CPL, MPR.DLL, IMM32.DLL), each with its entries, that LoadLibraryA loads and
// GetModuleHandleA finds only while loaded. Names are compared without letter case; loads are
// counted, so a test sees what was loaded and what is still held.
#pragma once

#include <map>
#include <string>

#include "platform/headless/windows.h"

namespace headless {

void ResetModules();

void RegisterModule(const char *file_name, const std::map<std::string, FARPROC> &entries);
// LoadLibraryA calls that found file_name, and the references held now (loads less frees).
int ModuleLoadCount(const char *file_name);
int ModuleReferences(const char *file_name);

// The executable's own instance, what GetModuleHandleA(NULL) returns.
HINSTANCE ExecutableInstance();

} // namespace headless
