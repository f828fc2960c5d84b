// Test controls of the headless registry (registry.cpp): an in-memory tree of keys and values.
#pragma once

#include <cstddef>

#include "platform/headless/windows.h"

namespace headless {

void ResetRegistry();

// Sets a value's bytes under a key path such as "Control Panel\\Desktop" (created as needed).
void SetRegistryValue(HKEY root, const char *key_path, const char *value_name, DWORD type,
                      const void *data, size_t size);
// Keys opened and not yet closed.
int OpenRegistryKeys();

} // namespace headless
