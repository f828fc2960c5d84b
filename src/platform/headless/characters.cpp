// KERNEL32's wide forms of the calls the settings store makes, each its ANSI form (process.cpp,
// profile.cpp, file.cpp) with the text converted to UTF-8 and back, and the two conversions,
// MultiByteToWideChar and WideCharToMultiByte, for the ANSI code page that is UTF-8 here.
#include "platform/headless/characters.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/headless/file.h"

namespace {

void AppendUtf8(std::string &text, uint32_t code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code < 0x80) {
        text += static_cast<char>(code);
        return;
    }
    const int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    text += static_cast<char>(((0xFF00 >> (extra + 1)) & 0xFF) | (code >> (6 * extra)));
    for (int i = extra - 1; i >= 0; --i)
        text += static_cast<char>(0x80 | ((code >> (6 * i)) & 0x3F));
}

// Wide text as the ANSI calls take it, a null text staying null.
class Ansi {
  public:
    explicit Ansi(LPCWSTR text) : null_(text == nullptr), text_(headless::AnsiText(text)) {}
    operator LPCSTR() const { return null_ ? nullptr : text_.c_str(); }

  private:
    bool null_;
    std::string text_;
};

// Copies text into a caller's buffer of size characters, cut short to leave room for the
// terminator; the count of characters copied.
DWORD CopyWide(const std::wstring &text, WCHAR *buffer, size_t size) {
    if (buffer == nullptr || size == 0)
        return 0;
    const size_t count = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count * sizeof(WCHAR));
    buffer[count] = L'\0';
    return static_cast<DWORD>(count);
}

} // namespace

namespace headless {

std::string AnsiText(LPCWSTR text) {
    std::string result;
    for (; text != nullptr && *text != L'\0'; ++text)
        AppendUtf8(result, static_cast<uint32_t>(*text));
    return result;
}

std::wstring WideText(const char *text) {
    std::wstring result;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (p != nullptr && *p != '\0') {
        const int extra = *p >= 0xF0 && *p < 0xF5 ? 3 : *p >= 0xE0 ? 2 : *p >= 0xC2 ? 1 : 0;
        uint32_t code = extra == 0 ? *p : *p & (0x3F >> extra);
        int taken = 1;
        while (taken <= extra && (p[taken] & 0xC0) == 0x80)
            code = (code << 6) | (p[taken++] & 0x3F);
        const bool valid = (*p < 0x80 || extra > 0) && taken == extra + 1 &&
                           code >= (extra == 2   ? 0x800u
                                    : extra == 3 ? 0x10000u
                                                 : 0u);
        result += static_cast<WCHAR>(valid ? code : 0xFFFD);
        p += valid ? taken : 1;
    }
    return result;
}

} // namespace headless

LPWSTR WINAPI GetCommandLineW() {
    static std::wstring line;
    line = headless::WideText(GetCommandLineA());
    return line.data();
}

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    const Ansi ansi_name(name);
    const DWORD needed = GetEnvironmentVariableA(ansi_name, nullptr, 0);
    if (needed == 0)
        return 0;
    std::vector<char> value(needed);
    GetEnvironmentVariableA(ansi_name, value.data(), needed);
    const std::wstring wide = headless::WideText(value.data());
    // Too small a buffer gets nothing and learns the size it needs, terminator included.
    if (buffer == nullptr || size <= wide.size())
        return static_cast<DWORD>(wide.size() + 1);
    return CopyWide(wide, buffer, size);
}

DWORD WINAPI GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR default_text,
                                      LPWSTR buffer, DWORD size, LPCWSTR file_name) {
    // The whole value first, so that it is cut in characters rather than in bytes.
    std::vector<char> value(64);
    for (;; value.resize(value.size() * 2)) {
        const DWORD count =
            GetPrivateProfileStringA(Ansi(section), Ansi(key), Ansi(default_text), value.data(),
                                     static_cast<DWORD>(value.size()), Ansi(file_name));
        if (count + 1 < value.size())
            break;
    }
    return CopyWide(headless::WideText(value.data()), buffer, size);
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR text,
                                       LPCWSTR file_name) {
    return WritePrivateProfileStringA(Ansi(section), Ansi(key), Ansi(text), Ansi(file_name));
}

DWORD WINAPI GetFileAttributesW(LPCWSTR file_name) {
    return GetFileAttributesA(Ansi(file_name));
}

BOOL WINAPI CreateDirectoryW(LPCWSTR path, void *security) {
    return CreateDirectoryA(Ansi(path), security);
}

BOOL WINAPI RemoveDirectoryW(LPCWSTR path) {
    return RemoveDirectoryA(Ansi(path));
}

BOOL WINAPI DeleteFileW(LPCWSTR file_name) {
    return DeleteFileA(Ansi(file_name));
}

HANDLE WINAPI CreateFileW(LPCWSTR file_name, DWORD access, DWORD share, void *security,
                          DWORD disposition, DWORD flags, HANDLE template_file) {
    return CreateFileA(Ansi(file_name), access, share, security, disposition, flags, template_file);
}

// Both conversions take a terminated text (length -1) and convert the terminator along; a size of
// 0 asks for the room needed, and too small a buffer gets nothing (ERROR_INSUFFICIENT_BUFFER).
namespace {

template <typename To> int Converted(const To &text, typename To::value_type *buffer, int size) {
    const size_t needed = text.size() + 1;
    if (size == 0)
        return static_cast<int>(needed);
    if (buffer == nullptr || static_cast<size_t>(size) < needed) {
        headless::SetLastErrorTo(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, text.c_str(), needed * sizeof *buffer);
    return static_cast<int>(needed);
}

} // namespace

int WINAPI MultiByteToWideChar(UINT, DWORD, LPCSTR text, int length, LPWSTR buffer, int size) {
    if (text == nullptr || length != -1) {
        headless::SetLastErrorTo(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Converted(headless::WideText(text), buffer, size);
}

int WINAPI WideCharToMultiByte(UINT, DWORD, LPCWSTR text, int length, LPSTR buffer, int size,
                               LPCSTR, BOOL *used_default_char) {
    if (text == nullptr || length != -1) {
        headless::SetLastErrorTo(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // UTF-8 holds every character.
    if (used_default_char != nullptr)
        *used_default_char = FALSE;
    return Converted(headless::AnsiText(text), buffer, size);
}
