#include "platform/headless/registry.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Value {
    DWORD type;
    std::vector<BYTE> data;
};

// Keys by their full path in lower case, from the predefined key's number in decimal
// ("2147483649\control panel\desktop"); a key exists when it holds a value or lies on the path
// to one.
std::map<std::string, std::map<std::string, Value>> keys;
std::map<HKEY, std::string> open_keys;
uintptr_t next_key_value = 0x100;

std::string Lower(const char *text) {
    std::string result = text ? text : "";
    for (char &c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

bool IsPredefined(HKEY key) {
    return reinterpret_cast<uintptr_t>(key) >= 0x80000000u;
}

// The path a handle stands for, or false for a handle that is neither predefined nor open.
bool KeyPath(HKEY key, std::string *path) {
    if (IsPredefined(key)) {
        *path = std::to_string(reinterpret_cast<uintptr_t>(key) & 0xFFFFFFFF);
        return true;
    }
    auto it = open_keys.find(key);
    if (it == open_keys.end())
        return false;
    *path = it->second;
    return true;
}

bool KeyExists(const std::string &path) {
    auto it = keys.lower_bound(path);
    return it != keys.end() &&
           (it->first == path || it->first.compare(0, path.size() + 1, path + "\\") == 0);
}

} // namespace

namespace headless {

void ResetRegistry() {
    keys.clear();
    open_keys.clear();
    next_key_value = 0x100;
}

void SetRegistryValue(HKEY root, const char *key_path, const char *value_name, DWORD type,
                      const void *data, size_t size) {
    std::string path;
    KeyPath(root, &path);
    if (key_path && *key_path)
        path += "\\" + Lower(key_path);
    const BYTE *bytes = static_cast<const BYTE *>(data);
    keys[path][Lower(value_name)] = {type, std::vector<BYTE>(bytes, bytes + size)};
}

int OpenRegistryKeys() {
    return static_cast<int>(open_keys.size());
}

} // namespace headless

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR sub_key, PHKEY result) {
    std::string path;
    if (!KeyPath(key, &path))
        return ERROR_INVALID_HANDLE;
    // No sub key names the key itself; Windows hands a predefined key back as it is.
    if (!sub_key || !*sub_key) {
        if (IsPredefined(key)) {
            *result = key;
            return ERROR_SUCCESS;
        }
    } else {
        path += "\\" + Lower(sub_key);
    }
    if (!KeyExists(path))
        return ERROR_FILE_NOT_FOUND;
    *result = reinterpret_cast<HKEY>(next_key_value);
    next_key_value += 4;
    open_keys[*result] = path;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD data_size) {
    std::string path;
    if (!KeyPath(key, &path))
        return ERROR_INVALID_HANDLE;
    if (data && !data_size)
        return ERROR_INVALID_PARAMETER;
    auto key_it = keys.find(path);
    if (key_it == keys.end())
        return ERROR_FILE_NOT_FOUND;
    auto value_it = key_it->second.find(Lower(value_name));
    if (value_it == key_it->second.end())
        return ERROR_FILE_NOT_FOUND;
    const Value &value = value_it->second;
    if (type)
        *type = value.type;
    if (!data_size)
        return ERROR_SUCCESS;
    const DWORD size = static_cast<DWORD>(value.data.size());
    const DWORD room = *data_size;
    *data_size = size;
    if (!data)
        return ERROR_SUCCESS;
    if (room < size)
        return ERROR_MORE_DATA;
    if (size)
        std::memcpy(data, value.data.data(), size);
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
    if (IsPredefined(key))
        return ERROR_SUCCESS;
    return open_keys.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
