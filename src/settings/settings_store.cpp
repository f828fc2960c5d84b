#include "settings/settings_store.h"

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

#include "platform/win32.h"
#include "settings/file_names.h"

const SettingKey setting_keys[kSettingCount] = {
    {"Polygon", 1, 8, 2, &SaverSettings::figure_count},
    {"Point", 2, 8, 4, &SaverSettings::corner_count},
    {"Line", 1, 32, 16, &SaverSettings::trail_length},
    {"Speed", 1, 20, 10, &SaverSettings::speed},
};
const char kSettingsSection[] = "Setting";
static const WCHAR kSettingsFileName[] = L"Frellis.ini";

// The key table's defaults, so that they are written down once.
static SaverSettings DefaultSettings() {
    SaverSettings settings = {};
    for (const SettingKey &row : setting_keys)
        settings.*row.field = row.default_value;
    return settings;
}

SaverSettings saver_settings = DefaultSettings();
WCHAR settings_path[kSettingsPathSize];
WCHAR user_settings_path[kSettingsPathSize];
char number_text[kNumberTextSize];

// The INI layer: the platform's profile functions, read with an empty default.
static uint32_t IniReadValue(const char *section, const char *key, WCHAR *buffer, uint32_t size,
                             const WCHAR *path) {
    return ReadProfileText(section, key, L"", buffer, size, path);
}

static bool IniWriteValue(const char *section, const char *key, const WCHAR *text,
                          const WCHAR *path) {
    return WriteProfileText(section, key, text, path);
}

// Below APPDATA: the folder that the user's own file lives in, and the file.
static const WCHAR kUserSettingsTail[] = L"\\Frellis\\Frellis.ini";

// Where the settings go when the command line names no directory we can address within
// settings_path (no backslash, an unterminated quote, or a path that would not fit): the
// current directory, written with a backslash so that the profile functions take it as a path
// rather than a bare name in the system directory.
static const WCHAR kFallbackDirectory[] = L".\\";

static WCHAR *UseFallbackDirectory(WCHAR *buffer) {
    std::memcpy(buffer, kFallbackDirectory, sizeof kFallbackDirectory);
    return buffer;
}

WCHAR *BuildSettingsDirectory(WCHAR *buffer) {
    if (buffer == nullptr)
        return nullptr;
    const std::wstring whole = ProgramCommandLine();
    const WCHAR *line = whole.c_str();
    // The program path: inside the quotes when it is quoted, else the whole line (the mode
    // arguments hold no backslash).
    const WCHAR *begin = line;
    const WCHAR *end = line + whole.size();
    if (*line == L'"') {
        begin = line + 1;
        end = std::wcschr(begin, L'"');
        if (end == nullptr)
            return UseFallbackDirectory(buffer);
    }
    const WCHAR *last_backslash = nullptr;
    for (const WCHAR *p = begin; p < end; ++p) {
        if (*p == L'\\')
            last_backslash = p;
    }
    if (last_backslash == nullptr)
        return UseFallbackDirectory(buffer);
    size_t length = static_cast<size_t>(last_backslash + 1 - begin);
    if (length >= static_cast<size_t>(kSettingsPathSize))
        return UseFallbackDirectory(buffer);
    std::wmemcpy(buffer, begin, length);
    buffer[length] = L'\0';
    return buffer;
}

// The file beside the executable, or in the current directory where that path would not fit.
static void BuildExecutableSettingsPath(WCHAR *path) {
    BuildSettingsDirectory(path);
    size_t directory_length = std::wcslen(path);
    if (directory_length + std::size(kSettingsFileName) > kSettingsPathSize) {
        UseFallbackDirectory(path);
        directory_length = std::wcslen(path);
    }
    std::memcpy(path + directory_length, kSettingsFileName, sizeof kSettingsFileName);
}

// \\server\share: two backslashes, a server name, a backslash and a share name.
static bool NamesShare(const WCHAR *folder) {
    if (folder[0] != L'\\' || folder[1] != L'\\' || folder[2] == L'\\' || folder[2] == L'\0')
        return false;
    const WCHAR *share = std::wcschr(folder + 2, L'\\');
    return share != nullptr && share[1] != L'\0' && share[1] != L'\\';
}

WCHAR *BuildUserSettingsPath(WCHAR *buffer) {
    if (buffer == nullptr)
        return nullptr;
    buffer[0] = L'\0';
    WCHAR folder[kSettingsPathSize];
    // 0: not set or empty; the buffer's size or more: too long, and the buffer got nothing.
    const DWORD length = ReadEnvironmentVariable("APPDATA", folder, kSettingsPathSize);
    if (length == 0 || length >= kSettingsPathSize)
        return buffer;
    // No trailing backslash is dropped: a doubled one (C:\\Frellis) names the same folder.
    if (length + std::size(kUserSettingsTail) > static_cast<size_t>(kSettingsPathSize))
        return buffer;
    // A lone backslash, or two without both a server and a share name after them, would make the
    // path begin with a network share that APPDATA never named, looked up on every load.
    if (folder[0] == L'\\' && (length == 1 || folder[1] == L'\\') && !NamesShare(folder))
        return buffer;
    std::wmemcpy(buffer, folder, length);
    std::memcpy(buffer + length, kUserSettingsTail, sizeof kUserSettingsTail);
    return buffer;
}

static bool IsFile(const WCHAR *path) {
    const DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void LoadSettings() {
    BuildExecutableSettingsPath(settings_path);
    BuildUserSettingsPath(user_settings_path);
    // A user who saved their own settings gets them; everyone else gets the file beside the
    // executable, which an administrator may have set up for all.
    if (user_settings_path[0] != L'\0' && IsFile(user_settings_path))
        std::memcpy(settings_path, user_settings_path, sizeof settings_path);
    for (const SettingKey &row : setting_keys) {
        saver_settings.*row.field = ReadSetting(settings_path, kSettingsSection, row.key,
                                                row.minimum, row.maximum, row.default_value);
    }
}

// How many keys went in: all four, or those before the first that could not be written, which
// leaves its last-error value.
static int WriteAllSettings(const WCHAR *path) {
    int written = 0;
    while (written < kSettingCount &&
           WriteSetting(path, kSettingsSection, setting_keys[written].key,
                        saver_settings.*setting_keys[written].field))
        ++written;
    return written;
}

// A key as a file holds it: its whole text, or not there at all.
struct KeyState {
    bool present;
    std::wstring text;
};

// Read while the caller holds the file open (OpenToRead), so that no other program can take the
// file for itself half-way: the profile functions would answer as for a missing key.
static void ReadKeyStates(const WCHAR *path, KeyState states[kSettingCount]) {
    for (int i = 0; i < kSettingCount; ++i) {
        std::wstring &text = states[i].text;
        uint32_t count = 0;
        // A value that fills the buffer may have been cut: read again with twice the room.
        for (text.assign(64, L'\0');; text.assign(text.size() * 2, L'\0')) {
            count = IniReadValue(kSettingsSection, setting_keys[i].key, &text[0],
                                 static_cast<uint32_t>(text.size()), path);
            if (count + 1 < text.size())
                break;
        }
        text.resize(count);
        // Nothing read is an empty value, or no key: only a missing key gives the default back.
        WCHAR probe[2];
        states[i].present = count > 0 || ReadProfileText(kSettingsSection, setting_keys[i].key,
                                                         L"0", probe, 2, path) == 0;
    }
}

// The file held open for reading while its keys are read: others may read it meanwhile, none
// may write it or take it for itself. OPEN_ALWAYS makes the file when it is missing.
static HANDLE OpenToRead(const WCHAR *path, DWORD disposition) {
    return OpenFileNamed(path, GENERIC_READ, FILE_SHARE_READ, disposition);
}

// Gives a file that a save failed on what it held before: a file the save made goes again;
// otherwise each key the save wrote or tried to write gets its old text back, or goes again,
// where it differs. False when the file may still hold a mix.
static bool PutBack(const WCHAR *path, bool created, const KeyState before[kSettingCount],
                    int tried) {
    if (created)
        return DeleteFileNamed(path);
    const HANDLE file = OpenToRead(path, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    KeyState now[kSettingCount];
    ReadKeyStates(path, now);
    CloseHandle(file);
    bool restored = true;
    for (int i = 0; i < tried; ++i) {
        if (now[i].present == before[i].present && now[i].text == before[i].text)
            continue;
        restored &= IniWriteValue(kSettingsSection, setting_keys[i].key,
                                  before[i].present ? before[i].text.c_str() : nullptr, path);
    }
    return restored;
}

static FileFailure *NoteFailure(SaveFailure *failure, const WCHAR *path) {
    FileFailure *file = &failure->files[failure->count++];
    file->error = GetLastError();
    file->mixed = false;
    std::memcpy(file->path, path, sizeof file->path);
    return file;
}

// All four keys into one file, or none: a file is written only when what it held could be read
// first, so that a failure can put exactly that back. The user's file gets its folder made when
// it is gone (and removed again, if still empty, when the save fails there).
static bool SaveTo(const WCHAR *path, SaveFailure *failure) {
    WCHAR folder[kSettingsPathSize] = {};
    bool made_folder = false;
    if (std::wcscmp(path, user_settings_path) == 0) {
        std::memcpy(folder, user_settings_path, sizeof folder);
        *std::wcsrchr(folder, L'\\') = L'\0';
        made_folder = MakeFolder(folder);
        if (!made_folder && GetLastError() != ERROR_ALREADY_EXISTS) {
            NoteFailure(failure, path);
            return false;
        }
    }
    const HANDLE file = OpenToRead(path, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        NoteFailure(failure, path);
    } else {
        const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
        KeyState before[kSettingCount];
        ReadKeyStates(path, before);
        CloseHandle(file);
        const int written = WriteAllSettings(path);
        if (written == kSettingCount)
            return true;
        FileFailure *noted = NoteFailure(failure, path);
        noted->mixed = !PutBack(path, created, before, written + 1);
    }
    if (made_folder)
        RemoveFolder(folder);
    return false;
}

int SaveSettings(SaveFailure *failure) {
    failure->count = 0;
    if (SaveTo(settings_path, failure))
        return 1;
    // Without a user's file to turn to, or when that was the file that failed, nothing is left.
    if (user_settings_path[0] == L'\0' || std::wcscmp(settings_path, user_settings_path) == 0)
        return 0;
    if (!SaveTo(user_settings_path, failure))
        return 0;
    std::memcpy(settings_path, user_settings_path, sizeof settings_path);
    return 1;
}

int32_t ReadSetting(const WCHAR *path, const char *section, const char *key, int32_t minimum,
                    int32_t maximum, int32_t default_value) {
    WCHAR text[20];
    if (IniReadValue(section, key, text, 20, path) == 0)
        return default_value;
    // A number is ASCII: any other character makes the text no number, as a byte above 127 does.
    char ascii[20];
    int i = 0;
    for (; text[i] != L'\0'; ++i)
        ascii[i] = static_cast<uint32_t>(text[i]) < 0x80 ? static_cast<char>(text[i]) : '\x80';
    ascii[i] = '\0';
    int32_t value = ParseDecimal(ascii);
    if (value < minimum)
        value = minimum;
    if (value > maximum)
        value = maximum;
    return value;
}

int WriteSetting(const WCHAR *path, const char *section, const char *key, int32_t value) {
    return IniWriteValue(section, key, WideFromAnsi(FormatDecimal(value)).c_str(), path) ? 1 : 0;
}

const char *FormatDecimal(int32_t value) {
    char *p = number_text + kNumberTextSize - 1;
    *p = '\0';
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        *--p = "0123456789"[magnitude % 10];
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--p = '-';
    return p;
}

int32_t ParseDecimal(const char *text) {
    if (text == nullptr)
        return 0;
    size_t length = std::strlen(text);
    if (length == 0 || length > 10)
        return 0;
    bool negative = text[0] == '-';
    // Unsigned, so that ten digits past 2147483647 wrap modulo 2^32 instead of overflowing.
    uint32_t value = 0;
    for (const char *p = negative ? text + 1 : text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return 0;
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}

void ResetSettings() {
    saver_settings = DefaultSettings();
    std::memset(settings_path, 0, sizeof settings_path);
    std::memset(user_settings_path, 0, sizeof user_settings_path);
    std::memset(number_text, 0, sizeof number_text);
}
