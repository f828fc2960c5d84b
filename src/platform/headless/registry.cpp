#include "platform/headless/registry.h"

#include <cstdint>
#include <cstring>
#include <strings.h>
#include <vector>

namespace {

const HKEY desktop_key = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x100));

struct State {
    bool present = false;
    std::vector<BYTE> value;
    int open_keys = 0;
} state;

} // namespace

namespace headless {

void ResetRegistry() {
    state = State();
}

void SetPasswordSetting(const void *data, size_t size) {
    const BYTE *bytes = static_cast<const BYTE *>(data);
    state.present = data != nullptr;
    state.value.assign(bytes, bytes + (data ? size : 0));
}

int OpenRegistryKeys() {
    return state.open_keys;
}

} // namespace headless

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR sub_key, PHKEY result) {
    if (key != HKEY_CURRENT_USER || !sub_key ||
        strcasecmp(sub_key, "Control Panel\\Desktop") != 0 || !state.present)
        return ERROR_FILE_NOT_FOUND;
    *result = desktop_key;
    ++state.open_keys;
    return ERROR_SUCCESS;
}

// Too small a buffer gets nothing and learns the size, as from Windows.
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD, LPDWORD, LPBYTE data,
                             LPDWORD data_size) {
    if (key != desktop_key)
        return ERROR_INVALID_HANDLE;
    if (!value_name || strcasecmp(value_name, "ScreenSaveUsePassword") != 0)
        return ERROR_FILE_NOT_FOUND;
    const DWORD size = static_cast<DWORD>(state.value.size());
    const DWORD room = *data_size;
    *data_size = size;
    if (room < size)
        return ERROR_MORE_DATA;
    if (size != 0)
        std::memcpy(data, state.value.data(), size);
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
    if (key != desktop_key || state.open_keys == 0)
        return ERROR_INVALID_HANDLE;
    --state.open_keys;
    return ERROR_SUCCESS;
}
