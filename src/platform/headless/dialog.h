// Test and tool controls of the headless dialog area (dialog.cpp).
#pragma once

#include "platform/headless/windows.h"

namespace headless {

void ResetDialogs();

} // namespace headless
