// Test controls of the headless registry (registry.cpp): the one value the saver reads,
// "ScreenSaveUsePassword" under "Control Panel\Desktop" of the current user. The key opens only
// while the value is set; names are compared without letter case.
#pragma once

#include <cstddef>

#include "platform/headless/windows.h"

namespace headless {

void ResetRegistry();

// The value's bytes, whatever their length; NULL removes the value and its key.
void SetPasswordSetting(const void *data, size_t size);
// Keys opened and not yet closed.
int OpenRegistryKeys();

} // namespace headless
