#include "platform/headless/window.h"

namespace headless {

void ResetWindows() {}

} // namespace headless
