#include "platform/headless/registry.h"

namespace headless {

void ResetRegistry() {}

} // namespace headless
