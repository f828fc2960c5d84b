// Test controls and shared helpers of the headless character area (characters.cpp): wide text
// as the ANSI calls here take it, and back. The ANSI code page is UTF-8, the host's own encoding
// of file names, so every wide call is its ANSI form with the text converted, as on Windows the
// ANSI forms are the wide ones with the text converted.
#pragma once

#include <string>

#include "platform/headless/windows.h"

namespace headless {

// UTF-8 text of wide text (empty for none); a character that UTF-8 cannot hold becomes U+FFFD.
std::string AnsiText(LPCWSTR text);
// Wide text of UTF-8 text (empty for none); a byte that begins no character becomes U+FFFD.
std::wstring WideText(const char *text);

} // namespace headless
