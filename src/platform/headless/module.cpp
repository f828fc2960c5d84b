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

// The classic image base of an executable; components get handles of their own far from it.
const HINSTANCE executable_instance = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
constexpr uintptr_t first_module_value = 0x10000000;
constexpr uintptr_t module_value_step = 0x10000;

std::vector<Module> modules;

// Windows looks a module up by its file name: a directory is ignored, a name without an
// extension means ".DLL", and a trailing dot means no extension at all.
std::string FileName(const char *name) {
    std::string result = name;
    const size_t slash = result.find_last_of("\\/");
    if (slash != std::string::npos)
        result.erase(0, slash + 1);
    if (result.find('.') == std::string::npos)
        result += ".DLL";
    else if (!result.empty() && result.back() == '.')
        result.pop_back();
    return result;
}

Module *FindByName(const char *name) {
    if (!name)
        return nullptr;
    const std::string wanted = FileName(name);
    for (Module &module : modules)
        if (strcasecmp(module.file_name.c_str(), wanted.c_str()) == 0)
            return &module;
    return nullptr;
}

HMODULE HandleOf(const Module &module) {
    const uintptr_t index = static_cast<uintptr_t>(&module - modules.data());
    return reinterpret_cast<HMODULE>(first_module_value + index * module_value_step);
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
    if (Module *existing = FindByName(file_name)) {
        existing->entries = entries;
        return;
    }
    modules.push_back({FileName(file_name), entries, 0, 0});
}

void PreloadModule(const char *file_name) {
    if (Module *module = FindByName(file_name))
        ++module->references;
}

bool ModuleLoaded(const char *file_name) {
    return ModuleReferences(file_name) > 0;
}

int ModuleLoadCount(const char *file_name) {
    const Module *module = FindByName(file_name);
    return module ? module->loads : 0;
}

int ModuleReferences(const char *file_name) {
    const Module *module = FindByName(file_name);
    return module ? module->references : 0;
}

HINSTANCE ExecutableInstance() {
    return executable_instance;
}

} // namespace headless

HMODULE WINAPI GetModuleHandleA(LPCSTR module_name) {
    if (!module_name)
        return executable_instance;
    const Module *module = FindByName(module_name);
    return module && module->references > 0 ? HandleOf(*module) : nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR file_name) {
    Module *module = FindByName(file_name);
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
    if (handle == executable_instance)
        return TRUE;
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
