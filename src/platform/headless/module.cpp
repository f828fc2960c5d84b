#include "platform/headless/module.h"

namespace headless {

void ResetModules() {}

} // namespace headless
