#include "platform/headless/module.h"

#include <strings.h>
#include <cstdint>

namespace {

struct Module {
    std::map<std::string, FARPROC> entries;
    int references = 0;
    int loads = 0;
};

// The classic image base of an executable; a component's handle is its record's address.
const HINSTANCE executable_instance = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));

// By file name, whatever its letter case.
struct CaseInsensitive {
    bool operator()(const std::string &a, const std::string &b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};
std::map<std::string, Module, CaseInsensitive> modules;

Module *Find(const char *name) {
    auto it = name != nullptr ? modules.find(name) : modules.end();
    return it != modules.end() ? &it->second : nullptr;
}

// A loaded module by its handle; freed modules are not found.
Module *FindLoaded(HMODULE handle) {
    for (auto &entry : modules)
        if (reinterpret_cast<HMODULE>(&entry.second) == handle && entry.second.references > 0)
            return &entry.second;
    return nullptr;
}

} // namespace

namespace headless {

void ResetModules() {
    modules.clear();
}

void RegisterModule(const char *file_name, const std::map<std::string, FARPROC> &entries) {
    modules[file_name].entries = entries;
}

int ModuleLoadCount(const char *file_name) {
    const Module *module = Find(file_name);
    return module ? module->loads : 0;
}

int ModuleReferences(const char *file_name) {
    const Module *module = Find(file_name);
    return module ? module->references : 0;
}

HINSTANCE ExecutableInstance() {
    return executable_instance;
}

} // namespace headless

HMODULE WINAPI GetModuleHandleA(LPCSTR module_name) {
    if (!module_name)
        return executable_instance;
    Module *module = Find(module_name);
    return module && module->references > 0 ? reinterpret_cast<HMODULE>(module) : nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR file_name) {
    Module *module = Find(file_name);
    if (!module)
        return nullptr;
    ++module->references;
    ++module->loads;
    return reinterpret_cast<HMODULE>(module);
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR proc_name) {
    const Module *module = FindLoaded(handle);
    // Entries are looked up by name only; an ordinal (a "name" below 0x10000) finds nothing.
    if (!module || reinterpret_cast<uintptr_t>(proc_name) < 0x10000)
        return nullptr;
    auto it = module->entries.find(proc_name);
    return it == module->entries.end() ? nullptr : it->second;
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
    Module *module = FindLoaded(handle);
    if (!module)
        return FALSE;
    --module->references;
    return TRUE;
}
