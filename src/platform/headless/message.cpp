#include "platform/headless/message.h"

namespace headless {

void ResetMessages() {}

} // namespace headless
