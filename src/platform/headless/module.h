// Test controls of the headless modules (module.cpp): a table of stand-in components by file
// name (PASSWORD.CPL, MPR.DLL, IMM32.DLL), each with its entries, that LoadLibraryA loads and
// GetModuleHandleA finds only while loaded. Loads are reference counted; names are compared
// without letter case, and a name without an extension means ".DLL", as on Windows.
#pragma once

#include <map>
#include <string>

#include "platform/headless/windows.h"

namespace headless {

void ResetModules();

// Makes a component available to LoadLibraryA under file_name (compared without letter case).
void RegisterModule(const char *file_name, const std::map<std::string, FARPROC> &entries);
// Marks a registered component as loaded at process start, as a system DLL would be.
void PreloadModule(const char *file_name);
bool ModuleLoaded(const char *file_name);
// LoadLibraryA calls that succeeded for file_name, and the references held now (loads and a
// preload, less FreeLibrary calls).
int ModuleLoadCount(const char *file_name);
int ModuleReferences(const char *file_name);

// The executable's own instance, what GetModuleHandleA(NULL) returns.
HINSTANCE ExecutableInstance();

} // namespace headless
