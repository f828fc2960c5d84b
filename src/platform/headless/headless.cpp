#include "platform/headless/headless.h"

namespace headless {

void Reset() {
    ResetProcess();
    ResetFiles();
    ResetMessageBoxes();
    ResetModules();
    ResetRegistry();
    ResetDialogs();
    ResetMessages();
    ResetWindows();
    ResetGdi();
}

} // namespace headless
