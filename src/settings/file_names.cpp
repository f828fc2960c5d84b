#include "settings/file_names.h"

#include <cstring>
#include <vector>

#include "host/saver_main.h"

std::wstring WideFromAnsi(const char *text) {
    if (text == nullptr)
        return std::wstring();
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::vector<WCHAR> wide(static_cast<size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    return wide.data();
}

std::string AnsiFromWide(const WCHAR *text) {
    if (text == nullptr)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> ansi(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), size, nullptr, nullptr);
    return ansi.data();
}

std::wstring ProgramCommandLine() {
    if (!consumer_platform) {
        const WCHAR *line = GetCommandLineW();
        return line != nullptr ? line : L"";
    }
    return WideFromAnsi(GetCommandLineA());
}

DWORD ReadEnvironmentVariable(const char *name, WCHAR *buffer, DWORD size) {
    if (!consumer_platform)
        return GetEnvironmentVariableW(WideFromAnsi(name).c_str(), buffer, size);
    // Two bytes a character at most in an ANSI code page: a value that does not fit here would
    // not fit the caller's buffer either.
    std::vector<char> value(2 * static_cast<size_t>(size) + 2, '\0');
    const DWORD length =
        GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size())
        return length;
    const std::wstring wide = WideFromAnsi(value.data());
    if (wide.size() >= size)
        return static_cast<DWORD>(wide.size() + 1);
    std::memcpy(buffer, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(wide.size());
}

DWORD ReadProfileText(const char *section, const char *key, const WCHAR *default_text,
                      WCHAR *buffer, DWORD size, const WCHAR *path) {
    if (!consumer_platform)
        return GetPrivateProfileStringW(WideFromAnsi(section).c_str(), WideFromAnsi(key).c_str(),
                                        default_text, buffer, size, path);
    // Room for the characters the caller has room for, two bytes each at most in an ANSI code
    // page, and one more, so that a cut value still shows as one that fills the buffer.
    std::vector<char> value(2 * static_cast<size_t>(size) + 2, '\0');
    GetPrivateProfileStringA(section, key, AnsiFromWide(default_text).c_str(), value.data(),
                             static_cast<DWORD>(value.size()), AnsiFromWide(path).c_str());
    const std::wstring wide = WideFromAnsi(value.data());
    if (size == 0)
        return 0;
    const size_t count = std::min(wide.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, wide.data(), count * sizeof(WCHAR));
    buffer[count] = L'\0';
    return static_cast<DWORD>(count);
}

bool WriteProfileText(const char *section, const char *key, const WCHAR *text, const WCHAR *path) {
    if (!consumer_platform)
        return WritePrivateProfileStringW(WideFromAnsi(section).c_str(), WideFromAnsi(key).c_str(),
                                          text, path) != FALSE;
    return WritePrivateProfileStringA(section, key,
                                      text != nullptr ? AnsiFromWide(text).c_str() : nullptr,
                                      AnsiFromWide(path).c_str()) != FALSE;
}

DWORD FileAttributes(const WCHAR *path) {
    return consumer_platform ? GetFileAttributesA(AnsiFromWide(path).c_str())
                             : GetFileAttributesW(path);
}

HANDLE OpenFileNamed(const WCHAR *path, DWORD access, DWORD share, DWORD disposition) {
    if (!consumer_platform)
        return CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    return CreateFileA(AnsiFromWide(path).c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool DeleteFileNamed(const WCHAR *path) {
    return (consumer_platform ? DeleteFileA(AnsiFromWide(path).c_str()) : DeleteFileW(path)) !=
           FALSE;
}

bool MakeFolder(const WCHAR *path) {
    return (consumer_platform ? CreateDirectoryA(AnsiFromWide(path).c_str(), nullptr)
                              : CreateDirectoryW(path, nullptr)) != FALSE;
}

bool RemoveFolder(const WCHAR *path) {
    return (consumer_platform ? RemoveDirectoryA(AnsiFromWide(path).c_str())
                              : RemoveDirectoryW(path)) != FALSE;
}
