#include "settings/settings_store.h"

#include <cstring>

#include "platform/win32.h"

const SettingKey setting_keys[kSettingCount] = {
    {"Polygon", 1, 8, 2, &SaverSettings::figure_count},
    {"Point", 2, 8, 4, &SaverSettings::corner_count},
    {"Line", 1, 32, 16, &SaverSettings::trail_length},
    {"Speed", 1, 20, 10, &SaverSettings::speed},
};
const char kSettingsSection[] = "Setting";
const char kSettingsFileName[] = "Frellis.ini";

// The key table's defaults, so that they are written down once.
static SaverSettings DefaultSettings() {
    SaverSettings settings = {};
    for (const SettingKey &row : setting_keys)
        settings.*row.field = row.default_value;
    return settings;
}

SaverSettings saver_settings = DefaultSettings();
char settings_path[kSettingsPathSize];
char number_text[kNumberTextSize];

// Where the settings go when the command line names no directory we can address within
// settings_path (no backslash, an unterminated quote, or a path that would not fit): the
// current directory, written with a backslash so that the profile functions take it as a path
// rather than a bare name in the system directory.
static const char kFallbackDirectory[] = ".\\";

static char *UseFallbackDirectory(char *buffer) {
    std::memcpy(buffer, kFallbackDirectory, sizeof kFallbackDirectory);
    return buffer;
}

char *BuildSettingsDirectory(char *buffer) {
    if (buffer == nullptr)
        return nullptr;
    const char *line = GetCommandLineA();
    if (line == nullptr)
        return UseFallbackDirectory(buffer);
    // The program path: inside the quotes when it is quoted, else the whole line (the mode
    // arguments hold no backslash).
    const char *begin = line;
    const char *end = line + std::strlen(line);
    if (*line == '"') {
        begin = line + 1;
        end = std::strchr(begin, '"');
        if (end == nullptr)
            return UseFallbackDirectory(buffer);
    }
    const char *last_backslash = nullptr;
    for (const char *p = begin; p < end; ++p) {
        if (*p == '\\')
            last_backslash = p;
    }
    if (last_backslash == nullptr)
        return UseFallbackDirectory(buffer);
    size_t length = static_cast<size_t>(last_backslash + 1 - begin);
    if (length >= static_cast<size_t>(kSettingsPathSize))
        return UseFallbackDirectory(buffer);
    std::memcpy(buffer, begin, length);
    buffer[length] = '\0';
    return buffer;
}

void LoadSettings() {
    BuildSettingsDirectory(settings_path);
    size_t directory_length = std::strlen(settings_path);
    if (directory_length + sizeof kSettingsFileName > sizeof settings_path) {
        UseFallbackDirectory(settings_path);
        directory_length = std::strlen(settings_path);
    }
    std::memcpy(settings_path + directory_length, kSettingsFileName, sizeof kSettingsFileName);
    for (const SettingKey &row : setting_keys) {
        saver_settings.*row.field = ReadSetting(settings_path, kSettingsSection, row.key,
                                                row.minimum, row.maximum, row.default_value);
    }
}

int32_t ReadSetting(const char *path, const char *section, const char *key, int32_t minimum,
                    int32_t maximum, int32_t default_value) {
    char text[20];
    if (IniReadValue(section, key, text, sizeof text, path) == 0)
        return default_value;
    int32_t value = ParseDecimal(text);
    if (value < minimum)
        value = minimum;
    if (value > maximum)
        value = maximum;
    return value;
}

int WriteSetting(const char *path, const char *section, const char *key, int32_t value) {
    return IniWriteValue(section, key, FormatDecimal(value), path) ? 1 : 0;
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

uint32_t IniReadValue(const char *section, const char *key, char *buffer, uint32_t size,
                      const char *path) {
    return GetPrivateProfileStringA(section, key, "", buffer, size, path);
}

bool IniWriteValue(const char *section, const char *key, const char *text, const char *path) {
    return WritePrivateProfileStringA(section, key, text, path) != FALSE;
}

void ResetSettings() {
    saver_settings = DefaultSettings();
    std::memset(settings_path, 0, sizeof settings_path);
    std::memset(number_text, 0, sizeof number_text);
}
