// What tests and tools use to set up and watch the headless platform: one header per area, each
// owned by the file that implements it, and Reset, which returns every area to the state of a
// freshly started process.
#pragma once

#include "platform/headless/windows.h"
#include "platform/headless/characters.h"
#include "platform/headless/fakes.h"
#include "platform/headless/file.h"
#include "platform/headless/gdi.h"
#include "platform/headless/module.h"
#include "platform/headless/process.h"

namespace headless {

inline void Reset() {
    ResetProcess();
    ResetFiles();
    ResetModules();
    ResetCalls();
    ResetGdi();
}

} // namespace headless
