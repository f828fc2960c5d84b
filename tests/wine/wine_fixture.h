// What every test of the product on the real window system starts from: the host and the
// settings as in a freshly started saver process, module_instance this executable (which carries
// the saver's resources), and a settings file of the test's own. The settings go to the user's
// file below an APPDATA of our own, which every load reads first, so nothing is read from or
// written beside the test executable.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/saver_main.h"
#include "platform/win32.h"
#include "settings/settings_store.h"

namespace wine_test {

inline std::string AppDataFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + "frellis-wine-tests-" + std::to_string(GetCurrentProcessId());
}

inline std::string SettingsFile() {
    return AppDataFolder() + "\\Frellis\\Frellis.ini";
}

// The file's whole text; an empty file gives every setting its default.
inline void WriteSettingsFile(const std::string &text) {
    HANDLE file = CreateFileA(SettingsFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << SettingsFile();
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// A key of section Setting as the file holds it, "(none)" when it is missing.
inline std::string StoredSetting(const char *key) {
    char value[32] = {};
    GetPrivateProfileStringA("Setting", key, "(none)", value, sizeof value, SettingsFile().c_str());
    return value;
}

inline FILETIME SettingsFileWritten() {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(SettingsFile().c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// A visible borderless window of the test's own, its class registered on the way (the test
// unregisters it).
inline HWND CreatePopup(const char *class_name, WNDPROC procedure, const char *title,
                        const RECT &rect) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = module_instance;
    window_class.lpszClassName = class_name;
    RegisterClassA(&window_class);
    return CreateWindowExA(0, class_name, title, WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                           module_instance, nullptr);
}

class WineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetHost();
        ResetSettings();
        module_instance = GetModuleHandleA(nullptr);
        const std::string folder = AppDataFolder();
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "\\Frellis").c_str(), nullptr);
        SetEnvironmentVariableA("APPDATA", folder.c_str());
        WriteSettingsFile("");
    }

    void TearDown() override {
        // Each run registers the class anew.
        UnregisterClassA("WindowsScreenSaverClass", module_instance);
        const std::string folder = AppDataFolder();
        DeleteFileA(SettingsFile().c_str());
        RemoveDirectoryA((folder + "\\Frellis").c_str());
        RemoveDirectoryA(folder.c_str());
    }
};

} // namespace wine_test
