// The one platform header of the product code. On Windows it is the real API; elsewhere it is
// the headless platform, which declares exactly the subset of Win32 that the saver calls, so a
// call outside that subset fails to build.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#else
#include "platform/headless/windows.h"
#endif
