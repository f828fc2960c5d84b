// What tests and tools use to set up and watch the headless platform: one header per API area,
// each owned by the file that implements that area, and Reset, which returns every area to the
// state of a freshly started process.
#pragma once

#include "platform/headless/windows.h"
#include "platform/headless/gdi.h"
#include "platform/headless/process.h"
#include "platform/headless/window.h"
#include "platform/headless/message.h"
#include "platform/headless/registry.h"
#include "platform/headless/module.h"
#include "platform/headless/dialog.h"
#include "platform/headless/file.h"

namespace headless {

inline void Reset() {
    ResetProcess();
    ResetFiles();
    ResetModules();
    ResetRegistry();
    ResetDialogs();
    ResetMessages();
    ResetWindows();
    ResetGdi();
}

} // namespace headless
