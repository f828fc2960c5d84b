// Shared by the Win32 statements (window, message, timer) and the headless platform's tests: a
// window class whose procedure records every message it gets and passes it on to DefWindowProcA,
// with answers that a test can override per message, so that a test can compare what a window
// saw with what Windows sends.
// Tests leave nothing behind (windows destroyed, queue drained), since the same process runs
// them all, on Windows too.
#pragma once

#include "platform/win32.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace message_log {

struct Entry {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

inline std::vector<Entry> entries;
// Messages answered by the test instead of DefWindowProcA.
inline std::map<UINT, LRESULT> answers;

inline LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    entries.push_back({window, message, wparam, lparam});
    auto answer = answers.find(message);
    if (answer != answers.end())
        return answer->second;
    return DefWindowProcA(window, message, wparam, lparam);
}

constexpr const char *class_name = "FrellisRecordingWindow";

inline void RegisterRecordingClass() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = RecordingProc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassA(&window_class); // fails harmlessly when an earlier test registered it
}

inline HWND CreatePopup(const char *title, DWORD style = WS_POPUP, int x = 0, int y = 0,
                        int width = 200, int height = 100) {
    return CreateWindowExA(0, class_name, title, style, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

inline HWND CreateChild(HWND parent, int id, int x = 0, int y = 0, int width = 50,
                        int height = 20) {
    return CreateWindowExA(0, class_name, "", WS_CHILD, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

// The messages that `window` got, in order, among those listed in `interesting`.
inline std::vector<UINT> MessagesOf(HWND window, const std::vector<UINT> &interesting) {
    std::vector<UINT> result;
    for (const Entry &entry : entries)
        for (UINT message : interesting)
            if (entry.window == window && entry.message == message)
                result.push_back(message);
    return result;
}

// Takes every pending message off the queue and dispatches it; a WM_QUIT is taken and dropped.
inline void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT)
            DispatchMessageA(&msg);
}

class RecordingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterRecordingClass();
        entries.clear();
        answers.clear();
    }
    void TearDown() override {
        for (HWND window : created_)
            if (IsWindow(window))
                DestroyWindow(window);
        Drain();
        answers.clear();
    }
    HWND Keep(HWND window) {
        created_.push_back(window);
        return window;
    }

  private:
    std::vector<HWND> created_;
};

} // namespace message_log
