#include "platform/headless/headless.h"

namespace headless {

void Reset() {
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
