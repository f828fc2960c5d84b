#include "platform/headless/headless.h"

namespace headless {

void Reset() {
    ResetProcess();
    ResetModules();
    ResetRegistry();
    ResetDialogs();
    ResetMessages();
    ResetWindows();
    ResetGdi();
}

} // namespace headless
