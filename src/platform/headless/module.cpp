#include "platform/headless/module.h"

#include <cstdint>
#include <strings.h>
#include <vector>

namespace {

struct Module {
    std::string file_name;
    std::map<std::string, FARPROC> entries;
    int references = 0;
    int loads = 0;
};

// The classic image base of an executable; a component's handle is its place in the table.
const HINSTANCE executable_instance = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
constexpr uintptr_t kFirstModule = 0x10000000;
constexpr uintptr_t kModuleStep = 0x10000;

std::vector<Module> modules;

Module *Find(const char *name) {
    for (Module &module : modules)
        if (name != nullptr && strcasecmp(module.file_name.c_str(), name) == 0)
            return &module;
    return nullptr;
}

HMODULE HandleOf(const Module &module) {
    return reinterpret_cast<HMODULE>(kFirstModule + size_t(&module - modules.data()) * kModuleStep);
}

// A loaded module by its handle; freed modules are not found.
Module *FindLoaded(HMODULE handle) {
    for (Module &module : modules)
        if (HandleOf(module) == handle && module.references > 0)
            return &module;
    return nullptr;
}

} // namespace

namespace headless {

void ResetModules() {
    modules.clear();
}

void RegisterModule(const char *file_name, const std::map<std::string, FARPROC> &entries) {
    if (Module *existing = Find(file_name))
        existing->entries = entries;
    else
        modules.push_back({file_name, entries, 0, 0});
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
    const Module *module = Find(module_name);
    return module && module->references > 0 ? HandleOf(*module) : nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR file_name) {
    Module *module = Find(file_name);
    if (!module)
        return nullptr;
    ++module->references;
    ++module->loads;
    return HandleOf(*module);
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

// The headless executable carries no string table (the resources live in the Windows build's
// resource script), so every string is missing: the caller gets an empty text and 0.
int WINAPI LoadStringA(HINSTANCE, UINT, LPSTR buffer, int size) {
    if (buffer != nullptr && size > 0)
        buffer[0] = '\0';
    return 0;
}
