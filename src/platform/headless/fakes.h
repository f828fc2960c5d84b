// Test controls of the recorded calls (fakes.cpp): the window system (windows, messages, timers,
// dialogs, the cursor, the foreground), the registry, string resources and the last-chance fault
// report have no behaviour here. Each such call appends one line to the call log,
// "PostMessageA(7, 16, 0, 0)" (numbers and handles in decimal, texts quoted, out-parameters left
// out), and answers what the test set for that function, else 0: no window, no message, success
// for the registry with every value 0. An out-parameter (a POINT, a RECT, a MSG, a key, a value's
// bytes) is cleared, then takes the value set with the answer. SendMessageA also hands the message
// to the window procedure a test installed, where the decision logic needs it to come back.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/headless/characters.h"
#include "platform/headless/windows.h"

namespace headless {

void ResetCalls();

void SetAnswer(const char *function, intptr_t result, const void *out = nullptr, size_t size = 0);
template <typename Out> void SetAnswer(const char *function, intptr_t result, const Out &out) {
    SetAnswer(function, result, &out, sizeof out);
}
void SetWindowProcedure(WNDPROC procedure);

const std::vector<std::string> &CallLog();
void ClearCallLog();
// The log's lines for one function, in order.
std::vector<std::string> CallsTo(const char *function);

// How the log writes an argument: a text quoted (a wide one in UTF-8); a resource number (below
// 0x10000), every other pointer and every number in decimal.
template <typename T> std::string ArgumentText(T value) {
    if constexpr (std::is_same_v<T, const char *> || std::is_same_v<T, char *>) {
        if (reinterpret_cast<uintptr_t>(value) >= 0x10000)
            return "\"" + std::string(value) + "\"";
    }
    if constexpr (std::is_same_v<T, const WCHAR *> || std::is_same_v<T, WCHAR *>) {
        if (reinterpret_cast<uintptr_t>(value) >= 0x10000)
            return "\"" + AnsiText(value) + "\"";
    }
    if constexpr (std::is_null_pointer_v<T>)
        return "0";
    else if constexpr (std::is_pointer_v<T>)
        return std::to_string(reinterpret_cast<uintptr_t>(value));
    else
        return std::to_string(value);
}

// The log line of a call; tests write the lines they expect with it.
template <typename... Args> std::string CallText(const char *function, const Args &...args) {
    std::string list;
    ((list += (list.empty() ? "" : ", ") + ArgumentText(args)), ...);
    return std::string(function) + "(" + list + ")";
}

} // namespace headless
