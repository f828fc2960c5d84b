// Test controls of the headless message box (message_box.cpp): every box shown is recorded, and
// the user acknowledges it at once with its only button.
#pragma once

#include <string>
#include <vector>

#include "platform/headless/windows.h"

namespace headless {

void ResetMessageBoxes();

struct ShownMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
// The boxes shown since the last reset, oldest first.
const std::vector<ShownMessageBox> &MessageBoxes();

} // namespace headless
