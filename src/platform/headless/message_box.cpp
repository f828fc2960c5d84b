// USER32's MessageBoxA without a screen: the box is recorded and answered with OK, as a user
// who reads it and presses its one button would.
#include "platform/headless/message_box.h"

namespace {

std::vector<headless::ShownMessageBox> shown_boxes;

} // namespace

namespace headless {

void ResetMessageBoxes() {
    shown_boxes.clear();
}

const std::vector<ShownMessageBox> &MessageBoxes() {
    return shown_boxes;
}

} // namespace headless

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // A null caption shows as "Error", as on Windows.
    shown_boxes.push_back({owner, text ? text : "", caption ? caption : "Error", type});
    return IDOK;
}
