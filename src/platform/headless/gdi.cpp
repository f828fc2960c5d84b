#include "platform/headless/gdi.h"

namespace headless {

void ResetGdi() {}

} // namespace headless
