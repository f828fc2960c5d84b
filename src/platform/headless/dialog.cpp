#include "platform/headless/dialog.h"

namespace headless {

void ResetDialogs() {}

} // namespace headless
